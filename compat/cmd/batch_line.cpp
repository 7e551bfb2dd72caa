#include "compat/cmd/batch_line.h"

#include "compat/cmd/batch_syntax.h"
#include "compat/cmd/command_text.h"
#include "lib/platform/command_line.h"

namespace navlor::cmd {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Ends the command word, as blanks do.
bool isWordDelimiter(QChar c)
{
    return isBlank(c) || c == u',' || c == u';' || c == u'=';
}

// May follow an internal command's name without a blank: "ECHO.", "CD..", "CD\", "DIR/W".
bool isNameDelimiter(QChar c)
{
    return c == u'.' || c == u'\\' || c == u'/' || c == u':' || c == u'(' || c == u'[' ||
           c == u'+' || c == u']';
}

bool isOperator(QChar c)
{
    return c == u'<' || c == u'>' || c == u'|' || c == u'&';
}

qsizetype skipBlanks(const QString& text, qsizetype i)
{
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return i;
}

// True when `text` starts with the word `name` standing alone or followed by a delimiter.
bool startsWithWord(const QString& text, QLatin1StringView name)
{
    if (!text.startsWith(name, Qt::CaseInsensitive))
        return false;
    if (text.size() == name.size())
        return true;
    const QChar next = text.at(name.size());
    return isWordDelimiter(next) || isNameDelimiter(next);
}

// A redirection target from `i`: up to an unquoted blank or operator; quotes group and go.
QString readTarget(const QString& text, qsizetype& i)
{
    QString target;
    bool quoted = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == u'"') {
            quoted = !quoted;
            ++i;
            continue;
        }
        if (!quoted && (isBlank(c) || isOperator(c)))
            break;
        if (!quoted && c == u'^' && i + 1 < text.size()) {
            target += text.at(i + 1);
            i += 2;
            continue;
        }
        target += c;
        ++i;
    }
    return target;
}

QString syntaxError()
{
    return QStringLiteral("A sintaxe do comando está incorreta.");
}

// Takes the redirections out of the line; what is left is the command and its arguments.
QString takeRedirections(const QString& line, BatchLine& result)
{
    QString text;
    bool quoted = false;
    const qsizetype n = line.size();
    for (qsizetype i = 0; i < n;) {
        QChar c = line.at(i);
        if (c == u'"') {
            quoted = !quoted;
            text += c;
            ++i;
            continue;
        }
        if (quoted) {
            text += c;
            ++i;
            continue;
        }
        if (c == u'^') {
            // The escape character: the next one is taken as it stands.
            if (i + 1 < n)
                text += line.at(i + 1);
            i += 2;
            continue;
        }
        if (c == u'|' || c == u'&') {
            if (result.error.isEmpty())
                result.error = QStringLiteral("O operador \"%1\" não é aceito por este "
                                              "interpretador de comandos.")
                                   .arg(c);
            ++i;
            continue;
        }
        Redirection redirection;
        const bool startsToken = text.isEmpty() || isBlank(text.back());
        if (c >= u'0' && c <= u'9' && startsToken && i + 1 < n &&
            (line.at(i + 1) == u'>' || line.at(i + 1) == u'<')) {
            redirection.handle = c.unicode() - u'0';
            c = line.at(++i);
        } else if (c == u'>' || c == u'<') {
            redirection.handle = c == u'>' ? 1 : 0;
        } else {
            text += c;
            ++i;
            continue;
        }
        ++i;
        if (c == u'>' && i < n && line.at(i) == u'>') {
            redirection.append = true;
            ++i;
        }
        if (i + 1 < n && line.at(i) == u'&' && line.at(i + 1) >= u'0' && line.at(i + 1) <= u'9') {
            redirection.duplicateOf = line.at(i + 1).unicode() - u'0';
            i += 2;
        } else {
            i = skipBlanks(line, i);
            redirection.target = readTarget(line, i);
            if (redirection.target.isEmpty() && result.error.isEmpty())
                result.error = syntaxError();
        }
        if (redirection.handle > 2 || redirection.duplicateOf > 2) {
            if (result.error.isEmpty())
                result.error = syntaxError();
            continue;
        }
        result.redirections.append(redirection);
        // The blank before "> FILE" stays, as it does for the command interpreter.
    }
    return text;
}

} // namespace

const QStringList& internalCommands()
{
    static const QStringList names{
        QStringLiteral("CALL"),     QStringLiteral("CD"),    QStringLiteral("SETLOCAL"),
        QStringLiteral("ENDLOCAL"), QStringLiteral("CHDIR"), QStringLiteral("CLS"),
        QStringLiteral("COPY"),     QStringLiteral("DEL"),   QStringLiteral("DIR"),
        QStringLiteral("ECHO"),     QStringLiteral("ERASE"), QStringLiteral("EXIT"),
        QStringLiteral("FOR"),      QStringLiteral("GOTO"),  QStringLiteral("IF"),
        QStringLiteral("MD"),       QStringLiteral("MKDIR"), QStringLiteral("MOVE"),
        QStringLiteral("PAUSE"),    QStringLiteral("POPD"),  QStringLiteral("PUSHD"),
        QStringLiteral("RD"),       QStringLiteral("REM"),   QStringLiteral("REN"),
        QStringLiteral("RENAME"),   QStringLiteral("RMDIR"), QStringLiteral("SET"),
        QStringLiteral("SHIFT"),    QStringLiteral("START"), QStringLiteral("TITLE"),
        QStringLiteral("TYPE"),     QStringLiteral("VER"),
    };
    return names;
}

BatchLine parseBatchLine(const QString& line)
{
    BatchLine result;
    qsizetype i = 0;
    while (i < line.size() && (isBlank(line.at(i)) || line.at(i) == u'@')) {
        if (line.at(i) == u'@')
            result.silent = true;
        ++i;
    }
    const QString rest = line.mid(i);
    if (rest.isEmpty())
        return result;
    if (rest.startsWith(u':')) {
        // A label; "::" makes one no GOTO can reach, which is why it serves as a comment.
        result.kind = BatchLine::Kind::Label;
        qsizetype end = 1;
        while (end < rest.size() && !isWordDelimiter(rest.at(end)) && !isOperator(rest.at(end)))
            ++end;
        result.label = rest.mid(1, end - 1);
        return result;
    }
    if (startsWithWord(rest, QLatin1StringView("REM"))) {
        // A remark is not read any further: "REM > X" creates nothing.
        result.kind = BatchLine::Kind::Comment;
        result.command = QStringLiteral("REM");
        result.internal = true;
        result.argumentText = rest.mid(3);
        return result;
    }
    for (const char* own : {"FOR", "IF"}) {
        // FOR and IF read their own line: the redirections belong to the command after DO or
        // the condition, which is taken apart again when it runs.
        const QLatin1StringView name(own);
        if (!startsWithWord(rest, name))
            continue;
        result.kind = BatchLine::Kind::Command;
        result.command = name;
        result.internal = true;
        result.argumentText = rest.mid(name.size());
        result.arguments = splitArguments(result.argumentText);
        return result;
    }

    const QString text = takeRedirections(rest, result);
    qsizetype start = skipBlanks(text, 0);
    while (start < text.size() && isWordDelimiter(text.at(start)))
        ++start;
    if (start >= text.size()) {
        // Only redirections ("> FILE" makes an empty file), or nothing at all.
        result.kind =
            result.redirections.isEmpty() ? BatchLine::Kind::Empty : BatchLine::Kind::Command;
        return result;
    }

    result.kind = BatchLine::Kind::Command;
    qsizetype end = start;
    bool quoted = false;
    QString word;
    while (end < text.size()) {
        const QChar c = text.at(end);
        if (c == u'"') {
            quoted = !quoted;
            result.commandQuoted = true;
            ++end;
            continue;
        }
        if (!quoted && isWordDelimiter(c))
            break;
        word += c;
        ++end;
    }
    result.command = word;
    result.argumentText = text.mid(end);

    if (!result.commandQuoted) {
        const QString upper = word.toUpper();
        for (const QString& name : internalCommands()) {
            if (upper == name) {
                result.command = name;
                result.internal = true;
                break;
            }
            if (upper.size() > name.size() && upper.startsWith(name) &&
                isNameDelimiter(upper.at(name.size()))) {
                result.command = name;
                result.internal = true;
                result.argumentText = word.mid(name.size()) + result.argumentText;
                break;
            }
        }
    }
    result.arguments = splitArguments(result.argumentText);
    return result;
}

QStringList splitBatchParameters(const QString& text)
{
    QStringList parameters;
    QString current;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && isWordDelimiter(c)) {
            if (inWord)
                parameters << current;
            current.clear();
            inWord = false;
            continue;
        }
        current += c;
        inWord = true;
    }
    if (inWord)
        parameters << current;
    return parameters;
}

namespace {

// A word of an IF condition: up to a blank, or to "==" when `stopAtEquals`; quotes kept.
QString readConditionWord(const QString& text, qsizetype& i, bool stopAtEquals)
{
    const qsizetype start = i;
    bool quoted = false;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && isBlank(c))
            break;
        else if (!quoted && stopAtEquals && c == u'=' && i + 1 < text.size() &&
                 text.at(i + 1) == u'=')
            break;
        ++i;
    }
    return text.mid(start, i - start);
}

// "( ... ) ELSE command": the block stays the command, ELSE's command is kept apart.
void splitElse(IfCondition& condition)
{
    const QString& command = condition.command;
    if (!command.startsWith(u'('))
        return;
    const qsizetype close = closingParenthesis(command, 0);
    if (close < 0)
        return;
    const QString rest = command.mid(close + 1).trimmed();
    if (!startsWithWord(rest, QLatin1StringView("ELSE")) || rest.size() < 5)
        return;
    condition.elseCommand = rest.mid(4).trimmed();
    condition.command = command.left(close + 1);
}

} // namespace

bool parseIfCondition(const QString& argumentText, IfCondition& condition)
{
    condition = IfCondition();
    const QString& text = argumentText;
    qsizetype i = skipBlanks(text, 0);
    QString word = readConditionWord(text, i, true);
    if (word.compare(QLatin1String("/I"), Qt::CaseInsensitive) == 0) {
        condition.ignoreCase = true;
        i = skipBlanks(text, i);
        word = readConditionWord(text, i, true);
    }
    if (word.compare(QLatin1String("NOT"), Qt::CaseInsensitive) == 0) {
        condition.negate = true;
        i = skipBlanks(text, i);
        word = readConditionWord(text, i, true);
    }
    auto operand = [&] {
        i = skipBlanks(text, i);
        return readConditionWord(text, i, false);
    };
    if (word.compare(QLatin1String("ERRORLEVEL"), Qt::CaseInsensitive) == 0) {
        condition.kind = IfCondition::Kind::ErrorLevel;
        condition.left = operand();
        bool number = false;
        condition.left.toInt(&number);
        if (!number)
            return false;
    } else if (word.compare(QLatin1String("EXIST"), Qt::CaseInsensitive) == 0) {
        condition.kind = IfCondition::Kind::Exist;
        condition.left = unquoted(operand());
    } else if (word.compare(QLatin1String("DEFINED"), Qt::CaseInsensitive) == 0) {
        condition.kind = IfCondition::Kind::Defined;
        condition.left = operand();
    } else {
        condition.kind = IfCondition::Kind::Compare;
        condition.left = word;
        i = skipBlanks(text, i);
        if (text.mid(i, 2).startsWith(QLatin1String("=="))) {
            condition.compare = QStringLiteral("==");
            i += 2;
        } else {
            static const QStringList kComparisons =
                QStringLiteral("EQU NEQ LSS LEQ GTR GEQ").split(u' ');
            qsizetype end = i;
            condition.compare = readConditionWord(text, end, false).toUpper();
            if (!kComparisons.contains(condition.compare))
                return false;
            i = end;
        }
        condition.right = operand();
    }
    if (condition.left.isEmpty() && condition.kind != IfCondition::Kind::Compare)
        return false;
    condition.command = text.mid(skipBlanks(text, i));
    splitElse(condition);
    return !condition.command.trimmed().isEmpty();
}

namespace {

// A word of a FOR line up to a blank or `stop`.
QString readForWord(const QString& text, qsizetype& i, QChar stop = QChar())
{
    i = skipBlanks(text, i);
    const qsizetype start = i;
    while (i < text.size() && !isBlank(text.at(i)) && text.at(i) != stop)
        ++i;
    return text.mid(start, i - start);
}

// FOR's switches before the variable: /L, /D, /R [root], /F ["options"]; `word` is left at the
// variable.
bool readForSwitch(const QString& text, qsizetype& i, QString& word, ForCommand& loop)
{
    while (word.startsWith(u'/')) {
        const QString upper = word.toUpper();
        if (upper == QLatin1String("/L")) {
            loop.numeric = true;
        } else if (upper == QLatin1String("/D")) {
            loop.directories = true;
        } else if (upper == QLatin1String("/R")) {
            loop.recursive = true;
            qsizetype peek = i;
            const QString next = readForWord(text, peek);
            if (!next.startsWith(u'%') && !next.startsWith(u'/')) {
                loop.root = next;
                loop.root.remove(u'"');
                i = peek;
            }
        } else if (upper == QLatin1String("/F")) {
            loop.fileLines = true;
            const qsizetype at = skipBlanks(text, i);
            if (at < text.size() && text.at(at) == u'"') {
                const qsizetype close = text.indexOf(u'"', at + 1);
                if (close < 0) {
                    loop.error = syntaxError();
                    return false;
                }
                loop.options = text.mid(at + 1, close - at - 1);
                i = close + 1;
            }
        } else {
            loop.error = QStringLiteral("%1 não era esperado nesta ocasião.").arg(word);
            return false;
        }
        word = readForWord(text, i);
    }
    return true;
}

} // namespace

ForCommand parseForCommand(const QString& argumentText)
{
    ForCommand loop;
    const QString& text = argumentText;
    qsizetype i = 0;
    QString word = readForWord(text, i);
    if (!readForSwitch(text, i, word, loop))
        return loop;
    if (word.size() != 2 || word.at(0) != u'%') {
        loop.error = QStringLiteral("%1 não era esperado nesta ocasião.")
                         .arg(word.isEmpty() ? text.trimmed() : word);
        return loop;
    }
    loop.variable = word.at(1);
    if (readForWord(text, i, u'(').compare(QLatin1String("IN"), Qt::CaseInsensitive) != 0 ||
        (i = skipBlanks(text, i)) >= text.size() || text.at(i) != u'(') {
        loop.error = syntaxError();
        return loop;
    }
    // The set ends at the first ")" outside quotes.
    qsizetype close = i + 1;
    for (bool quoted = false; close < text.size(); ++close) {
        if (text.at(close) == u'"')
            quoted = !quoted;
        else if (!quoted && text.at(close) == u')')
            break;
    }
    if (close >= text.size()) {
        loop.error = syntaxError();
        return loop;
    }
    loop.setText = text.mid(i + 1, close - i - 1);
    loop.items = splitBatchParameters(loop.setText);
    i = close + 1;
    if (readForWord(text, i).compare(QLatin1String("DO"), Qt::CaseInsensitive) != 0) {
        loop.error = syntaxError();
        return loop;
    }
    loop.command = text.mid(skipBlanks(text, i));
    if (loop.command.startsWith(u'(')) {
        // A block is the command, its lines joined by "\n"; it must be closed.
        const qsizetype end = closingParenthesis(loop.command, 0);
        if (end < 0 || !loop.command.mid(end + 1).trimmed().isEmpty()) {
            loop.error = syntaxError();
            return loop;
        }
        loop.command = loop.command.mid(1, end - 1).trimmed();
    }
    if (loop.command.isEmpty())
        loop.error = syntaxError();
    return loop;
}

} // namespace navlor::cmd

#include "compat/cmd/batch_line.h"

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
        QStringLiteral("CALL"),  QStringLiteral("CD"),     QStringLiteral("CHDIR"),
        QStringLiteral("CLS"),   QStringLiteral("COPY"),   QStringLiteral("DEL"),
        QStringLiteral("DIR"),   QStringLiteral("ECHO"),   QStringLiteral("ERASE"),
        QStringLiteral("EXIT"),  QStringLiteral("FOR"),    QStringLiteral("GOTO"),
        QStringLiteral("IF"),    QStringLiteral("MD"),     QStringLiteral("MKDIR"),
        QStringLiteral("MOVE"),  QStringLiteral("PAUSE"),  QStringLiteral("POPD"),
        QStringLiteral("PUSHD"), QStringLiteral("RD"),     QStringLiteral("REM"),
        QStringLiteral("REN"),   QStringLiteral("RENAME"), QStringLiteral("RMDIR"),
        QStringLiteral("SET"),   QStringLiteral("SHIFT"),  QStringLiteral("START"),
        QStringLiteral("TITLE"), QStringLiteral("TYPE"),   QStringLiteral("VER"),
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
    if (startsWithWord(rest, QLatin1StringView("FOR"))) {
        // FOR reads its own line: the redirections belong to the command after DO, which
        // is taken apart again for every item.
        result.kind = BatchLine::Kind::Command;
        result.command = QStringLiteral("FOR");
        result.internal = true;
        result.argumentText = rest.mid(3);
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

QString withModifiers(QString value, const QString& modifiers,
                      const std::function<QString(const QString& path)>& fullPath)
{
    if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
        value = value.mid(1, value.size() - 2);
    else if (value == u'"')
        value.clear();
    if (modifiers.isEmpty() || value.isEmpty())
        return value;
    const QString full = fullPath ? fullPath(value) : value;
    const qsizetype slash = full.lastIndexOf(u'\\');
    const QString name = full.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const bool hasDrive = full.size() >= 2 && full.at(1) == u':';
    QString parts;
    if (modifiers.contains(u'd') && hasDrive)
        parts += full.left(2);
    if (modifiers.contains(u'p'))
        parts += full.mid(hasDrive ? 2 : 0, slash + 1 - (hasDrive ? 2 : 0));
    if (modifiers.contains(u'n'))
        parts += dot < 0 ? name : name.left(dot);
    if (modifiers.contains(u'x') && dot >= 0)
        parts += name.mid(dot);
    return modifiers == QLatin1String("f") || parts.isEmpty() ? full : parts;
}

QString expandPercents(const QString& line, const PercentContext& context)
{
    QString out;
    const qsizetype n = line.size();
    auto parameter = [&](int index) { return context.parameters.value(index); };
    for (qsizetype i = 0; i < n;) {
        const QChar c = line.at(i);
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        const QChar next = i + 1 < n ? line.at(i + 1) : QChar();
        if (context.inBatch) {
            if (next == u'%') {
                out += u'%';
                i += 2;
                continue;
            }
            if (next >= u'0' && next <= u'9') {
                out += parameter(next.unicode() - u'0');
                i += 2;
                continue;
            }
            if (next == u'*') {
                out += context.parameters.mid(1).join(u' ');
                i += 2;
                continue;
            }
            if (next == u'~') {
                qsizetype j = i + 2;
                QString modifiers;
                while (j < n && QStringLiteral("fdpnxFDPNX").contains(line.at(j)))
                    modifiers += line.at(j++).toLower();
                if (j < n && line.at(j) >= u'0' && line.at(j) <= u'9') {
                    out += withModifiers(parameter(line.at(j).unicode() - u'0'), modifiers,
                                         context.fullPath);
                    i = j + 1;
                    continue;
                }
            }
        }
        const qsizetype close = line.indexOf(u'%', i + 1);
        if (close > i + 1) {
            const QString name = line.mid(i + 1, close - i - 1);
            const QString value = context.variable ? context.variable(name) : QString();
            if (!value.isNull()) {
                out += value;
                i = close + 1;
                continue;
            }
            if (context.inBatch) {
                i = close + 1; // an unknown variable is nothing inside a batch file
                continue;
            }
            out += line.mid(i, close - i);
            i = close;
            continue;
        }
        if (!context.inBatch)
            out += c;
        ++i;
    }
    return out;
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

QString unquoted(const QString& text)
{
    QString out = text;
    out.remove(u'"');
    return out;
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
        if (!text.mid(i, 2).startsWith(QLatin1String("==")))
            return false;
        i += 2;
        condition.right = operand();
    }
    if (condition.left.isEmpty() && condition.kind != IfCondition::Kind::Compare)
        return false;
    condition.command = text.mid(skipBlanks(text, i));
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

} // namespace

ForCommand parseForCommand(const QString& argumentText)
{
    ForCommand loop;
    const QString& text = argumentText;
    qsizetype i = 0;
    QString word = readForWord(text, i);
    if (word.startsWith(u'/')) {
        if (word.compare(QLatin1String("/L"), Qt::CaseInsensitive) != 0) {
            loop.error = QStringLiteral("A opção %1 de FOR não é aceita por este interpretador "
                                        "de comandos.")
                             .arg(word.toUpper());
            return loop;
        }
        loop.numeric = true;
        word = readForWord(text, i);
    }
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
    loop.items = splitBatchParameters(text.mid(i + 1, close - i - 1));
    i = close + 1;
    if (readForWord(text, i).compare(QLatin1String("DO"), Qt::CaseInsensitive) != 0) {
        loop.error = syntaxError();
        return loop;
    }
    loop.command = text.mid(skipBlanks(text, i));
    if (loop.command.startsWith(u'(')) {
        // A block on the same line is one command; blocks over several lines are not read.
        loop.command = loop.command.trimmed();
        if (!loop.command.endsWith(u')')) {
            loop.error = QStringLiteral("Blocos entre parênteses em várias linhas não são "
                                        "aceitos por este interpretador de comandos.");
            return loop;
        }
        loop.command = loop.command.mid(1, loop.command.size() - 2).trimmed();
    }
    if (loop.command.isEmpty())
        loop.error = syntaxError();
    return loop;
}

QString substituteForVariable(const QString& command, QChar variable, const QString& value,
                              const std::function<QString(const QString& path)>& fullPath)
{
    QString out;
    const qsizetype n = command.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = command.at(i);
        if (c != u'%' || i + 1 >= n) {
            out += c;
            continue;
        }
        if (command.at(i + 1) == variable) {
            out += value;
            ++i;
            continue;
        }
        if (command.at(i + 1) != u'~') {
            out += c;
            continue;
        }
        qsizetype j = i + 2;
        while (j < n && QStringLiteral("fdpnxFDPNX").contains(command.at(j)))
            ++j;
        // "%~nxn" with the variable n: the last letter read as a modifier is the variable.
        if ((j >= n || command.at(j) != variable) && j > i + 2 && command.at(j - 1) == variable)
            --j;
        if (j < n && command.at(j) == variable) {
            out += withModifiers(value, command.mid(i + 2, j - i - 2).toLower(), fullPath);
            i = j;
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace navlor::cmd

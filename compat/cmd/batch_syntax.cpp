#include "compat/cmd/batch_syntax.h"

#include <algorithm>

namespace navlor::cmd {

namespace {

bool isSyntaxBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Where a scan is: quotes, open blocks, and the words of the current command.
struct ScanState
{
    bool quoted = false;
    int depth = 0;
    QString word;      // the word being read, in capitals
    QString firstWord; // the command word once it is whole
    QString lastWord;  // the word before the current one

    void newCommand()
    {
        word.clear();
        firstWord.clear();
        lastWord.clear();
    }
    void endWord()
    {
        if (word.isEmpty())
            return;
        if (firstWord.isEmpty())
            firstWord = word;
        lastWord = word;
        word.clear();
    }
    // A "(" opens a block where a command could start: first in it, after DO or ELSE, after an
    // IF condition, or anywhere in FOR (its set is in parentheses too).
    bool opensBlock() const
    {
        if (!word.isEmpty())
            return firstWord == QLatin1String("FOR");
        return firstWord.isEmpty() || firstWord == QLatin1String("FOR") ||
               firstWord == QLatin1String("IF") || lastWord == QLatin1String("DO") ||
               lastWord == QLatin1String("ELSE");
    }
    // IF, FOR and REM read the rest of the line themselves, and so does a label.
    bool takesRest() const
    {
        const QString& command = firstWord.isEmpty() ? word : firstWord;
        return command == QLatin1String("IF") || command == QLatin1String("FOR") ||
               command == QLatin1String("REM") || command.startsWith(u':');
    }
};

enum class ScanEvent
{
    Open,
    Close,
    Operator // "&", "|" or "\n" outside quotes
};

// Calls `visit(i, event, state)` for every block parenthesis and operator of `text` until it
// returns true. Every step moves on by one or two characters.
template <typename Visit> void scanText(const QString& text, Visit&& visit)
{
    ScanState s;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == u'\n')
            s.quoted = false; // a quote ends with its line
        if (c == u'"') {
            s.quoted = !s.quoted;
            s.word += c;
            continue;
        }
        if (s.quoted) {
            s.word += c;
            continue;
        }
        if (c == u'^') {
            if (i + 1 < n)
                s.word += text.at(++i);
            continue;
        }
        if (c == u'@' && s.word.isEmpty() && s.firstWord.isEmpty())
            continue;
        if (c == u'(' && s.opensBlock()) {
            ++s.depth;
            if (visit(i, ScanEvent::Open, s))
                return;
            // FOR's set is no block of commands: the FOR goes on after it.
            if (s.firstWord != QLatin1String("FOR") || s.lastWord == QLatin1String("DO"))
                s.newCommand();
            continue;
        }
        if (c == u')' && s.depth > 0) {
            --s.depth;
            if (visit(i, ScanEvent::Close, s))
                return;
            s.endWord();
            if (s.firstWord.isEmpty())
                s.firstWord = QStringLiteral(")"); // a block's command was the block
            continue;
        }
        const bool redirectionCopy =
            c == u'&' && i > 0 && (text.at(i - 1) == u'>' || text.at(i - 1) == u'<');
        if ((c == u'&' || c == u'|' || c == u'\n') && !redirectionCopy) {
            s.endWord();
            if (visit(i, ScanEvent::Operator, s))
                return;
            s.newCommand();
            continue;
        }
        if (isSyntaxBlank(c) || c == u',' || c == u';' || c == u'=')
            s.endWord();
        else
            s.word += c.toUpper();
    }
}

bool endsWithEscape(const QString& line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && c == u'^' && ++i == line.size())
            return true;
    }
    return false;
}

} // namespace

int openBlocks(const QString& text)
{
    int depth = 0;
    scanText(text, [&](qsizetype, ScanEvent, const ScanState& s) {
        depth = s.depth;
        return false;
    });
    return depth;
}

qsizetype closingParenthesis(const QString& text, qsizetype open)
{
    qsizetype found = -1;
    int depth = -1;
    scanText(text, [&](qsizetype i, ScanEvent event, const ScanState& s) {
        if (event == ScanEvent::Open && i == open)
            depth = s.depth;
        if (event == ScanEvent::Close && depth > 0 && s.depth == depth - 1) {
            found = i;
            return true;
        }
        return false;
    });
    return found;
}

QString readLogicalLine(const QStringList& lines, qsizetype& next)
{
    QString text;
    while (next < lines.size()) {
        QString line = lines.at(next++);
        if (endsWithEscape(line)) {
            line.chop(1);
            text += line;
            continue;
        }
        text += line;
        if (next < lines.size() && openBlocks(text) > 0) {
            text += u'\n';
            continue;
        }
        break;
    }
    return text;
}

QList<ChainPart> splitCommandChain(const QString& text)
{
    QList<ChainPart> parts;
    ChainPart::Link link = ChainPart::Link::Always;
    qsizetype start = 0;
    qsizetype skipAt = -1; // the second character of "&&" or "||"
    auto add = [&](qsizetype end) {
        const QString part = text.mid(start, end - start);
        if (!part.trimmed().isEmpty())
            parts.append({link, part});
    };
    scanText(text, [&](qsizetype i, ScanEvent event, const ScanState& s) {
        if (event != ScanEvent::Operator || s.depth > 0 || i == skipAt)
            return false;
        if (s.takesRest())
            return true;
        add(i);
        const QChar c = text.at(i);
        const bool doubled = i + 1 < text.size() && text.at(i + 1) == c && c != u'\n';
        if (c == u'&')
            link = doubled ? ChainPart::Link::IfSuccess : ChainPart::Link::Always;
        else if (c == u'|')
            link = doubled ? ChainPart::Link::IfFailure : ChainPart::Link::Pipe;
        else
            link = ChainPart::Link::Always;
        start = doubled ? i + 2 : i + 1;
        skipAt = doubled ? i + 1 : -1;
        return false;
    });
    add(text.size());
    return parts;
}

QStringList splitCommandWords(const QString& text)
{
    QStringList words;
    QString current;
    bool quoted = false;
    bool inWord = false;
    for (const QChar c : text) {
        if (c == u'"') {
            quoted = !quoted;
            inWord = true;
            continue;
        }
        if (!quoted && isSyntaxBlank(c)) {
            if (inWord)
                words << current;
            current.clear();
            inWord = false;
            continue;
        }
        current += c;
        inWord = true;
    }
    if (inWord)
        words << current;
    return words;
}

bool applyVariableOperation(const QString& value, const QString& operation, QString& result)
{
    if (operation.startsWith(u'~')) {
        const QStringList numbers = operation.mid(1).split(u',');
        bool ok = true;
        bool okLength = true;
        const qsizetype size = value.size();
        qsizetype from = numbers.value(0).trimmed().toLongLong(&ok);
        if (!ok || numbers.size() > 2)
            return false;
        from = from < 0 ? std::max<qsizetype>(0, size + from) : std::min(from, size);
        qsizetype to = size;
        if (numbers.size() == 2) {
            const qsizetype length = numbers.at(1).trimmed().toLongLong(&okLength);
            if (!okLength)
                return false;
            to = length < 0 ? std::max(from, size + length) : std::min(size, from + length);
        }
        result = value.mid(from, to - from);
        return true;
    }
    const qsizetype eq = operation.indexOf(u'=');
    if (eq <= 0)
        return false;
    QString search = operation.left(eq);
    const QString replacement = operation.mid(eq + 1);
    if (search.startsWith(u'*')) {
        // Everything up to the first match goes with it.
        search = search.mid(1);
        if (search.isEmpty())
            return false;
        const qsizetype at = value.indexOf(search, 0, Qt::CaseInsensitive);
        result = at < 0 ? value : replacement + value.mid(at + search.size());
        return true;
    }
    result = value;
    result.replace(search, replacement, Qt::CaseInsensitive);
    return true;
}

namespace {

const char* const kForOptionWords[] = {"tokens=", "delims=", "skip=", "eol=", "usebackq"};

bool forOptionAt(const QString& text, qsizetype i)
{
    for (const char* word : kForOptionWords) {
        if (QStringView(text).mid(i).startsWith(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void readTokenList(const QString& spec, ForFileOptions& options)
{
    QList<int> tokens;
    for (QString item : spec.split(u',')) {
        if (item.endsWith(u'*')) {
            options.restOfLine = true;
            item.chop(1);
        }
        if (item.isEmpty())
            continue;
        bool okFirst = false;
        bool okLast = false;
        const int first = item.section(u'-', 0, 0).toInt(&okFirst);
        const int last = item.contains(u'-') ? item.section(u'-', 1).toInt(&okLast) : first;
        if (!okFirst || (item.contains(u'-') && !okLast) || first < 1 || last > 31) {
            options.error = spec;
            return;
        }
        for (int t = first; t <= last; ++t) {
            if (!tokens.contains(t))
                tokens << t;
        }
    }
    std::sort(tokens.begin(), tokens.end());
    options.tokens = tokens;
}

} // namespace

ForFileOptions parseForFileOptions(const QString& text)
{
    ForFileOptions options;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (isSyntaxBlank(text.at(i))) {
            ++i;
            continue;
        }
        if (!forOptionAt(text, i)) {
            options.error = text.mid(i);
            break;
        }
        const QString word = text.mid(i, text.indexOf(u'=', i) - i + 1).toLower();
        if (text.mid(i, 8).compare(QLatin1String("usebackq"), Qt::CaseInsensitive) == 0) {
            options.backQuotes = true;
            i += 8;
            continue;
        }
        i += word.size();
        qsizetype end = i;
        if (word == QLatin1String("eol=")) {
            if (i < n)
                options.endOfLine = text.at(i);
            i = std::min(n, i + 1);
            continue;
        }
        if (word == QLatin1String("delims=")) {
            // The delimiters run to the end, or to a blank before the next option.
            while (end < n && !(isSyntaxBlank(text.at(end)) && forOptionAt(text, end + 1)))
                ++end;
            options.delimiters = text.mid(i, end - i);
        } else {
            while (end < n && !isSyntaxBlank(text.at(end)))
                ++end;
            const QString value = text.mid(i, end - i);
            if (word == QLatin1String("skip="))
                options.skip = value.toInt();
            else
                readTokenList(value, options);
        }
        i = end;
    }
    return options;
}

QStringList forFileTokens(const QString& line, const ForFileOptions& options)
{
    QList<std::pair<qsizetype, qsizetype>> spans;
    const qsizetype n = line.size();
    auto isDelimiter = [&](QChar c) { return options.delimiters.contains(c); };
    for (qsizetype i = 0; i < n;) {
        while (i < n && isDelimiter(line.at(i)))
            ++i;
        if (i >= n)
            break;
        const qsizetype start = i;
        while (i < n && !isDelimiter(line.at(i)))
            ++i;
        spans.append({start, i});
    }
    QStringList values;
    for (const int token : options.tokens) {
        values << (token <= spans.size()
                       ? line.mid(spans.at(token - 1).first,
                                  spans.at(token - 1).second - spans.at(token - 1).first)
                       : QString());
    }
    if (options.restOfLine) {
        const qsizetype index = options.tokens.isEmpty() ? 0 : options.tokens.last();
        values << (index < spans.size() ? line.mid(spans.at(index).first) : QString());
    }
    const bool none =
        std::all_of(values.cbegin(), values.cend(), [](const QString& v) { return v.isEmpty(); });
    return none ? QStringList() : values;
}

} // namespace navlor::cmd

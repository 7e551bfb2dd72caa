#include "lib/platform/command_line.h"

namespace navlor {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

qsizetype skipBlanks(const QString& text, qsizetype i)
{
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    return i;
}

} // namespace

ProgramToken splitProgramToken(const QString& commandLine)
{
    ProgramToken token;
    qsizetype i = skipBlanks(commandLine, 0);
    if (i < commandLine.size() && commandLine.at(i) == u'"') {
        const qsizetype close = commandLine.indexOf(u'"', i + 1);
        const qsizetype end = close < 0 ? commandLine.size() : close;
        token.program = commandLine.mid(i + 1, end - i - 1);
        i = close < 0 ? commandLine.size() : close + 1;
    } else {
        const qsizetype start = i;
        while (i < commandLine.size() && !isBlank(commandLine.at(i)))
            ++i;
        token.program = commandLine.mid(start, i - start);
    }
    token.rest = commandLine.mid(skipBlanks(commandLine, i));
    return token;
}

QStringList splitArguments(const QString& arguments)
{
    QStringList result;
    qsizetype i = 0;
    const qsizetype n = arguments.size();
    for (;;) {
        i = skipBlanks(arguments, i);
        if (i >= n)
            break;
        QString arg;
        bool quoted = false;
        while (i < n) {
            qsizetype slashes = 0;
            while (i < n && arguments.at(i) == u'\\') {
                ++slashes;
                ++i;
            }
            if (i < n && arguments.at(i) == u'"') {
                arg += QString(slashes / 2, u'\\');
                if (slashes % 2 == 1) {
                    arg += u'"';
                } else if (quoted && i + 1 < n && arguments.at(i + 1) == u'"') {
                    arg += u'"';
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
                continue;
            }
            arg += QString(slashes, u'\\');
            if (i >= n || (!quoted && isBlank(arguments.at(i))))
                break;
            arg += arguments.at(i);
            ++i;
        }
        result << arg;
    }
    return result;
}

QStringList splitCommandLine(const QString& commandLine)
{
    const ProgramToken token = splitProgramToken(commandLine);
    if (token.program.isEmpty() && token.rest.isEmpty())
        return {};
    return QStringList{token.program} + splitArguments(token.rest);
}

QString quoteArgument(const QString& argument)
{
    const bool plain = !argument.isEmpty() && !argument.contains(u' ') &&
                       !argument.contains(u'\t') && !argument.contains(u'\n') &&
                       !argument.contains(u'\v') && !argument.contains(u'"');
    if (plain)
        return argument;
    QString out = QStringLiteral("\"");
    qsizetype slashes = 0;
    for (const QChar c : argument) {
        if (c == u'\\') {
            ++slashes;
            continue;
        }
        if (c == u'"') {
            out += QString(slashes * 2 + 1, u'\\');
            out += u'"';
        } else {
            out += QString(slashes, u'\\');
            out += c;
        }
        slashes = 0;
    }
    // Backslashes before the closing quote must not escape it.
    out += QString(slashes * 2, u'\\');
    out += u'"';
    return out;
}

QString joinCommandLine(const QStringList& arguments)
{
    QStringList quoted;
    quoted.reserve(arguments.size());
    for (const QString& a : arguments)
        quoted << quoteArgument(a);
    return quoted.join(u' ');
}

} // namespace navlor

// FOR: one command run for every item of a set, the items with wildcards standing for the
// files they match, and FOR /L counting.

#include "compat/cmd/command_text.h"
#include "compat/cmd/console.h"
#include "compat/cmd/file_paths.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

#include "lib/ansi_text.h"

#include <algorithm>
#include <optional>

namespace navlor::cmd {

QStringList Interpreter::forMatches(const QString& item, bool directories,
                                    const QString& under) const
{
    const QString bare = unquoted(item);
    if (!hasWildcards(bare))
        return {under.isEmpty() ? item : appendWindowsPath(under, bare)};
    // The matches keep the directory as the item wrote it, and its quotes.
    const QString full = absolute(under.isEmpty() ? bare : appendWindowsPath(under, bare));
    const qsizetype cut =
        std::max({bare.lastIndexOf(u'\\'), bare.lastIndexOf(u'/'), bare.lastIndexOf(u':')});
    const QString quote =
        item.startsWith(u'"') && under.isEmpty() ? QStringLiteral("\"") : QString();
    const QString directory =
        under.isEmpty() ? bare.left(cut + 1) : appendWindowsPath(directoryPart(full), QString());
    QStringList values;
    if (full.isEmpty())
        return values;
    for (const DirEntry& entry : m_platform.findFiles(full)) {
        const bool wanted = directories
                                ? entry.directory && !entry.hidden && !entry.system &&
                                      entry.name != u'.' && entry.name != QLatin1String("..")
                                : isOrdinaryFile(entry);
        if (wanted)
            values << quote + directory + entry.name + quote;
    }
    return values;
}

// The root and every folder below it, each before its own subfolders.
QStringList Interpreter::forTreeDirectories(const QString& root) const
{
    QStringList directories{root};
    for (qsizetype k = 0; k < directories.size(); ++k) {
        QStringList below;
        for (const DirEntry& entry :
             m_platform.findFiles(appendWindowsPath(directories.at(k), QStringLiteral("*")))) {
            if (entry.directory && !entry.system && entry.name != u'.' &&
                entry.name != QLatin1String(".."))
                below << appendWindowsPath(directories.at(k), entry.name);
        }
        for (qsizetype b = below.size() - 1; b >= 0; --b)
            directories.insert(k + 1, below.at(b));
    }
    return directories;
}

QStringList Interpreter::forValues(const ForCommand& loop) const
{
    QStringList values;
    if (loop.numeric) {
        // Missing or unreadable numbers are 0, as cmd reads them.
        const qint64 first = loop.items.value(0).toLongLong();
        const qint64 step = loop.items.value(1).toLongLong();
        const qint64 last = loop.items.value(2).toLongLong();
        for (qint64 v = first; step != 0 && (step > 0 ? v <= last : v >= last); v += step)
            values << QString::number(v);
        return values;
    }
    QStringList roots{QString()};
    if (loop.recursive) {
        const QString root = absolute(loop.root.isEmpty() ? QStringLiteral(".") : loop.root);
        roots = root.isEmpty() ? QStringList() : forTreeDirectories(root);
    }
    for (const QString& under : roots) {
        for (const QString& item : loop.items)
            values << forMatches(item, loop.directories, under);
    }
    return values;
}

QList<QStringList> Interpreter::forFileValues(const ForCommand& loop, const ForFileOptions& options,
                                              Frame* frame)
{
    const QString set = loop.setText.trimmed();
    const QChar text = options.backQuotes ? u'\'' : u'"';
    const QChar command = options.backQuotes ? u'`' : u'\'';
    QStringList lines;
    if (set.size() >= 2 && set.startsWith(text) && set.endsWith(text)) {
        lines << set.mid(1, set.size() - 2);
    } else if (set.size() >= 2 && set.startsWith(command) && set.endsWith(command)) {
        const QByteArray output = capture(set.mid(1, set.size() - 2), frame);
        lines = fromAnsi(output).split(u'\n');
    } else {
        for (const QString& name : splitCommandWords(set)) {
            const QString full = absolute(name);
            const std::optional<QByteArray> bytes =
                full.isEmpty() ? std::nullopt : m_platform.readFile(full);
            if (!bytes) {
                fail(QStringLiteral("O sistema não pode encontrar o arquivo %1.").arg(name));
                return {};
            }
            lines << fromAnsi(*bytes).split(u'\n');
        }
    }
    QList<QStringList> values;
    int skipped = 0;
    for (QString line : lines) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (skipped < options.skip) {
            ++skipped;
            continue;
        }
        if (line.startsWith(options.endOfLine))
            continue;
        const QStringList tokens = forFileTokens(line, options);
        if (!tokens.isEmpty())
            values << tokens;
    }
    return values;
}

Interpreter::Flow Interpreter::forBody(const ForCommand& loop, const QList<QChar>& variables,
                                       const QStringList& values, Frame* frame)
{
    const QString text = substituteForVariables(loop.command, variables, values, pathLookup());
    if (frame && m_echo && !text.trimmed().startsWith(u'@'))
        writeOutput(u'\n' + prompt() + QString(text.trimmed()).replace(u'\n', u' ') + u'\n');
    return runChain(text, frame);
}

Interpreter::Flow Interpreter::forLoop(const BatchLine& line, Frame* frame)
{
    const ForCommand loop = parseForCommand(line.argumentText);
    if (!loop.error.isEmpty()) {
        fail(loop.error);
        return Flow::Next;
    }
    QList<QChar> variables{loop.variable};
    QList<QStringList> rows;
    if (loop.fileLines) {
        const ForFileOptions options = parseForFileOptions(loop.options);
        if (!options.error.isEmpty()) {
            fail(QStringLiteral("%1 não era esperado nesta ocasião.").arg(options.error));
            return Flow::Next;
        }
        // Each token takes the next letter after the loop's variable.
        const qsizetype count = options.tokens.size() + (options.restOfLine ? 1 : 0);
        for (qsizetype k = 1; k < count; ++k)
            variables << QChar(char16_t(loop.variable.unicode() + k));
        rows = forFileValues(loop, options, frame);
    } else {
        // The set is read as the loop starts; files the command makes are not taken in.
        for (const QString& value : forValues(loop))
            rows << QStringList{value};
    }
    for (const QStringList& values : rows) {
        const qsizetype next = frame ? frame->next : 0;
        const Flow flow = forBody(loop, variables, values, frame);
        if (flow != Flow::Next || m_exit)
            return m_exit ? Flow::Exit : flow;
        if (frame && frame->next != next)
            break; // a GOTO, or a batch run without CALL, ends the loop
    }
    return Flow::Next;
}

} // namespace navlor::cmd

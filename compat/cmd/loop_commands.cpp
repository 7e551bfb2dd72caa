// FOR: one command run for every item of a set, the items with wildcards standing for the
// files they match, and FOR /L counting.

#include "compat/cmd/command_text.h"
#include "compat/cmd/console.h"
#include "compat/cmd/file_paths.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

#include <algorithm>

namespace navlor::cmd {

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
    for (const QString& item : loop.items) {
        const QString bare = unquoted(item);
        if (!hasWildcards(bare)) {
            values << item;
            continue;
        }
        // The matches keep the directory as the item wrote it, and its quotes.
        const QString full = absolute(bare);
        const qsizetype cut =
            std::max({bare.lastIndexOf(u'\\'), bare.lastIndexOf(u'/'), bare.lastIndexOf(u':')});
        const QString quote = item.startsWith(u'"') ? QStringLiteral("\"") : QString();
        if (full.isEmpty())
            continue;
        for (const DirEntry& entry : m_platform.findFiles(full)) {
            if (isOrdinaryFile(entry))
                values << quote + bare.left(cut + 1) + entry.name + quote;
        }
    }
    return values;
}

Interpreter::Flow Interpreter::forLoop(const BatchLine& line, Frame* frame)
{
    const ForCommand loop = parseForCommand(line.argumentText);
    if (!loop.error.isEmpty()) {
        fail(loop.error);
        return Flow::Next;
    }
    const auto fullPath = [this](const QString& path) {
        const QString full = absolute(path);
        return full.isEmpty() ? path : full;
    };
    // The set is read as the loop starts; files the command makes are not taken in.
    for (const QString& value : forValues(loop)) {
        const QString text = substituteForVariable(loop.command, loop.variable, value, fullPath);
        const BatchLine inner = parseBatchLine(text);
        if (frame && m_echo && !inner.silent && inner.kind != BatchLine::Kind::Empty)
            writeOutput(u'\n' + prompt() + text.trimmed() + u'\n');
        if (!inner.error.isEmpty()) {
            fail(inner.error);
            continue;
        }
        if (inner.kind != BatchLine::Kind::Command)
            continue;
        const qsizetype next = frame ? frame->next : 0;
        const Flow flow = executeParsed(inner, frame, false);
        if (flow != Flow::Next || m_exit)
            return m_exit ? Flow::Exit : flow;
        if (frame && frame->next != next)
            break; // a GOTO, or a batch run without CALL, ends the loop
    }
    return Flow::Next;
}

} // namespace navlor::cmd

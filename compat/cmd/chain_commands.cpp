// Lines of several commands: "&", "&&", "||", pipes, and parenthesised blocks.

#include "compat/cmd/console.h"
#include "compat/cmd/interpreter.h"
#include "compat/cmd/redirection.h"
#include "lib/platform/platform.h"

#include <QFile>
#include <QTemporaryFile>

#include <memory>
#include <vector>

namespace navlor::cmd {

Interpreter::Flow Interpreter::runChain(const QString& text, Frame* frame)
{
    const QList<ChainPart> parts = splitCommandChain(text);
    bool succeeded = !m_failed;
    for (qsizetype k = 0; k < parts.size(); ++k) {
        const ChainPart& part = parts.at(k);
        if ((part.link == ChainPart::Link::IfSuccess && !succeeded) ||
            (part.link == ChainPart::Link::IfFailure && succeeded))
            continue;
        QStringList stages{part.text};
        while (k + 1 < parts.size() && parts.at(k + 1).link == ChainPart::Link::Pipe)
            stages << parts.at(++k).text;
        const qsizetype line = frame ? frame->next : 0;
        const QString path = frame ? frame->path : QString();
        const Flow flow =
            stages.size() > 1 ? runPipeline(stages, frame) : runSimple(stages.first(), frame);
        succeeded = !m_failed;
        if (flow != Flow::Next || m_exit)
            return m_exit ? Flow::Exit : flow;
        if (frame && (frame->next != line || frame->path != path))
            break; // a GOTO, or a batch run without CALL, ends the line
    }
    return Flow::Next;
}

Interpreter::Flow Interpreter::runSimple(const QString& text, Frame* frame)
{
    m_failed = false;
    QString trimmed = text.trimmed();
    while (trimmed.startsWith(u'@'))
        trimmed = trimmed.mid(1).trimmed();
    if (trimmed.startsWith(u'(')) {
        const qsizetype close = closingParenthesis(trimmed, 0);
        if (close < 0) {
            fail(QStringLiteral("A sintaxe do comando está incorreta."));
            return Flow::Next;
        }
        // What follows the block can only be its redirections.
        const BatchLine after = parseBatchLine(trimmed.mid(close + 1));
        if (!after.error.isEmpty() || !after.command.isEmpty()) {
            fail(after.error.isEmpty()
                     ? QStringLiteral("%1 não era esperado nesta ocasião.").arg(after.command)
                     : after.error);
            return Flow::Next;
        }
        HandleRedirection handles;
        if (!redirect(after.redirections, handles))
            return Flow::Next;
        return runChain(trimmed.mid(1, close - 1), frame);
    }
    const BatchLine line = parseBatchLine(text);
    if (line.kind == BatchLine::Kind::Label || line.kind == BatchLine::Kind::Comment)
        return Flow::Next;
    if (!line.error.isEmpty()) {
        fail(line.error);
        return Flow::Next;
    }
    if (line.kind != BatchLine::Kind::Command)
        return Flow::Next;
    return executeParsed(line, frame, false);
}

Interpreter::Flow Interpreter::runPipeline(const QStringList& stages, Frame* frame)
{
    // The stages run one after the other through files, which is all a batch can tell apart
    // from programs running side by side.
    std::vector<std::unique_ptr<QTemporaryFile>> buffers;
    Flow flow = Flow::Next;
    for (qsizetype k = 0; k < stages.size(); ++k) {
        const bool last = k + 1 == stages.size();
        if (!last) {
            buffers.push_back(std::make_unique<QTemporaryFile>());
            if (!buffers.back()->open()) {
                fail(QStringLiteral("Não foi possível criar o pipe."));
                return Flow::Next;
            }
        }
        HandleRedirection handles;
        QString error;
        if ((k > 0 && !handles.toFile(0, buffers.at(k - 1)->fileName(), false, error)) ||
            (!last && !handles.toFile(1, buffers.back()->fileName(), false, error))) {
            fail(error);
            return Flow::Next;
        }
        flow = runSimple(stages.at(k), frame);
        if (flow != Flow::Next || m_exit)
            return flow;
    }
    return flow;
}

QByteArray Interpreter::capture(const QString& text, Frame* frame)
{
    QTemporaryFile output;
    if (!output.open())
        return {};
    {
        HandleRedirection handles;
        QString error;
        if (!handles.toFile(1, output.fileName(), false, error)) {
            fail(error);
            return {};
        }
        runChain(text, frame);
    }
    QFile file(output.fileName());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace navlor::cmd

// The interpreter's commands that steer a batch: ECHO, SET, IF, GOTO, CALL, EXIT, PAUSE.

#include "compat/cmd/command_text.h"
#include "compat/cmd/console.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

#include <algorithm>

#include <unistd.h>

namespace navlor::cmd {

void Interpreter::echo(const BatchLine& line)
{
    const QString& text = line.argumentText;
    if (text.trimmed().isEmpty()) {
        writeOutput(m_echo ? QStringLiteral("ECHO está ativado.\n")
                           : QStringLiteral("ECHO está desativado.\n"));
        return;
    }
    // The character after ECHO only separates: "ECHO." is an empty line.
    const QString body = text.mid(1);
    if (text.at(0) == u' ' || text.at(0) == u'\t') {
        const QString word = body.trimmed().toUpper();
        if (word == QLatin1String("ON") || word == QLatin1String("OFF")) {
            m_echo = word == QLatin1String("ON");
            return;
        }
    }
    writeOutput(body + u'\n');
}

void Interpreter::set(const QString& text)
{
    // Blanks before the name go; the ones after the value and around "=" stay, as in cmd.
    qsizetype start = 0;
    while (start < text.size() && (text.at(start) == u' ' || text.at(start) == u'\t'))
        ++start;
    QString assignment = text.mid(start);
    if (assignment.startsWith(u'/')) {
        // SET /A and SET /P (arithmetic, reading a value) are beyond this interpreter.
        fail(QStringLiteral("A opção %1 de SET não é aceita por este interpretador de comandos.")
                 .arg(assignment.section(u' ', 0, 0)));
        return;
    }
    if (assignment.startsWith(u'"') && assignment.lastIndexOf(u'"') > 0)
        assignment = assignment.mid(1, assignment.lastIndexOf(u'"') - 1);
    const qsizetype eq = assignment.indexOf(u'=');
    if (eq < 0) {
        QString listing;
        assignment = assignment.trimmed();
        const QString prefix = assignment.toUpper();
        for (auto it = m_variables.constBegin(); it != m_variables.constEnd(); ++it) {
            if (it.key().startsWith(prefix))
                listing += it.key() + u'=' + it.value() + u'\n';
        }
        if (listing.isEmpty())
            fail(QStringLiteral("A variável de ambiente %1 não está definida").arg(assignment));
        else
            writeOutput(listing);
        return;
    }
    const QString name = assignment.left(eq).toUpper();
    if (name.trimmed().isEmpty()) {
        fail(QStringLiteral("A sintaxe do comando está incorreta."));
        return;
    }
    const QString value = assignment.mid(eq + 1);
    if (value.isEmpty())
        m_variables.remove(name);
    else
        m_variables.insert(name, value);
}

Interpreter::Flow Interpreter::ifCommand(const BatchLine& line, Frame* frame)
{
    IfCondition condition;
    if (!parseIfCondition(line.argumentText, condition)) {
        fail(QStringLiteral("A sintaxe do comando está incorreta."));
        return Flow::Next;
    }
    bool holds = false;
    switch (condition.kind) {
    case IfCondition::Kind::ErrorLevel:
        holds = m_errorLevel >= condition.left.toInt();
        break;
    case IfCondition::Kind::Exist: {
        const QString full = absolute(condition.left);
        if (full.isEmpty())
            break;
        if (fileNameOf(full).compare(QLatin1String("NUL"), Qt::CaseInsensitive) == 0)
            holds = m_platform.directoryExists(full.left(full.lastIndexOf(u'\\') + 1));
        else if (hasWildcards(fileNameOf(full)))
            holds = !m_platform.findFiles(full).isEmpty();
        else
            holds = m_platform.fileExists(full) || m_platform.directoryExists(full);
        break;
    }
    case IfCondition::Kind::Defined:
        holds = !variable(condition.left).isNull();
        break;
    case IfCondition::Kind::Compare:
        holds = compareHolds(condition);
        break;
    }
    if (holds == condition.negate)
        return condition.elseCommand.isEmpty() ? Flow::Next
                                               : runChain(condition.elseCommand, frame);
    return runChain(condition.command, frame);
}

bool Interpreter::compareHolds(const IfCondition& condition) const
{
    const Qt::CaseSensitivity cs = condition.ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    const QString& c = condition.compare;
    if (c == QLatin1String("=="))
        return condition.left.compare(condition.right, cs) == 0;
    // Two numbers compare as numbers, anything else as text.
    bool leftNumber = false;
    bool rightNumber = false;
    const qlonglong left = condition.left.toLongLong(&leftNumber);
    const qlonglong right = condition.right.toLongLong(&rightNumber);
    const int order = leftNumber && rightNumber ? (left < right   ? -1
                                                   : left > right ? 1
                                                                  : 0)
                                                : condition.left.compare(condition.right, cs);
    if (c == QLatin1String("EQU"))
        return order == 0;
    if (c == QLatin1String("NEQ"))
        return order != 0;
    if (c == QLatin1String("LSS"))
        return order < 0;
    if (c == QLatin1String("LEQ"))
        return order <= 0;
    if (c == QLatin1String("GTR"))
        return order > 0;
    return order >= 0; // GEQ
}

void Interpreter::setLocal()
{
    m_localStack.append(m_variables);
}

void Interpreter::endLocal(qsizetype downTo)
{
    while (m_localStack.size() > std::max<qsizetype>(downTo, 0))
        m_variables = m_localStack.takeLast();
}

Interpreter::Flow Interpreter::gotoLabel(const QString& text, Frame* frame)
{
    QString label = text.trimmed().section(u' ', 0, 0);
    if (label.startsWith(u':'))
        label = label.mid(1);
    if (!frame)
        return Flow::Next; // labels belong to batch files
    if (label.compare(QLatin1String("EOF"), Qt::CaseInsensitive) == 0)
        return Flow::LeaveBatch;
    // Looked for after the current line first, then from the top, as cmd does.
    const qsizetype count = frame->lines.size();
    for (qsizetype k = 0; k < count; ++k) {
        const qsizetype index = (frame->next + k) % count;
        const BatchLine candidate = parseBatchLine(frame->lines.at(index));
        if (candidate.kind == BatchLine::Kind::Label &&
            candidate.label.compare(label, Qt::CaseInsensitive) == 0) {
            frame->next = index + 1;
            return Flow::Next;
        }
    }
    fail(QStringLiteral("O sistema não pode encontrar o rótulo do lote especificado - %1")
             .arg(label));
    return Flow::LeaveBatch;
}

Interpreter::Flow Interpreter::call(const BatchLine& line, Frame* frame)
{
    const QString text = line.argumentText.trimmed();
    if (m_callDepth >= kMaxCallDepth) {
        fail(QStringLiteral("Excesso de chamadas de arquivos em lotes encadeadas."));
        return Flow::Exit;
    }
    if (text.startsWith(u':')) {
        // A subroutine of the same batch: runs from the label to GOTO :EOF or the end.
        if (!frame)
            return Flow::Next;
        const QStringList parameters = splitBatchParameters(text);
        Frame sub = *frame;
        sub.parameters = parameters;
        sub.next = frame->lines.size();
        if (gotoLabel(parameters.value(0), &sub) != Flow::Next)
            return Flow::Next;
        ++m_callDepth;
        const Flow flow = runFrame(sub);
        --m_callDepth;
        return flow == Flow::Exit ? Flow::Exit : Flow::Next;
    }
    const BatchLine inner = parseBatchLine(text);
    if (!inner.error.isEmpty()) {
        fail(inner.error);
        return Flow::Next;
    }
    if (inner.kind != BatchLine::Kind::Command)
        return Flow::Next;
    return executeParsed(inner, frame, true);
}

Interpreter::Flow Interpreter::exitCommand(const BatchLine& line, Frame* frame)
{
    QStringList arguments = line.arguments;
    bool batchOnly = false;
    if (!arguments.isEmpty() &&
        arguments.first().compare(QLatin1String("/B"), Qt::CaseInsensitive) == 0) {
        batchOnly = true;
        arguments.removeFirst();
    }
    if (!arguments.isEmpty()) {
        bool number = false;
        const int code = arguments.first().toInt(&number);
        setErrorLevel(number ? code : 0);
    }
    if (batchOnly && frame)
        return Flow::LeaveBatch;
    m_exit = true;
    return Flow::Exit;
}

void Interpreter::pause()
{
    // Nobody could press a key without a terminal, so the batch goes on.
    if (!isTerminal(STDIN_FILENO))
        return;
    writeOutput(QStringLiteral("Pressione qualquer tecla para continuar . . ."));
    QString ignored;
    readInputLine(ignored);
    writeOutput(QStringLiteral("\n"));
}

} // namespace navlor::cmd

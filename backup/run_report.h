#pragma once

// How a run and a pass tell what happened: the message line and, past the session, the log.

#include "backup/backup_job.h"
#include "backup/backup_log.h"
#include "backup/backup_run.h"
#include "lib/platform/interruption.h"

#include <QString>

namespace navlor {

// The log whose failure the pass has already mentioned: once is enough for the operator.
QString& logFailureSaid();

// A log line that could not be written is said on the message line, once per pass.
bool logged(bool written, BackupConsole& console);

// "path (reason)", or the path alone.
QString withReason(const QString& path, const QString& reason);

// "cancelado pelo operador"
inline QString cancelledReason()
{
    return QStringLiteral("cancelado pelo operador");
}

class RunReport
{
public:
    RunReport(BackupConsole& console, const BackupJob& job)
        : m_console(console), m_job(job), m_log(console.dataDirectory())
    {
    }
    BackupLog& log() { return m_log; }
    // Whether every line of the run reached the log.
    bool logComplete() const { return m_logComplete; }
    RunResult fail(RunResult result, const QString& archivePath, const QString& reason)
    {
        record(m_log.jobError(m_job.numberText, archivePath, interrupted(reason)));
        return result;
    }
    RunResult failWith(RunResult result, const QString& archivePath, const QString& text)
    {
        m_console.ADD_MSG(prefix(QStringLiteral("ERRO")) + interrupted(text));
        return fail(result, archivePath, text);
    }
    // The precise reason first; the line ends on the archive that is not there.
    RunResult notWritten(const QString& archivePath, const QString& reason)
    {
        m_console.ADD_MSG(prefix(QStringLiteral("ERRO")) + interrupted(reason));
        m_console.ADD_MSG(QStringLiteral("ERRO - ARQUIVO DE BKP NÃO GERADO - ") + archivePath);
        return fail(RunResult::ArchiveNotWritten, archivePath, reason);
    }
    // The operator's "Cancelar": one line, whatever stage the run was in.
    RunResult cancelled(const QString& archivePath)
    {
        return failWith(RunResult::Cancelled, archivePath, cancelledReason());
    }
    void warn(const QString& text)
    {
        const QString line = prefix(QStringLiteral("ATENÇÃO")) + text;
        m_console.ADD_MSG(line);
        record(m_log.note(line));
    }
    void record(bool written) { m_logComplete = logged(written, m_console) && m_logComplete; }

private:
    QString prefix(const QString& kind) const
    {
        return kind + QStringLiteral(" - BKP (") + m_job.numberText + QStringLiteral(") - ");
    }
    // Whatever failed once the program was asked to end, or the operator cancelled the run,
    // failed because of it.
    static QString interrupted(const QString& reason)
    {
        if (interruptRequested())
            return QStringLiteral("interrompido");
        return cancelRequested() ? cancelledReason() : reason;
    }

    BackupConsole& m_console;
    const BackupJob& m_job;
    BackupLog m_log;
    bool m_logComplete = true;
};

} // namespace navlor

#include "backup/run_report.h"

#include "backup/backup_log.h"

namespace navlor {

// The log whose failure the pass has already mentioned: once is enough for the operator.
QString& logFailureSaid()
{
    static QString path;
    return path;
}

// A log line that could not be written is said on the message line, once per pass.
bool logged(bool written, BackupConsole& console)
{
    if (written)
        return true;
    const QString path = backupLogPath(console.dataDirectory());
    if (logFailureSaid() != path) {
        logFailureSaid() = path;
        console.ADD_MSG(QStringLiteral("ATENÇÃO - log não gravado: ") + path);
    }
    return false;
}

QString withReason(const QString& path, const QString& reason)
{
    return reason.isEmpty() ? path : path + QStringLiteral(" (") + reason + u')';
}

} // namespace navlor

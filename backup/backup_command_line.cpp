#include "backup/backup_run.h"

#include "lib/text_utils.h"

namespace navlor {

QString exclusionSwitches(const QString& exclusions)
{
    const QString trimmed = trimControls(exclusions);
    if (trimmed.isEmpty())
        return {};
    return TROCA_TEXTO(u' ' + trimmed, QStringLiteral(" "), QStringLiteral(" -X"), 0);
}

QString rearchiveCommandLine(const QString& archiver, const QString& option,
                             const QString& archivePath, const QStringList& files)
{
    QString line = u'"' + archiver + QStringLiteral("\" A \"") + option + archivePath + u'"';
    for (const QString& file : files)
        line += QStringLiteral(" \"") + file + u'"';
    return line;
}

QString backupCommandLine(const QString& archiver, const QString& option,
                          const QString& archivePath, const BackupJob& job, bool firebird)
{
    QString line = archiver;
    line += QStringLiteral(" A \"");
    line += option;
    line += archivePath;
    line += QStringLiteral("\" \"");
    line += job.source;
    line += QStringLiteral("\" ");
    if (!trimControls(job.masks).isEmpty())
        line += u' ' + job.masks;
    line += QStringLiteral(" -U ");
    if (job.subdirectories)
        line += QStringLiteral("-R ");
    if (!job.exclusions.isEmpty())
        line += u' ' + exclusionSwitches(job.exclusions);
    if (firebird)
        line += QStringLiteral(" -X*.DELTA");
    return line;
}

} // namespace navlor

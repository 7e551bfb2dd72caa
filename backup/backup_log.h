#pragma once

// The backup log NAVLOR.LOG in the data directory: one line per job run and per automatic pass,
// Windows-1252 with CR LF, only ever appended to. Past 1 MB it becomes NAVLOR.OLD and starts
// again. The OK lines are what tells, at start, which jobs have gone too long without a copy.

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace navlor {

// Size a log may reach before the next line starts a new one.
constexpr qint64 kBackupLogLimit = 1024 * 1024;

QString backupLogPath(const QString& dataDirectory);    // + "\NAVLOR.LOG"
QString backupOldLogPath(const QString& dataDirectory); // + "\NAVLOR.OLD"

// Each call adds one line stamped "dd/MM/yy hh:mm:ss " from the platform clock; false when the
// line could not be written (the log is then as it was).
class BackupLog
{
public:
    explicit BackupLog(QString dataDirectory);

    [[nodiscard]] bool passStarted();                 // "INICIO BKP AUTOMATICO"
    [[nodiscard]] bool passEnded(int ok, int failed); // "FIM BKP AUTOMATICO - n OK, n ERRO"
    [[nodiscard]] bool jobOk(const QString& number, const QString& archivePath); // "BKP nn OK path"
    // "BKP nn ERRO path - reason"; an empty path writes "-".
    [[nodiscard]] bool jobError(const QString& number, const QString& archivePath,
                                const QString& reason);
    [[nodiscard]] bool note(const QString& text);

private:
    bool append(const QString& text);

    QString m_dataDirectory;
};

// Date of the last OK line of job `number` ("00".."50") in NAVLOR.LOG, else in NAVLOR.OLD;
// nothing when neither has one.
std::optional<QDate> lastValidBackup(const QString& dataDirectory, const QString& number);

// "ATENÇÃO - BKP (nn) sem cópia válida desde dd/MM/yy" for every active job whose last valid
// copy is older than its period allows, in job order.
QStringList overdueWarnings(const QString& dataDirectory, const QDate& today);

// "ATENÇÃO - último BKP automático com erro em dd/MM/yy: BKP (nn), BKP (nn)" when the last
// pass that ended in NAVLOR.LOG ended with failed jobs; nothing once a later pass ended
// without one.
std::optional<QString> lastPassFailure(const QString& dataDirectory);

} // namespace navlor

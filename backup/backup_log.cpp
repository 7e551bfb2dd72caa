#include "backup/backup_log.h"

#include "backup/backup_job.h"
#include "lib/ansi_text.h"
#include "lib/dates.h"
#include "lib/param_store.h"
#include "lib/platform/platform.h"

#include <QByteArrayView>
#include <QTime>

#include <array>
#include <utility>

namespace navlor {

namespace {

// The job number as the log writes it: two digits when it names a job, else as given.
QString logNumber(const QString& number)
{
    const std::optional<int> job = jobNumber(number);
    return job ? jobNumberText(*job) : number;
}

// A line break inside a reason would split its entry in two.
QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c.unicode() < 0x20)
            c = u' ';
    }
    return text;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// What one pass over a log tells.
struct LogScan
{
    std::array<std::optional<QDate>, kJobCount> lastOk; // by job number
    std::optional<QDate> firstDate;                     // of the first stamped line
};

// The blank-separated words at the start of a line, at most `words.size()` of them.
template <size_t N> size_t splitWords(QByteArrayView line, std::array<QByteArrayView, N>& words)
{
    size_t count = 0;
    qsizetype pos = 0;
    while (count < N) {
        while (pos < line.size() && isBlank(line[pos]))
            ++pos;
        if (pos >= line.size())
            break;
        const qsizetype start = pos;
        while (pos < line.size() && !isBlank(line[pos]))
            ++pos;
        words[count++] = line.sliced(start, pos - start);
    }
    return count;
}

std::optional<QDate> stampDate(QByteArrayView date, QByteArrayView time, const QDate& reference)
{
    if (!QTime::fromString(QString::fromLatin1(time), QStringLiteral("hh:mm:ss")).isValid())
        return std::nullopt;
    return parseDateText(QString::fromLatin1(date), reference);
}

// One pass over the lines; dates are only read on lines that could matter, so a full log is
// cheap. A line that is not ours in shape is passed over: anyone can edit the file.
LogScan scanLog(const QByteArray& bytes, const QDate& reference)
{
    LogScan scan;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line(bytes.constData() + pos, end - pos);
        pos = end + 1;

        std::array<QByteArrayView, 5> words;
        const size_t count = splitWords(line, words);
        if (count < 2)
            continue;
        if (!scan.firstDate)
            scan.firstDate = stampDate(words[0], words[1], reference);
        if (count < 5 || words[2] != "BKP" || words[4] != "OK")
            continue;
        const std::optional<int> job = jobNumber(QString::fromLatin1(words[3]));
        if (!job)
            continue;
        if (const std::optional<QDate> date = stampDate(words[0], words[1], reference))
            scan.lastOk[*job] = date;
    }
    return scan;
}

std::optional<LogScan> scanLogFile(const QString& path, const QDate& reference)
{
    const std::optional<QByteArray> bytes = platform().readFile(path);
    if (!bytes)
        return std::nullopt;
    return scanLog(*bytes, reference);
}

// Days a job of `period` may go without a valid copy before the operator is warned: a day for
// the daily kinds, two for odd or even days, then a week, a fortnight (16 days, since halves of
// a month run up to 16 days), a month. Other codes are never warned about. An empty period
// runs as the first one offered, daily, as loading the job makes it.
std::optional<int> allowedAge(const QString& period)
{
    switch (period.isEmpty() ? u'0' : period.at(0).unicode()) {
    case u'0':
    case u'6':
    case u'9':
        return 1;
    case u'1':
    case u'2':
        return 2;
    case u'3':
        return 7;
    case u'4':
        return 16;
    case u'5':
        return 31;
    default:
        return std::nullopt;
    }
}

} // namespace

QString backupLogPath(const QString& dataDirectory)
{
    return dataDirectory + QStringLiteral("\\NAVLOR.LOG");
}

QString backupOldLogPath(const QString& dataDirectory)
{
    return dataDirectory + QStringLiteral("\\NAVLOR.OLD");
}

BackupLog::BackupLog(QString dataDirectory) : m_dataDirectory(std::move(dataDirectory)) {}

bool BackupLog::passStarted()
{
    return append(QStringLiteral("INICIO BKP AUTOMATICO"));
}

bool BackupLog::passEnded(int ok, int failed)
{
    return append(QStringLiteral("FIM BKP AUTOMATICO - %1 OK, %2 ERRO").arg(ok).arg(failed));
}

bool BackupLog::jobOk(const QString& number, const QString& archivePath)
{
    return append(QStringLiteral("BKP %1 OK %2").arg(logNumber(number), archivePath));
}

bool BackupLog::jobError(const QString& number, const QString& archivePath, const QString& reason)
{
    const QString archive = archivePath.isEmpty() ? QStringLiteral("-") : archivePath;
    return append(QStringLiteral("BKP %1 ERRO %2 - %3").arg(logNumber(number), archive, reason));
}

bool BackupLog::note(const QString& text)
{
    return append(text);
}

// One write of a whole line, appended under a lock on the log: lines of two passes, or of a
// pass and the window, never mix or get lost, and a kill leaves the log as it was before the
// line or with it whole.
bool BackupLog::append(const QString& text)
{
    const QDateTime stamp = now();
    const QByteArray line =
        toAnsi(dateText(stamp.date()) + u' ' + timeText(stamp.time()) + u' ' + oneLine(text)) +
        "\r\n";
    const QString path = backupLogPath(m_dataDirectory);
    Platform& p = platform();
    const AppendOutcome outcome =
        p.appendToFile(path, line, kBackupLogLimit, backupOldLogPath(m_dataDirectory));
    if (outcome == AppendOutcome::LinkReplaced) {
        // Whoever put a link there wanted our lines in another file; they start a new log.
        const QByteArray said =
            toAnsi(dateText(stamp.date()) + u' ' + timeText(stamp.time()) +
                   QStringLiteral(" ATENÇÃO - link no lugar do log removido: ") + path) +
            "\r\n";
        (void)p.appendToFile(path, said);
    }
    return outcome != AppendOutcome::Failed;
}

std::optional<QDate> lastValidBackup(const QString& dataDirectory, const QString& number)
{
    const std::optional<int> job = jobNumber(number);
    if (!job)
        return std::nullopt;
    const QDate reference = today();
    for (const QString& path : {backupLogPath(dataDirectory), backupOldLogPath(dataDirectory)}) {
        if (const std::optional<LogScan> scan = scanLogFile(path, reference)) {
            if (scan->lastOk[*job])
                return scan->lastOk[*job];
        }
    }
    return std::nullopt;
}

std::optional<QString> lastPassFailure(const QString& dataDirectory)
{
    const std::optional<QByteArray> bytes = platform().readFile(backupLogPath(dataDirectory));
    if (!bytes)
        return std::nullopt;
    // The last pass that ended: from its end back to its start.
    const QList<QByteArray> lines = bytes->split('\n');
    qsizetype end = lines.size() - 1;
    while (end >= 0 && !lines[end].contains(" FIM BKP AUTOMATICO - "))
        --end;
    if (end < 0 || lines[end].trimmed().endsWith(" 0 ERRO"))
        return std::nullopt;
    QStringList failed;
    for (qsizetype i = end - 1; i >= 0 && !lines[i].contains(" INICIO BKP AUTOMATICO"); --i) {
        std::array<QByteArrayView, 5> five; // date, time, "BKP", number, "ERRO"
        if (splitWords(lines[i], five) == 5 && five[2] == "BKP" && five[4] == "ERRO")
            failed.prepend(QStringLiteral("BKP (%1)").arg(QString::fromLatin1(five[3])));
    }
    failed.removeDuplicates();
    std::array<QByteArrayView, 1> date;
    splitWords(lines[end], date);
    return QStringLiteral("ATENÇÃO - último BKP automático com erro em ") +
           QString::fromLatin1(date[0]) + QStringLiteral(": ") +
           (failed.isEmpty() ? QStringLiteral("veja NAVLOR.LOG")
                             : failed.join(QStringLiteral(", ")));
}

QStringList overdueWarnings(const QString& dataDirectory, const QDate& today)
{
    // The jobs that could be overdue at all, with the age each may reach.
    QList<std::pair<int, int>> watched;
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        // One that cannot be read (the operator has been told) is not judged.
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDirectory, number));
        if (!file || !(*file)[kJobFlagsLine].startsWith(u'S'))
            continue;
        if (const std::optional<int> allowed = allowedAge((*file)[kJobPeriodLine]))
            watched.append({number, *allowed});
    }
    if (watched.isEmpty())
        return {};

    const std::optional<LogScan> log = scanLogFile(backupLogPath(dataDirectory), today);
    std::optional<LogScan> old;
    bool oldRead = false;
    QStringList warnings;
    for (const auto& [number, allowed] : watched) {
        std::optional<QDate> since = log ? log->lastOk[number] : std::nullopt;
        if (!since) {
            if (!oldRead) {
                old = scanLogFile(backupOldLogPath(dataDirectory), today);
                oldRead = true;
            }
            if (old)
                since = old->lastOk[number];
            // Never copied while the log was kept: not valid since the log began.
            if (!since && old)
                since = old->firstDate;
            if (!since && log)
                since = log->firstDate;
        }
        // No log at all: nothing is known yet, so nothing is said.
        if (since && since->daysTo(today) > allowed)
            warnings << QStringLiteral("ATENÇÃO - BKP (%1) sem cópia válida desde %2")
                            .arg(jobNumberText(number), dateText(*since));
    }
    return warnings;
}

} // namespace navlor

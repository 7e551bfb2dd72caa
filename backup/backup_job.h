#pragma once

// A backup job: what directory is archived, where to, how often and how. Jobs 00 to 50 each
// live in a parameter file of their own in the data directory (LA_DIRNAVLOR); the record holds
// the values as the backup window shows them, under the names of its controls. Load and save go
// through the parameter store, so lines this window does not own survive a save.

#include <QString>
#include <QStringList>

#include <optional>

namespace navlor {

constexpr int kFirstJob = 0;
constexpr int kLastJob = 50;
constexpr int kJobCount = kLastJob - kFirstJob + 1;

// Lines of a job file. 2 to 9, 18 and those after 21 belong to no one here and are kept.
constexpr int kJobTitleLine = 1;
constexpr int kJobFlagsLine = 10;
constexpr int kJobPeriodLine = 11;
constexpr int kJobMasksLine = 12;
constexpr int kJobSourceLine = 13;
constexpr int kJobDestinationLine = 14;
constexpr int kJobBaseNameLine = 15;
constexpr int kJobExclusionsLine = 16;
constexpr int kJobLastArchiveLine = 17;
constexpr int kJobLastDateLine = 19;
constexpr int kJobLastTimeLine = 20;
constexpr int kJobOptionLine = 21;

// Line 10: "S"/"N" for active, subdirectories, own batch; 4 to 20 are kept as found.
constexpr int kJobFlagsWidth = 20;

// The archive options offered; only the first character counts ("1": start a new archive).
const QStringList& optionItems();

// A job as its file keeps it. The backup window shows each field in the control named after
// it in the form (numberText in E_ITEM, source in E_ORIGEM, active in CB_ATIVAR, batchText in
// Memo1...).
struct BackupJob
{
    QString numberText = QStringLiteral("00"); // job number, two digits
    QString paramFileBase;                     // data directory + "\VD_BKPA_xx"
    QString title;
    bool active = false;         // takes part in runs
    bool subdirectories = false; // subdirectories are archived too
    bool runsOwnBatch = false;   // a run executes the job's own batch file
    QString period;              // whole period item, "3 - Semanal"
    QString masks;               // file masks, blank-separated
    QString source;              // source directory
    QString destination;         // destination directory
    QString archiveBaseName;     // archive base name, always "BKP" + number
    QString exclusions;          // masks to exclude, blank-separated
    QString lastArchive;         // archive of the last run
    QString lastRunDate;         // date of the last run, "dd/MM/yy"
    QString lastRunTime;         // time of the last run, "hh:mm:ss"
    QString optionItem;          // whole option item
    QString batchText;           // the job's own batch text (kept when the job has none)
};

// "00" to "50".
QString jobNumberText(int number);
// The job a number text names; nothing for a text that names none of 00 to 50.
std::optional<int> jobNumber(const QString& item);

QString jobParFile(const QString& dataDir, int number); // D\VD_BKPA_xx.PAR
QString jobBatFile(const QString& dataDir, int number); // D\VD_BKPA_xx.BAT
QString jobFilePattern(const QString& dataDir);         // D\VD_BKPA_xx, letters "xx"

// The 51 items of the job list, "xx - " + title, item index = job number.
QStringList jobListItems(const QString& dataDir);

// Loads the job of job.numberText into the record and fills the defaults; the system directory
// (LA_DIR1) gives the default source and the destination's drive. False, with nothing read,
// when numberText names no job; false too when its file could not be read (the store has told the
// operator), the record then holding the defaults of a new job.
bool loadJob(BackupJob& job, const QString& dataDir, const QString& systemDir);

// Saves the record into the job file of job.numberText; an empty title becomes the period text.
// False, with the file as it was, when numberText names no job or when the file could not be read
// or written (the store has told the operator).
[[nodiscard]] bool saveJob(BackupJob& job, const QString& dataDir);

// Stamps the record with the archive just written and the clock's date and time, and saves it;
// false as for saveJob, the record stamped all the same.
[[nodiscard]] bool recordRun(BackupJob& job, const QString& dataDir, const QString& archivePath);

} // namespace navlor

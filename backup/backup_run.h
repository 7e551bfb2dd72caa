#pragma once

// Running backup jobs: the due test, the checks of archiver, destination and source, the one
// archiver command line written to BKPA.BAT in the destination, the wait for the batch, and the
// stamp in the job file. The values come from the job as the backup window holds it.

#include "backup/archive_verdict.h"
#include "backup/backup_job.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace navlor {

// What a run needs of the console around it: the main window's shared values, its message line
// and stop flag, and the file search as the last way of finding the archiver.
class BackupConsole
{
public:
    virtual ~BackupConsole() = default;
    virtual QString dataDirectory() = 0;   // LA_DIRNAVLOR
    virtual QString systemDirectory() = 0; // LA_DIR1, "**" when missing
    virtual QString programPath() = 0;     // the program's own executable
    virtual void ADD_MSG(const QString& text) = 0;
    virtual QString messageText() = 0; // what the message line shows now
    virtual bool stopRequested() = 0;  // CB_PARARBKP
    // Every file named `name` in `directory` and all its subdirectories.
    virtual QStringList searchFiles(const QString& directory, const QString& name) = 0;
    // Between the steps of a run: a window handles its messages here. The default does nothing.
    virtual void keepAlive() {}
    // A job of the pass was loaded, or a run changed the job: the window shows it.
    virtual void jobChanged(const BackupJob& job) { (void)job; }
    // Where the pass stands: the job about to be executed is the `index`-th (from 1) of the
    // `count` active ones.
    virtual void passPosition(int index, int count)
    {
        (void)index;
        (void)count;
    }
    // What keeps the console alive while the batch of job `number`, writing `archivePath`,
    // runs: called about every tenth of a second. Empty: the run waits without handling
    // messages.
    virtual std::function<void()> batchWaiter(const QString& number, const QString& archivePath)
    {
        (void)number;
        (void)archivePath;
        return {};
    }
    // The longest an archiver run may take (line 12 of the console's parameter file).
    virtual int archiverCeilingSeconds();
    // The verdict on the archive a run wrote (see archive_verdict.h); the listing is checked
    // against `expected` when it is given.
    virtual ArchiveVerdict verifyArchive(const QString& archiver, const QString& archivePath,
                                         const BackupJob& job, int ceilingSeconds,
                                         bool checkListing,
                                         const std::optional<QList<SelectedFile>>& expected);
    // Whether each new archive's databases are opened again (line 13 of the parameter file).
    virtual bool testRestoreWanted();
};

enum class RunResult
{
    NotActive,
    NotDue,
    ArchiverMissing,
    DestinationGivenUp,
    SourceMissing,
    FieldRefused,    // a field carries command syntax
    BatchNotWritten, // BKPA.BAT could not be replaced
    BatchFailed,     // the job's own batch ended with an error, or not at all
    ArchiveNotWritten,
    NotStamped, // the archive is good, the job file did not take the date of the run
    NotLogged,  // recorded, but a line of the run is not in the log
    Cancelled,  // the operator's "Cancelar": the run's programs ended, nothing recorded
    Recorded
};

// The run did not leave a trusted backup.
bool runFailed(RunResult result);

// What a pass did: jobs recorded, jobs that failed.
struct PassResult
{
    int ok = 0;
    int failed = 0;
    bool interrupted = false; // the program was asked to end during the pass
};

// The line that archives `files` again into the archive, replacing their entries.
QString rearchiveCommandLine(const QString& archiver, const QString& option,
                             const QString& archivePath, const QStringList& files);

// "-X" switches from the exclusion masks: "*.ARJ *_.EXE" gives " -X*.ARJ -X*_.EXE"; blanks only
// give nothing.
QString exclusionSwitches(const QString& exclusions);

// The archiver command line of a run, piece by piece: archiver, " A \"", option glued to the
// archive, "\" \"", source, "\" ", masks (when not blank) after a blank, " -U ", "-R " with
// subdirectories, and the exclusion switches after a blank when the exclusion text is not empty.
// `firebird`: the job selects a Firebird database, whose delta file, there while it is frozen,
// is left out (" -X*.DELTA").
QString backupCommandLine(const QString& archiver, const QString& option,
                          const QString& archivePath, const BackupJob& job, bool firebird = false);

// Finds the archiver, copying it next to the program when it is found in the installation;
// posts and shows the failure itself. Empty when it cannot be had.
QString locateArchiver(BackupConsole& console);

// Makes sure the destination directory is there: one attempt to create it, then rounds of
// two seconds that knock at its drive, asking the operator every 31 rounds. False when the
// operator gives up.
bool checkDestination(const QString& destination, BackupConsole& console);

// Whether the job's source directory is there; posts and shows the failure itself.
bool checkSource(const BackupJob& job, BackupConsole& console);

// Thaws the Firebird databases a run that did not end left frozen; the lines for the message
// line, which are in the log already.
QStringList thawLeftoverDatabases(const QString& dataDirectory);

// One run of the job, without the due test. The job is stamped and saved only when it ran.
RunResult runJob(BackupJob& job, const QString& archiverOption, BackupConsole& console);

// "Executar": runs the job when it is active and due. An inactive job is mentioned only when
// its parameters are on show. `askWhenNotDue`: an active job that is not due runs when the
// operator says so, as a due one would.
RunResult executeJob(BackupJob& job, const QString& archiverOption, BackupConsole& console,
                     bool parametersShowing, bool askWhenNotDue = false);

// "BKP (nn) não está programado para hoje. Executar assim mesmo?"
QString notDueQuestion(const QString& number);

// The start-up pass: every active job in number order, loaded into `job`, executed, until the
// stop flag is ticked or the program is asked to end between two jobs. The pass and each run
// go to the log. It holds the installation's pass lock, waiting for another pass up to the
// archiver ceiling; a pass that never got the lock counts one failure.
PassResult runAllActiveJobs(BackupJob& job, const QString& archiverOption, BackupConsole& console);

// The console's archiver option (line 11 of its parameter file): "", "-HF2" or "-HF1"; any
// other text there is not used (empty).
QString readArchiverOption(const QString& dataDirectory);
// Line 11 when it holds something else, which the pass then mentions once.
std::optional<QString> ignoredArchiverOption(const QString& dataDirectory);

// What is known of a file before and after a run, to tell whether the run wrote it.
struct FileStamp
{
    qint64 size = 0;
    QDateTime modified;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> fileStamp(const QString& path);
bool writtenBetween(const std::optional<FileStamp>& before, const std::optional<FileStamp>& after);

} // namespace navlor

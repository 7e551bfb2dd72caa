#pragma once

// The start-up pass without any window: the clean-up of the database engine's lock, control
// and temporary files, the network logger, every due backup job with its verdict, the log and
// the exit status. The main window and the headless program run it and show what it says.

#include "backup/backup_job.h"
#include "lib/console_state.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>

#include <functional>
#include <memory>

namespace navlor {

class InterruptDeferral;

// What a client of the pass may add; every member may be left empty.
struct PassHooks
{
    // Called between steps and while a batch runs by a pass run on the caller's thread.
    std::function<void()> keepAlive;
    // The operator's stop between jobs ("Parar BKP Aut"); asked on the pass's thread.
    std::function<bool()> stopRequested;
    // Every file named `name` in `directory` and below, the archiver's last place to be found;
    // by default the file search's own walk.
    std::function<QStringList(const QString& directory, const QString& name)> searchFiles;
};

class BackupPass : public QObject
{
    Q_OBJECT

public:
    explicit BackupPass(ConsoleState state, PassHooks hooks = {}, QObject* parent = nullptr);
    ~BackupPass() override;

    // Runs the pass once. A stop requested when the jobs are about to start skips them and
    // says so through backupSkipped(). `answerBoxesAtOnce`: nobody can see a box (no display),
    // so each is answered at once with its safe answer instead of after its wait.
    void run(bool answerBoxesAtOnce);
    // Runs the pass on a thread of its own and returns at once; finished() follows on this
    // object's thread, after every other signal of the pass. The caller's event loop keeps
    // running meanwhile: the boxes the pass asks for are shown there. The pass must not be
    // destroyed before finished().
    void start(bool answerBoxesAtOnce);
    bool running() const;

    int failedJobs() const { return m_failedJobs; }
    bool interrupted() const { return m_interrupted; }
    // No installation, or no job file at all: whoever watches must not see a green pass.
    bool nothingToDo() const { return m_nothingToDo; }
    // 2 when there was nothing to do, 1 when a job failed or the pass was interrupted, else 0.
    int exitStatus() const;

signals:
    // A line for the message line and the record of the run.
    void message(const QString& text);
    // The visible text of the message line only: progress of a batch, or empty.
    void messageTextChanged(const QString& text);
    // The job the pass works on changed.
    void jobChanged(const BackupJob& job);
    // The stop was requested before the jobs: this one backup is skipped.
    void backupSkipped();
    // A pass started with start() is over.
    void finished();

private:
    class Console;
    void keepAlive() const;
    void deleteLockFiles();
    void deleteNetFileAndStartNetlog();
    void deleteQueryTables();
    void runJobs();

    ConsoleState m_state;
    PassHooks m_hooks;
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<InterruptDeferral> m_deferral;
    int m_failedJobs = 0;
    bool m_interrupted = false;
    bool m_nothingToDo = false;
};

// "00:12 - 1.234 KB": the time a batch has run and how far its archive has grown.
QString batchProgressText(qint64 seconds, const QString& archivePath);

// The wait of a batch that shows its progress: each call runs `keepAlive`, then, once a second,
// gives `show` "Executando BKP (nn) - i de n - " and the progress. `held` lives as long as the
// wait (what a window lets through meanwhile).
std::function<void()> batchProgressWaiter(const QString& number, int index, int count,
                                          const QString& archivePath,
                                          std::function<void()> keepAlive,
                                          std::function<void(const QString&)> show,
                                          std::shared_ptr<void> held = {});

} // namespace navlor

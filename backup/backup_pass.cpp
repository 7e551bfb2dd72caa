#include "backup/backup_pass.h"

#include "backup/backup_log.h"
#include "backup/backup_run.h"
#include "backup/pass_lock.h"
#include "backup/run_report.h"
#include "lib/console_flags.h"
#include "lib/dialogs.h"
#include "lib/file_lists.h"
#include "lib/param_store.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/text_utils.h"

#include <QElapsedTimer>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace navlor {

namespace {

bool jobIsActive(const QString& flagsLine)
{
    return COMPLETA_BRANCOS(flagsLine, kJobFlagsWidth).at(0) == u'S';
}

const QString kNetFile = QStringLiteral("C:\\PDOXUSRS.NET");
const QString kNetlogProgram = QStringLiteral("C:\\NETLOG\\NETLOG.EXE");

} // namespace

QString batchProgressText(qint64 seconds, const QString& archivePath)
{
    // arj builds an updated archive beside the old one, as ARJTEMP.$nn.
    qint64 bytes = 0;
    const QString directory = archivePath.left(archivePath.lastIndexOf(u'\\') + 1);
    for (const QString& pattern : {archivePath, directory + QStringLiteral("ARJTEMP.*")}) {
        for (const DirEntry& entry : platform().findFiles(pattern))
            bytes = std::max(bytes, entry.size);
    }
    return QStringLiteral("%1:%2 - %3 KB")
        .arg(seconds / 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .arg(QLocale(QLocale::Portuguese, QLocale::Brazil).toString((bytes + 1023) / 1024));
}

std::function<void()> batchProgressWaiter(const QString& number, int index, int count,
                                          const QString& archivePath,
                                          std::function<void()> keepAlive,
                                          std::function<void(const QString&)> show,
                                          std::shared_ptr<void> held)
{
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    auto shown = std::make_shared<qint64>(-1);
    const QString position =
        QStringLiteral("Executando BKP (%1) - %2 de %3 - ").arg(number).arg(index).arg(count);
    return [held = std::move(held), elapsed, shown, position, archivePath,
            keepAlive = std::move(keepAlive), show = std::move(show)] {
        if (keepAlive)
            keepAlive();
        const qint64 seconds = elapsed->elapsed() / 1000;
        if (seconds == *shown)
            return;
        *shown = seconds;
        show(position + batchProgressText(seconds, archivePath));
    };
}

// The pass's side of a run: its messages become the pass's signals, and a batch reports its
// progress on the message line.
class BackupPass::Console final : public BackupConsole
{
public:
    explicit Console(BackupPass& pass) : m_pass(pass) {}

    QString dataDirectory() override { return m_pass.m_state.dataDirectory; }
    QString systemDirectory() override { return m_pass.m_state.systemDirectory; }
    QString programPath() override { return m_pass.m_state.programPath; }
    void ADD_MSG(const QString& text) override
    {
        if (text.isEmpty())
            return;
        m_last = text;
        emit m_pass.message(text);
    }
    QString messageText() override { return m_last; }
    bool stopRequested() override
    {
        return m_pass.m_hooks.stopRequested && m_pass.m_hooks.stopRequested();
    }
    QStringList searchFiles(const QString& directory, const QString& name) override
    {
        if (m_pass.m_hooks.searchFiles)
            return m_pass.m_hooks.searchFiles(directory, name);
        return navlor::searchFiles(directory, name);
    }
    void jobChanged(const BackupJob& job) override { emit m_pass.jobChanged(job); }
    void keepAlive() override { m_pass.keepAlive(); }
    void passPosition(int index, int count) override
    {
        m_index = index;
        m_count = count;
    }
    std::function<void()> batchWaiter(const QString& number, const QString& archivePath) override
    {
        BackupPass* pass = &m_pass;
        return batchProgressWaiter(
            number, m_index, m_count, archivePath, [pass] { pass->keepAlive(); },
            [pass](const QString& text) { emit pass->messageTextChanged(text); });
    }

private:
    BackupPass& m_pass;
    QString m_last;
    int m_index = 1;
    int m_count = 1;
};

BackupPass::BackupPass(ConsoleState state, PassHooks hooks, QObject* parent)
    : QObject(parent), m_state(std::move(state)), m_hooks(std::move(hooks))
{
}

BackupPass::~BackupPass()
{
    // Only reached early by a program that ends anyway: the pass ends at its next safe point.
    if (m_thread && m_thread->isRunning()) {
        requestInterrupt();
        m_thread->wait();
    }
}

void BackupPass::start(bool answerBoxesAtOnce)
{
    if (running())
        return;
    // A request to end the program waits for the pass from now on, not only once its thread
    // runs.
    m_deferral = std::make_unique<InterruptDeferral>();
    m_thread.reset(QThread::create([this, answerBoxesAtOnce] { run(answerBoxesAtOnce); }));
    // Queued from the pass's thread, so it comes after every signal the pass sent.
    connect(
        m_thread.get(), &QThread::finished, this,
        [this] {
            m_deferral.reset();
            emit finished();
        },
        Qt::QueuedConnection);
    m_thread->start();
}

bool BackupPass::running() const
{
    return m_thread && !m_thread->isFinished();
}

int BackupPass::exitStatus() const
{
    if (m_nothingToDo)
        return 2;
    return m_failedJobs > 0 || m_interrupted ? 1 : 0;
}

void BackupPass::keepAlive() const
{
    // A pass on its own thread has no window to keep alive.
    if (m_hooks.keepAlive && QThread::currentThread() == thread())
        m_hooks.keepAlive();
}

void BackupPass::run(bool answerBoxesAtOnce)
{
    // A request to end the program during the pass ends it at the next safe point.
    InterruptDeferral running;
    if (!m_state.installationFound()) {
        // Nothing to clean and nothing to copy.
        m_nothingToDo = true;
        return;
    }
    // Nobody may be there to answer: a box closes itself and the pass goes on.
    UnattendedBoxes unattended(kUnattendedBoxSeconds, answerBoxesAtOnce);
    // Another pass (a second log-on, the timer) finishes its clean-up and jobs first.
    const PassLock lock(
        m_state.dataDirectory,
        archiverCeilingSeconds(consoleParamLine(m_state.dataDirectory, kArchiverCeilingLine)),
        [this] { emit message(passLockWaitText()); }, [this] { keepAlive(); });
    if (lock.held()) {
        deleteLockFiles();
        deleteNetFileAndStartNetlog();
        deleteQueryTables();
        platform().clock().sleep(2000);
        runJobs();
    } else {
        const QString text = interruptRequested()
                                 ? QStringLiteral("ERRO - BKP automático interrompido")
                                 : QStringLiteral("ERRO - outra execução do NAVLOR não terminou - "
                                                  "BKP automático não executado");
        emit message(text);
        (void)BackupLog(m_state.dataDirectory).note(text);
        ++m_failedJobs;
    }
    m_interrupted = m_interrupted || interruptRequested();
}

void BackupPass::deleteLockFiles()
{
    const ConsoleFlags flags = ConsoleFlags::forStartup(readConsoleFlags(m_state.dataDirectory));
    emit messageTextChanged(QString());
    keepAlive();
    if (flags.deleteLockFiles) {
        // Lock files a running client holds open stay, but they are counted all the same.
        const int count =
            APAGA_ARQUIVOS(m_state.systemDirectory + QStringLiteral("\\*.LCK"), FileWalk::Tree);
        emit message(QStringLiteral("Deletando arquivos *.LCK = ") + QString::number(count));
    }
    emit messageTextChanged(QString());
    keepAlive();
}

void BackupPass::deleteNetFileAndStartNetlog()
{
    {
        BusyCursor busy;
        keepAlive();
        const ConsoleFlags flags =
            ConsoleFlags::forStartup(readConsoleFlags(m_state.dataDirectory));
        Platform& p = platform();
        if (flags.deleteNetFile && p.fileExists(kNetFile)) {
            emit message(QStringLiteral("Deletando arquivo - ") + kNetFile);
            (void)p.deleteFile(kNetFile); // held open by a client it stays; nothing to say then
        }
        if (flags.startNetlog && p.fileExists(kNetlogProgram))
            EXECUTA_PROGRAMA(kNetlogProgram, QString());
        emit messageTextChanged(QString());
        keepAlive();
    }
    keepAlive();
}

void BackupPass::deleteQueryTables()
{
    const ConsoleFlags flags = ConsoleFlags::forStartup(readConsoleFlags(m_state.dataDirectory));
    emit messageTextChanged(QString());
    keepAlive();
    if (flags.deleteQueryTables) {
        const QString dir = m_state.systemDirectory;
        const int tables = APAGA_ARQUIVOS(dir + QStringLiteral("\\_QSQ*.DB*"), FileWalk::Tree);
        emit message(QStringLiteral("Deletando arquivos _QSQ*.DB* = ") + QString::number(tables));
        const int memos = APAGA_ARQUIVOS(dir + QStringLiteral("\\_QSQ*.MB"), FileWalk::Tree);
        emit message(QStringLiteral("Deletando arquivos _QSQ*.MB = ") + QString::number(memos));
    }
    emit messageTextChanged(QString());
}

void BackupPass::runJobs()
{
    if (m_hooks.stopRequested && m_hooks.stopRequested()) {
        emit backupSkipped();
        return;
    }
    bool anyJob = false;
    for (int number = kFirstJob; number <= kLastJob && !anyJob; ++number)
        anyJob = platform().fileExists(jobParFile(m_state.dataDirectory, number));
    if (!anyJob) {
        const QString text =
            QStringLiteral("ERRO - nenhum BKP configurado em ") + m_state.dataDirectory;
        emit message(text);
        (void)BackupLog(m_state.dataDirectory).note(text);
        m_nothingToDo = true;
        return;
    }
    Console console(*this);
    BackupJob job;
    const PassResult result =
        runAllActiveJobs(job, readArchiverOption(m_state.dataDirectory), console);
    m_failedJobs += result.failed;
    m_interrupted = m_interrupted || result.interrupted;
    keepAlive();
}

PassResult runAllActiveJobs(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    PassResult result;
    if (console.stopRequested())
        return result;
    console.ADD_MSG(QStringLiteral("Verificando BKP Automático"));
    console.keepAlive();
    const QString dataDir = console.dataDirectory();
    logFailureSaid().clear();
    BackupLog log(dataDir);
    // Two passes at once would run each other's batch lines: the second one waits.
    const PassLock lock(
        dataDir, console.archiverCeilingSeconds(), [&] { console.ADD_MSG(passLockWaitText()); },
        [&] { console.keepAlive(); });
    if (!lock.held()) {
        result.interrupted = interruptRequested();
        const QString text =
            result.interrupted
                ? QStringLiteral("ERRO - BKP automático interrompido")
                : QStringLiteral("ERRO - outra execução do NAVLOR não terminou - BKP automático "
                                 "não executado");
        console.ADD_MSG(text);
        (void)logged(log.note(text), console);
        ++result.failed;
        return result;
    }
    (void)logged(log.passStarted(), console);
    if (const std::optional<QString> ignored = ignoredArchiverOption(dataDir)) {
        const QString text =
            QStringLiteral("ATENÇÃO - opção do ARJ inválida na linha 11 de NAV_LOR ignorada: ") +
            *ignored;
        console.ADD_MSG(text);
        (void)logged(log.note(text), console);
    }
    std::vector<int> active;
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDir, number));
        // One that could not be read may be active: its turn reads it again.
        if (!file || jobIsActive((*file)[kJobFlagsLine]))
            active.push_back(number);
    }
    for (size_t index = 0; index < active.size(); ++index) {
        const int number = active[index];
        // The job under way is finished first; the next one does not start.
        if (console.stopRequested() || interruptRequested())
            break;
        // Read again: a job saved meanwhile runs as it now stands.
        const std::optional<ParamFile> file = readParamFile(jobParFile(dataDir, number));
        if (file && !jobIsActive((*file)[kJobFlagsLine]))
            continue;
        console.passPosition(int(index) + 1, int(active.size()));
        job.numberText = jobNumberText(number);
        if (!file || !loadJob(job, dataDir, console.systemDirectory())) {
            // A job that may be active and cannot be read has not run: the pass says so.
            const QString text = QStringLiteral("ERRO - não foi possível ler ") +
                                 jobParFile(dataDir, number) + QStringLiteral(" - BKP (") +
                                 job.numberText + QStringLiteral(") não executado");
            console.ADD_MSG(text);
            (void)logged(log.note(text), console);
            ++result.failed;
            continue;
        }
        console.jobChanged(job);
        const RunResult run = executeJob(job, archiverOption, console, false);
        if (run == RunResult::Recorded)
            ++result.ok;
        else if (runFailed(run))
            ++result.failed;
    }
    console.passPosition(1, 1);
    result.interrupted = interruptRequested();
    if (!logged(log.passEnded(result.ok, result.failed), console) && result.failed == 0)
        ++result.failed; // a pass whose end is not in the log did not end as it says
    return result;
}

QString readArchiverOption(const QString& dataDirectory)
{
    return validArchiverOption(consoleParamLine(dataDirectory, kArjOptionLine)).value_or(QString());
}

std::optional<QString> ignoredArchiverOption(const QString& dataDirectory)
{
    const QString line = consoleParamLine(dataDirectory, kArjOptionLine);
    if (validArchiverOption(line))
        return std::nullopt;
    return line;
}

} // namespace navlor

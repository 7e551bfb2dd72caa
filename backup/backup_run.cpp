#include "backup/backup_run.h"

#include "backup/backup_log.h"
#include "backup/changed_files.h"
#include "backup/database_freeze.h"
#include "backup/destination_leftovers.h"
#include "backup/job_batch_text.h"
#include "backup/job_field_check.h"
#include "backup/pass_lock.h"
#include "backup/schedule.h"
#include "backup/test_restore.h"
#include "lib/console_flags.h"
#include "lib/dates.h"
#include "lib/dialogs.h"
#include "lib/param_store.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/text_utils.h"

#include <algorithm>
#include <vector>

namespace navlor {

namespace {

const QString kArchiverName = QStringLiteral("ARJ.EXE");

// Rounds of two seconds before the operator is asked about a missing destination.
constexpr int kRoundsBeforeAsking = 30;
constexpr int kRoundMilliseconds = 2000;

QString singleBackslashes(const QString& text)
{
    return TROCA_TEXTO(text, QStringLiteral("\\\\"), QStringLiteral("\\"), 0);
}

// Posts a failure and shows the message line in a box, as every failed check does.
void postAndShow(BackupConsole& console, const QString& text)
{
    console.ADD_MSG(text);
    dialogs().message(console.messageText());
}

// The archiver is used from the program's directory; a copy that cannot be made there (a
// read-only program directory) leaves the file found to be used where it is.
QString useFromHome(const QString& found, const QString& home)
{
    Platform& p = platform();
    (void)p.copyFile(found, home);
    return p.fileExists(home) ? home : found;
}

bool checkSource(const BackupJob& job, BackupConsole& console)
{
    if (platform().directoryExists(job.E_ORIGEM))
        return true;
    postAndShow(
        console,
        QStringLiteral("Não foi possivel LOCALIZAR o diretório de Origem - BKP CANCELADO - ") +
            job.E_ORIGEM + QStringLiteral("   - ") + job.E_ITEM);
    return false;
}

bool jobIsActive(const QString& flagsLine)
{
    return COMPLETA_BRANCOS(flagsLine, kJobFlagsWidth).at(0) == u'S';
}

} // namespace

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
    line += job.E_ORIGEM;
    line += QStringLiteral("\" ");
    if (!trimControls(job.E_TIPOARQ).isEmpty())
        line += u' ' + job.E_TIPOARQ;
    line += QStringLiteral(" -U ");
    if (job.CB_SUBDIR)
        line += QStringLiteral("-R ");
    if (!job.E_EXCLUIR.isEmpty())
        line += u' ' + exclusionSwitches(job.E_EXCLUIR);
    if (firebird)
        line += QStringLiteral(" -X*.DELTA");
    return line;
}

QString archiverHomePath(const QString& programPath)
{
    return singleBackslashes(programPath.left(programPath.lastIndexOf(u'\\') + 1) + kArchiverName);
}

QString locateArchiver(BackupConsole& console)
{
    Platform& p = platform();
    const QString home = archiverHomePath(console.programPath());
    // The installation's own copies are brought next to the program.
    const QString dir1 = console.systemDirectory();
    const QStringList installed{
        dir1 + QStringLiteral("\\EXE\\ARJ.EXE"),
        dir1.left(1) + QStringLiteral(":\\VLDRBKP\\ARJ.EXE"),
        dir1 + QStringLiteral("\\VLDRBKP\\ARJ.EXE"),
    };
    if (p.fileExists(home)) {
        // A copy made before the installation's archiver was upgraded would keep running the
        // old one: a newer installed archiver replaces it.
        const std::optional<FileStamp> used = fileStamp(home);
        for (const QString& candidate : installed) {
            const std::optional<FileStamp> offered = fileStamp(candidate);
            if (!offered || !used || *offered == *used || offered->modified <= used->modified)
                continue;
            if (p.deleteFile(home) && !p.copyFile(candidate, home))
                return candidate; // the copy failed: the installed one is used where it is
            break;
        }
        return home;
    }

    QString uncopied;
    for (const QString& candidate : installed) {
        if (p.fileExists(home))
            break;
        if (p.fileExists(candidate)) {
            (void)p.copyFile(candidate, home);
            if (uncopied.isEmpty())
                uncopied = candidate;
        }
    }
    if (p.fileExists(home))
        return home;

    const QStringList system{
        QStringLiteral("C:\\ARJ.EXE"),
        QStringLiteral("C:\\WINDOWS\\ARJ.EXE"),
        QStringLiteral("C:\\WINDOWS\\SYSTEM\\ARJ.EXE"),
    };
    for (const QString& candidate : system) {
        if (p.fileExists(candidate))
            return candidate;
    }
    if (!uncopied.isEmpty())
        return uncopied;

    const QStringList found = console.searchFiles(dir1, kArchiverName);
    console.ADD_MSG(QStringLiteral("Localizando programa ARJ.EXE"));
    processMessages();
    const QString failure =
        QStringLiteral("Não foi possivel LOCALIZAR o programa ARJ.EXE - BKP Diário CANCELADO");
    if (found.isEmpty() || !p.fileExists(found.first())) {
        postAndShow(console, failure);
        return {};
    }
    return useFromHome(found.first(), home);
}

bool checkDestination(const QString& destination, BackupConsole& console)
{
    Platform& p = platform();
    if (!p.directoryExists(destination))
        (void)p.createDirectory(destination);
    int rounds = 0;
    for (;;) {
        processMessages();
        if (p.directoryExists(destination))
            return true;
        if (rounds > kRoundsBeforeAsking) {
            rounds = 0;
            const bool retry = dialogs().confirm(
                QStringLiteral("Não foi possivel CRIAR/GRAVAR no diretório de Destino, ou o "
                               "Terminal da rede não está Conectado - ") +
                    destination + QStringLiteral(" - Tentar novamente ?"),
                QStringLiteral("ERRO NO DIRETÓRIO DE DESTINO"));
            if (!retry) {
                console.ADD_MSG(QStringLiteral("Não foi possivel CRIAR o diretório de Destino - ") +
                                destination);
                return false;
            }
        }
        // Starting a program on the drive wakes a network drive that has gone to sleep.
        (void)p.winExec(destination.left(1) + QStringLiteral(":\\AAAA.EXE"), ShowMode::ShowNormal);
        p.clock().sleep(kRoundMilliseconds);
        ++rounds;
    }
}

std::optional<FileStamp> fileStamp(const QString& path)
{
    for (const DirEntry& entry : platform().findFiles(path)) {
        if (!entry.directory)
            return FileStamp{entry.size, entry.modified};
    }
    return std::nullopt;
}

bool writtenBetween(const std::optional<FileStamp>& before, const std::optional<FileStamp>& after)
{
    return after && (!before || *before != *after);
}

bool runFailed(RunResult result)
{
    return result != RunResult::NotActive && result != RunResult::NotDue &&
           result != RunResult::Recorded;
}

int BackupConsole::archiverCeilingSeconds()
{
    GBF_READ(consoleParamFile(dataDirectory()));
    return navlor::archiverCeilingSeconds(GB_LINHAS[kArchiverCeilingLine]);
}

ArchiveVerdict BackupConsole::verifyArchive(const QString& archiver, const QString& archivePath,
                                            const BackupJob& job, int ceilingSeconds,
                                            bool checkListing,
                                            const std::optional<QList<SelectedFile>>& expected)
{
    return navlor::verifyArchive(archiver, archivePath, job, ceilingSeconds, checkListing,
                                 expected);
}

bool BackupConsole::testRestoreWanted()
{
    GBF_READ(consoleParamFile(dataDirectory()));
    return navlor::testRestoreWanted(GB_LINHAS[kTestRestoreLine]);
}

namespace {

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

// How a run tells what happened: the message line and, past the session, the log.
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
        record(m_log.jobError(m_job.E_ITEM, archivePath, interrupted(reason)));
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
        return kind + QStringLiteral(" - BKP (") + m_job.E_ITEM + QStringLiteral(") - ");
    }
    // Whatever failed once the program was asked to end failed because of it.
    static QString interrupted(const QString& reason)
    {
        return interruptRequested() ? QStringLiteral("interrompido") : reason;
    }

    BackupConsole& m_console;
    const BackupJob& m_job;
    BackupLog m_log;
    bool m_logComplete = true;
};

QString withReason(const QString& path, const QString& reason)
{
    return reason.isEmpty() ? path : path + QStringLiteral(" (") + reason + u')';
}

QStringList pathsOf(const QList<SelectedFile>& files)
{
    QStringList paths;
    for (const SelectedFile& file : files)
        paths << file.path;
    return paths;
}

// The Firebird databases and Paradox tables among `files`.
int databaseCount(const QList<SelectedFile>& files)
{
    int count = 0;
    for (const SelectedFile& file : files) {
        if (file.path.endsWith(QLatin1String(".DB"), Qt::CaseInsensitive) ||
            !firebirdDatabases({file.path}).isEmpty())
            ++count;
    }
    return count;
}

// The databases of a new archive opened again from it; false when one does not open.
bool restoresWhole(const QString& archiver, const QString& archivePath, const BackupJob& job,
                   int ceiling, int expected, BackupConsole& console, RunReport& report)
{
    if (!console.testRestoreWanted())
        return true;
    const TestRestoreOutcome restored =
        testRestore(archiver, archivePath, job.E_DESTINO, job.E_ORIGEM.left(2), ceiling, expected);
    for (const QString& note : restored.notes)
        report.warn(QStringLiteral("banco não verificado: ") + note);
    if (restored.ok)
        return true;
    (void)report.failWith(RunResult::ArchiveNotWritten, archivePath,
                          QStringLiteral("banco restaurado com erros: ") +
                              withReason(restored.file, restored.reason));
    return false;
}

// The generated line run over data that clients keep writing: Firebird databases frozen
// while the archiver runs, files that changed meanwhile archived again, and the archive
// judged against the files as they were archived.
RunResult runGeneratedLine(BackupJob& job, const QList<SelectedFile>& selected,
                           const QString& archiver, const QString& archiverOption,
                           const ArchiveName& archive, const QString& generated, int ceiling,
                           BackupConsole& console, RunReport& report)
{
    const QStringList databases = firebirdDatabases(pathsOf(selected));
    DatabaseFreeze freeze(console.dataDirectory());
    for (const DatabaseFreeze::Failure& failure : freeze.freeze(databases))
        report.warn(QStringLiteral("banco não congelado: ") +
                    withReason(failure.path, failure.reason));
    ChangeWatch watch(selected, freeze.frozen());

    console.jobChanged(job);
    const int code =
        runBatchJudged(generated, ceiling, console.batchWaiter(job.E_ITEM, archive.path));
    const QList<DatabaseFreeze::Failure> unthawed = freeze.thaw();
    if (code == kRunTimedOut)
        return report.failWith(RunResult::ArchiveNotWritten, archive.path,
                               QStringLiteral("tempo máximo do arquivador esgotado (") +
                                   QString::number(ceiling / 60) + QStringLiteral(" min)"));
    if (!unthawed.isEmpty())
        return report.failWith(RunResult::ArchiveNotWritten, archive.path,
                               QStringLiteral("banco não descongelado: ") +
                                   withReason(unthawed.first().path, unthawed.first().reason));

    Platform& p = platform();
    if (p.fileExists(archive.path)) {
        QByteArray output;
        const RearchiveOutcome again =
            archiveChangedAgain(watch, selected, [&](const QStringList& files) {
                output.clear();
                return p.runBounded(
                    rearchiveCommandLine(archiver, archiverOption, archive.path, files),
                    ShowMode::Hide,
                    {ceiling, &output, {}, console.batchWaiter(job.E_ITEM, archive.path)});
            });
        if (!again.stillChanging.isEmpty())
            return report.failWith(RunResult::ArchiveNotWritten, archive.path,
                                   QStringLiteral("arquivo alterado durante o BKP: ") +
                                       again.stillChanging);
        if (!again.ok)
            return report.notWritten(archive.path, again.failure);
    }
    // The archiver's exit code says nothing dependable; the archive itself does.
    const ArchiveVerdict verdict =
        console.verifyArchive(archiver, archive.path, job, ceiling, true, watch.asKept());
    if (!verdict.ok)
        return report.notWritten(archive.path, verdict.reason);
    // A job that selects no database has none to open again; its memo and index files alone
    // would only be extracted for nothing.
    const int opened = databaseCount(watch.asKept());
    if (opened > 0 && !restoresWhole(archiver, archive.path, job, ceiling, opened, console, report))
        return RunResult::ArchiveNotWritten;
    return RunResult::Recorded;
}

// The job's own batch does what it likes; it answers for itself with its exit code, and for
// the job's archive when it wrote it.
RunResult runOwnBatch(BackupJob& job, int number, const QString& archiver,
                      const ArchiveName& archive, int ceiling, BackupConsole& console,
                      RunReport& report)
{
    const QString dataDir = console.dataDirectory();
    job.Memo1.clear();
    if (const std::optional<QString> text = readJobBatch(dataDir, number))
        job.Memo1 = *text;
    console.jobChanged(job);
    const std::optional<FileStamp> before = fileStamp(archive.path);
    const int code = runBatchJudged(jobBatFile(dataDir, number), ceiling,
                                    console.batchWaiter(job.E_ITEM, archive.path));
    if (code == kRunTimedOut)
        return report.failWith(RunResult::BatchFailed, archive.path,
                               QStringLiteral("tempo máximo do arquivador esgotado (") +
                                   QString::number(ceiling / 60) + QStringLiteral(" min)"));
    if (code != 0)
        return report.failWith(RunResult::BatchFailed, archive.path,
                               QStringLiteral("o BAT do BKP terminou com erro (código ") +
                                   QString::number(code) + u')');
    if (writtenBetween(before, fileStamp(archive.path))) {
        const ArchiveVerdict verdict =
            console.verifyArchive(archiver, archive.path, job, ceiling, false, std::nullopt);
        if (!verdict.ok)
            return report.notWritten(archive.path, verdict.reason);
        if (!restoresWhole(archiver, archive.path, job, ceiling, 0, console, report))
            return RunResult::ArchiveNotWritten;
    }
    return RunResult::Recorded;
}

} // namespace

QStringList thawLeftoverDatabases(const QString& dataDirectory)
{
    const QStringList lines = thawLeftovers(dataDirectory);
    BackupLog log(dataDirectory);
    for (const QString& line : lines)
        (void)log.note(line);
    return lines;
}

RunResult runJob(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return RunResult::NotActive;
    const QString dataDir = console.dataDirectory();
    const int ceiling = console.archiverCeilingSeconds();
    RunReport report(console, job);
    for (const QString& line : thawLeftoverDatabases(dataDir))
        console.ADD_MSG(line);

    // Nothing of a job whose fields would be read as commands is touched or run.
    if (const std::optional<FieldFault> fault = commandSyntaxIn(job))
        return report.failWith(RunResult::FieldRefused, {}, fieldFaultReason(*fault));
    const QString archiver = locateArchiver(console);
    if (archiver.isEmpty())
        return report.fail(RunResult::ArchiverMissing, {}, console.messageText());
    if (!checkDestination(job.E_DESTINO, console))
        return report.fail(RunResult::DestinationGivenUp, {}, console.messageText());
    if (!checkSource(job, console))
        return report.fail(RunResult::SourceMissing, {}, console.messageText());
    // What a killed archiver left before this process held the lock is nobody's now.
    const QDateTime lockedAt = PassLock::heldSince().value_or(now());
    for (const QString& leftover : removeArchiverLeftovers(job.E_DESTINO, lockedAt))
        console.ADD_MSG(QStringLiteral("Removido arquivo temporário abandonado - ") + leftover);

    const ArchiveName archive = archiveName(job.E_PERIODO, today(), job.E_DESTINO, job.E_NOMEARQ);
    console.ADD_MSG(QStringLiteral("Executando BKP (") + job.E_ITEM + QStringLiteral(") - ") +
                    archive.suffix + QStringLiteral(" - ") + job.E_TITULO);

    const QList<SelectedFile> selected =
        job.CB_BATEXECUTE ? QList<SelectedFile>() : filesSelectedBy(job, archive.path);
    const bool firebird = !firebirdDatabases(pathsOf(selected)).isEmpty();
    job.Memo1 = backupCommandLine(archiver, archiverOption, archive.path, job, firebird);

    Platform& p = platform();
    // Another user's link where the archive goes would have the archiver merge, or write,
    // a file nobody meant; it goes, and the job stops when it cannot.
    const QString generated = pathInDirectory(job.E_DESTINO, QStringLiteral("BKPA.BAT"));
    for (const QString& path : {archive.path, generated}) {
        if (!p.isLink(path))
            continue;
        if (!p.removeLink(path))
            return report.failWith(RunResult::BatchNotWritten, archive.path,
                                   QStringLiteral("link não removido: ") + path);
        report.warn(QStringLiteral("link removido: ") + path);
    }
    if (job.E_OPCOES.startsWith(u'1') && p.fileExists(archive.path))
        (void)p.deleteFile(archive.path); // one that stays is judged by the verdict

    // Only the line just composed may run: a BKPA.BAT that cannot be replaced (read-only,
    // held open) could hold any command.
    if ((p.fileExists(generated) && !p.deleteFile(generated)) ||
        !p.writeFile(generated, batchFileBytes(job.Memo1)))
        return report.failWith(RunResult::BatchNotWritten, archive.path,
                               QStringLiteral("não foi possível gravar ") + generated);

    const RunResult result =
        job.CB_BATEXECUTE ? runOwnBatch(job, *number, archiver, archive, ceiling, console, report)
                          : runGeneratedLine(job, selected, archiver, archiverOption, archive,
                                             generated, ceiling, console, report);
    if (result != RunResult::Recorded)
        return result;

    // A run that cannot be stamped would run again and again, unseen: it fails.
    if (!recordRun(job, dataDir, archive.path))
        return report.failWith(RunResult::NotStamped, archive.path,
                               QStringLiteral("não foi possível gravar a data da execução em ") +
                                   jobParFile(dataDir, *number));
    console.ADD_MSG(QStringLiteral("BKP Concluído (") + job.E_ITEM + u')');
    report.record(report.log().jobOk(job.E_ITEM, archive.path));
    console.jobChanged(job);
    // Nobody can see afterwards what the log does not hold.
    return report.logComplete() ? RunResult::Recorded : RunResult::NotLogged;
}

RunResult executeJob(BackupJob& job, const QString& archiverOption, BackupConsole& console,
                     bool parametersShowing)
{
    if (!job.CB_ATIVAR) {
        if (parametersShowing)
            dialogs().message(QStringLiteral("O BKP Atual não está ativo"));
        return RunResult::NotActive;
    }
    if (!isDue(job.E_PERIODO, today(), job.E_ULTIMATU))
        return RunResult::NotDue;
    if (parametersShowing)
        logFailureSaid().clear(); // a run of its own
    if (lastRunInFuture(job.E_ULTIMATU, today())) {
        const QString text = QStringLiteral("ATENÇÃO - BKP (") + job.E_ITEM +
                             QStringLiteral(") - data da última execução no futuro");
        console.ADD_MSG(text);
        (void)logged(BackupLog(console.dataDirectory()).note(text), console);
    }
    return runJob(job, archiverOption, console);
}

PassResult runAllActiveJobs(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    PassResult result;
    if (console.stopRequested())
        return result;
    console.ADD_MSG(QStringLiteral("Verificando BKP Automático"));
    processMessages();
    const QString dataDir = console.dataDirectory();
    logFailureSaid().clear();
    BackupLog log(dataDir);
    // Two passes at once would run each other's batch lines: the second one waits.
    const PassLock lock(
        dataDir, console.archiverCeilingSeconds(), [&] { console.ADD_MSG(passLockWaitText()); },
        [] { processMessages(); });
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
        GBF_READ(jobParFile(dataDir, number));
        if (jobIsActive(GB_LINHAS[kJobFlagsLine]))
            active.push_back(number);
    }
    for (size_t index = 0; index < active.size(); ++index) {
        const int number = active[index];
        // The job under way is finished first; the next one does not start.
        if (console.stopRequested() || interruptRequested())
            break;
        // Read again: a job saved meanwhile runs as it now stands.
        GBF_READ(jobParFile(dataDir, number));
        if (!jobIsActive(GB_LINHAS[kJobFlagsLine]))
            continue;
        console.passPosition(int(index) + 1, int(active.size()));
        job.E_ITEM = jobNumberText(number);
        loadJob(job, dataDir, console.systemDirectory());
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
    GBF_READ(consoleParamFile(dataDirectory));
    return validArchiverOption(GB_LINHAS[kArjOptionLine]).value_or(QString());
}

std::optional<QString> ignoredArchiverOption(const QString& dataDirectory)
{
    GBF_READ(consoleParamFile(dataDirectory));
    const QString line = GB_LINHAS[kArjOptionLine];
    if (validArchiverOption(line))
        return std::nullopt;
    return line;
}

} // namespace navlor

#include "backup/backup_run.h"

#include "backup/backup_log.h"
#include "backup/changed_files.h"
#include "backup/database_freeze.h"
#include "backup/destination_leftovers.h"
#include "backup/job_batch_text.h"
#include "backup/job_field_check.h"
#include "backup/pass_lock.h"
#include "backup/run_report.h"
#include "backup/schedule.h"
#include "backup/test_restore.h"
#include "lib/console_flags.h"
#include "lib/dates.h"
#include "lib/dialogs.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/text_utils.h"

namespace navlor {

bool runFailed(RunResult result)
{
    return result != RunResult::NotActive && result != RunResult::NotDue &&
           result != RunResult::Recorded;
}

int BackupConsole::archiverCeilingSeconds()
{
    return navlor::archiverCeilingSeconds(consoleParamLine(dataDirectory(), kArchiverCeilingLine));
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
    return navlor::testRestoreWanted(consoleParamLine(dataDirectory(), kTestRestoreLine));
}

namespace {

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
        testRestore(archiver, archivePath, job.destination, job.source.left(2), ceiling, expected);
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
        runBatchJudged(generated, ceiling, console.batchWaiter(job.numberText, archive.path));
    const QList<DatabaseFreeze::Failure> unthawed = freeze.thaw();
    if (cancelRequested())
        return report.cancelled(archive.path);
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
                    {ceiling, &output, {}, console.batchWaiter(job.numberText, archive.path)});
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
    job.batchText.clear();
    if (const std::optional<QString> text = readJobBatch(dataDir, number))
        job.batchText = *text;
    console.jobChanged(job);
    const std::optional<FileStamp> before = fileStamp(archive.path);
    const int code = runBatchJudged(jobBatFile(dataDir, number), ceiling,
                                    console.batchWaiter(job.numberText, archive.path));
    if (cancelRequested())
        return report.cancelled(archive.path);
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
    const std::optional<int> number = jobNumber(job.numberText);
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
    if (!checkDestination(job.destination, console))
        return cancelRequested()
                   ? report.cancelled({})
                   : report.fail(RunResult::DestinationGivenUp, {}, console.messageText());
    if (!checkSource(job, console))
        return report.fail(RunResult::SourceMissing, {}, console.messageText());
    // What a killed archiver left before this process held the lock is nobody's now.
    const QDateTime lockedAt = PassLock::heldSince().value_or(now());
    for (const QString& leftover : removeArchiverLeftovers(job.destination, lockedAt))
        console.ADD_MSG(QStringLiteral("Removido arquivo temporário abandonado - ") + leftover);

    const ArchiveName archive =
        archiveName(job.period, today(), job.destination, job.archiveBaseName);
    console.ADD_MSG(QStringLiteral("Executando BKP (") + job.numberText + QStringLiteral(") - ") +
                    archive.suffix + QStringLiteral(" - ") + job.title);

    const QList<SelectedFile> selected =
        job.runsOwnBatch ? QList<SelectedFile>() : filesSelectedBy(job, archive.path);
    const bool firebird = !firebirdDatabases(pathsOf(selected)).isEmpty();
    job.batchText = backupCommandLine(archiver, archiverOption, archive.path, job, firebird);

    Platform& p = platform();
    // Another user's link where the archive goes would have the archiver merge, or write,
    // a file nobody meant; it goes, and the job stops when it cannot.
    const QString generated = pathInDirectory(job.destination, QStringLiteral("BKPA.BAT"));
    for (const QString& path : {archive.path, generated}) {
        if (!p.isLink(path))
            continue;
        if (!p.removeLink(path))
            return report.failWith(RunResult::BatchNotWritten, archive.path,
                                   QStringLiteral("link não removido: ") + path);
        report.warn(QStringLiteral("link removido: ") + path);
    }
    if (job.optionItem.startsWith(u'1') && p.fileExists(archive.path))
        (void)p.deleteFile(archive.path); // one that stays is judged by the verdict

    // Only the line just composed may run: a BKPA.BAT that cannot be replaced (read-only,
    // held open) could hold any command.
    if ((p.fileExists(generated) && !p.deleteFile(generated)) ||
        !p.writeFile(generated, batchFileBytes(job.batchText)))
        return report.failWith(RunResult::BatchNotWritten, archive.path,
                               QStringLiteral("não foi possível gravar ") + generated);

    const RunResult result =
        job.runsOwnBatch ? runOwnBatch(job, *number, archiver, archive, ceiling, console, report)
                         : runGeneratedLine(job, selected, archiver, archiverOption, archive,
                                            generated, ceiling, console, report);
    // A stage the operator cancelled has said so already.
    if (result != RunResult::Recorded)
        return cancelRequested() ? RunResult::Cancelled : result;
    if (cancelRequested())
        return report.cancelled(archive.path);

    // A run that cannot be stamped would run again and again, unseen: it fails.
    if (!recordRun(job, dataDir, archive.path))
        return report.failWith(RunResult::NotStamped, archive.path,
                               QStringLiteral("não foi possível gravar a data da execução em ") +
                                   jobParFile(dataDir, *number));
    console.ADD_MSG(QStringLiteral("BKP Concluído (") + job.numberText + u')');
    report.record(report.log().jobOk(job.numberText, archive.path));
    console.jobChanged(job);
    // Nobody can see afterwards what the log does not hold.
    return report.logComplete() ? RunResult::Recorded : RunResult::NotLogged;
}

QString notDueQuestion(const QString& number)
{
    return QStringLiteral("BKP (") + number +
           QStringLiteral(") não está programado para hoje. Executar assim mesmo?");
}

RunResult executeJob(BackupJob& job, const QString& archiverOption, BackupConsole& console,
                     bool parametersShowing, bool askWhenNotDue)
{
    if (!job.active) {
        if (parametersShowing)
            dialogs().message(QStringLiteral("O BKP Atual não está ativo"));
        return RunResult::NotActive;
    }
    if (!isDue(job.period, today(), job.lastRunDate) &&
        !(askWhenNotDue && dialogs().confirm(notDueQuestion(job.numberText))))
        return RunResult::NotDue;
    if (parametersShowing)
        logFailureSaid().clear(); // a run of its own
    if (lastRunInFuture(job.lastRunDate, today())) {
        const QString text = QStringLiteral("ATENÇÃO - BKP (") + job.numberText +
                             QStringLiteral(") - data da última execução no futuro");
        console.ADD_MSG(text);
        (void)logged(BackupLog(console.dataDirectory()).note(text), console);
    }
    return runJob(job, archiverOption, console);
}

} // namespace navlor

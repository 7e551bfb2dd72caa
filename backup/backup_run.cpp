#include "backup/backup_run.h"

#include "backup/backup_log.h"
#include "backup/job_batch_text.h"
#include "backup/job_field_check.h"
#include "backup/schedule.h"
#include "lib/console_flags.h"
#include "lib/dates.h"
#include "lib/dialogs.h"
#include "lib/param_store.h"
#include "lib/platform/clock.h"
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

QString backupCommandLine(const QString& archiver, const QString& option,
                          const QString& archivePath, const BackupJob& job)
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
                                            bool checkListing)
{
    return navlor::verifyArchive(archiver, archivePath, job, ceilingSeconds, checkListing);
}

RunResult runJob(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return RunResult::NotActive;
    const QString dataDir = console.dataDirectory();
    const int ceiling = console.archiverCeilingSeconds();
    BackupLog log(dataDir);
    // Every failure is on the message line already; the log keeps it past the session.
    auto fail = [&](RunResult result, const QString& archivePath, const QString& reason) {
        (void)log.jobError(job.E_ITEM, archivePath, reason);
        return result;
    };
    auto failWith = [&](RunResult result, const QString& archivePath, const QString& text) {
        console.ADD_MSG(QStringLiteral("ERRO - BKP (") + job.E_ITEM + QStringLiteral(") - ") +
                        text);
        return fail(result, archivePath, text);
    };
    // The precise reason first; the line ends on the archive that is not there.
    auto notWritten = [&](const QString& archivePath, const QString& reason) {
        console.ADD_MSG(QStringLiteral("ERRO - BKP (") + job.E_ITEM + QStringLiteral(") - ") +
                        reason);
        console.ADD_MSG(QStringLiteral("ERRO - ARQUIVO DE BKP NÃO GERADO - ") + archivePath);
        return fail(RunResult::ArchiveNotWritten, archivePath, reason);
    };
    const QString timedOut = QStringLiteral("tempo máximo do arquivador esgotado (") +
                             QString::number(ceiling / 60) + QStringLiteral(" min)");

    // Nothing of a job whose fields would be read as commands is touched or run.
    if (const std::optional<FieldFault> fault = commandSyntaxIn(job))
        return failWith(RunResult::FieldRefused, {}, fieldFaultReason(*fault));
    const QString archiver = locateArchiver(console);
    if (archiver.isEmpty())
        return fail(RunResult::ArchiverMissing, {}, console.messageText());
    if (!checkDestination(job.E_DESTINO, console))
        return fail(RunResult::DestinationGivenUp, {}, console.messageText());
    if (!checkSource(job, console))
        return fail(RunResult::SourceMissing, {}, console.messageText());

    const ArchiveName archive = archiveName(job.E_PERIODO, today(), job.E_DESTINO, job.E_NOMEARQ);
    console.ADD_MSG(QStringLiteral("Executando BKP (") + job.E_ITEM + QStringLiteral(") - ") +
                    archive.suffix + QStringLiteral(" - ") + job.E_TITULO);

    job.Memo1 = backupCommandLine(archiver, archiverOption, archive.path, job);

    Platform& p = platform();
    if (job.E_OPCOES.startsWith(u'1') && p.fileExists(archive.path))
        (void)p.deleteFile(archive.path); // one that stays is judged by the verdict

    // Only the line just composed may run: a BKPA.BAT that cannot be replaced (read-only,
    // held open) could hold any command.
    const QString generated = pathInDirectory(job.E_DESTINO, QStringLiteral("BKPA.BAT"));
    if ((p.fileExists(generated) && !p.deleteFile(generated)) ||
        !p.writeFile(generated, batchFileBytes(job.Memo1)))
        return failWith(RunResult::BatchNotWritten, archive.path,
                        QStringLiteral("não foi possível gravar ") + generated);

    if (job.CB_BATEXECUTE) {
        job.Memo1.clear();
        if (const std::optional<QString> text = readJobBatch(dataDir, *number))
            job.Memo1 = *text;
        console.jobChanged(job);
        const std::optional<FileStamp> before = fileStamp(archive.path);
        // The job's own batch does what it likes; it answers for itself with its exit code.
        const int code = runBatchJudged(jobBatFile(dataDir, *number), ceiling,
                                        console.batchWaiter(job.E_ITEM, archive.path));
        if (code == kRunTimedOut)
            return failWith(RunResult::BatchFailed, archive.path, timedOut);
        if (code != 0)
            return failWith(RunResult::BatchFailed, archive.path,
                            QStringLiteral("o BAT do BKP terminou com erro (código ") +
                                QString::number(code) + u')');
        // Where it wrote the archive of the run, that archive must read back whole.
        if (writtenBetween(before, fileStamp(archive.path))) {
            const ArchiveVerdict verdict =
                console.verifyArchive(archiver, archive.path, job, ceiling, false);
            if (!verdict.ok)
                return notWritten(archive.path, verdict.reason);
        }
    } else {
        console.jobChanged(job);
        const int code =
            runBatchJudged(generated, ceiling, console.batchWaiter(job.E_ITEM, archive.path));
        if (code == kRunTimedOut)
            return failWith(RunResult::ArchiveNotWritten, archive.path, timedOut);
        // The archiver's exit code says nothing dependable; the archive itself does.
        const ArchiveVerdict verdict =
            console.verifyArchive(archiver, archive.path, job, ceiling, true);
        if (!verdict.ok)
            return notWritten(archive.path, verdict.reason);
    }

    console.ADD_MSG(QStringLiteral("BKP Concluído (") + job.E_ITEM + u')');
    recordRun(job, dataDir, archive.path);
    (void)log.jobOk(job.E_ITEM, archive.path);
    console.jobChanged(job);
    return RunResult::Recorded;
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
    BackupLog log(dataDir);
    (void)log.passStarted();
    if (const std::optional<QString> ignored = ignoredArchiverOption(dataDir)) {
        const QString text =
            QStringLiteral("ATENÇÃO - opção do ARJ inválida na linha 11 de NAV_LOR ignorada: ") +
            *ignored;
        console.ADD_MSG(text);
        (void)log.note(text);
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
        if (console.stopRequested())
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
    (void)log.passEnded(result.ok, result.failed);
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

#include "backup/backup_run.h"

#include "app/console_flags.h"
#include "backup/job_batch_text.h"
#include "backup/schedule.h"
#include "lib/dates.h"
#include "lib/dialogs.h"
#include "lib/param_store.h"
#include "lib/platform/clock.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"
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
    p.copyFile(found, home);
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

QString joinDirectory(const QString& directory, const QString& name)
{
    return directory.endsWith(u'\\') ? directory + name : directory + u'\\' + name;
}

QStringList blankSeparated(const QString& text)
{
    return trimControls(text).split(u' ', Qt::SkipEmptyParts);
}

// The masks of one directory, as the archiver line names them: a mask with a directory of
// its own ("SUB\*.DB", "E:\OUTRO\*.DB") looks there, a bare one in the source.
struct MaskGroup
{
    QString directory;
    std::vector<WildcardMask> masks;
};

std::vector<MaskGroup> maskGroups(const BackupJob& job)
{
    QStringList masks = blankSeparated(job.E_TIPOARQ);
    if (masks.isEmpty())
        masks << QStringLiteral("*.*"); // a bare source directory gives every file
    std::vector<MaskGroup> groups;
    for (const QString& given : masks) {
        const QString mask = QString(given).replace(u'/', u'\\');
        const qsizetype cut = mask.lastIndexOf(u'\\');
        QString directory = job.E_ORIGEM;
        if (cut >= 0) {
            const QString own = mask.left(cut);
            directory = own.size() >= 2 && own.at(1) == u':' ? own : joinDirectory(directory, own);
        }
        auto group = std::find_if(groups.begin(), groups.end(), [&](const MaskGroup& g) {
            return g.directory.compare(directory, Qt::CaseInsensitive) == 0;
        });
        if (group == groups.end())
            group = groups.insert(groups.end(), MaskGroup{directory, {}});
        group->masks.emplace_back(mask.mid(cut + 1));
    }
    return groups;
}

// True when a file the job's archiver line selects was changed after `time`. "-U" leaves an
// archive untouched when every selected file is older than what it holds; then the archive
// is complete only if no selected file is newer than the archive itself. Hidden and system
// entries are passed over and links to directories never followed, as the archiver does.
// Exclusions that name a directory are not applied: a file they leave out may only make the
// run look not done, never done.
bool selectedFileChangedAfter(const BackupJob& job, const QDateTime& time)
{
    std::vector<WildcardMask> exclusions;
    for (const QString& mask : blankSeparated(job.E_EXCLUIR)) {
        if (!mask.contains(u'\\') && !mask.contains(u'/') && !mask.contains(u':'))
            exclusions.emplace_back(mask);
    }
    auto excluded = [&](const QString& name) {
        return std::any_of(exclusions.begin(), exclusions.end(),
                           [&](const WildcardMask& m) { return m.matches(name); });
    };

    Platform& p = platform();
    for (const MaskGroup& group : maskGroups(job)) {
        std::vector<QString> pending{group.directory};
        while (!pending.empty()) {
            const QString directory = std::move(pending.back());
            pending.pop_back();
            for (const DirEntry& e : p.findFiles(joinDirectory(directory, QStringLiteral("*.*")))) {
                if (e.hidden || e.system)
                    continue;
                if (e.directory) {
                    if (job.CB_SUBDIR)
                        pending.push_back(joinDirectory(directory, e.name));
                    continue;
                }
                const bool selected =
                    std::any_of(group.masks.begin(), group.masks.end(),
                                [&](const WildcardMask& m) { return m.matches(e.name); });
                if (selected && !excluded(e.name) && e.modified > time)
                    return true;
            }
        }
    }
    return false;
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
    if (p.fileExists(home))
        return home;

    // The installation's own copies are brought next to the program.
    const QString dir1 = console.systemDirectory();
    const QStringList installed{
        dir1 + QStringLiteral("\\EXE\\ARJ.EXE"),
        dir1.left(1) + QStringLiteral(":\\VLDRBKP\\ARJ.EXE"),
        dir1 + QStringLiteral("\\VLDRBKP\\ARJ.EXE"),
    };
    QString uncopied;
    for (const QString& candidate : installed) {
        if (p.fileExists(home))
            break;
        if (p.fileExists(candidate)) {
            p.copyFile(candidate, home);
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
        p.createDirectory(destination);
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
        p.winExec(destination.left(1) + QStringLiteral(":\\AAAA.EXE"), SW_SHOWNORMAL);
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

bool archiveComplete(const BackupJob& job, const std::optional<FileStamp>& before,
                     const std::optional<FileStamp>& after)
{
    if (writtenBetween(before, after))
        return true;
    // Left as it was: nothing to update is a finished backup, a newer file left out is not.
    return after && !selectedFileChangedAfter(job, after->modified);
}

RunResult runJob(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    const std::optional<int> number = jobNumber(job.E_ITEM);
    if (!number)
        return RunResult::NotActive;
    const QString dataDir = console.dataDirectory();

    const QString archiver = locateArchiver(console);
    if (archiver.isEmpty())
        return RunResult::ArchiverMissing;
    if (!checkDestination(job.E_DESTINO, console))
        return RunResult::DestinationGivenUp;
    if (!checkSource(job, console))
        return RunResult::SourceMissing;

    const ArchiveName archive = archiveName(job.E_PERIODO, today(), job.E_DESTINO, job.E_NOMEARQ);
    console.ADD_MSG(QStringLiteral("Executando BKP (") + job.E_ITEM + QStringLiteral(") - ") +
                    archive.suffix + QStringLiteral(" - ") + job.E_TITULO);

    job.Memo1 = backupCommandLine(archiver, archiverOption, archive.path, job);

    Platform& p = platform();
    if (job.E_OPCOES.startsWith(u'1') && p.fileExists(archive.path))
        p.deleteFile(archive.path);

    const QString generated = job.E_DESTINO + QStringLiteral("\\BKPA.BAT");
    if (p.fileExists(generated))
        p.deleteFile(generated);
    p.writeFile(generated, batchFileBytes(job.Memo1));

    if (job.CB_BATEXECUTE) {
        // The job's own batch does what it likes; only the generated one is judged by its file.
        job.Memo1.clear();
        if (const std::optional<QString> text = readJobBatch(dataDir, *number))
            job.Memo1 = *text;
        console.jobChanged(job);
        EXECUTA_BAT(jobBatFile(dataDir, *number), SW_SHOWNORMAL, QStringLiteral("S"));
    } else {
        console.jobChanged(job);
        const std::optional<FileStamp> before = fileStamp(archive.path);
        EXECUTA_BAT(generated, SW_SHOWNORMAL, QStringLiteral("S"));
        // The archiver's exit code says nothing dependable; the archive itself does.
        if (!archiveComplete(job, before, fileStamp(archive.path))) {
            console.ADD_MSG(QStringLiteral("ERRO - ARQUIVO DE BKP NÃO GERADO - ") + archive.path);
            return RunResult::ArchiveNotWritten;
        }
    }

    console.ADD_MSG(QStringLiteral("BKP Concluído (") + job.E_ITEM + u')');
    recordRun(job, dataDir, archive.path);
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

void runAllActiveJobs(BackupJob& job, const QString& archiverOption, BackupConsole& console)
{
    if (console.stopRequested())
        return;
    console.ADD_MSG(QStringLiteral("Verificando BKP Automático"));
    processMessages();
    const QString dataDir = console.dataDirectory();
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        // The job under way is finished first; the next one does not start.
        if (console.stopRequested())
            break;
        GBF_READ(jobParFile(dataDir, number));
        if (!jobIsActive(GB_LINHAS[kJobFlagsLine]))
            continue;
        job.E_ITEM = jobNumberText(number);
        loadJob(job, dataDir, console.systemDirectory());
        console.jobChanged(job);
        executeJob(job, archiverOption, console, false);
    }
}

QString readArchiverOption(const QString& dataDirectory)
{
    GBF_READ(consoleParamFile(dataDirectory));
    return GB_LINHAS[kArjOptionLine];
}

} // namespace navlor

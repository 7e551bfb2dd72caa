#include "backup/backup_run.h"

#include "lib/archiver_location.h"
#include "lib/dialogs.h"
#include "lib/platform/clock.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "lib/text_utils.h"

namespace navlor {

namespace {

const QString kArchiverName = QStringLiteral("ARJ.EXE");

// Rounds of two seconds before the operator is asked about a missing destination.
constexpr int kRoundsBeforeAsking = 30;
constexpr int kRoundMilliseconds = 2000;

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

} // namespace

bool checkSource(const BackupJob& job, BackupConsole& console)
{
    if (platform().directoryExists(job.source))
        return true;
    postAndShow(
        console,
        QStringLiteral("Não foi possivel LOCALIZAR o diretório de Origem - BKP CANCELADO - ") +
            job.source + QStringLiteral("   - ") + job.numberText);
    return false;
}

QString locateArchiver(BackupConsole& console)
{
    Platform& p = platform();
    const QString home = archiverBesideProgram(console.programPath());
    // The installation's own copies are brought next to the program.
    const QString dir1 = console.systemDirectory();
    const QStringList installed =
        archiverCandidates(ArchiverSearch::BackupInstalled, {dir1, QString()});
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

    if (const QString system = findArchiver(ArchiverSearch::BackupSystem, {}); !system.isEmpty())
        return system;
    if (!uncopied.isEmpty())
        return uncopied;

    const QStringList found = console.searchFiles(dir1, kArchiverName);
    console.ADD_MSG(QStringLiteral("Localizando programa ARJ.EXE"));
    console.keepAlive();
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
        console.keepAlive();
        if (p.directoryExists(destination))
            return true;
        if (cancelRequested())
            return false;
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

} // namespace navlor

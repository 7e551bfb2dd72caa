// The "A" and "M" commands: the files selected, stored by drive under the spelling the archive
// already holds them in, arj writing in a private directory beside the archive, and for "M"
// the sources removed once the archive that holds them is in place.

#include "compat/arj/arj_tool.h"

#include "compat/arj/add_masks.h"
#include "compat/arj/archive_workspace.h"
#include "compat/arj/arj_names.h"
#include "compat/arj/arj_tool_helpers.h"
#include "compat/arj/end_signals.h"
#include "compat/arj/host_arj.h"
#include "compat/arj/output_route.h"
#include "compat/arj/stored_names.h"
#include "lib/platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

#include <sys/stat.h>

namespace navlor::arj {

// A member of AddRun, so not file-local.
struct MovedFileState
{
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds
};

namespace {

using FileState = MovedFileState;

FileState stateOf(const QString& hostPath)
{
    struct stat st;
    if (::stat(QFile::encodeName(hostPath).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return {static_cast<qint64>(st.st_size),
            static_cast<qint64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// The spelling the archive holds each selected file's name in, where it holds it only in
// another case: Windows finds a file by any case of its name, so ARJ there replaces that
// entry instead of storing a second one beside it. By host path. A name the selection holds
// in more than one case, as only a case-sensitive host can, is left as it is.
QHash<QString, QByteArray> otherCaseSpellings(const QList<SelectedFile>& files,
                                              const QList<ArchiveEntry>& entries)
{
    QSet<QByteArray> exact;
    QHash<QString, QByteArray> byFolded;
    for (const ArchiveEntry& entry : entries) {
        exact.insert(entry.stored);
        const QString name = QFile::decodeName(entry.stored);
        // Only a plain relative path: it names the link made for it.
        const std::optional<QStringList> parts = safeStoredPath(name);
        const QString folded = name.toCaseFolded();
        if (parts && parts->join(u'/') == name && QFile::encodeName(name) == entry.stored &&
            !byFolded.contains(folded))
            byFolded.insert(folded, entry.stored);
    }
    QHash<QString, int> selected;
    for (const SelectedFile& file : files)
        ++selected[QFile::decodeName(file.stored).toCaseFolded()];
    QHash<QString, QByteArray> spellings;
    for (const SelectedFile& file : files) {
        const QString folded = QFile::decodeName(file.stored).toCaseFolded();
        if (exact.contains(file.stored) || selected.value(folded) != 1)
            continue;
        const auto it = byFolded.constFind(folded);
        if (it != byFolded.constEnd())
            spellings.insert(file.hostPath, *it);
    }
    return spellings;
}

} // namespace

struct ArjTool::AddRun
{
    AddRun(const CommandLine& line, const Archive& archive, Archive work)
        : line(line), archive(archive), work(std::move(work))
    {
    }

    const CommandLine& line;
    const Archive& archive;
    const Archive work; // the one arj writes, in the workspace, under the same Windows name
    QHash<QString, FileState> before;     // for "M": each source as it was before the add
    QHash<QString, QByteArray> otherCase; // host path -> the case the archive holds it in
    QHash<QString, QByteArray> storedAs;  // host path -> the other case it went in under
    ProgressRewrite rewrite;
    int cache = -1;         // the directory cache preloaded into arj
    QString listDirectory;  // the workspace's: where arj's list files go
    QString orderDirectory; // of the masks of the run at hand (add_masks.h); empty: none
    int lists = 0;
    int code = kOk;
};

int ArjTool::add(const CommandLine& line, bool move)
{
    const Archive archive = archiveOf(line, false);
    if (archive.hostPath.isEmpty()) {
        m_output(messageListing(QStringLiteral("Can't open ") + archive.windowsPath));
        return kCantOpen;
    }
    const Selection selection = selectForAdd(line, archive);
    if (selection.files.isEmpty()) {
        // Nothing to store: no archive is made, as arj makes none without files.
        return reportUnselected(selection) > 0 ? kWarning : kOk;
    }
    ArchiveWorkspace workspace(archive.hostPath);
    if (workspace.status() != ArchiveWorkspace::Status::Ready)
        return refuseArchive(archive, workspace);
    AddRun run(line, archive, {archive.windowsPath, workspace.archive()});
    run.listDirectory = workspace.directory();
    prepareAdd(run, selection.files, move);
    // What arj stored before a step failed is kept, as arj keeps it.
    if (!storeFiles(run, selection.files)) {
        commitAdd(run, workspace);
        return kFatal;
    }
    if (reportUnselected(selection) > 0)
        run.code = std::max<int>(run.code, kWarning);
    if (!move || run.code >= kFatal) {
        commitAdd(run, workspace);
        return run.code;
    }
    // Read before the archive leaves the workspace: its name beside it may be a link by then.
    int listCode = kOk;
    const QList<ArchiveEntry> entries = entriesOf(run.work, line.volumes, listCode);
    if (!commitAdd(run, workspace) || listCode >= kFatal)
        return std::max(run.code, listCode);
    return removeMoved(run, selection.files, entries);
}

int ArjTool::refuseArchive(const Archive& archive, const ArchiveWorkspace& workspace)
{
    stopIfEndRequested(); // a copy cut short by a signal
    if (workspace.status() == ArchiveWorkspace::Status::LinkAtName) {
        const QByteArray message = QFile::encodeName(
            QStringLiteral("Can't open ") + archive.windowsPath +
            QStringLiteral(": its name is a symbolic link, and no archive is written through "
                           "one\n"));
        std::fputs(message.constData(), stderr);
        return kFatal;
    }
    // In arj's words, as it fails where it cannot write beside the archive or something else
    // has its name.
    const QString cantOpen = QStringLiteral("Can't open ") + archive.windowsPath;
    const int error = workspace.error();
    if (error == 0) {
        m_output(messageListing(cantOpen));
        return kCantOpen;
    }
    QString text = bannerFor({}) + QStringLiteral("\n\n");
    if (error == ENOENT)
        text += QStringLiteral("Creating archive  : ") + archive.windowsPath + u'\n';
    text += QStringLiteral("\nError (%1): %2\n\n")
                .arg(error)
                .arg(QString::fromLocal8Bit(std::strerror(error))) +
            cantOpen + u'\n';
    m_output(QFile::encodeName(text));
    return kCantOpen;
}

bool ArjTool::commitAdd(AddRun& run, ArchiveWorkspace& workspace)
{
    stopIfEndRequested();
    if (workspace.commit())
        return true;
    say(QStringLiteral("Can't write ") + run.archive.windowsPath);
    run.code = std::max<int>(run.code, kFatal);
    return false;
}

Selection ArjTool::selectForAdd(const CommandLine& line, const Archive& archive)
{
    const PathKindOf kindOf = [this](const QString& path) {
        if (m_platform.directoryExists(path))
            return PathKind::Directory;
        return m_platform.fileExists(path) ? PathKind::File : PathKind::Missing;
    };
    const Exclusions exclusions(line.excludes, m_currentDirectory);
    SelectionRequest request;
    request.patterns = resolveAddPatterns(line.names, m_currentDirectory, kindOf);
    request.recurse = line.recurse;
    request.exclusions = &exclusions;
    request.archiveHostPath = archive.hostPath;
    return selectFiles(m_platform, request);
}

int ArjTool::reportUnselected(const Selection& selection)
{
    int errors = 0;
    for (const QString& pattern : selection.unmatched) {
        say(QStringLiteral("Can't find ") + pattern);
        ++errors;
    }
    for (const QString& path : selection.unstorable) {
        say(QStringLiteral("Can't add ") + path);
        ++errors;
    }
    if (errors > 0)
        say(QStringLiteral("\nFound %1 error(s)!").arg(errors, 5));
    return errors;
}

void ArjTool::prepareAdd(AddRun& run, const QList<SelectedFile>& files, bool move)
{
    if (move) {
        for (const SelectedFile& file : files)
            run.before.insert(file.hostPath, stateOf(file.hostPath));
    }
    if (!run.line.volumes && QFileInfo::exists(run.work.hostPath)) {
        int listCode = kOk;
        run.otherCase = otherCaseSpellings(files, entriesOf(run.work, false, listCode, true));
    }
    run.rewrite = progressRewrite(run.work);
    for (const SelectedFile& file : files) {
        run.rewrite.addStored(file.stored);
        run.rewrite.addStored(run.otherCase.value(file.hostPath));
    }
    // Not with volumes: arj may look again at the directory it is writing them to.
    run.cache = run.line.volumes ? -1 : directoryCache();
}

bool ArjTool::storeFiles(AddRun& run, const QList<SelectedFile>& files)
{
    std::map<QChar, QList<const SelectedFile*>> byDrive;
    for (const SelectedFile& file : files)
        byDrive[file.drive].append(&file);
    for (const auto& [drive, onDrive] : byDrive) {
        if (!storeOnDrive(run, drive, onDrive))
            return false;
    }
    return true;
}

bool ArjTool::storeOnDrive(AddRun& run, QChar drive, const QList<const SelectedFile*>& files)
{
    // Run from the drive root, so the names are stored relative to it. A name the archive
    // holds in another case is given to arj in that case, through a link of that name; a
    // link is never a whole directory's mask.
    QList<QByteArray> names;
    QList<QByteArray> respelled;
    std::optional<QTemporaryDir> links;
    for (const SelectedFile* file : files) {
        const QByteArray spelling = run.otherCase.value(file->hostPath);
        if (!spelling.isEmpty()) {
            if (!links)
                links.emplace();
            const QString link = links->filePath(QFile::decodeName(spelling));
            if (links->isValid() && QDir().mkpath(hostDirectoryOf(link)) &&
                QFile::link(file->hostPath, link)) {
                respelled << spelling;
                run.storedAs.insert(file->hostPath, spelling);
                continue;
            }
        }
        names << file->stored;
    }
    const QString root = m_platform.toHostPath(QString(drive) + QStringLiteral(":\\"));
    for (QByteArray& line : respelled)
        line = listFileLine(line);
    // Masks in another order than their directory's only where the cache gives that order.
    run.orderDirectory = run.cache >= 0 ? newMaskOrderDirectory(run.listDirectory) : QString();
    const QList<QByteArray> lines = addListLines(root, names, run.orderDirectory);
    return runAdd(run, lines, root, run.cache) &&
           (!links || runAdd(run, respelled, links->path(), -1));
}

// `lines`: of the list file, as addListLines writes them.
bool ArjTool::runAdd(AddRun& run, const QList<QByteArray>& lines, const QString& directory,
                     int preload)
{
    if (lines.isEmpty())
        return true;
    const QString listPath = run.listDirectory + QStringLiteral("/list%1.txt").arg(++run.lists);
    if (!writeAddList(listPath, lines)) {
        say(QStringLiteral("Can't write the list of files"));
        run.code = kFatal;
        return false;
    }
    QStringList arguments{QStringLiteral("a"), run.work.hostPath, kNoIndicator,
                          QStringLiteral("-y")};
    if (run.line.update)
        arguments << QStringLiteral("-u");
    if (run.line.volumes)
        arguments << QStringLiteral("-va");
    arguments << u'!' + listPath;
    HostResult result;
    {
        const MaskOrderScope orders(preload >= 0 ? run.orderDirectory : QString());
        const RoutedOutput routed(
            [&run](const QByteArray& text) { return run.rewrite.line(text); });
        result = runHostArj({arguments, directory, false, 0, preload});
    }
    if (!result.started) {
        say(QStringLiteral("Can't run ") + hostArjProgram());
        run.code = kFatal;
        return false;
    }
    run.code = std::max(run.code, result.exitCode);
    return true;
}

int ArjTool::removeMoved(AddRun& run, const QList<SelectedFile>& files,
                         const QList<ArchiveEntry>& entries)
{
    // Each source goes only when the archive holds it whole and it has not changed since.
    QHash<QByteArray, qint64> stored;
    for (const ArchiveEntry& entry : entries)
        stored.insert(entry.stored, entry.size);
    for (const SelectedFile& file : files) {
        stopIfEndRequested();
        const auto it = stored.constFind(run.storedAs.value(file.hostPath, file.stored));
        const FileState now = stateOf(file.hostPath);
        const FileState then = run.before.value(file.hostPath);
        if (it == stored.constEnd() || *it != now.size || now.size != then.size ||
            now.modified != then.modified)
            continue;
        if (!m_platform.deleteFile(file.windowsPath)) {
            say(QStringLiteral("Can't delete ") + file.windowsPath);
            run.code = std::max<int>(run.code, kWarning);
        }
    }
    return run.code;
}

} // namespace navlor::arj

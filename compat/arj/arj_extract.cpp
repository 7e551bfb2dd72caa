// The "X" and "E" commands: where each selected entry goes, found without regard to case as
// Windows finds it, and arj run once for the target and once for each directory it cannot
// reach there itself.

#include "compat/arj/arj_tool.h"

#include "compat/arj/arj_names.h"
#include "compat/arj/arj_tool_helpers.h"
#include "compat/arj/host_arj.h"
#include "compat/arj/stored_names.h"
#include "lib/platform/host_prefix.h"
#include "lib/platform/platform.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <map>
#include <optional>

#include <cstdio>
#include <sys/stat.h>

namespace navlor::arj {

namespace {

// A stored name arj can be given on its command line as it is: no pattern characters, and
// nothing it would read as a switch, a list or a response file.
std::optional<QString> asArgument(const QByteArray& stored)
{
    if (stored.isEmpty() || listFileLine(stored) != stored || stored.front() == '-' ||
        stored.front() == '!' || stored.front() == '@')
        return std::nullopt;
    const QString name = QFile::decodeName(stored);
    if (QFile::encodeName(name) != stored)
        return std::nullopt;
    return name;
}

QString hostNameOf(const QString& hostPath)
{
    return hostPath.mid(hostPath.lastIndexOf(u'/') + 1);
}

} // namespace

struct ArjTool::ExtractRun
{
    ExtractRun(const CommandLine& line, const Archive& archive, bool withPaths)
        : line(line), archive(archive), withPaths(withPaths)
    {
    }

    const CommandLine& line;
    const Archive& archive;
    const bool withPaths;
    QString target; // Windows path
    QString targetHost;
    // Where arj says it writes each entry, under the Windows name of its directory.
    ProgressRewrite rewrite;
    QHash<QString, QByteArray> windowsDirectories;  // host directory -> Windows, with "\"
    QList<QByteArray> inPlace;                      // extracted where arj puts them itself
    std::map<QString, QList<QByteArray>> elsewhere; // host directory -> entries, without paths
    int skipped = 0;
    ListFiles lists;
    int code = kOk;
};

int ArjTool::extract(const CommandLine& line, bool withPaths)
{
    const Archive archive = archiveOf(line, true);
    if (archive.hostPath.isEmpty() || !m_platform.fileExists(archive.windowsPath)) {
        m_output(messageListing(QStringLiteral("Can't find ") + archive.windowsPath));
        return kCantOpen;
    }
    const PathKindOf kindOf = [this](const QString& path) {
        return m_platform.directoryExists(path) ? PathKind::Directory : PathKind::Missing;
    };
    const ExtractNames names = splitExtractNames(line.names, kindOf, m_currentDirectory);
    ExtractRun run(line, archive, withPaths);
    if (!makeTarget(run, names.baseDirectory))
        return kFatal;

    int listCode = kOk;
    const QList<ArchiveEntry> entries = entriesOf(archive, line.volumes, listCode);
    if (listCode != kOk)
        return listCode;
    run.rewrite = progressRewrite(archive);
    placeEntries(run, entries, names.masks);
    if (run.inPlace.isEmpty() && run.elsewhere.empty()) {
        // arj is not left to look for the masks itself: it would match them against names
        // this listing may not show whole. Its words for nothing found, and its code.
        m_output(messageListing(QStringLiteral("Processing archive: ") + archive.windowsPath +
                                QStringLiteral("\r\n     0 file(s)\r\n\r\nFound     1 error(s)!")));
        return kWarning;
    }
    return runExtracts(run);
}

bool ArjTool::makeTarget(ExtractRun& run, const QString& baseDirectory)
{
    const QString given = !run.line.target.isEmpty() ? run.line.target : baseDirectory;
    run.target =
        absoluteWindowsPath(given.isEmpty() ? m_currentDirectory : given, m_currentDirectory);
    run.targetHost = run.target.isEmpty() ? QString() : m_platform.toHostPath(run.target);
    if (run.targetHost.isEmpty() || !QDir().mkpath(run.targetHost)) {
        m_output(messageListing(QStringLiteral("Can't make directory ") + run.target));
        return false;
    }
    return true;
}

void ArjTool::placeEntries(ExtractRun& run, const QList<ArchiveEntry>& entries,
                           const QStringList& masks)
{
    QStringList storedNames;
    for (const ArchiveEntry& entry : entries)
        storedNames << QString::fromUtf8(entry.stored);
    const EntrySelector selector(run.withPaths ? masks : tiedToRootEntries(masks, storedNames));
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (selector.selects(storedNames.at(i)))
            placeEntry(run, entries.at(i), storedNames.at(i));
    }
}

// Existing directories and files are found without regard to case, as Windows finds them, so
// a restore never puts a second "Dados" beside "DADOS". Names are judged first: nothing is
// renamed, made or written outside the target.
void ArjTool::placeEntry(ExtractRun& run, const ArchiveEntry& entry, const QString& stored)
{
    const std::optional<QStringList> components = safeStoredPath(stored);
    // Where arj puts it: "/" divides directories, "\" is kept in the name.
    const QString arjName = run.withPaths ? stored : stored.mid(stored.lastIndexOf(u'/') + 1);
    const QString naive = QDir::cleanPath(run.targetHost + u'/' + arjName);
    QString mapped = naive;
    if (components && !stored.contains(u'\\')) {
        const QString relative = run.withPaths ? components->join(u'\\') : components->last();
        const QString found = m_platform.toHostPath(joinPath(run.target, relative));
        if (!found.isEmpty())
            mapped = found;
    }
    const QString directory = hostDirectoryOf(mapped);
    const QString written = directory + u'/' + hostNameOf(naive);
    // A link in the target may lead out of it.
    if (!components || !staysInside(run.targetHost, mapped) ||
        !staysInside(run.targetHost, written)) {
        say(QStringLiteral("Skipping unsafe name: ") + stored);
        ++run.skipped;
        return;
    }
    if (mapped != written) {
        // The file is there under another case.
        if (run.line.newOnly)
            return;
        const QByteArray from = QFile::encodeName(mapped);
        struct stat st;
        if (::lstat(from.constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::rename(from.constData(), QFile::encodeName(written).constData());
    }
    // arj here never finishes an "x" of a name that starts with "."; "e" into its
    // directory takes it.
    const bool leadingDot = run.withPaths && stored.startsWith(u'.');
    const QByteArray baseName = entry.stored.mid(entry.stored.lastIndexOf('/') + 1);
    run.rewrite.addStored(entry.stored);
    if (directory == hostDirectoryOf(naive) && !leadingDot) {
        run.inPlace << entry.stored;
        rewriteWritten(run, run.targetHost, run.withPaths ? entry.stored : baseName);
    } else {
        run.elsewhere[directory] << entry.stored;
        rewriteWritten(run, directory, baseName);
    }
}

void ArjTool::rewriteWritten(ExtractRun& run, const QString& hostDirectory, const QByteArray& name)
{
    auto it = run.windowsDirectories.find(hostDirectory);
    if (it == run.windowsDirectories.end()) {
        QString windows = m_platform.fromHostPath(hostDirectory);
        if (!windows.isEmpty() && !windows.endsWith(u'\\'))
            windows += u'\\';
        it = run.windowsDirectories.insert(hostDirectory, QFile::encodeName(windows));
    }
    if (!it->isEmpty())
        run.rewrite.addName(QFile::encodeName(hostDirectory) + '/' + name,
                            *it + QByteArray(name).replace('/', '\\'));
}

int ArjTool::runExtracts(ExtractRun& run)
{
    run.code = run.skipped > 0 ? kWarning : kOk;
    if (!run.inPlace.isEmpty())
        runExtract(run, run.withPaths ? QStringLiteral("x") : QStringLiteral("e"), run.targetHost,
                   run.inPlace);
    for (const auto& [directory, selected] : run.elsewhere)
        runExtract(run, QStringLiteral("e"), directory, selected);
    return run.code;
}

// Always whole stored names matched whole ("-p"), even for every entry: "A.DB" must not also
// take "DADOS/A.DB", and arj must not take an entry judged unsafe or unseen. One name goes on
// arj's line itself, as the extract window asks for one entry a line; more go through a list.
void ArjTool::runExtract(ExtractRun& run, const QString& verb, const QString& directory,
                         const QList<QByteArray>& selected)
{
    std::optional<QString> names =
        selected.size() == 1 ? asArgument(selected.front()) : std::nullopt;
    if (!names) {
        const QString listPath = run.lists.write(selected);
        if (listPath.isEmpty()) {
            say(QStringLiteral("Can't write the list of files"));
            run.code = std::max<int>(run.code, kFatal);
            return;
        }
        names = u'!' + listPath;
    }
    if (!QDir().mkpath(directory)) {
        say(QStringLiteral("Can't make directory ") + m_platform.fromHostPath(directory));
        run.code = std::max<int>(run.code, kFatal);
        return;
    }
    QStringList arguments{verb, run.archive.hostPath, kNoIndicator};
    if (run.line.yes)
        arguments << QStringLiteral("-y");
    if (run.line.newOnly)
        arguments << QStringLiteral("-n");
    if (run.line.volumes)
        arguments << QStringLiteral("-v");
    arguments << QStringLiteral("-ht") + directory << QStringLiteral("-p") << *names;
    // What was judged above is checked again as arj writes: a link planted since then in the
    // target makes the write fail instead of leading elsewhere.
    HostRun host{arguments, {}, false};
    const bool belowTarget =
        directory == run.targetHost || directory.startsWith(run.targetHost + u'/') ||
        (run.targetHost.endsWith(u'/') && directory.startsWith(run.targetHost));
    host.writeRoot = belowTarget ? run.targetHost : directory;
    const HostResult result = runBounded(host, run.archive, run.line.volumes, &run.rewrite);
    run.code = std::max(run.code, result.started ? result.exitCode : int(kFatal));
}

} // namespace navlor::arj

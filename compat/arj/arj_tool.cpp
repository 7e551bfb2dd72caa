// ArjTool's construction, the command dispatch, the archive helpers every command shares, and
// the "X", "E", "L", "V" and "T" commands.

#include "compat/arj/arj_tool.h"

#include "compat/arj/archive_index.h"
#include "compat/arj/arj_names.h"
#include "compat/arj/arj_tool_helpers.h"
#include "compat/arj/host_arj.h"
#include "compat/arj/output_route.h"
#include "compat/arj/stored_names.h"
#include "lib/platform/host_prefix.h"
#include "lib/platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <map>
#include <optional>

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

// The archive and, for a multi-volume one, its other volumes (NAME.A01, NAME.A02, ...).
qint64 archiveBytes(const QString& hostPath, bool volumes)
{
    const QFileInfo info(hostPath);
    qint64 total = info.size();
    if (volumes) {
        const QStringList pattern{info.completeBaseName() + QStringLiteral(".A[0-9][0-9]")};
        for (const QFileInfo& volume : info.dir().entryInfoList(pattern, QDir::Files))
            total += volume.size();
    }
    return total;
}

// Masks as arj can take them once nothing matched them without regard to case: arj then
// finds nothing either and says so in its own words.
QStringList masksForArj(const QStringList& masks)
{
    QStringList result;
    for (QString mask : masks) {
        mask.replace(u'\\', u'/');
        if (mask.size() >= 2 && mask.at(1) == u':')
            mask = mask.mid(2);
        while (mask.startsWith(u'/'))
            mask.remove(0, 1);
        if (!mask.isEmpty())
            result << QFile::decodeName(listFileLine(QFile::encodeName(mask)));
    }
    return result;
}

} // namespace

ArjTool::ArjTool(Platform& platform, Output output)
    : m_platform(platform), m_output(std::move(output)),
      m_currentDirectory(platform.currentDirectory())
{
}

void ArjTool::say(const QString& text)
{
    m_output(QFile::encodeName(text) + '\n');
}

int ArjTool::run(const QStringList& arguments)
{
    const CommandLine line = parseCommandLine(arguments);
    if (!line.error.isEmpty()) {
        m_output(messageListing(line.error));
        return kUserError;
    }
    switch (line.action) {
    case Action::Add:
        return add(line, false);
    case Action::Move:
        return add(line, true);
    case Action::Extract:
        return extract(line, true);
    case Action::ExtractFlat:
        return extract(line, false);
    case Action::List:
        return list(line, false);
    case Action::Verbose:
        return list(line, true);
    case Action::Test:
        return test(line);
    }
    return kUserError;
}

ArjTool::Archive ArjTool::archiveOf(const CommandLine& line, bool forReading)
{
    Archive archive;
    const QString given = absoluteWindowsPath(line.archive, m_currentDirectory);
    const QString withExtension =
        absoluteWindowsPath(withArchiveExtension(line.archive), m_currentDirectory);
    // ARJ adds ".ARJ" to a name without extension; an existing file of that name is read
    // as it is.
    archive.windowsPath =
        forReading && !given.isEmpty() && m_platform.fileExists(given) ? given : withExtension;
    if (!archive.windowsPath.isEmpty())
        archive.hostPath = m_platform.toHostPath(archive.windowsPath);
    if (archive.windowsPath.isEmpty())
        archive.windowsPath = line.archive;
    return archive;
}

HostResult ArjTool::runBounded(HostRun run, const Archive& archive, bool volumes,
                               const ProgressRewrite* rewrite)
{
    run.timeoutSeconds = hostArjTimeout(archiveBytes(archive.hostPath, volumes));
    HostResult result;
    if (rewrite) {
        const RoutedOutput routed(
            [rewrite](const QByteArray& line) { return rewrite->line(line); });
        result = runHostArj(run);
    } else {
        result = runHostArj(run);
    }
    if (result.timedOut) {
        const QString overrun =
            QStringLiteral("Timeout: arj did not finish in %1 s").arg(run.timeoutSeconds);
        if (run.capture)
            result.output += '\n' + QFile::encodeName(overrun) + '\n';
        else
            say(overrun);
    }
    return result;
}

QList<ArchiveEntry> ArjTool::entriesOf(const Archive& archive, bool volumes, int& exitCode,
                                       bool quiet)
{
    // The headers tell the names at a fraction of the cost of arj's listing; arj lists what
    // they cannot vouch for.
    if (!volumes) {
        if (std::optional<QList<ArchiveEntry>> entries = readArchiveIndex(archive.hostPath)) {
            exitCode = kOk;
            return *std::move(entries);
        }
    }
    QStringList arguments{QStringLiteral("v"), archive.hostPath, kNoIndicator};
    if (volumes)
        arguments << QStringLiteral("-v");
    const HostResult listing = runBounded({arguments, {}, true}, archive, volumes);
    exitCode = listing.exitCode;
    if (!listing.started) {
        say(QStringLiteral("Can't run ") + hostArjProgram());
        return {};
    }
    if (listing.exitCode != kOk && !quiet)
        m_output(rewriteListing(listing.output, {archive.hostPath, archive.windowsPath, true}));
    return parseVerboseListing(listing.output);
}

ProgressRewrite ArjTool::progressRewrite(const Archive& archive)
{
    ProgressRewrite rewrite;
    for (const QString& drive : m_platform.logicalDrives())
        rewrite.addRoot(QFile::encodeName(m_platform.toHostPath(drive + u'\\')), drive);
    rewrite.addName(QFile::encodeName(archive.hostPath), QFile::encodeName(archive.windowsPath));
    return rewrite;
}

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
    QString target = !line.target.isEmpty() ? line.target : names.baseDirectory;
    target =
        absoluteWindowsPath(target.isEmpty() ? m_currentDirectory : target, m_currentDirectory);
    const QString targetHost = target.isEmpty() ? QString() : m_platform.toHostPath(target);
    if (targetHost.isEmpty() || !QDir().mkpath(targetHost)) {
        m_output(messageListing(QStringLiteral("Can't make directory ") + target));
        return kFatal;
    }

    int listCode = kOk;
    const QList<ArchiveEntry> entries = entriesOf(archive, line.volumes, listCode);
    if (listCode != kOk)
        return listCode;
    QStringList storedNames;
    for (const ArchiveEntry& entry : entries)
        storedNames << QString::fromUtf8(entry.stored);
    const EntrySelector selector(withPaths ? names.masks
                                           : tiedToRootEntries(names.masks, storedNames));

    QStringList common{archive.hostPath, kNoIndicator};
    if (line.yes)
        common << QStringLiteral("-y");
    if (line.newOnly)
        common << QStringLiteral("-n");
    if (line.volumes)
        common << QStringLiteral("-v");
    const QString command = withPaths ? QStringLiteral("x") : QStringLiteral("e");

    // Where each entry goes. Existing directories and files are found without regard to
    // case, as Windows finds them, so a restore never puts a second "Dados" beside "DADOS".
    // Names are judged first: nothing is renamed, made or written outside the target.
    QList<QByteArray> inPlace;                      // extracted where arj puts them itself
    std::map<QString, QList<QByteArray>> elsewhere; // host directory -> entries, without paths
    int skipped = 0;
    // Where arj says it writes each entry, under the Windows name of its directory.
    ProgressRewrite rewrite = progressRewrite(archive);
    QHash<QString, QByteArray> windowsDirectories;
    auto sayWritten = [&](const QString& hostDirectory, const QByteArray& name) {
        auto it = windowsDirectories.find(hostDirectory);
        if (it == windowsDirectories.end()) {
            QString windows = m_platform.fromHostPath(hostDirectory);
            if (!windows.isEmpty() && !windows.endsWith(u'\\'))
                windows += u'\\';
            it = windowsDirectories.insert(hostDirectory, QFile::encodeName(windows));
        }
        if (!it->isEmpty())
            rewrite.addName(QFile::encodeName(hostDirectory) + '/' + name,
                            *it + QByteArray(name).replace('/', '\\'));
    };
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const ArchiveEntry& entry = entries.at(i);
        const QString& stored = storedNames.at(i);
        if (!selector.selects(stored))
            continue;
        const std::optional<QStringList> components = safeStoredPath(stored);
        // Where arj puts it: "/" divides directories, "\" is kept in the name.
        const QString arjName = withPaths ? stored : stored.mid(stored.lastIndexOf(u'/') + 1);
        const QString naive = QDir::cleanPath(targetHost + u'/' + arjName);
        QString mapped = naive;
        if (components && !stored.contains(u'\\')) {
            const QString relative = withPaths ? components->join(u'\\') : components->last();
            const QString found = m_platform.toHostPath(joinPath(target, relative));
            if (!found.isEmpty())
                mapped = found;
        }
        const QString directory = hostDirectoryOf(mapped);
        const QString written = directory + u'/' + hostNameOf(naive);
        // A link in the target may lead out of it.
        if (!components || !staysInside(targetHost, mapped) || !staysInside(targetHost, written)) {
            say(QStringLiteral("Skipping unsafe name: ") + stored);
            ++skipped;
            continue;
        }
        if (mapped != written) {
            // The file is there under another case.
            if (line.newOnly)
                continue;
            const QByteArray from = QFile::encodeName(mapped);
            struct stat st;
            if (::lstat(from.constData(), &st) == 0 && S_ISREG(st.st_mode))
                ::rename(from.constData(), QFile::encodeName(written).constData());
        }
        // arj here never finishes an "x" of a name that starts with "."; "e" into its
        // directory takes it.
        const bool leadingDot = withPaths && stored.startsWith(u'.');
        const QByteArray baseName = entry.stored.mid(entry.stored.lastIndexOf('/') + 1);
        rewrite.addStored(entry.stored);
        if (directory == hostDirectoryOf(naive) && !leadingDot) {
            inPlace << entry.stored;
            sayWritten(targetHost, withPaths ? entry.stored : baseName);
        } else {
            elsewhere[directory] << entry.stored;
            sayWritten(directory, baseName);
        }
    }

    if (inPlace.isEmpty() && elsewhere.empty()) {
        // arj is not left to look for the masks itself: it would match them against names
        // this listing may not show whole. Its words for nothing found, and its code.
        m_output(messageListing(QStringLiteral("Processing archive: ") + archive.windowsPath +
                                QStringLiteral("\r\n     0 file(s)\r\n\r\nFound     1 error(s)!")));
        return kWarning;
    }

    // Always whole stored names matched whole ("-p"), even for every entry: "A.DB" must not
    // also take "DADOS/A.DB", and arj must not take an entry judged unsafe or unseen. One name
    // goes on arj's line itself, as the extract window asks for one entry a line; more go
    // through a list.
    ListFiles lists;
    int code = skipped > 0 ? kWarning : kOk;
    auto runArj = [&](const QString& verb, const QString& directory,
                      const QList<QByteArray>& selected) {
        std::optional<QString> names =
            selected.size() == 1 ? asArgument(selected.front()) : std::nullopt;
        if (!names) {
            const QString listPath = lists.write(selected);
            if (listPath.isEmpty()) {
                say(QStringLiteral("Can't write the list of files"));
                code = std::max<int>(code, kFatal);
                return;
            }
            names = u'!' + listPath;
        }
        if (!QDir().mkpath(directory)) {
            say(QStringLiteral("Can't make directory ") + m_platform.fromHostPath(directory));
            code = std::max<int>(code, kFatal);
            return;
        }
        QStringList arguments{verb};
        arguments += common;
        arguments << QStringLiteral("-ht") + directory << QStringLiteral("-p") << *names;
        const HostResult result =
            runBounded({arguments, {}, false}, archive, line.volumes, &rewrite);
        code = std::max(code, result.started ? result.exitCode : int(kFatal));
    };
    if (!inPlace.isEmpty())
        runArj(command, targetHost, inPlace);
    for (const auto& [directory, selected] : elsewhere)
        runArj(QStringLiteral("e"), directory, selected);
    return code;
}

int ArjTool::list(const CommandLine& line, bool verbose)
{
    const Archive archive = archiveOf(line, true);
    if (archive.hostPath.isEmpty() || !m_platform.fileExists(archive.windowsPath)) {
        m_output(messageListing(QStringLiteral("Can't find ") + archive.windowsPath +
                                QStringLiteral("\r\n\r\nFound     1 error(s)!")));
        return kCantOpen;
    }
    const QString command = verbose ? QStringLiteral("v") : QStringLiteral("l");
    QStringList common{archive.hostPath, kNoIndicator};
    if (line.volumes)
        common << QStringLiteral("-v");
    const ListingContext context{archive.hostPath, archive.windowsPath, verbose};
    const EntrySelector selector(line.names);

    auto listWith = [&](const QStringList& names) {
        QStringList arguments{command};
        arguments += common;
        arguments += names;
        const HostResult result = runBounded({arguments, {}, true}, archive, line.volumes);
        if (!result.started) {
            say(QStringLiteral("Can't run ") + hostArjProgram());
            return int(kFatal);
        }
        m_output(rewriteListing(result.output, context));
        return result.exitCode;
    };
    if (selector.selectsEverything())
        return listWith({});

    int listCode = kOk;
    QList<QByteArray> selected;
    const QList<ArchiveEntry> entries = entriesOf(archive, line.volumes, listCode);
    if (listCode != kOk)
        return listCode;
    for (const ArchiveEntry& entry : entries) {
        if (selector.selects(QString::fromUtf8(entry.stored)))
            selected << entry.stored;
    }
    if (selected.isEmpty())
        return listWith(masksForArj(line.names));
    ListFiles lists;
    const QString listPath = lists.write(selected);
    if (listPath.isEmpty()) {
        say(QStringLiteral("Can't write the list of files"));
        return kFatal;
    }
    return listWith({QStringLiteral("-p"), u'!' + listPath});
}

int ArjTool::test(const CommandLine& line)
{
    const Archive archive = archiveOf(line, true);
    if (archive.hostPath.isEmpty() || !m_platform.fileExists(archive.windowsPath)) {
        say(QStringLiteral("Can't find ") + archive.windowsPath);
        return kCantOpen;
    }
    // Every entry is decompressed and its CRC compared; nothing is written.
    QStringList arguments{QStringLiteral("t"), archive.hostPath, kNoIndicator};
    if (line.volumes)
        arguments << QStringLiteral("-v");
    const HostResult result = runBounded({arguments, {}, true}, archive, line.volumes);
    if (!result.started) {
        say(QStringLiteral("Can't run ") + hostArjProgram());
        return kFatal;
    }
    m_output(rewriteListing(result.output, {archive.hostPath, archive.windowsPath, false}));
    return result.exitCode;
}

} // namespace navlor::arj

// ArjTool's construction, the command dispatch, the archive helpers every command shares, and
// the "L", "V" and "T" commands.

#include "compat/arj/arj_tool.h"

#include "compat/arj/archive_index.h"
#include "compat/arj/arj_names.h"
#include "compat/arj/arj_tool_helpers.h"
#include "compat/arj/host_arj.h"
#include "compat/arj/output_route.h"
#include "lib/platform/host_prefix.h"
#include "lib/platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace navlor::arj {

namespace {

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
        if (run.capture && run.takeOutput)
            run.takeOutput('\n' + QFile::encodeName(overrun) + '\n');
        else if (run.capture)
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
        return runRewritten(arguments, archive, line.volumes, context);
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
    if (!line.volumes) {
        if (const std::optional<QByteArray> passed = testInTwo(archive)) {
            m_output(rewriteListing(*passed, {archive.hostPath, archive.windowsPath, false}));
            return kOk;
        }
    }
    QStringList arguments{QStringLiteral("t"), archive.hostPath, kNoIndicator};
    if (line.volumes)
        arguments << QStringLiteral("-v");
    return runRewritten(arguments, archive, line.volumes,
                        {archive.hostPath, archive.windowsPath, false});
}

int ArjTool::runRewritten(const QStringList& arguments, const Archive& archive, bool volumes,
                          const ListingContext& context)
{
    // Rewritten as it is read back, never held whole: a listing of 100,000 entries is some
    // ten megabytes.
    ListingRewriter rewriter(context, m_output);
    HostRun run{arguments, {}, true};
    run.takeOutput = [&rewriter](QByteArrayView bytes) { rewriter.feed(bytes); };
    const HostResult result = runBounded(run, archive, volumes);
    if (!result.started) {
        say(QStringLiteral("Can't run ") + hostArjProgram());
        return kFatal;
    }
    rewriter.finish();
    return result.exitCode;
}

} // namespace navlor::arj

// "T" of a large archive on both processors: arj tests one entry after another on one, so the
// entries are split in two halves, in archive order, each tested by an arj of its own. What is
// printed is what one run prints. Whenever either half does not pass, or its output is not
// as expected, the whole archive is tested again by one run, whose words and exit code are
// arj's own.

#include "compat/arj/arj_tool.h"

#include "compat/arj/archive_index.h"
#include "compat/arj/arj_tool_helpers.h"
#include "compat/arj/end_signals.h"
#include "compat/arj/host_arj.h"

#include <QFileInfo>

#include <exception>
#include <thread>

namespace navlor::arj {

namespace {

// Below this the second arj's start costs more than it saves.
constexpr qint64 kSplitTestBytes = 16 * 1024 * 1024;

qint64 splitTestBytes()
{
    bool ok = false;
    const qint64 configured = qEnvironmentVariable("NAVLOR_ARJ_SPLIT_TEST_BYTES").toLongLong(&ok);
    return ok && configured >= 0 ? configured : kSplitTestBytes;
}

struct TestOutput
{
    QByteArray head;  // banner and archive lines
    QByteArray lines; // one "Testing" line per entry
    qint64 count = -1;
    QByteArray countEnd; // what follows the number: " file(s)" and the line's end
};

// One run's output cut into its parts; nothing when it is not the usual shape.
std::optional<TestOutput> cutTestOutput(const QByteArray& output)
{
    TestOutput cut;
    qsizetype at = 0;
    qsizetype firstTested = -1;
    qsizetype countLine = -1;
    while (at < output.size()) {
        qsizetype end = output.indexOf('\n', at);
        end = end < 0 ? output.size() : end + 1;
        const QByteArray line = output.mid(at, end - at);
        if (line.startsWith("Testing ")) {
            if (firstTested < 0)
                firstTested = at;
            if (countLine >= 0)
                return std::nullopt;
        } else if (line.trimmed().endsWith(" file(s)")) {
            if (countLine >= 0)
                return std::nullopt;
            countLine = at;
            const QByteArray number = line.trimmed().chopped(8);
            bool ok = false;
            cut.count = number.toLongLong(&ok);
            if (!ok)
                return std::nullopt;
            cut.countEnd = line.mid(line.indexOf(" file(s)"));
        } else if (firstTested >= 0 && !line.trimmed().isEmpty()) {
            return std::nullopt; // anything between the entries, or after the count
        }
        at = end;
    }
    if (firstTested < 0 || countLine < 0)
        return std::nullopt;
    cut.head = output.left(firstTested);
    cut.lines = output.mid(firstTested, countLine - firstTested);
    return cut;
}

bool wildcardIn(const QByteArray& name)
{
    return name.contains('*') || name.contains('?') || name.contains('[');
}

} // namespace

std::optional<QByteArray> ArjTool::testInTwo(const Archive& archive)
{
    if (std::thread::hardware_concurrency() < 2)
        return std::nullopt;
    const qint64 archiveSize = QFileInfo(archive.hostPath).size();
    if (archiveSize < splitTestBytes())
        return std::nullopt;
    const std::optional<QList<ArchiveEntry>> entries = readArchiveIndex(archive.hostPath);
    if (!entries || entries->size() < 2)
        return std::nullopt;
    qint64 total = 0;
    for (const ArchiveEntry& entry : *entries) {
        // A name arj would take as a mask could select other entries as well.
        if (wildcardIn(entry.stored))
            return std::nullopt;
        total += std::max<qint64>(entry.size, 0);
    }
    // Halves of about the same size, in archive order.
    QList<QByteArray> halves[2];
    qint64 sum = 0;
    for (const ArchiveEntry& entry : *entries) {
        const bool second =
            !halves[0].isEmpty() && (sum >= total / 2 || halves[0].size() == entries->size() - 1);
        halves[second ? 1 : 0] << entry.stored;
        if (!second)
            sum += std::max<qint64>(entry.size, 0);
    }
    if (halves[1].isEmpty())
        return std::nullopt;
    ListFiles lists;
    HostResult results[2];
    HostRun runs[2];
    for (int half = 0; half < 2; ++half) {
        const QString list = lists.write(halves[half]);
        if (list.isEmpty())
            return std::nullopt;
        runs[half] = HostRun{{QStringLiteral("t"), archive.hostPath, kNoIndicator,
                              QStringLiteral("-p"), u'!' + list},
                             {},
                             true};
        runs[half].timeoutSeconds = hostArjTimeout(archiveSize);
    }
    std::exception_ptr otherFailed;
    std::thread other([&] {
        try {
            results[1] = runHostArj(runs[1]);
        } catch (...) {
            otherFailed = std::current_exception();
        }
    });
    try {
        results[0] = runHostArj(runs[0]);
    } catch (...) {
        other.join();
        throw;
    }
    other.join();
    if (otherFailed)
        std::rethrow_exception(otherFailed);
    stopIfEndRequested();

    std::optional<TestOutput> cuts[2];
    for (int half = 0; half < 2; ++half) {
        if (!results[half].started || results[half].timedOut || results[half].exitCode != kOk)
            return std::nullopt;
        cuts[half] = cutTestOutput(results[half].output);
        if (!cuts[half] || cuts[half]->count != halves[half].size())
            return std::nullopt;
    }
    const qint64 tested = cuts[0]->count + cuts[1]->count;
    return cuts[0]->head + cuts[0]->lines + cuts[1]->lines +
           QByteArray::number(tested).rightJustified(6, ' ') + cuts[0]->countEnd;
}

} // namespace navlor::arj

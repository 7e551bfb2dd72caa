#include "tests/platform/platform_fixture.h"
#include "tests/support/forwarding_platform.h"

#include <QSet>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace navlor::test {
namespace {

// The base class's appends and locks over real files, as a platform without its own has them.
class BaseAppends : public ForwardingPlatform
{
public:
    AppendOutcome appendToFile(const QString& p, const QByteArray& d, qint64 r,
                               const QString& rp) override
    {
        return Platform::appendToFile(p, d, r, rp);
    }
    std::unique_ptr<FileLock> tryLockFile(const QString& p) override
    {
        return Platform::tryLockFile(p);
    }
};

class UnreadableFiles : public BaseAppends
{
public:
    std::optional<QByteArray> readFile(const QString&) override { return std::nullopt; }
};

using Appends = PlatformTest;
using Locks = PlatformTest;

// Runs `check` with the host's own appends and locks in directory C:\HOST, then with the
// base class's in C:\BASE.
void onBoth(const std::function<void(const QString& dir)>& check)
{
    {
        SCOPED_TRACE("host");
        check("C:\\HOST");
    }
    SCOPED_TRACE("base");
    ScopedPlatform<BaseAppends> base;
    check("C:\\BASE");
}

TEST_F(Appends, ALineStartsALineOfItsOwn)
{
    const struct
    {
        std::optional<QByteArray> before;
        QByteArray after;
    } rows[] = {
        {std::nullopt, "A\r\n"}, {"", "A\r\n"},       {"x\r\n", "x\r\nA\r\n"},
        {"x\n", "x\nA\r\n"},     {"x", "x\r\nA\r\n"},
    };
    onBoth([&](const QString& dir) {
        prefix.mkdir(dir);
        int n = 0;
        for (const auto& row : rows) {
            const QString log = dir + "\\L" + QString::number(++n) + ".LOG";
            SCOPED_TRACE(log.toStdString());
            if (row.before)
                touch(log, *row.before);
            EXPECT_EQ(platform().appendToFile(log, "A\r\n"), AppendOutcome::Appended);
            EXPECT_EQ(prefix.read(log), row.after);
        }
    });
}

TEST_F(Appends, AFullFileIsRotatedFirst)
{
    const QByteArray full = "12345678\r\n"; // 10 bytes
    const struct
    {
        std::optional<QByteArray> before, oldBefore;
        qint64 rotateAt;
        QByteArray after;
        std::optional<QByteArray> oldAfter;
    } rows[] = {
        {full, "prev", 10, "A\r\n", full},                       // reached: replaces the old one
        {full, std::nullopt, 10, "A\r\n", full},                 // or becomes it
        {"1234567\r\n", "prev", 10, "1234567\r\nA\r\n", "prev"}, // one byte short
        {full, std::nullopt, 0, full + "A\r\n", std::nullopt},   // never
        {std::nullopt, "prev", 10, "A\r\n", "prev"},
    };
    onBoth([&](const QString& dir) {
        prefix.mkdir(dir);
        int n = 0;
        for (const auto& row : rows) {
            const QString log = dir + "\\L" + QString::number(++n) + ".LOG";
            const QString old = dir + "\\L" + QString::number(n) + ".OLD";
            SCOPED_TRACE(log.toStdString());
            if (row.before)
                touch(log, *row.before);
            if (row.oldBefore)
                touch(old, *row.oldBefore);
            EXPECT_EQ(platform().appendToFile(log, "A\r\n", row.rotateAt, old),
                      AppendOutcome::Appended);
            EXPECT_EQ(prefix.read(log), row.after);
            EXPECT_EQ(platform().readFile(old), row.oldAfter);
        }
    });
}

TEST_F(Appends, ADirectoryOrAnUnreadableFileIsNeverReplaced)
{
    onBoth([&](const QString& dir) {
        prefix.mkdir(dir + "\\AT.LOG");
        EXPECT_EQ(platform().appendToFile(dir + "\\AT.LOG", "A\r\n"), AppendOutcome::Failed);
        EXPECT_TRUE(platform().directoryExists(dir + "\\AT.LOG"));
        // a full log whose old name is a directory cannot be set aside, yet takes the line
        touch(dir + "\\FULL.LOG", "12345678\r\n");
        prefix.mkdir(dir + "\\FULL.OLD");
        EXPECT_EQ(platform().appendToFile(dir + "\\FULL.LOG", "A\r\n", 10, dir + "\\FULL.OLD"),
                  AppendOutcome::Appended);
        EXPECT_EQ(prefix.read(dir + "\\FULL.LOG"), "12345678\r\nA\r\n");
        EXPECT_TRUE(platform().directoryExists(dir + "\\FULL.OLD"));
    });
    ScopedPlatform<UnreadableFiles> unreadable;
    touch("C:\\U.LOG", "kept\r\n");
    EXPECT_EQ(platform().appendToFile("C:\\U.LOG", "A\r\n"), AppendOutcome::Failed);
    EXPECT_EQ(prefix.read("C:\\U.LOG"), "kept\r\n");
}

// Forks `writers` processes that each append `lines` distinct lines, and waits for them.
void appendFromProcesses(const QString& log, int writers, int lines, qint64 rotateAt = 0,
                         const QString& rotated = {})
{
    std::vector<pid_t> children;
    for (int w = 0; w < writers; ++w) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failed = 0;
            for (int i = 0; i < lines; ++i) {
                // lengths vary, so a torn or mixed line cannot pass for another
                const QByteArray line = "writer " + QByteArray::number(w) + " line " +
                                        QByteArray::number(i) + ' ' + QByteArray(i % 37, 'a' + w) +
                                        "\r\n";
                failed +=
                    platform().appendToFile(log, line, rotateAt, rotated) == AppendOutcome::Appended
                        ? 0
                        : 1;
            }
            ::_exit(failed == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

// The lines of a log, each checked to be one a writer wrote whole.
QList<QByteArray> wholeLines(const QByteArray& log)
{
    QList<QByteArray> lines = log.split('\n');
    EXPECT_TRUE(lines.takeLast().isEmpty()) << "the log ends in the middle of a line";
    for (QByteArray& line : lines) {
        const QList<QByteArray> fields = line.split(' ');
        EXPECT_TRUE(line.endsWith('\r') && fields.size() == 5 &&
                    fields[4].size() == fields[3].toInt() % 37 + 1)
            << line.constData();
        line.chop(1);
    }
    return lines;
}

TEST_F(Appends, ConcurrentWritersLoseAndMixNoLine)
{
    prefix.mkdir("C:\\LOGS");
    appendFromProcesses("C:\\LOGS\\BACKUP.LOG", 2, 2000);
    const QList<QByteArray> lines = wholeLines(prefix.read("C:\\LOGS\\BACKUP.LOG"));
    EXPECT_EQ(lines.size(), 4000);
    EXPECT_EQ(QSet<QByteArray>(lines.begin(), lines.end()).size(), 4000);
}

TEST_F(Appends, ConcurrentWritersRotateOnlyAFullLog)
{
    prefix.mkdir("C:\\LOGS");
    constexpr qint64 kLimit = 500;
    constexpr qint64 kLongestLine = 60;
    appendFromProcesses("C:\\LOGS\\BACKUP.LOG", 2, 1000, kLimit, "C:\\LOGS\\BACKUP.OLD");
    const QByteArray log = prefix.read("C:\\LOGS\\BACKUP.LOG");
    const QByteArray old = prefix.read("C:\\LOGS\\BACKUP.OLD");
    // Appended to only below the limit, rotated only at it: a writer that waited on a file
    // another one rotated must neither add to the old file nor rotate the new one.
    EXPECT_LT(log.size(), kLimit + kLongestLine);
    EXPECT_GE(old.size(), kLimit);
    EXPECT_LT(old.size(), kLimit + kLongestLine);
    const QList<QByteArray> lines = wholeLines(old) + wholeLines(log);
    EXPECT_EQ(QSet<QByteArray>(lines.begin(), lines.end()).size(), lines.size());
}

TEST_F(Locks, OneHolderAtATime)
{
    onBoth([&](const QString& dir) {
        prefix.mkdir(dir);
        const QString path = dir + "\\NAVLOR.TRAVA";
        std::unique_ptr<FileLock> first = platform().tryLockFile(path);
        ASSERT_TRUE(first);
        EXPECT_FALSE(platform().tryLockFile(path.toLower()));
        first.reset();
        EXPECT_TRUE(platform().tryLockFile(path));
    });
    EXPECT_TRUE(platform().fileExists("C:\\HOST\\NAVLOR.TRAVA"));
}

TEST_F(Locks, AKilledHolderLeavesItFree)
{
    const QString path = "C:\\NAVLOR.TRAVA";
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        std::unique_ptr<FileLock> lock;
        while (!(lock = platform().tryLockFile(path)))
            ::usleep(1000);
        ::pause();
        ::_exit(0);
    }
    EXPECT_TRUE(waitUntil([&] { return !platform().tryLockFile(path); }));
    ::kill(holder, SIGKILL);
    ASSERT_EQ(::waitpid(holder, nullptr, 0), holder);
    EXPECT_TRUE(platform().tryLockFile(path));
}

TEST_F(Locks, AProgramStartedWhileHeldDoesNotKeepIt)
{
    const QString path = "C:\\NAVLOR.TRAVA";
    std::unique_ptr<FileLock> lock = platform().tryLockFile(path);
    ASSERT_TRUE(lock);
    const pid_t program = ::fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const QString comm = QStringLiteral("/proc/%1/comm").arg(program);
    EXPECT_TRUE(waitUntil([&] {
        QFile f(comm);
        return f.open(QIODevice::ReadOnly) && f.readAll() == "sleep\n";
    }));
    lock.reset();
    EXPECT_TRUE(platform().tryLockFile(path));
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
}

} // namespace
} // namespace navlor::test

// Files in use by other processes and other users are not deleted.

#include "lib/platform/open_files.h"

#include "tests/platform/platform_fixture.h"

#include <QDirIterator>

#include <functional>
#include <optional>

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace navlor::test {
namespace {

TEST(LockTable, TheFileOfEachLine)
{
    const struct
    {
        QByteArray line;
        std::optional<LockedFile> file;
    } rows[] = {
        {"1: POSIX  ADVISORY  WRITE 4321 08:01:1835012 0 EOF", LockedFile{8, 1, 1835012}},
        {"1: -> POSIX  ADVISORY  WRITE 4400 08:01:1835012 0 EOF", LockedFile{8, 1, 1835012}},
        {"2: FLOCK  ADVISORY  WRITE 77 00:2f:12 0 EOF", LockedFile{0, 0x2f, 12}},
        {"3: OFDLCK ADVISORY  READ  -1 fd:00:5000000000 0 99", LockedFile{0xfd, 0, 5000000000}},
        {"4: LEASE  BREAKING  READ  12 103:1a3:7 0 EOF", LockedFile{0x103, 0x1a3, 7}},
        {"5: POSIX  ADVISORY  WRITE 9 <none>:0 0 EOF", std::nullopt},
        {"6: FLOCK  ADVISORY  WRITE 9 zz:01:5 0 EOF", std::nullopt},
        {"7: FLOCK  ADVISORY  WRITE 9 08:01:5x 0 EOF", std::nullopt},
        {"", std::nullopt},
    };
    QByteArray all;
    QList<LockedFile> expected;
    for (const auto& row : rows) {
        const QList<LockedFile> files = lockedFiles(row.line);
        EXPECT_EQ(files, row.file ? QList<LockedFile>{*row.file} : QList<LockedFile>{})
            << row.line.constData();
        all += row.line + '\n';
        if (row.file)
            expected << *row.file;
    }
    EXPECT_EQ(lockedFiles(all), expected);
}

TEST(MountInfo, DeviceOfAMount)
{
    const QByteArray info = "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
                            "36 22 0:45 / /srv rw - btrfs /dev/sdb rw\n"
                            "37 22 259:3 / /data rw - xfs /dev/nvme0n1p3 rw\n"
                            "38 22 bad / /x rw - xfs /dev/x rw";
    const struct
    {
        quint64 id;
        std::optional<std::pair<unsigned, unsigned>> device;
    } rows[] = {{22, std::pair(8u, 1u)},
                {36, std::pair(0u, 45u)},
                {37, std::pair(259u, 3u)},
                {38, std::nullopt},
                {3, std::nullopt}};
    for (const auto& row : rows)
        EXPECT_EQ(mountDevice(info, row.id), row.device) << row.id;
}

bool becomeUser(uid_t uid)
{
    return uid == ::geteuid() ||
           (::setgroups(0, nullptr) == 0 && ::setgid(uid) == 0 && ::setuid(uid) == 0);
}

// The answer of `work` run in a child process as `uid`; empty when the child failed.
std::optional<bool> asUser(uid_t uid, const std::function<bool()>& work)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(!becomeUser(uid) ? 2 : work() ? 1 : 0);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 1;
}

enum class Hold
{
    Open,
    PosixLock,
    OfdLock,
    Flock
};

// A child process, as `uid`, holding the file as `how` says until released.
class Holder
{
public:
    Holder(const QString& hostPath, Hold how, uid_t uid)
    {
        int ready[2], release[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(release, O_CLOEXEC) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(ready[0]);
            ::close(release[1]);
            const int fd =
                becomeUser(uid) ? ::open(QFile::encodeName(hostPath).constData(), O_RDWR) : -1;
            struct flock range = {};
            range.l_type = F_WRLCK;
            range.l_whence = SEEK_SET;
            const bool holding =
                fd >= 0 && (how == Hold::Open ||
                            (how == Hold::PosixLock && ::fcntl(fd, F_SETLK, &range) == 0) ||
                            (how == Hold::OfdLock && ::fcntl(fd, F_OFD_SETLK, &range) == 0) ||
                            (how == Hold::Flock && ::flock(fd, LOCK_EX) == 0));
            char byte = 0;
            if (holding && ::write(ready[1], "1", 1) == 1)
                if (::read(release[0], &byte, 1) < 0) // until the write end closes
                    byte = 0;
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(release[0]);
        m_release = release[1];
        char byte = 0;
        m_ready = m_pid > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~Holder() { release(); }

    bool ready() const { return m_ready; }

    void release()
    {
        if (m_release >= 0)
            ::close(m_release);
        m_release = -1;
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    int m_release = -1;
    bool m_ready = false;
};

using InUse = PlatformTest;

TEST_F(InUse, LockedOrOpenFilesAreKeptUntilReleased)
{
    const struct
    {
        Hold hold;
        bool locked;
    } rows[] = {
        {Hold::Open, false}, {Hold::PosixLock, true}, {Hold::OfdLock, true}, {Hold::Flock, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(int(row.hold));
        touch("C:\\DADOS\\PDOXUSRS.NET");
        const QString file = prefix.host("C:\\DADOS\\PDOXUSRS.NET");
        Holder holder(file, row.hold, ::geteuid());
        ASSERT_TRUE(holder.ready());
        EXPECT_EQ(isFileLocked(file), row.locked);
        EXPECT_EQ(isFileOpenAnywhere(file), std::optional(true));
        EXPECT_TRUE(isFileInUse(file));
        EXPECT_FALSE(platform().deleteFile("C:\\DADOS\\PDOXUSRS.NET"));
        EXPECT_TRUE(QFileInfo::exists(file));

        holder.release();
        EXPECT_FALSE(isFileLocked(file));
        EXPECT_EQ(isFileOpenAnywhere(file), std::optional(false));
        EXPECT_FALSE(isFileInUse(file));
        EXPECT_TRUE(platform().deleteFile("C:\\DADOS\\PDOXUSRS.NET"));
        EXPECT_FALSE(QFileInfo::exists(file));
    }
}

TEST_F(InUse, ALinkIsRemovedItselfNotTheLockedFileBehindIt)
{
    touch("C:\\DADOS\\PARADOX.LCK");
    const QString file = prefix.host("C:\\DADOS\\PARADOX.LCK");
    const QString link = file + ".lnk";
    ASSERT_TRUE(QFile::link(file, link));
    Holder holder(file, Hold::Flock, ::geteuid());
    ASSERT_TRUE(holder.ready());
    EXPECT_TRUE(isFileInUse(link)); // followed
    EXPECT_TRUE(removeFileUnlessInUse(link));
    EXPECT_FALSE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFileInfo::exists(file));
}

constexpr uid_t kDeleter = 65534; // nobody
constexpr uid_t kHolder = 65533;

// The deleter and the holder may reach the prefix, and create and remove in every directory.
void openToEveryone(const QString& root)
{
    ::chmod(QFile::encodeName(root).constData(), 0777);
    QDirIterator dirs(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                      QDirIterator::Subdirectories);
    while (dirs.hasNext())
        ::chmod(QFile::encodeName(dirs.next()).constData(), 0777);
}

TEST_F(InUse, AnotherUsersLockKeepsTheFileFromAnOrdinaryUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "two other users are needed, and only root can become them";
    const struct
    {
        Hold hold;
        uid_t owner;
        bool kept;
    } rows[] = {
        {Hold::PosixLock, 0, true},   {Hold::OfdLock, 0, true}, {Hold::Flock, 0, true},
        {Hold::Open, kDeleter, true}, // the deleter's own file: its lease is refused
        {Hold::Open, 0, false},       // nothing an ordinary user may read tells
    };
    const QString windows = "C:\\DADOS\\PDOXUSRS.NET";
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.hold) << " owner " << row.owner);
        touch(windows);
        openToEveryone(prefix.root() + "/..");
        const QString file = prefix.host(windows);
        const QByteArray path = QFile::encodeName(file);
        ASSERT_EQ(::chown(path.constData(), row.owner, row.owner), 0);
        ASSERT_EQ(::chmod(path.constData(), 0666), 0);
        const auto remove = [&] { return platform().deleteFile(windows); };

        Holder holder(file, row.hold, kHolder);
        ASSERT_TRUE(holder.ready());
        EXPECT_EQ(asUser(kDeleter, [&] { return isFileOpenByAnyProcess(file); }),
                  std::optional(false)); // the holder's descriptors are out of sight
        EXPECT_EQ(asUser(kDeleter, remove), std::optional(!row.kept));
        EXPECT_EQ(QFileInfo::exists(file), row.kept);
        holder.release();
        if (row.kept) {
            EXPECT_EQ(asUser(kDeleter, remove), std::optional(true));
            EXPECT_FALSE(QFileInfo::exists(file));
        }
        QFile::remove(file);
    }
}

} // namespace
} // namespace navlor::test

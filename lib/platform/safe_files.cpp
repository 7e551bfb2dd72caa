#include "lib/platform/safe_files.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor {

namespace {

// Bounds the starting over when other processes keep changing the name.
constexpr int kAttempts = 100;

// No blocking open on a pipe or a device planted at the name: such a file is refused after.
constexpr int kOpenFlags = O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int flockRetrying(int fd, int operation)
{
    int result;
    do
        result = ::flock(fd, operation);
    while (result != 0 && errno == EINTR);
    return result;
}

// True when the name in `dir` is the file open at `fd`, so a lock on `fd` guards the name.
bool namesFile(const ParentDirectory& dir, const struct stat& file)
{
    struct stat named;
    return ::fstatat(dir.fd(), dir.name().constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
           sameFile(file, named);
}

enum class Step
{
    Done,
    Again, // the name changed under this writer: open it anew
    Failed
};

Step appendLocked(int fd, const ParentDirectory& dir, const QByteArray& data, qint64 rotateAt,
                  const QByteArray& rotated)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Step::Failed;
    if (flockRetrying(fd, LOCK_EX) != 0)
        return Step::Failed;
    // Another writer may have rotated the file while this one waited for it.
    if (!namesFile(dir, st))
        return Step::Again;
    if (::fstat(fd, &st) != 0) // the size now, under the lock
        return Step::Failed;
    // The writers waiting on the old file find the name changed and start the new one. A log
    // that cannot be set aside still takes the line: losing it would be worse than growing.
    if (rotateAt > 0 && st.st_size >= rotateAt &&
        ::renameat(dir.fd(), dir.name().constData(), AT_FDCWD, rotated.constData()) == 0)
        return Step::Again;
    char last = '\n';
    if (st.st_size > 0 && !data.isEmpty() && ::pread(fd, &last, 1, st.st_size - 1) != 1)
        return Step::Failed;
    QByteArray buffer;
    buffer.reserve(data.size() + 2);
    if (last != '\n')
        buffer += "\r\n";
    buffer += data;
    // One write, so a line is never split by another writer or by a crash between two writes.
    ssize_t written;
    do
        written = ::write(fd, buffer.constData(), static_cast<size_t>(buffer.size()));
    while (written < 0 && errno == EINTR);
    if (written == buffer.size())
        return Step::Done;
    if (written > 0) {
        // A full disk: the part line goes, so the next writer starts clean.
        [[maybe_unused]] const int truncated = ::ftruncate(fd, st.st_size);
    }
    return Step::Failed;
}

class HeldLock final : public FileLock
{
public:
    explicit HeldLock(int fd) : m_fd(fd) {}
    ~HeldLock() override { ::close(m_fd); }
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    int m_fd;
};

} // namespace

ParentDirectory::ParentDirectory(const QString& hostPath)
{
    const QByteArray path = QFile::encodeName(hostPath);
    const qsizetype cut = path.lastIndexOf('/');
    m_name = path.mid(cut + 1);
    if (m_name.isEmpty() || m_name == "." || m_name == "..")
        return;
    const QByteArray dir = cut < 0 ? QByteArray(".") : cut == 0 ? QByteArray("/") : path.left(cut);
    m_fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

ParentDirectory::~ParentDirectory()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

AppendOutcome appendToHostFile(const QString& hostPath, const QByteArray& data, qint64 rotateAt,
                               const QString& rotatedHostPath)
{
    using Outcome = AppendOutcome;
    const ParentDirectory dir(hostPath);
    const QByteArray rotated = QFile::encodeName(rotatedHostPath);
    if (!dir.isOpen())
        return Outcome::Failed;
    const char* name = dir.name().constData();
    bool linkRemoved = false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Read and write: the last byte tells whether a line break must come first.
        const int fd = ::openat(dir.fd(), name, O_RDWR | O_APPEND | kOpenFlags, 0644);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            if (errno != ELOOP)
                return Outcome::Failed;
            // A link at the name goes, never what it names; whatever is there next is tried.
            struct stat st;
            if (::fstatat(dir.fd(), name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
                if (::unlinkat(dir.fd(), name, 0) != 0 && errno != ENOENT)
                    return Outcome::Failed;
                linkRemoved = true;
            }
            continue;
        }
        const Step step = appendLocked(fd, dir, data, rotateAt, rotated);
        ::close(fd); // frees the lock
        if (step == Step::Failed)
            return Outcome::Failed;
        if (step == Step::Done)
            return linkRemoved ? Outcome::LinkReplaced : Outcome::Appended;
    }
    return Outcome::Failed;
}

std::unique_ptr<FileLock> tryLockHostFile(const QString& hostPath)
{
    const ParentDirectory dir(hostPath);
    if (!dir.isOpen())
        return nullptr;
    const char* name = dir.name().constData();
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        int fd = ::openat(dir.fd(), name, O_RDWR | kOpenFlags, 0644);
        if (fd < 0 && errno == EACCES) // another user's lock file: a reader locks it as well
            fd = ::openat(dir.fd(), name, O_RDONLY | kOpenFlags, 0644);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return nullptr;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
            flockRetrying(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return nullptr;
        }
        // The holder before may have removed the file after this one opened it: only a lock on
        // what the name names now keeps out the next one.
        if (namesFile(dir, st))
            return std::make_unique<HeldLock>(fd);
        ::close(fd);
    }
    return nullptr;
}

bool isHostLink(const QString& hostPath)
{
    struct stat st;
    return !hostPath.isEmpty() && ::lstat(QFile::encodeName(hostPath).constData(), &st) == 0 &&
           S_ISLNK(st.st_mode);
}

bool removeHostLink(const QString& hostPath)
{
    const ParentDirectory dir(hostPath);
    struct stat st;
    return dir.isOpen() &&
           ::fstatat(dir.fd(), dir.name().constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISLNK(st.st_mode) && ::unlinkat(dir.fd(), dir.name().constData(), 0) == 0;
}

} // namespace navlor

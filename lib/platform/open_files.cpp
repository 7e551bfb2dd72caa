#include "lib/platform/open_files.h"

#include <QFile>

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace navlor {

namespace {

bool isNumber(const char* text)
{
    if (*text == '\0')
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Calls `found` for each process holding the file; stops when it returns false.
template <typename Found> void scan(const struct stat& target, Found found)
{
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return;
    while (dirent* process = ::readdir(proc)) {
        if (!isNumber(process->d_name))
            continue;
        const std::string fdDir = std::string("/proc/") + process->d_name + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds)
            continue; // gone, or another user's process
        bool holding = false;
        while (dirent* fd = ::readdir(fds)) {
            if (!isNumber(fd->d_name))
                continue;
            // stat() through the fd link gives the open file itself, even when it was
            // renamed or reached by another name.
            struct stat st;
            const std::string entry = fdDir + '/' + fd->d_name;
            if (::stat(entry.c_str(), &st) == 0 && sameFile(st, target)) {
                holding = true;
                break;
            }
        }
        ::closedir(fds);
        if (holding && !found(static_cast<qint64>(std::strtoll(process->d_name, nullptr, 10))))
            break;
    }
    ::closedir(proc);
}

template <typename Found> void scan(const QString& hostPath, Found found)
{
    struct stat target;
    if (::stat(QFile::encodeName(hostPath).constData(), &target) == 0)
        scan(target, found);
}

bool isOpenByAnyProcess(const struct stat& file)
{
    bool open = false;
    scan(file, [&](qint64) {
        open = true;
        return false;
    });
    return open;
}

// /proc files tell no size: read to the end.
QByteArray readProcFile(const char* path)
{
    QByteArray text;
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            text.append(buffer, n);
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(fd);
    return text;
}

template <typename T> std::optional<T> number(std::string_view text, int base)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || last != end)
        return std::nullopt;
    return value;
}

// Calls `field` for each blank-separated field of `line` until it returns true.
template <typename Field> void forEachField(std::string_view line, Field field)
{
    size_t start = 0;
    while (start < line.size()) {
        start = line.find_first_not_of(" \t", start);
        if (start == std::string_view::npos)
            return;
        size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos)
            end = line.size();
        if (field(line.substr(start, end - start)))
            return;
        start = end;
    }
}

template <typename Line> void forEachLine(const QByteArray& text, Line line)
{
    const std::string_view all(text.constData(), size_t(text.size()));
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        line(all.substr(start, end - start));
        start = end + 1;
    }
}

// Where `path` is mounted, as mountinfo names its device.
std::optional<std::pair<unsigned, unsigned>> mountDeviceOf(const char* path, quint64 inode)
{
    struct statx sx;
    if (::statx(AT_FDCWD, path, 0, STATX_INO | STATX_MNT_ID, &sx) != 0 ||
        !(sx.stx_mask & STATX_MNT_ID) || sx.stx_ino != inode)
        return std::nullopt;
    return mountDevice(readProcFile("/proc/self/mountinfo"), sx.stx_mnt_id);
}

bool isLocked(const char* path, const struct stat& file)
{
    const QList<LockedFile> locks = lockedFiles(readProcFile("/proc/locks"));
    const LockedFile self{major(file.st_dev), minor(file.st_dev), quint64(file.st_ino)};
    bool sameInode = false;
    for (const LockedFile& lock : locks) {
        if (lock == self)
            return true;
        sameInode = sameInode || lock.inode == self.inode;
    }
    if (!sameInode)
        return false;
    // btrfs gives stat() a device per subvolume; the lock table has the mount's device.
    const auto device = mountDeviceOf(path, self.inode);
    return device && locks.contains(LockedFile{device->first, device->second, self.inode});
}

std::optional<bool> isOpenAnywhere(const char* path, const struct stat& file)
{
    // Leases are taken on one's own regular files, or on any with CAP_LEASE.
    const uid_t me = ::geteuid();
    if (!S_ISREG(file.st_mode) || (file.st_uid != me && me != 0))
        return std::nullopt;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EWOULDBLOCK) // someone holds a lease on it
            return true;
        return std::nullopt;
    }
    std::optional<bool> open;
    struct stat opened;
    // A lease broken while we hold it is signalled to us, and SIGIO would end the program;
    // SIGURG is ignored unless asked for.
    if (::fstat(fd, &opened) == 0 && sameFile(opened, file) && ::fcntl(fd, F_SETSIG, SIGURG) == 0) {
        // A write lease needs our descriptor to be the file's only one, whoever's the others.
        if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) {
            ::fcntl(fd, F_SETLEASE, F_UNLCK);
            open = false;
        } else if (errno == EAGAIN || errno == EBUSY) {
            open = true;
        }
    }
    ::close(fd);
    return open;
}

bool isInUse(const char* path, const struct stat& file)
{
    if (isLocked(path, file))
        return true;
    // A lease, where it can be asked for, covers every process: no need to walk them.
    if (const std::optional<bool> open = isOpenAnywhere(path, file))
        return *open;
    return isOpenByAnyProcess(file);
}

} // namespace

QList<qint64> processesHoldingFile(const QString& hostPath)
{
    QList<qint64> pids;
    scan(hostPath, [&](qint64 pid) {
        pids << pid;
        return true;
    });
    return pids;
}

bool isFileOpenByAnyProcess(const QString& hostPath)
{
    struct stat file;
    return ::stat(QFile::encodeName(hostPath).constData(), &file) == 0 && isOpenByAnyProcess(file);
}

QList<LockedFile> lockedFiles(const QByteArray& procLocks)
{
    QList<LockedFile> files;
    forEachLine(procLocks, [&](std::string_view line) {
        // "1: POSIX  ADVISORY  WRITE 4321 08:01:1835012 0 EOF": the file is the one field
        // with two colons, the device in hex, the inode in decimal.
        forEachField(line, [&](std::string_view field) {
            const size_t first = field.find(':');
            if (first == field.npos)
                return false;
            const size_t second = field.find(':', first + 1);
            if (second == field.npos || field.find(':', second + 1) != field.npos)
                return false;
            const auto major = number<unsigned>(field.substr(0, first), 16);
            const auto minor = number<unsigned>(field.substr(first + 1, second - first - 1), 16);
            const auto inode = number<quint64>(field.substr(second + 1), 10);
            if (!major || !minor || !inode)
                return false;
            files.append({*major, *minor, *inode});
            return true;
        });
    });
    return files;
}

std::optional<std::pair<unsigned, unsigned>> mountDevice(const QByteArray& mountInfo,
                                                         quint64 mountId)
{
    std::optional<std::pair<unsigned, unsigned>> device;
    forEachLine(mountInfo, [&](std::string_view line) {
        // "36 35 98:0 /mnt1 /mnt2 rw ...": id, parent id, device in decimal.
        std::string_view fields[3];
        int count = 0;
        forEachField(line, [&](std::string_view field) {
            fields[count++] = field;
            return count == 3;
        });
        if (device || count < 3 || number<quint64>(fields[0], 10) != mountId)
            return;
        const size_t colon = fields[2].find(':');
        if (colon == std::string_view::npos)
            return;
        const auto major = number<unsigned>(fields[2].substr(0, colon), 10);
        const auto minor = number<unsigned>(fields[2].substr(colon + 1), 10);
        if (major && minor)
            device = std::pair(*major, *minor);
    });
    return device;
}

bool isFileLocked(const QString& hostPath)
{
    const QByteArray path = QFile::encodeName(hostPath);
    struct stat file;
    return ::stat(path.constData(), &file) == 0 && isLocked(path.constData(), file);
}

std::optional<bool> isFileOpenAnywhere(const QString& hostPath)
{
    const QByteArray path = QFile::encodeName(hostPath);
    struct stat file;
    if (::stat(path.constData(), &file) != 0)
        return std::nullopt;
    return isOpenAnywhere(path.constData(), file);
}

bool isFileInUse(const QString& hostPath)
{
    const QByteArray path = QFile::encodeName(hostPath);
    struct stat file;
    return ::stat(path.constData(), &file) == 0 && isInUse(path.constData(), file);
}

bool removeFileUnlessInUse(const QString& hostPath)
{
    const QByteArray path = QFile::encodeName(hostPath);
    struct stat checked;
    if (::lstat(path.constData(), &checked) != 0 || isInUse(path.constData(), checked))
        return false;
    // Only the file just found free goes, not one put under its name meanwhile.
    struct stat now;
    if (::lstat(path.constData(), &now) != 0 || !sameFile(now, checked))
        return false;
    return ::unlink(path.constData()) == 0;
}

} // namespace navlor

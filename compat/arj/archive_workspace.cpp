#include "compat/arj/archive_workspace.h"

#include "compat/arj/end_signals.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace navlor::arj {

namespace {

// The archive or one of its volumes, which arj names after it: NAME.A01 beside NAME.ARJ.
bool isArjOutput(const QByteArray& name, const QByteArray& archive)
{
    if (name == archive)
        return true;
    const qsizetype n = archive.size();
    return n > 2 && name.size() == n && name.startsWith(archive.left(n - 2)) &&
           std::isdigit(static_cast<unsigned char>(name.at(n - 2))) &&
           std::isdigit(static_cast<unsigned char>(name.at(n - 1)));
}

QList<QByteArray> namesIn(int directory)
{
    QList<QByteArray> names;
    const int fd = ::dup(directory);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    ::rewinddir(dir); // the duplicate shares its position with any earlier reading
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(dir);
    return names;
}

// Only by descriptor: nothing in the workspace is reached through a path another user could
// change.
void removeContents(int directory)
{
    for (const QByteArray& name : namesIn(directory)) {
        if (::unlinkat(directory, name.constData(), 0) == 0 || (errno != EISDIR && errno != EPERM))
            continue;
        const int sub =
            ::openat(directory, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0)
            continue;
        removeContents(sub);
        ::close(sub);
        ::unlinkat(directory, name.constData(), AT_REMOVEDIR);
    }
}

bool writeAll(int fd, const char* bytes, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, bytes, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= n;
    }
    return true;
}

} // namespace

ArchiveWorkspace::ArchiveWorkspace(const QString& archiveHostPath)
{
    const QByteArray path = QFile::encodeName(archiveHostPath);
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray parent = slash > 0 ? path.left(slash) : QByteArray(slash == 0 ? "/" : ".");
    m_name = path.mid(slash + 1);
    m_parent = ::open(parent.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_name.isEmpty() || m_parent < 0) {
        m_error = m_parent < 0 ? errno : EISDIR;
        return;
    }
    struct stat st;
    const bool exists = ::fstatat(m_parent, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && S_ISLNK(st.st_mode)) {
        m_status = Status::LinkAtName;
        return;
    }
    if (!exists && errno != ENOENT) {
        m_error = errno;
        return;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        m_error = S_ISDIR(st.st_mode) ? EISDIR : 0;
        return;
    }

    QByteArray made = (parent == "/" ? QByteArray() : parent) + '/' + kWorkspacePrefix + "XXXXXX";
    if (!::mkdtemp(made.data())) {
        m_error = errno;
        return;
    }
    m_directoryPath = made;
    m_directoryName = made.mid(made.lastIndexOf('/') + 1);
    m_directory = ::openat(m_parent, m_directoryName.constData(),
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (m_directory < 0 || (exists && !placeArchive())) {
        m_error = errno;
        return;
    }
    m_status = Status::Ready;
}

ArchiveWorkspace::~ArchiveWorkspace()
{
    if (m_directory >= 0) {
        removeContents(m_directory);
        ::close(m_directory);
    }
    if (!m_directoryName.isEmpty())
        ::unlinkat(m_parent, m_directoryName.constData(), AT_REMOVEDIR);
    if (m_parent >= 0)
        ::close(m_parent);
}

QString ArchiveWorkspace::directory() const
{
    return QFile::decodeName(m_directoryPath);
}

QString ArchiveWorkspace::archive() const
{
    return QFile::decodeName(m_directoryPath + '/' + m_name);
}

// Linked without following: a link that took the archive's name since it was looked at comes
// in as a link, and is refused here.
bool ArchiveWorkspace::placeArchive()
{
    const bool linked =
        ::linkat(m_parent, m_name.constData(), m_directory, m_name.constData(), 0) == 0;
    if (!linked && !copyArchive()) {
        struct stat st;
        if (::fstatat(m_parent, m_name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(st.st_mode))
            m_status = Status::LinkAtName;
        return false;
    }
    if (::fstatat(m_directory, m_name.constData(), &m_placed, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    if (S_ISLNK(m_placed.st_mode))
        m_status = Status::LinkAtName;
    return S_ISREG(m_placed.st_mode);
}

bool ArchiveWorkspace::copyArchive()
{
    const int from = ::openat(m_parent, m_name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (from < 0)
        return false;
    if (::fstat(from, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(from);
        return false;
    }
    const int to = ::openat(m_directory, m_name.constData(),
                            O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    bool copied = to >= 0;
    static constexpr ssize_t kChunk = 1 << 20;
    QByteArray buffer(kChunk, Qt::Uninitialized);
    while (copied && endSignal() == 0) {
        const ssize_t n = ::read(from, buffer.data(), kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            copied = n == 0;
            break;
        }
        copied = writeAll(to, buffer.constData(), n);
    }
    copied = copied && endSignal() == 0 && ::fchmod(to, st.st_mode & 07777) == 0;
    ::close(from);
    if (to >= 0 && ::close(to) != 0)
        copied = false;
    return copied;
}

bool ArchiveWorkspace::unchanged(const struct stat& now) const
{
    // Not the change time: arj renames the archive back and forth before it writes.
    return m_placed.st_dev == now.st_dev && m_placed.st_ino == now.st_ino &&
           m_placed.st_size == now.st_size && m_placed.st_mtim.tv_sec == now.st_mtim.tv_sec &&
           m_placed.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

bool ArchiveWorkspace::commit()
{
    if (m_status != Status::Ready)
        return false;
    QList<QByteArray> made;
    for (const QByteArray& name : namesIn(m_directory)) {
        struct stat st;
        if (!isArjOutput(name, m_name) ||
            ::fstatat(m_directory, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode))
            continue;
        if (name == m_name && S_ISREG(m_placed.st_mode) && unchanged(st))
            continue;
        made << name;
    }
    // The archive last: its volumes are in place when it is.
    std::stable_partition(made.begin(), made.end(),
                          [this](const QByteArray& name) { return name != m_name; });
    for (const QByteArray& name : made) {
        if (::renameat(m_directory, name.constData(), m_parent, name.constData()) != 0)
            return false;
    }
    return true;
}

} // namespace navlor::arj

#include "lib/platform/atomic_file.h"

#include "lib/platform/safe_files.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <ctime>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor {

namespace {

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

const QByteArray kTempMarker = QByteArrayLiteral(".navlor-");

// The name writeFileAtomically gives its temporary files: "." + name + ".navlor-" + base 36.
bool isTemporaryName(const QByteArray& name)
{
    const qsizetype marker = name.lastIndexOf(kTempMarker);
    if (!name.startsWith('.') || marker < 2)
        return false;
    const qsizetype digits = name.size() - marker - kTempMarker.size();
    if (digits < 1 || digits > 13) // a 64-bit number in base 36 at most
        return false;
    for (qsizetype i = marker + kTempMarker.size(); i < name.size(); ++i) {
        const char c = name.at(i);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString& hostPath, const QByteArray& data, int newMode)
{
    // Everything happens in the directory opened once, by the name alone: a link planted at
    // the name is replaced itself, and what it names is never opened.
    const ParentDirectory dir(hostPath);
    if (!dir.isOpen())
        return false;
    const char* name = dir.name().constData();
    // Only a regular file at the name hands on its permissions; a link's target is not ours.
    struct stat old;
    const bool hadOld =
        ::fstatat(dir.fd(), name, &old, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(old.st_mode);

    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = '.' + dir.name().left(200) + kTempMarker +
                   QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::openat(dir.fd(), tempName.constData(),
                      O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      static_cast<mode_t>(newMode));
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = writeAll(fd, data);
    if (ok && hadOld)
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    if (ok)
        ok = ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::renameat(dir.fd(), tempName.constData(), dir.fd(), name) == 0;
    if (!ok) {
        ::unlinkat(dir.fd(), tempName.constData(), 0);
        return false;
    }
    ::fsync(dir.fd());
    return true;
}

int removeInterruptedWrites(const QString& hostDirectory, int minimumAgeSeconds)
{
    const QByteArray dirName = QFile::encodeName(hostDirectory);
    const int dirFd = ::open(dirName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!isTemporaryName(name))
            continue;
        // Looked at through the directory itself, without following a link: a link or a
        // directory named like a leftover is someone else's and stays.
        struct stat st;
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode) || now - st.st_mtime <= minimumAgeSeconds)
            continue;
        if (::unlinkat(dirFd, name.constData(), 0) == 0)
            ++removed;
    }
    ::closedir(dir); // closes dirFd too
    return removed;
}

} // namespace navlor

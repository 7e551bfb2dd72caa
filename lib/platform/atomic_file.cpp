#include "lib/platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

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

void syncDirectory(const QByteArray& dir)
{
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool writeFileAtomically(const QString& hostPath, const QByteArray& data, int newMode)
{
    QString target = hostPath;
    // A link is replaced through: the file it names gets the new contents.
    const QFileInfo info(hostPath);
    if (info.isSymLink() && info.exists())
        target = info.canonicalFilePath();

    const QByteArray targetName = QFile::encodeName(target);
    struct stat old;
    const bool hadOld = ::stat(targetName.constData(), &old) == 0;

    const QFileInfo targetInfo(target);
    const QByteArray dir = QFile::encodeName(targetInfo.path());
    QByteArray tempName;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tempName = dir + '/' + '.' + QFile::encodeName(targetInfo.fileName()).left(200) +
                   ".navlor-" + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
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
        ok = ::rename(tempName.constData(), targetName.constData()) == 0;
    if (!ok) {
        ::unlink(tempName.constData());
        return false;
    }
    syncDirectory(dir);
    return true;
}

} // namespace navlor

#pragma once

// Small host-file helpers the parts of the POSIX backend share.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace navlor::posix {

inline QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

inline bool statPath(const QString& hostPath, struct stat& st)
{
    return !hostPath.isEmpty() && ::stat(encoded(hostPath).constData(), &st) == 0;
}

inline bool lstatPath(const QString& hostPath, struct stat& st)
{
    return !hostPath.isEmpty() && ::lstat(encoded(hostPath).constData(), &st) == 0;
}

inline bool isHostDirectory(const QString& hostPath)
{
    struct stat st;
    return statPath(hostPath, st) && S_ISDIR(st.st_mode);
}

inline bool isHostFile(const QString& hostPath)
{
    struct stat st;
    return statPath(hostPath, st) && S_ISREG(st.st_mode);
}

inline QDateTime modificationTime(const struct stat& st)
{
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(st.st_mtim.tv_sec) * 1000 +
                                          st.st_mtim.tv_nsec / 1000000);
}

inline QString fileNameOf(const QString& windowsPath)
{
    const qsizetype cut = std::max({windowsPath.lastIndexOf(u'\\'), windowsPath.lastIndexOf(u'/'),
                                    windowsPath.lastIndexOf(u':')});
    return windowsPath.mid(cut + 1);
}

inline QString directoryOf(const QString& absoluteWindowsPath)
{
    const qsizetype cut = absoluteWindowsPath.lastIndexOf(u'\\');
    // "C:\NAME" -> "C:\", "C:\A\NAME" -> "C:\A"
    return cut <= 2 ? absoluteWindowsPath.left(3) : absoluteWindowsPath.left(cut);
}

inline bool hasExtension(const QString& name, const QString& extension)
{
    return name.endsWith(extension, Qt::CaseInsensitive);
}

// ELF binaries and "#!" scripts are what the host can run itself.
inline bool isHostExecutable(const QString& hostPath)
{
    QFile file(hostPath);
    if (!isHostFile(hostPath) || !file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(4);
    return head == QByteArray("\x7f"
                              "ELF",
                              4) ||
           head.startsWith("#!");
}

inline bool isExecutableFile(const QString& hostPath)
{
    return isHostFile(hostPath) && ::access(encoded(hostPath).constData(), X_OK) == 0;
}

} // namespace navlor::posix

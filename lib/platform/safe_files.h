#pragma once

// Host-file work that never goes through a link at the name: in a folder others may write to
// (a shared backup folder, mode 1777), a planted link must not lead a write to another file.

#include "lib/platform/platform.h"

#include <QByteArray>
#include <QString>

#include <memory>

namespace navlor {

// The directory of a host path, held open, so the last name is looked at and changed there
// whatever becomes of the path's directories meanwhile.
class ParentDirectory
{
public:
    explicit ParentDirectory(const QString& hostPath);
    ~ParentDirectory();
    ParentDirectory(const ParentDirectory&) = delete;
    ParentDirectory& operator=(const ParentDirectory&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    const QByteArray& name() const { return m_name; } // the last name, encoded

private:
    int m_fd = -1;
    QByteArray m_name;
};

// Platform::appendToFile over host paths (`rotatedHostPath` only used when `rotateAt` > 0;
// empty: no place to set the file aside).
AppendOutcome appendToHostFile(const QString& hostPath, const QByteArray& data, qint64 rotateAt,
                               const QString& rotatedHostPath);

// Platform::tryLockFile over a host path.
std::unique_ptr<FileLock> tryLockHostFile(const QString& hostPath);

// True when the host path itself is a symbolic link.
bool isHostLink(const QString& hostPath);

// Unlinks the host path when it is a symbolic link; false when it is none or stays.
bool removeHostLink(const QString& hostPath);

} // namespace navlor

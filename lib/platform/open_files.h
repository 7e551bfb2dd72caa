#pragma once

// Whether a file is in use, as Windows decides before a delete: open or locked by any process.
// The host tells in three ways, none complete on its own for an ordinary user:
//  - /proc/*/fd, as fuser looks: only the processes whose descriptors we may read;
//  - /proc/locks: every fcntl, OFD and flock lock and every lease, whoever holds it;
//  - a write lease, which the kernel refuses while anyone has the file open: only on files we
//    own (or as root).

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace navlor {

// Ids of the processes (this one included) with an open descriptor on the file at `hostPath`
// (links followed). Processes whose descriptors cannot be read are passed over.
QList<qint64> processesHoldingFile(const QString& hostPath);

bool isFileOpenByAnyProcess(const QString& hostPath);

// A file as the kernel's lock table names it: the device of its filesystem and its inode.
struct LockedFile
{
    unsigned major = 0;
    unsigned minor = 0;
    quint64 inode = 0;
    bool operator==(const LockedFile&) const = default;
};

// The files a /proc/locks text lists, one per line, locks held and waited for alike.
QList<LockedFile> lockedFiles(const QByteArray& procLocks);

// The device ("major:minor") /proc/self/mountinfo gives for mount `mountId`.
std::optional<std::pair<unsigned, unsigned>> mountDevice(const QByteArray& mountInfo,
                                                         quint64 mountId);

// True when /proc/locks lists a lock or lease on the file at `hostPath` (links followed).
bool isFileLocked(const QString& hostPath);

// Whether any process of any user has the file open, asked by trying a write lease on it.
// Empty when the lease cannot tell: another user's file, or a filesystem without leases.
std::optional<bool> isFileOpenAnywhere(const QString& hostPath);

// Any of the above, cheapest first (links followed).
bool isFileInUse(const QString& hostPath);

// Unlinks `hostPath` itself, unless the file it names is in use or was replaced while it was
// being checked. False when kept or when the unlink failed.
bool removeFileUnlessInUse(const QString& hostPath);

} // namespace navlor

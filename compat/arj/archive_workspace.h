#pragma once

// Where "A" and "M" have arj write: a directory of their own beside the archive that no other
// user can write to, so arj's ARJTEMP.$nn and the list files are out of reach of links
// planted in a shared destination. The archive is linked in (copied where the disk takes no
// links) and what arj makes is renamed over its name, which replaces a link planted there
// meanwhile instead of following it.

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace navlor::arj {

// "ARJTEMP-" and six characters from mkdtemp. The backup removes directories so named that a
// killed stand-in left in a destination.
inline constexpr char kWorkspacePrefix[] = "ARJTEMP-";

class ArchiveWorkspace
{
public:
    enum class Status
    {
        Ready,
        LinkAtName, // the archive's name is a symbolic link: never followed
        CantOpen,   // no directory can be made beside it, or something else holds its name
    };

    // A signal that comes while a large archive is copied in ends the copy: CantOpen.
    explicit ArchiveWorkspace(const QString& archiveHostPath);
    // The directory and everything left in it are removed.
    ~ArchiveWorkspace();
    ArchiveWorkspace(const ArchiveWorkspace&) = delete;
    ArchiveWorkspace& operator=(const ArchiveWorkspace&) = delete;

    Status status() const { return m_status; }
    // Why it is not ready, as errno; 0 when no call said.
    int error() const { return m_error; }
    QString directory() const; // host paths
    QString archive() const;

    // What arj made, the archive and any volumes of it, renamed over the same names beside
    // the workspace; an archive arj left as it was linked in stays as it is. False when a
    // rename failed.
    [[nodiscard]] bool commit();

private:
    bool placeArchive();
    bool copyArchive();
    bool unchanged(const struct stat& now) const;

    Status m_status = Status::CantOpen;
    int m_error = 0;
    int m_parent = -1; // the archive's directory
    int m_directory = -1;
    QByteArray m_name;          // the archive's
    QByteArray m_directoryPath; // host path of the workspace
    QByteArray m_directoryName;
    struct stat m_placed = {};
};

} // namespace navlor::arj

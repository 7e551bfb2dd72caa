#include "compat/arj/file_selection.h"

#include "lib/platform/platform.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <sys/stat.h>

#include <vector>

namespace navlor::arj {

namespace {

// The patterns of one directory, walked together so a tree is read once for all its masks.
struct Group
{
    QString directory;
    std::vector<qsizetype> patterns; // indexes into the request's patterns
};

struct FileId
{
    dev_t device = 0;
    ino_t inode = 0;
    bool valid = false;
};

FileId idOf(const QString& hostPath)
{
    struct stat st;
    if (hostPath.isEmpty() || ::stat(QFile::encodeName(hostPath).constData(), &st) != 0)
        return {};
    return {st.st_dev, st.st_ino, true};
}

// A name that an archive entry cannot carry back: Windows never makes one, and arj would
// read it as a pattern or a separator. A name the host could not decode is kept out too:
// written back it would name another file.
bool storable(const QString& name)
{
    return !name.contains(u'*') && !name.contains(u'?') && !name.contains(u'\\') &&
           !name.contains(u'\n') && !name.contains(QChar::ReplacementCharacter);
}

class Walker
{
public:
    Walker(Platform& platform, const SelectionRequest& request, Selection& out)
        : m_platform(platform), m_request(request), m_out(out),
          m_archive(idOf(request.archiveHostPath)),
          m_archiveName(request.archiveHostPath.mid(request.archiveHostPath.lastIndexOf(u'/') + 1))
    {
    }

    void walk(const Group& group)
    {
        std::vector<WildcardMask> masks;
        std::vector<bool> matched(group.patterns.size(), false);
        for (const qsizetype i : group.patterns)
            masks.emplace_back(m_request.patterns.at(i).mask);

        const QString hostDirectory = m_platform.toHostPath(group.directory);
        const QString driveRoot =
            m_platform.toHostPath(group.directory.left(1) + QStringLiteral(":\\"));
        if (!hostDirectory.isEmpty() && !driveRoot.isEmpty() &&
            m_platform.directoryExists(group.directory)) {
            const QChar drive = group.directory.at(0).toUpper();
            // Depth first, the files of a directory before its subdirectories.
            std::vector<std::pair<QString, QString>> pending{{group.directory, hostDirectory}};
            while (!pending.empty()) {
                const auto [windowsDir, hostDir] = pending.back();
                pending.pop_back();
                std::vector<std::pair<QString, QString>> subdirectories;
                const QList<DirEntry> entries =
                    m_platform.findFileKinds(joinPath(windowsDir, QStringLiteral("*")));
                for (const DirEntry& e : entries) {
                    // Hidden and system entries (dot files, links to directories, devices)
                    // are left out, as ARJ leaves them without its "-A" switch.
                    if (e.hidden || e.system)
                        continue;
                    if (e.directory) {
                        if (m_request.recurse)
                            subdirectories.emplace_back(joinPath(windowsDir, e.name),
                                                        hostDir + u'/' + e.name);
                        continue;
                    }
                    bool selected = false;
                    for (size_t m = 0; m < masks.size(); ++m) {
                        if (masks[m].matches(e.name)) {
                            matched[m] = true;
                            selected = true;
                        }
                    }
                    if (!selected)
                        continue;
                    if (m_request.exclusions && m_request.exclusions->excludes(windowsDir, e.name))
                        continue;
                    add(windowsDir, hostDir, e.name, drive, driveRoot);
                }
                for (auto it = subdirectories.rbegin(); it != subdirectories.rend(); ++it)
                    pending.push_back(*it);
            }
        }
        for (size_t m = 0; m < matched.size(); ++m) {
            if (!matched[m])
                m_out.unmatched << m_request.patterns.at(group.patterns[m]).given;
        }
    }

private:
    void add(const QString& windowsDir, const QString& hostDir, const QString& name, QChar drive,
             const QString& driveRoot)
    {
        const QString hostPath = hostDir + u'/' + name;
        if (hostPath.size() <= driveRoot.size() || hostPath.at(driveRoot.size()) != u'/' ||
            !hostPath.startsWith(driveRoot))
            return;
        if (m_seen.contains(hostPath))
            return;
        m_seen.insert(hostPath);
        const QString windowsPath = joinPath(windowsDir, name);
        if (!storable(name)) {
            m_out.unstorable << windowsPath;
            return;
        }
        if (m_archive.valid && name.compare(m_archiveName, Qt::CaseInsensitive) == 0) {
            const FileId id = idOf(hostPath);
            if (id.valid && id.device == m_archive.device && id.inode == m_archive.inode)
                return; // the archive being written
        }
        m_out.files.append(
            {windowsPath, hostPath, QFile::encodeName(hostPath.mid(driveRoot.size() + 1)), drive});
    }

    Platform& m_platform;
    const SelectionRequest& m_request;
    Selection& m_out;
    FileId m_archive;
    QString m_archiveName;
    QSet<QString> m_seen;
};

} // namespace

Selection selectFiles(Platform& platform, const SelectionRequest& request)
{
    Selection selection;
    std::vector<Group> groups;
    QHash<QString, size_t> groupOf;
    for (qsizetype i = 0; i < request.patterns.size(); ++i) {
        const QString key = request.patterns.at(i).directory.toUpper();
        auto it = groupOf.find(key);
        if (it == groupOf.end()) {
            it = groupOf.insert(key, groups.size());
            groups.push_back({request.patterns.at(i).directory, {}});
        }
        groups[*it].patterns.push_back(i);
    }
    Walker walker(platform, request, selection);
    for (const Group& group : groups)
        walker.walk(group);
    return selection;
}

} // namespace navlor::arj

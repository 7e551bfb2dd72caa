// Directory listings of the POSIX backend: one directory in the order Windows lists it, with
// the kinds and details FindFirstFile gives. A tree walk lists every directory of a drive this
// way, so the directory is read in one buffer and the names sorted on a cheap key first.

#include "lib/platform/posix_platform.h"

#include "lib/platform/posix_files.h"
#include "lib/platform/wildcard.h"

#include <QFile>

#include <algorithm>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor {

using namespace posix;

namespace {

// A directory read straight through getdents64 into a buffer on the stack: a tree walk opens
// thousands of directories, and opendir allocates and frees 32 KB for each.
class GetdentsDirectory
{
public:
    GetdentsDirectory() = default;
    GetdentsDirectory(const GetdentsDirectory&) = delete;
    GetdentsDirectory& operator=(const GetdentsDirectory&) = delete;
    ~GetdentsDirectory() { close(); }

    // The flags opendir uses.
    void open(const QByteArray& hostPath)
    {
        m_fd = ::open(hostPath.constData(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC);
    }
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    // The next entry, "." and ".." among them, or null at the end (or on an error, as readdir).
    const dirent64* next()
    {
        if (m_at >= m_end) {
            const ssize_t n = ::getdents64(m_fd, m_buffer, sizeof m_buffer);
            if (n <= 0)
                return nullptr;
            m_at = 0;
            m_end = static_cast<size_t>(n);
        }
        const auto* e = reinterpret_cast<const dirent64*>(m_buffer + m_at);
        m_at += e->d_reclen;
        return e;
    }

private:
    int m_fd = -1;
    size_t m_at = 0;
    size_t m_end = 0;
    alignas(dirent64) char m_buffer[16384];
};

// A name's place in a listing: its first eight characters upper-cased, big-endian, when
// they are all ASCII. Two such prefixes that differ order their names as windowsNameLess
// does (a shorter name's zero padding sorts first, as the shorter name does); equal ones,
// and names that begin outside ASCII, are compared whole.
struct NameOrder
{
    quint64 prefix = 0;
    bool ascii = true;
    quint32 index = 0;
};

// A name from a directory as QFile::decodeName makes it, with its sort prefix. Names in ASCII,
// nearly all of them, skip the UTF-8 decoder.
QString decodedName(const char* raw, NameOrder& key)
{
    size_t n = 0;
    bool ascii = true;
    for (; raw[n]; ++n) {
        const auto c = static_cast<unsigned char>(raw[n]);
        ascii = ascii && c < 0x80;
        if (n < 8) {
            key.ascii = key.ascii && c < 0x80;
            key.prefix |= static_cast<quint64>(c >= 'a' && c <= 'z' ? c - 0x20 : c)
                          << (8 * (7 - n));
        }
    }
    return ascii ? QString::fromLatin1(raw, static_cast<qsizetype>(n)) : QFile::decodeName(raw);
}

} // namespace

QList<DirEntry> PosixPlatform::findFiles(const QString& pattern)
{
    return enumerate(pattern, true);
}

QList<DirEntry> PosixPlatform::findFileKinds(const QString& pattern)
{
    return enumerate(pattern, false);
}

QList<DirEntry> PosixPlatform::enumerate(const QString& pattern, bool details) const
{
    if (pattern.endsWith(u'\\') || pattern.endsWith(u'/'))
        return {};
    const QString full = absolute(pattern);
    if (full.isEmpty() || full.size() <= 3)
        return {};
    const WildcardMask mask(fileNameOf(full));
    // A directory that opens under its exact names needs no mapping: one look at the disk
    // instead of two for every directory of a tree walk.
    const QString windowsDir = directoryOf(full);
    GetdentsDirectory d;
    const QString exact = m_prefix.exactHost(windowsDir);
    if (!exact.isEmpty())
        d.open(encoded(exact));
    if (!d.isOpen()) {
        const QString dir = host(windowsDir);
        if (dir.isEmpty())
            return {};
        d.open(encoded(dir));
        if (!d.isOpen())
            return {};
    }
    const int fd = d.fd();
    // Collected with a sort key each, and put in order by the keys: a tree walk lists every
    // directory of a drive this way.
    std::vector<DirEntry> found;
    std::vector<NameOrder> order;
    found.reserve(64);
    order.reserve(64);
    while (const dirent64* e = d.next()) {
        const char* raw = e->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        NameOrder key;
        QString name = decodedName(raw, key);
        if (!mask.matchesEverything() && !mask.matches(name))
            continue;
        DirEntry entry;
        entry.hidden = raw[0] == '.';
        // The directory tells the kind of most entries; the rest, and the details, need a
        // look at the entry itself.
        unsigned char type = e->d_type;
        struct stat st;
        bool haveStat = false;
        if (details || type == DT_UNKNOWN) {
            if (::fstatat(fd, raw, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            haveStat = true;
            type = IFTODT(st.st_mode);
        }
        if (type == DT_LNK) {
            struct stat target;
            if (::fstatat(fd, raw, &target, 0) == 0) {
                st = target;
                haveStat = true;
                type = IFTODT(target.st_mode);
                // A link to a directory is listed as a system directory: tree walks do not
                // enter system directories, so a link back up the tree cannot make a loop.
                entry.system = type != DT_REG;
            } else {
                entry.system = true; // a dangling link is no ordinary file
            }
        } else if (type != DT_DIR && type != DT_REG) {
            entry.system = true; // devices, pipes, sockets
        }
        entry.directory = type == DT_DIR;
        if (details && haveStat) {
            entry.readOnly = (st.st_mode & S_IWUSR) == 0;
            entry.size = entry.directory ? 0 : static_cast<qint64>(st.st_size);
            entry.modified = modificationTime(st);
        }
        entry.name = std::move(name);
        key.index = static_cast<quint32>(found.size());
        found.push_back(std::move(entry));
        order.push_back(key);
    }
    d.close();
    std::sort(order.begin(), order.end(), [&found](const NameOrder& a, const NameOrder& b) {
        if (a.prefix != b.prefix && a.ascii && b.ascii)
            return a.prefix < b.prefix;
        return windowsNameLess(found[a.index].name, found[b.index].name);
    });
    QList<DirEntry> entries;
    entries.reserve(static_cast<qsizetype>(found.size()));
    for (const NameOrder& o : order)
        entries.append(std::move(found[o.index]));
    return entries;
}

} // namespace navlor

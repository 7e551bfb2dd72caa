#include "lib/arj_headers.h"

#include "lib/ansi_text.h"
#include "lib/platform/platform.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <array>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace navlor {

namespace {

constexpr quint16 kArjHeaderId = 0xEA60;
constexpr qsizetype kArjLargestHeader = 2600;
// Offsets in a basic header, after its size; the fixed part ends with the chapters.
constexpr qsizetype kArjFixedPart = 30;
constexpr qsizetype kArjHostOs = 3;
constexpr qsizetype kArjFlags = 4;
constexpr qsizetype kArjMethod = 5;
constexpr qsizetype kArjFileType = 6;
constexpr qsizetype kArjStamp = 8;
constexpr qsizetype kArjPacked = 12;
constexpr qsizetype kArjOriginal = 16;
constexpr qsizetype kArjFileCrc = 20;
constexpr qsizetype kArjMode = 26;
constexpr qsizetype kArjFirstChapter = 28;
constexpr qsizetype kArjLastChapter = 29;
constexpr quint8 kArjVolume = 0x04;  // continued on the next volume
constexpr quint8 kArjExtFile = 0x08; // starts inside the entry, on an earlier volume
constexpr quint8 kArjMainType = 2;
constexpr quint8 kArjTextType = 1;
// Hosts whose times are seconds since 1970 and whose listing gives the file's mode.
constexpr quint8 kArjUnixHost = 2;
constexpr quint8 kArjNextHost = 8;
// A header is at most a few kilobytes: one read takes in hundreds of them.
constexpr qsizetype kArjWindow = 256 * 1024;
constexpr qsizetype kArjFarRead = 4096;
constexpr qsizetype kArjKnownTimes = 65536;

quint16 arjWord(const char* p)
{
    return static_cast<quint16>(static_cast<quint8>(p[0]) | static_cast<quint8>(p[1]) << 8);
}

quint32 arjDword(const char* p)
{
    return static_cast<quint32>(arjWord(p)) | static_cast<quint32>(arjWord(p + 2)) << 16;
}

bool arjCrcMatches(const char* data, qsizetype size)
{
    const auto crc = static_cast<quint32>(
        ::crc32(0, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size)));
    return crc == arjDword(data + size);
}

// The listing prints a name byte for byte: these bytes would break or bend its lines.
bool arjPrintableName(const char* name, qsizetype size)
{
    if (size == 0)
        return false;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<quint8>(name[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
    }
    return true;
}

// The name as the archiver stand-in lists it: the stored bytes read as UTF-8, "\" between
// directories, through the 8-bit code page of the listing file.
QString arjListedName(const QByteArray& stored)
{
    const bool ascii = std::all_of(stored.cbegin(), stored.cend(),
                                   [](char c) { return static_cast<quint8>(c) < 0x80; });
    QString name = ascii ? QString::fromLatin1(stored) : QString::fromUtf8(stored);
    name.replace(u'/', u'\\');
    return ascii ? name : fromAnsi(toAnsi(name));
}

// The archive's bytes through a window, read again only where a header lies outside it.
class ArjHeaderWindow
{
public:
    ArjHeaderWindow(int fd, qint64 size) : m_fd(fd), m_size(size) {}

    qint64 size() const { return m_size; }

    // The `count` bytes at `at`, or nullptr when they are not all there.
    const char* bytes(qint64 at, qsizetype count)
    {
        if (at < 0 || count < 0 || at > m_size - count)
            return nullptr;
        if (at >= m_start && at + count <= m_start + m_buffer.size())
            return m_buffer.constData() + (at - m_start);
        // Headers close behind one another come in a large read; past the data of a large
        // entry, a small one takes the next header without reading the data after it.
        const bool near = at < m_start + m_buffer.size() + kArjWindow / 4;
        const auto wanted = static_cast<qsizetype>(
            std::min<qint64>(std::max(count, near ? kArjWindow : kArjFarRead), m_size - at));
        m_buffer.resize(wanted);
        qsizetype got = 0;
        while (got < wanted) {
            const ssize_t n = ::pread(m_fd, m_buffer.data() + got, wanted - got, at + got);
            if (n <= 0)
                break;
            got += n;
        }
        m_start = at;
        m_buffer.resize(got);
        return got >= count ? m_buffer.constData() : nullptr;
    }

private:
    int m_fd;
    qint64 m_size;
    qint64 m_start = 0;
    QByteArray m_buffer;
};

// Where the part after a basic header's extended headers starts, or -1.
qint64 arjSkipExtended(ArjHeaderWindow& window, qint64 at)
{
    for (;;) {
        const char* size = window.bytes(at, 2);
        if (!size)
            return -1;
        const qsizetype extended = arjWord(size);
        at += 2;
        if (extended == 0)
            return at;
        const char* header = window.bytes(at, extended + 4);
        if (!header || !arjCrcMatches(header, extended))
            return -1;
        at += extended + 4;
    }
}

// Times and modes repeat from entry to entry: each is converted once. A conversion to local
// time may look at the system's zone file every time.
class ArjListedFields
{
public:
    // The local time the listing prints for a Unix time; invalid where it prints a two-digit
    // year it then reads in another century.
    QDateTime modified(quint32 stamp)
    {
        const auto known = m_times.constFind(stamp);
        if (known != m_times.cend())
            return *known;
        const QDateTime local = QDateTime::fromSecsSinceEpoch(stamp);
        const int year = local.date().year();
        const QDateTime listed =
            year >= 1980 && year <= 2079 ? QDateTime(local.date(), local.time()) : QDateTime();
        // Bounded: an archive of files each of its own second gains nothing here.
        if (m_times.size() >= kArjKnownTimes)
            m_times.clear();
        m_times.insert(stamp, listed);
        return listed;
    }

    // "-rwxr-xr-x": a file, and the permissions of its mode (set-id and sticky bits unshown).
    QString attributes(quint16 mode)
    {
        QString& text = m_modes[mode & 0777];
        if (text.isEmpty()) {
            text = QStringLiteral("-rwxrwxrwx");
            for (int bit = 0; bit < 9; ++bit) {
                if (!(mode & (0400 >> bit)))
                    text[1 + bit] = u'-';
            }
        }
        return text;
    }

private:
    QHash<quint32, QDateTime> m_times;
    std::array<QString, 512> m_modes;
};

std::optional<QList<ArjHeaderEntry>> arjReadAll(ArjHeaderWindow& window)
{
    QList<ArjHeaderEntry> entries;
    ArjListedFields fields;
    qint64 at = 0;
    bool mainHeader = true;
    for (;;) {
        const char* start = window.bytes(at, 4);
        if (!start || arjWord(start) != kArjHeaderId)
            return std::nullopt;
        const qsizetype size = arjWord(start + 2);
        if (size == 0)
            return mainHeader ? std::nullopt : std::optional(std::move(entries));
        if (size > kArjLargestHeader)
            return std::nullopt;
        const char* header = window.bytes(at + 4, size + 4);
        if (!header || !arjCrcMatches(header, size))
            return std::nullopt;
        const qsizetype fixed = static_cast<quint8>(header[0]);
        if (fixed < kArjFixedPart || fixed >= size)
            return std::nullopt;
        // The name, then the comment, each ending in a zero byte inside the header; a comment
        // is printed among the listing's lines, where it may read as an entry.
        const char* name = header + fixed;
        const char* end = header + size;
        const auto* nameEnd = static_cast<const char*>(std::memchr(name, 0, end - name));
        if (!nameEnd || nameEnd + 1 >= end || nameEnd[1] != 0)
            return std::nullopt;
        const auto flags = static_cast<quint8>(header[kArjFlags]);
        const auto type = static_cast<quint8>(header[kArjFileType]);
        const auto host = static_cast<quint8>(header[kArjHostOs]);
        if (mainHeader) {
            if (type != kArjMainType || (flags & kArjVolume) || header[kArjLastChapter] != 0)
                return std::nullopt;
        } else {
            if (type > kArjTextType || (flags & (kArjVolume | kArjExtFile)) ||
                header[kArjFirstChapter] != 0 || header[kArjLastChapter] != 0 ||
                (host != kArjUnixHost && host != kArjNextHost) ||
                !arjPrintableName(name, nameEnd - name))
                return std::nullopt;
            ArjHeaderEntry entry;
            entry.modified = fields.modified(arjDword(header + kArjStamp));
            if (!entry.modified.isValid())
                return std::nullopt;
            entry.stored = QByteArray(name, nameEnd - name);
            entry.name = arjListedName(entry.stored);
            entry.size = arjDword(header + kArjOriginal);
            entry.attributes = fields.attributes(arjWord(header + kArjMode));
            entry.crc = arjDword(header + kArjFileCrc);
            entry.method = static_cast<quint8>(header[kArjMethod]);
            entry.fileType = type;
            entry.hostOs = host;
            entries.append(std::move(entry));
        }
        // Taken before the window moves on.
        const qint64 packed = mainHeader ? 0 : arjDword(header + kArjPacked);
        qint64 next = arjSkipExtended(window, at + 4 + size + 4);
        if (next < 0)
            return std::nullopt;
        next += packed;
        if (next > window.size())
            return std::nullopt;
        at = next;
        mainHeader = false;
    }
}

} // namespace

std::optional<QList<ArjHeaderEntry>> readArjHeaders(const QString& hostPath)
{
    if (hostPath.isEmpty())
        return std::nullopt;
    const int fd = ::open(QFile::encodeName(hostPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QList<ArjHeaderEntry>> entries;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        ArjHeaderWindow window(fd, st.st_size);
        entries = arjReadAll(window);
    }
    ::close(fd);
    return entries;
}

std::optional<QList<ArjHeaderEntry>> readArjHeadersAt(const QString& windowsPath)
{
    // A share is read through the network, where the archiver's own listing is the safe way.
    if (windowsPath.size() < 3 || windowsPath.at(1) != u':' || windowsPath.startsWith(u'\\'))
        return std::nullopt;
    return readArjHeaders(platform().toHostPath(windowsPath));
}

} // namespace navlor

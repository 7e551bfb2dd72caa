#include "compat/arj/archive_index.h"

#include <QFile>

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace navlor::arj {

namespace {

constexpr quint16 kHeaderId = 0xEA60;
constexpr qsizetype kLargestHeader = 2600;
// Fields after the header size; the fixed part ends with the chapters.
constexpr qsizetype kFixedPart = 30;
constexpr qsizetype kFlagsOffset = 4;
constexpr qsizetype kFileType = 6;
constexpr qsizetype kPackedSize = 12;
constexpr qsizetype kOriginalSize = 16;
constexpr qsizetype kFirstChapter = 28;
constexpr qsizetype kLastChapter = 29;
constexpr quint8 kVolumeFlag = 0x04;  // continued on the next volume
constexpr quint8 kExtFileFlag = 0x08; // starts inside the entry, on an earlier volume
constexpr quint8 kMainHeader = 2;
constexpr quint8 kBinaryFile = 0;
constexpr quint8 kTextFile = 1;

// Most entries are far smaller than this: one read takes in many headers.
constexpr qsizetype kWindow = 16 * 1024;

// CRC-32 of a header (the polynomial zip uses), eight bytes a step. zlib's crc32 spends most
// of a call getting ready on headers this short: a third of reading an index.
struct CrcTables
{
    quint32 t[8][256];
};

constexpr CrcTables makeCrcTables()
{
    CrcTables tables{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        tables.t[0][i] = c;
    }
    for (int step = 1; step < 8; ++step) {
        for (quint32 i = 0; i < 256; ++i) {
            const quint32 c = tables.t[step - 1][i];
            tables.t[step][i] = (c >> 8) ^ tables.t[0][c & 0xFF];
        }
    }
    return tables;
}

constexpr CrcTables kCrcTables = makeCrcTables();

quint32 headerCrc(const char* data, qsizetype size)
{
    const auto* p = reinterpret_cast<const quint8*>(data);
    const auto& t = kCrcTables.t;
    quint32 c = 0xFFFFFFFFu;
    for (; size >= 8; p += 8, size -= 8) {
        const quint32 low =
            c ^ (quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
        const quint32 high =
            quint32(p[4]) | quint32(p[5]) << 8 | quint32(p[6]) << 16 | quint32(p[7]) << 24;
        c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^
            t[4][low >> 24] ^ t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^
            t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; size > 0; ++p, --size)
        c = (c >> 8) ^ t[0][(c ^ *p) & 0xFF];
    return ~c;
}

quint16 word(const char* p)
{
    return static_cast<quint16>(static_cast<quint8>(p[0]) | static_cast<quint8>(p[1]) << 8);
}

quint32 dword(const char* p)
{
    return static_cast<quint32>(word(p)) | static_cast<quint32>(word(p + 2)) << 16;
}

// arj prints a name byte for byte: these are the bytes that would break or bend its lines.
bool printsAsStored(const char* name, qsizetype size)
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

// The archive's bytes through a window, read again only where the next header lies outside.
class Reader
{
public:
    Reader(int fd, qint64 size) : m_fd(fd), m_size(size) {}

    qint64 size() const { return m_size; }

    // The `count` bytes at `at`, or nullptr when they are not all there.
    const char* bytes(qint64 at, qsizetype count)
    {
        if (at < 0 || count < 0 || at > m_size - count)
            return nullptr;
        if (at >= m_start && at + count <= m_start + m_buffer.size())
            return m_buffer.constData() + (at - m_start);
        const qsizetype wanted =
            static_cast<qsizetype>(std::min<qint64>(std::max(count, kWindow), m_size - at));
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

// The extended headers after a basic header: where the next part starts, or -1.
qint64 skipExtendedHeaders(Reader& reader, qint64 at)
{
    for (;;) {
        const char* size = reader.bytes(at, 2);
        if (!size)
            return -1;
        const qsizetype extended = word(size);
        at += 2;
        if (extended == 0)
            return at;
        const char* header = reader.bytes(at, extended + 4);
        if (!header || headerCrc(header, extended) != dword(header + extended))
            return -1;
        at += extended + 4;
    }
}

std::optional<QList<ArchiveEntry>> readHeaders(Reader& reader)
{
    QList<ArchiveEntry> entries;
    qint64 at = 0;
    bool mainHeader = true;
    for (;;) {
        const char* start = reader.bytes(at, 4);
        if (!start || word(start) != kHeaderId)
            return std::nullopt;
        const qsizetype size = word(start + 2);
        if (size == 0)
            return mainHeader ? std::nullopt : std::optional(entries);
        if (size > kLargestHeader)
            return std::nullopt;
        const char* header = reader.bytes(at + 4, size + 4);
        if (!header || headerCrc(header, size) != dword(header + size))
            return std::nullopt;
        const qsizetype fixed = static_cast<quint8>(header[0]);
        if (fixed < kFixedPart || fixed >= size)
            return std::nullopt;
        // The name, then the comment, each ending in a zero byte inside the header.
        const char* name = header + fixed;
        const char* end = header + size;
        const auto* nameEnd = static_cast<const char*>(std::memchr(name, 0, end - name));
        if (!nameEnd || !std::memchr(nameEnd + 1, 0, end - nameEnd - 1))
            return std::nullopt;
        const auto flags = static_cast<quint8>(header[kFlagsOffset]);
        const auto type = static_cast<quint8>(header[kFileType]);
        if (mainHeader) {
            if (type != kMainHeader || (flags & kVolumeFlag) || header[kLastChapter] != 0)
                return std::nullopt;
        } else {
            if ((type != kBinaryFile && type != kTextFile) ||
                (flags & (kVolumeFlag | kExtFileFlag)) || header[kFirstChapter] != 0 ||
                header[kLastChapter] != 0 || !printsAsStored(name, nameEnd - name))
                return std::nullopt;
            entries.append({QByteArray(name, nameEnd - name), dword(header + kOriginalSize)});
        }
        // Taken before the window moves on.
        const qint64 packed = mainHeader ? 0 : dword(header + kPackedSize);
        qint64 next = skipExtendedHeaders(reader, at + 4 + size + 4);
        if (next < 0)
            return std::nullopt;
        next += packed;
        if (next > reader.size())
            return std::nullopt;
        at = next;
        mainHeader = false;
    }
}

} // namespace

std::optional<QList<ArchiveEntry>> readArchiveIndex(const QString& hostPath)
{
    const int fd = ::open(QFile::encodeName(hostPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QList<ArchiveEntry>> entries;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        Reader reader(fd, st.st_size);
        entries = readHeaders(reader);
    }
    ::close(fd);
    return entries;
}

} // namespace navlor::arj

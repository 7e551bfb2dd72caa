#include "lib/databases/paradox_file.h"

extern "C" {
#include <paradox.h>
}

#include <QByteArray>
#include <QString>

namespace navlor::paradox {

namespace {

// The header every Paradox file starts with; numbers are little-endian.
constexpr int kRecordSizeAt = 0x00;
constexpr int kHeaderSizeAt = 0x02;
constexpr int kFileTypeAt = 0x04;
constexpr int kBlockKilobytesAt = 0x05;
constexpr int kRecordCountAt = 0x06;
constexpr int kFileBlocksAt = 0x0C;
constexpr int kFirstBlockAt = 0x0E;
constexpr int kLastBlockAt = 0x10;
constexpr int kIndexLevelsAt = 0x20;
constexpr int kFieldCountAt = 0x21;
constexpr int kKeyFieldCountAt = 0x23;
constexpr int kEncryptionAt = 0x25;
constexpr quint32 kEncryptionFurtherOn = 0xff00ff00; // then it is in the second part
constexpr int kVersionAt = 0x39;
constexpr int kCommonHeaderSize = 0x58;
// Tables of Paradox 4 on carry a second part before their field list; index files do not.
constexpr int kSecondEncryptionAt = 0x5C;
constexpr int kDataHeaderSize = 0x78;
constexpr int kFirstDataHeaderVersion = 5;
constexpr int kBlockHeadSize = 6;
// An index entry is the key, then block number, record count and one more word.
constexpr int kIndexEntryTail = 6;
constexpr int kBcdLength = 17;

// Blob files are made of 4 kB blocks; block 0 is their header. A blob field ends with the
// blob's offset (its low byte an index), length and modification number.
constexpr qint64 kBlobBlockSize = 4096;
constexpr int kBlobTailSize = 10;
constexpr int kSingleBlobType = 2;
constexpr int kSubAllocatedType = 3;
constexpr int kSubBlockTableAt = 12;
constexpr int kSubBlockEntrySize = 5;
constexpr int kSubBlockEntries = 64;
constexpr int kSubBlockChunk = 16;

int u8(const char* at)
{
    return static_cast<unsigned char>(*at);
}

int u16(const char* at)
{
    return u8(at) | u8(at + 1) << 8;
}

qint16 s16(const char* at)
{
    return static_cast<qint16>(u16(at));
}

quint32 u32(const char* at)
{
    return quint32(u16(at)) | quint32(u16(at + 2)) << 16;
}

DatabaseOutcome passed()
{
    return {true, {}};
}

DatabaseOutcome failed(const QString& reason)
{
    return {false, reason};
}

bool readAt(FILE* file, qint64 at, qint64 size, char* into)
{
    return fseeko(file, off_t(at), SEEK_SET) == 0 &&
           std::fread(into, 1, size_t(size), file) == size_t(size);
}

QByteArray readStart(FILE* file, qint64 size)
{
    QByteArray bytes(size, '\0');
    return readAt(file, 0, size, bytes.data()) ? bytes : QByteArray();
}

std::optional<Field> fieldIf(bool plausible, int type, int length, int decimals = 0)
{
    return plausible ? std::optional<Field>(Field{type, length, decimals}) : std::nullopt;
}

// A field as Paradox can define it; anything else is a header read from the wrong bytes.
std::optional<Field> plausibleField(int type, int size)
{
    switch (type) {
    case pxfAlpha:
    case pxfBytes:
        return fieldIf(size >= 1, type, size);
    case pxfDate:
    case pxfLong:
    case pxfTime:
    case pxfAutoInc:
        return fieldIf(size == 4, type, size);
    case pxfShort:
        return fieldIf(size == 2, type, size);
    case pxfCurrency:
    case pxfNumber:
    case pxfTimestamp:
        return fieldIf(size == 8, type, size);
    case pxfLogical:
        return fieldIf(size == 1, type, size);
    case pxfBCD: // the size given is the digits after the point
        return fieldIf(size <= 32, type, kBcdLength, size);
    default:
        return fieldIf(isBlobField(type) && size >= kBlobTailSize, type, size);
    }
}

} // namespace

bool isBlobField(int type)
{
    return type == pxfMemoBLOb || type == pxfBLOb || type == pxfFmtMemoBLOb || type == pxfOLE ||
           type == pxfGraphic;
}

std::optional<Header> readHeader(FILE* file, qint64 fileSize, FileKind kind)
{
    if (fileSize < kCommonHeaderSize)
        return std::nullopt;
    QByteArray bytes = readStart(file, kCommonHeaderSize);
    if (bytes.isEmpty())
        return std::nullopt;
    const int headerSize = u16(bytes.constData() + kHeaderSizeAt);
    bytes = readStart(file, qMin<qint64>(fileSize, headerSize));
    if (bytes.size() < kCommonHeaderSize)
        return std::nullopt;

    const char* b = bytes.constData();
    Header h;
    h.kind = kind;
    h.recordSize = u16(b + kRecordSizeAt);
    h.headerSize = headerSize;
    h.fileType = u8(b + kFileTypeAt);
    const int blockKilobytes = u8(b + kBlockKilobytesAt);
    h.blockSize = blockKilobytes * 0x400;
    h.recordCount = static_cast<qint32>(u32(b + kRecordCountAt));
    h.fileBlocks = u16(b + kFileBlocksAt);
    h.firstBlock = u16(b + kFirstBlockAt);
    h.lastBlock = u16(b + kLastBlockAt);
    h.indexLevels = u8(b + kIndexLevelsAt);
    h.keyFieldCount = s16(b + kKeyFieldCountAt);
    const int fieldCount = s16(b + kFieldCountAt);
    const int version = u8(b + kVersionAt);

    const bool table = kind == FileKind::Table;
    const bool typeFits =
        table ? (h.fileType == pxfFileTypIndexDB || h.fileType == pxfFileTypNonIndexDB)
              : h.fileType == pxfFileTypPrimIndex;
    if (!typeFits || blockKilobytes < 1 || blockKilobytes > 32 || version < 3 || version > 12 ||
        h.recordSize < 1 || h.recordSize > h.blockSize - kBlockHeadSize || h.recordCount < 0 ||
        fieldCount < 1 || fieldCount > 255 || h.firstBlock > h.fileBlocks ||
        h.lastBlock > h.fileBlocks)
        return std::nullopt;

    const int fieldsAt =
        table && version >= kFirstDataHeaderVersion ? kDataHeaderSize : kCommonHeaderSize;
    const int tableNameSize = version == 12 ? 261 : 79;
    // The field list, the table name's pointer, the field names' pointers, the table name and
    // at least a terminator for each field name: pxlib reads all of it.
    const int least = fieldsAt + fieldCount * 2 + 4 + (table ? fieldCount * 5 : 0) + tableNameSize;
    if (h.headerSize < least || bytes.size() < least)
        return std::nullopt;
    quint32 encryption = u32(b + kEncryptionAt);
    if (encryption == kEncryptionFurtherOn)
        encryption = fieldsAt == kDataHeaderSize ? u32(b + kSecondEncryptionAt) : 0;
    h.encrypted = encryption != 0;

    int length = 0;
    for (int i = 0; i < fieldCount; ++i) {
        const char* info = b + fieldsAt + i * 2;
        const std::optional<Field> field = plausibleField(u8(info), u8(info + 1));
        if (!field)
            return std::nullopt;
        h.fields.push_back(*field);
        length += field->length;
    }
    if (length + (table ? 0 : kIndexEntryTail) != h.recordSize)
        return std::nullopt;
    if (table && h.fileType == pxfFileTypIndexDB &&
        (h.keyFieldCount < 1 || h.keyFieldCount > fieldCount))
        return std::nullopt;
    return h;
}

DatabaseOutcome walkBlocks(FILE* file, const Header& h, const RecordVisitor& visit, Chain& chain)
{
    const QString broken = h.kind == FileKind::Table
                               ? QStringLiteral("blocos da tabela Paradox corrompidos")
                               : QStringLiteral("índice primário ilegível");
    std::vector<bool> seen(size_t(h.fileBlocks) + 1, false);
    QByteArray block(h.blockSize, '\0');
    int previous = 0;
    for (int number = h.firstBlock; number != 0;) {
        if (number > h.fileBlocks || seen[size_t(number)])
            return failed(broken);
        seen[size_t(number)] = true;
        if (!readAt(file, h.headerSize + qint64(number - 1) * h.blockSize, h.blockSize,
                    block.data()))
            return failed(broken);
        const char* head = block.constData();
        const int next = u16(head);
        const int back = u16(head + 2);
        const int extra = s16(head + 4); // bytes of records after the first
        int count = 0;
        if (extra != -h.recordSize) { // else the block is empty
            if (extra < 0 || extra % h.recordSize != 0 ||
                extra + h.recordSize > h.blockSize - kBlockHeadSize)
                return failed(broken);
            count = extra / h.recordSize + 1;
        }
        if (back != previous)
            return failed(broken);
        for (int i = 0; visit && i < count; ++i) {
            DatabaseOutcome read = visit(block.data() + kBlockHeadSize + i * h.recordSize);
            if (!read.ok)
                return read;
        }
        chain.records += count;
        chain.recordsInBlock.insert(number, count);
        previous = number;
        number = next;
    }
    if (previous != h.lastBlock && h.firstBlock != 0)
        return failed(broken);
    return passed();
}

DatabaseOutcome followBlob(const BlobFile* blobs, const Field& field, const char* data)
{
    const int leader = field.length - kBlobTailSize;
    const quint32 pointer = u32(data + leader);
    const quint32 length = u32(data + leader + 4);
    const int modification = u16(data + leader + 8);
    const bool graphic = field.type == pxfGraphic;
    const int headSize = graphic ? 17 : 9;
    // As pxlib reads it: a negative length is no blob.
    const qint64 blobSize = qint64(qint32(length)) - (graphic ? 8 : 0);
    if (blobSize <= leader) // empty, or whole in the record
        return passed();
    if (!blobs)
        return failed(QStringLiteral("arquivo de memo ausente"));

    const QString stale = QStringLiteral("arquivo de memo não confere com a tabela");
    const QString cut = QStringLiteral("arquivo de memo incompleto");
    const qint64 offset = pointer & 0xffffff00u;
    const int index = int(pointer & 0xffu);
    if (offset == 0 || offset % kBlobBlockSize != 0)
        return failed(stale);
    char head[17];
    if (offset + kBlobBlockSize > blobs->size || !readAt(blobs->file, offset, headSize, head))
        return failed(cut);
    if (u8(head) == kSingleBlobType) {
        const qint64 blocks = u16(head + 1);
        if (index != 0xff || u32(head + 3) != length ||
            (!graphic && u16(head + 7) != modification) ||
            headSize + blobSize > blocks * kBlobBlockSize)
            return failed(stale);
        return offset + headSize + blobSize <= blobs->size ? passed() : failed(cut);
    }
    if (u8(head) == kSubAllocatedType) {
        char entry[kSubBlockEntrySize];
        if (index >= kSubBlockEntries ||
            !readAt(blobs->file, offset + kSubBlockTableAt + index * kSubBlockEntrySize,
                    kSubBlockEntrySize, entry))
            return failed(stale);
        const qint64 start = qint64(u8(entry)) * kSubBlockChunk;
        const int chunks = u8(entry + 1);
        const int inLastChunk = u8(entry + 4);
        const bool fits = start >= kSubBlockTableAt + kSubBlockEntries * kSubBlockEntrySize &&
                          chunks >= 1 && inLastChunk >= 1 && inLastChunk <= kSubBlockChunk &&
                          (chunks - 1) * kSubBlockChunk + inLastChunk == qint64(length) &&
                          start + qint64(length) <= kBlobBlockSize;
        return fits && u16(entry + 2) == modification ? passed() : failed(stale);
    }
    return failed(stale);
}

} // namespace navlor::paradox

#pragma once

// The structure of Paradox files, read from their bytes. pxlib trusts every number in a file:
// it reads past the end, follows a block list round in circles for ever and sizes memory by
// whatever a header says. These read the numbers first, so that pxlib only ever sees a file
// that holds together.

#include "lib/databases/database_tools.h"

#include <QHash>
#include <QtGlobal>

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace navlor::paradox {

enum class FileKind
{
    Table,        // .DB
    PrimaryIndex, // .PX
};

struct Field
{
    int type = 0;     // pxlib's pxf* numbers
    int length = 0;   // bytes in the record
    int decimals = 0; // BCD only
};

struct Header
{
    FileKind kind = FileKind::Table;
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSize = 0;
    qint64 recordCount = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
    int indexLevels = 0;
    int keyFieldCount = 0;
    bool encrypted = false;
    std::vector<Field> fields;

    [[nodiscard]] qint64 expectedFileSize() const
    {
        return headerSize + qint64(fileBlocks) * blockSize;
    }
};

[[nodiscard]] bool isBlobField(int type);

// The header at the start of `file`, of `fileSize` bytes, when it holds together: a known kind
// and version, fields Paradox can define adding up to the record size, room for all of it.
[[nodiscard]] std::optional<Header> readHeader(FILE* file, qint64 fileSize, FileKind kind);

// What a walk of a file's block list found.
struct Chain
{
    qint64 records = 0;
    QHash<int, int> recordsInBlock; // by block number
};

// Walks the block list from the header's first block, handing each record to `visit` when
// given. Every block must lie in the file, be reached once, point back to the one before and
// hold whole records, and the list must end at the header's last block.
using RecordVisitor = std::function<DatabaseOutcome(char* record)>;
[[nodiscard]] DatabaseOutcome walkBlocks(FILE* file, const Header& header,
                                         const RecordVisitor& visit, Chain& chain);

struct BlobFile
{
    FILE* file = nullptr;
    qint64 size = 0;
};

// Follows a blob field's pointer (`data` is the field in its record) into the blob file, null
// when there is none: it must lead to a block that holds the blob whole, of the length and
// modification number the record gives. A blob file older or newer than its table, or cut
// short, fails here.
[[nodiscard]] DatabaseOutcome followBlob(const BlobFile* blobs, const Field& field,
                                         const char* data);

} // namespace navlor::paradox

#include "lib/databases/paradox_table.h"

#include "lib/databases/paradox_file.h"
#include "lib/databases/pxlib_doc.h"

extern "C" {
#include <paradox.h>
}

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

namespace navlor {

namespace {

using paradox::BlobFile;
using paradox::Chain;
using paradox::Field;
using paradox::FileKind;
using paradox::Header;

constexpr qint64 kBlobBlockSize = 4096;

DatabaseOutcome passed()
{
    return {true, {}};
}

DatabaseOutcome failed(const QString& reason)
{
    return {false, reason};
}

// The reason, with what pxlib said when it said something.
DatabaseOutcome failed(const QString& reason, const PxlibDoc& doc)
{
    const QString said = doc.lastError();
    return failed(said.isEmpty() ? reason : reason + QStringLiteral(" (pxlib: ") + said + u')');
}

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File openFile(const QString& path)
{
    return File(path.isEmpty() ? nullptr : std::fopen(QFile::encodeName(path).constData(), "rb"),
                &std::fclose);
}

qint64 fileSize(FILE* file)
{
    struct stat status = {};
    return fstat(fileno(file), &status) == 0 ? qint64(status.st_size) : -1;
}

// The file beside `table` with its base name and `extension`, in whatever case it has on
// disk; one spelled with the table's own base name wins over another case of it.
QString companion(const QFileInfo& table, const QString& extension)
{
    const QString base = table.completeBaseName();
    const QString wanted = base + u'.' + extension;
    QString found;
    const QStringList names =
        table.dir().entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (name.compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (found.isEmpty() || (!found.startsWith(base) && name.startsWith(base)))
            found = name;
    }
    return found.isEmpty() ? QString() : table.dir().filePath(found);
}

// Every field of one record, decoded by pxlib; blobs followed into the blob file. pxlib 0.6.8
// cannot open a blob file for reading (listing its blocks it reads a 12-byte block header into
// a 9-byte variable, and the stack protector ends the program), so it is not asked to.
DatabaseOutcome readRecord(const PxlibDoc& owner, const Header& h, const BlobFile* blobs,
                           char* record)
{
    px_doc* doc = owner.get();
    int offset = 0;
    for (const Field& field : h.fields) {
        char* data = record + offset;
        offset += field.length;
        int got = 0;
        char* text = nullptr;
        switch (field.type) {
        case pxfAlpha:
            got = PX_get_data_alpha(doc, data, field.length, &text);
            break;
        case pxfBytes:
            got = PX_get_data_bytes(doc, data, field.length, &text);
            break;
        case pxfBCD:
            got =
                PX_get_data_bcd(doc, reinterpret_cast<unsigned char*>(data), field.decimals, &text);
            break;
        case pxfDate:
        case pxfLong:
        case pxfTime:
        case pxfAutoInc: {
            long number = 0;
            got = PX_get_data_long(doc, data, 4, &number);
            break;
        }
        case pxfShort: {
            short number = 0;
            got = PX_get_data_short(doc, data, 2, &number);
            break;
        }
        case pxfCurrency:
        case pxfNumber:
        case pxfTimestamp: {
            double number = 0;
            got = PX_get_data_double(doc, data, 8, &number);
            break;
        }
        case pxfLogical: {
            char flag = 0;
            got = PX_get_data_byte(doc, data, 1, &flag);
            break;
        }
        default:
            if (DatabaseOutcome blob = paradox::followBlob(blobs, field, data); !blob.ok)
                return blob;
        }
        if (text)
            doc->free(doc, text);
        if (got < 0)
            return failed(QStringLiteral("registro ilegível na tabela Paradox"), owner);
    }
    return passed();
}

// pxlib walked the block list as it opened the table; it must have found what we found.
bool pxlibAgrees(const PxlibDoc& doc, const Header& h, const Chain& chain)
{
    const px_doc* d = doc.get();
    if (PX_get_num_records(doc.get()) != h.recordCount ||
        PX_get_num_fields(doc.get()) != int(h.fields.size()))
        return false;
    // pxlib makes room for every block of the file and fills in those of the list.
    const auto* blocks = static_cast<const pxpindex_t*>(d->px_indexdata);
    const qsizetype listed = chain.recordsInBlock.size();
    if (listed > 0 && (!blocks || d->px_indexdatalen < listed))
        return false;
    qint64 records = 0;
    for (qsizetype i = 0; i < listed; ++i) {
        if (chain.recordsInBlock.value(blocks[i].blocknumber, -1) != blocks[i].numrecords)
            return false;
        records += blocks[i].numrecords;
    }
    return records == chain.records;
}

// The primary index beside the table: pxlib reads it, and the records it accounts for, block
// by block, are those the table holds.
DatabaseOutcome checkPrimaryIndex(const QString& path, const Header& table, const Chain& chain)
{
    const QString unreadable = QStringLiteral("índice primário ilegível");
    const QString differs = QStringLiteral("índice primário não confere");
    const File file = openFile(path);
    if (!file)
        return failed(unreadable);
    const qint64 size = fileSize(file.get());
    const std::optional<Header> index =
        paradox::readHeader(file.get(), size, FileKind::PrimaryIndex);
    if (!index || index->encrypted || size > index->expectedFileSize())
        return failed(unreadable);
    if (size < index->expectedFileSize())
        return failed(QStringLiteral("índice primário incompleto"));
    if (table.fileType != pxfFileTypIndexDB || int(index->fields.size()) != table.keyFieldCount)
        return failed(differs);
    for (size_t i = 0; i < index->fields.size(); ++i) {
        if (index->fields[i].type != table.fields[i].type ||
            index->fields[i].length != table.fields[i].length)
            return failed(differs);
    }
    Chain entries;
    if (DatabaseOutcome walked = paradox::walkBlocks(file.get(), *index, {}, entries); !walked.ok)
        return walked;
    if (entries.records != index->recordCount)
        return failed(unreadable);
    if (index->recordCount == 0) // pxlib would read an entry of an empty index
        return chain.records == 0 ? passed() : failed(differs);

    PxlibDoc doc;
    if (!doc.get() || PX_open_fp(doc.get(), file.get()) < 0 || PX_read_primary_index(doc.get()) < 0)
        return failed(unreadable, doc);
    // pxlib tells the levels of an index apart for one or two of them only.
    if (index->indexLevels > 2)
        return passed();
    const auto* entry = static_cast<const pxpindex_t*>(doc.get()->px_data);
    qint64 accounted = 0;
    for (int i = 0; i < doc.get()->px_datalen; ++i) {
        if (entry[i].level != 1)
            continue;
        if (chain.recordsInBlock.value(entry[i].blocknumber, -1) != entry[i].numrecords)
            return failed(differs);
        accounted += entry[i].numrecords;
    }
    if (accounted != table.recordCount)
        return failed(
            differs +
            QStringLiteral(" (índice %1, cabeçalho %2)").arg(accounted).arg(table.recordCount));
    return passed();
}

} // namespace

DatabaseOutcome checkParadoxTableFile(const QString& hostPath)
{
    const QFileInfo info(hostPath);
    if (!info.isFile())
        return failed(QStringLiteral("tabela Paradox não encontrada"));
    const QString unreadable = QStringLiteral("tabela Paradox ilegível");
    const File file = openFile(hostPath);
    if (!file)
        return failed(unreadable);
    const qint64 size = fileSize(file.get());
    const std::optional<Header> header = paradox::readHeader(file.get(), size, FileKind::Table);
    if (!header)
        return failed(unreadable + QStringLiteral(" (cabeçalho inválido)"));
    // Its blocks, and so its records, are scrambled; pxlib alone could read them.
    if (header->encrypted)
        return failed(QStringLiteral("tabela Paradox protegida por senha: não verificada"));
    if (size != header->expectedFileSize())
        return failed(QStringLiteral("tamanho da tabela Paradox não confere com o cabeçalho "
                                     "(%1 bytes, esperados %2)")
                          .arg(size)
                          .arg(header->expectedFileSize()));

    File blobFile(nullptr, &std::fclose);
    BlobFile blobs;
    if (std::any_of(header->fields.begin(), header->fields.end(),
                    [](const Field& f) { return paradox::isBlobField(f.type); })) {
        blobFile = openFile(companion(info, QStringLiteral("MB")));
        blobs = {blobFile.get(), blobFile ? fileSize(blobFile.get()) : 0};
        if (blobFile && (blobs.size < kBlobBlockSize || blobs.size % kBlobBlockSize != 0))
            return failed(QStringLiteral("arquivo de memo incompleto"));
    }

    PxlibDoc doc;
    if (!doc.get())
        return failed(unreadable);
    Chain chain;
    const auto readOne = [&](char* record) {
        doc.clearError();
        return readRecord(doc, *header, blobFile ? &blobs : nullptr, record);
    };
    if (DatabaseOutcome walked = paradox::walkBlocks(file.get(), *header, readOne, chain);
        !walked.ok)
        return walked;
    if (chain.records != header->recordCount)
        return failed(QStringLiteral("contagem de registros não confere (cabeçalho %1, lidos %2)")
                          .arg(header->recordCount)
                          .arg(chain.records));
    // Only now that the block list is sound: pxlib follows it without a bound as it opens.
    doc.clearError();
    if (PX_open_fp(doc.get(), file.get()) < 0 || !pxlibAgrees(doc, *header, chain))
        return failed(unreadable, doc);

    if (const QString index = companion(info, QStringLiteral("PX")); !index.isEmpty())
        return checkPrimaryIndex(index, *header, chain);
    return passed();
}

} // namespace navlor

#include "tools/sample_tables/sample_table.h"

#include "lib/ansi_text.h"
#include "lib/databases/pxlib_doc.h"

extern "C" {
#include <paradox.h>
}

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <unistd.h>

namespace navlor {

namespace {

struct FieldDefinition
{
    const char* name;
    int type;
    int length;
};

// Customer rows; OBS only with a memo. CODIGO comes first: a primary key is the leading fields.
constexpr FieldDefinition kFields[] = {
    {"CODIGO", pxfLong, 4},   {"NOME", pxfAlpha, 40},    {"CIDADE", pxfAlpha, 24},
    {"CADASTRO", pxfDate, 4}, {"SALDO", pxfCurrency, 8}, {"LIMITE", pxfNumber, 8},
    {"ATIVO", pxfLogical, 1}, {"OBS", pxfMemoBLOb, 40},
};
constexpr int kFieldsWithoutMemo = 7;
constexpr int kMemoLeader = 40 - 10; // memo text kept in the record itself

// Offsets in the header; see backup/paradox_file.cpp.
constexpr int kHeaderSizeAt = 0x02;
constexpr int kRecordCountAt = 0x06;
constexpr int kNextBlockAt = 0x0A;
constexpr int kFileBlocksAt = 0x0C;
constexpr int kFirstBlockAt = 0x0E;
constexpr int kLastBlockAt = 0x10;
constexpr int kWorkspacePointerAt = 0x16;
constexpr int kUnknownPointerAt = 0x1A;
constexpr int kFieldCountAt = 0x21;
constexpr int kTableNamePointerAt = 0x30;
constexpr int kFieldInfoPointerAt = 0x34;
constexpr int kMaxBlocksAt = 0x3A;
constexpr int kUpdateTimeAt = 0x60;
constexpr int kTableFieldsAt = 0x78;
constexpr int kIndexFieldsAt = 0x58;
constexpr int kBlockHeadSize = 6;
constexpr qint64 kBlobBlockSize = 4096;
constexpr int kLargestBlockCount = 0xffff;
constexpr qint64 kHeaderRoom = 64 * 1024;
// pxlib counts Paradox dates from this serial day number.
constexpr qint64 kParadoxDayZero = 1721425;

constexpr int recordSize(bool memo)
{
    int size = 0;
    for (int i = 0; i < (memo ? kFieldsWithoutMemo + 1 : kFieldsWithoutMemo); ++i)
        size += kFields[i].length;
    return size;
}
// pxlib gives records of 80 to 139 bytes blocks of 3 kB.
constexpr int kBlockSize = 3 * 0x400;
static_assert(recordSize(false) >= 80 && recordSize(true) < 140);

int get16(const char* at)
{
    return static_cast<unsigned char>(at[0]) | static_cast<unsigned char>(at[1]) << 8;
}

quint32 get32(const char* at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(at[i]);
    return value;
}

void put16(char* at, int value)
{
    at[0] = char(value & 0xff);
    at[1] = char(value >> 8 & 0xff);
}

void put32(char* at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = char(value >> (8 * i) & 0xff);
}

// pxlib stores the addresses its header had in memory, and the time it wrote it; both are
// made the same on every run, or two writes of one table would differ.
void steadyHeader(QByteArray& header, bool table)
{
    char* h = header.data();
    const int fields = get16(h + kFieldCountAt);
    const int fieldsAt = table ? kTableFieldsAt : kIndexFieldsAt;
    const quint32 base = get32(h + kFieldInfoPointerAt) - quint32(fieldsAt);
    std::vector<int> pointers = {kWorkspacePointerAt, kUnknownPointerAt, kTableNamePointerAt,
                                 kFieldInfoPointerAt, fieldsAt + fields * 2};
    for (int i = 0; table && i < fields; ++i)
        pointers.push_back(fieldsAt + fields * 2 + 4 + i * 4);
    for (int at : pointers) {
        if (at + 4 <= header.size() && get32(h + at) != 0)
            put32(h + at, get32(h + at) - base);
    }
    if (table)
        put32(h + kUpdateTimeAt, 0);
}

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File openFile(const QString& path, const char* mode)
{
    return File(std::fopen(QFile::encodeName(path).constData(), mode), &std::fclose);
}

DatabaseOutcome failed(const QString& reason, const PxlibDoc* doc = nullptr)
{
    const QString said = doc ? doc->lastError() : QString();
    return {false, said.isEmpty() ? reason : reason + QStringLiteral(" (pxlib: ") + said + u')'};
}

// pxlib keeps the field list it is given and frees it with the document.
pxfield_t* fieldList(px_doc* doc, const FieldDefinition* definitions, int count)
{
    auto* fields =
        static_cast<pxfield_t*>(doc->malloc(doc, sizeof(pxfield_t) * size_t(count), "fields"));
    if (!fields)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        const size_t length = std::strlen(definitions[i].name) + 1;
        auto* name = static_cast<char*>(doc->malloc(doc, length, "field name"));
        if (!name)
            return nullptr;
        std::memcpy(name, definitions[i].name, length);
        fields[i] = {name, char(definitions[i].type), definitions[i].length, 0};
    }
    return fields;
}

QList<QByteArray> ansiList(std::initializer_list<const char*> texts)
{
    QList<QByteArray> list;
    for (const char* text : texts)
        list << toAnsi(QString::fromUtf8(text));
    return list;
}

// The contents of the rows: plain arithmetic on the row and generation numbers.
class Rows
{
public:
    explicit Rows(int generation) : m_generation(generation) {}

    QByteArray name(int row) const
    {
        static const QList<QByteArray> given =
            ansiList({"JOÃO", "MARIA", "JOSÉ", "ANA", "ANTÔNIO", "FRANCISCA", "CARLOS", "PAULO",
                      "LÚCIA", "MÁRCIA", "RAIMUNDO", "CONCEIÇÃO"});
        static const QList<QByteArray> family =
            ansiList({"SILVA", "SANTOS", "OLIVEIRA", "SOUZA", "LIMA", "PEREIRA", "FERREIRA",
                      "COSTA", "RODRIGUES", "ALMEIDA", "NASCIMENTO", "ARAÚJO", "GONÇALVES"});
        const int mix = row * 7 + m_generation * 3;
        return given[mix % given.size()] + ' ' + family[(mix / 5 + row) % family.size()] + ' ' +
               QByteArray::number(row + 1);
    }

    QByteArray city(int row) const
    {
        static const QList<QByteArray> cities =
            ansiList({"SÃO PAULO", "CAMPINAS", "SANTOS", "RIBEIRÃO PRETO", "SOROCABA", "JUNDIAÍ",
                      "BAURU", "PIRACICABA", "SÃO JOSÉ DOS CAMPOS", "FRANCA"});
        return cities[(row * 13 + m_generation) % cities.size()];
    }

    int registered(int row) const
    {
        return int(QDate(1990, 1, 1).addDays((row * 37 + m_generation) % 12000).toJulianDay() -
                   kParadoxDayZero);
    }

    double balance(int row) const
    {
        return double((qint64(row) * 7919 + m_generation * 131) % 1000000) / 100.0;
    }

    double limit(int row) const { return 500.0 + (row % 40) * 250.0; }
    bool active(int row) const { return row % 5 != 0; }

    // Empty, held in the record, in a shared blob block, or in blocks of its own.
    QByteArray memo(int row) const
    {
        int length = 5 + (row + m_generation) % 25;
        if (row % 7 == 6)
            length = 0;
        else if (row % 10 == 0)
            length = 2300 + (row * 97 + m_generation) % 1500;
        else if (row % 3 == 0)
            length = kMemoLeader + 1 + (row * 31 + m_generation) % 600;
        const QByteArray phrase =
            toAnsi(QStringLiteral("Cliente %1, observação nº %2. ").arg(row + 1).arg(m_generation));
        QByteArray text;
        text.reserve(length + phrase.size());
        while (text.size() < length)
            text += phrase;
        text.truncate(length);
        return text;
    }

private:
    int m_generation;
};

DatabaseOutcome putRecord(px_doc* doc, const Rows& rows, int row, bool memo, char* record)
{
    char* at = record;
    PX_put_data_long(doc, at, 4, row + 1);
    at += 4;
    QByteArray text = rows.name(row);
    PX_put_data_alpha(doc, at, 40, text.data());
    at += 40;
    text = rows.city(row);
    PX_put_data_alpha(doc, at, 24, text.data());
    at += 24;
    PX_put_data_long(doc, at, 4, rows.registered(row));
    at += 4;
    PX_put_data_double(doc, at, 8, rows.balance(row));
    at += 8;
    PX_put_data_double(doc, at, 8, rows.limit(row));
    at += 8;
    PX_put_data_byte(doc, at, 1, rows.active(row) ? 1 : 0);
    at += 1;
    if (memo) {
        text = rows.memo(row);
        if (!text.isEmpty() && PX_put_data_blob(doc, at, 40, text.data(), int(text.size())) < 0)
            return failed(QStringLiteral("memo não gravado"));
    }
    return {true, {}};
}

// The table's header as pxlib writes it for these fields, before any record.
DatabaseOutcome startTable(px_doc* doc, const PxlibDoc& owner, FILE* stream,
                           const SampleTable& table)
{
    pxfield_t* fields =
        fieldList(doc, kFields, table.memo ? kFieldsWithoutMemo + 1 : kFieldsWithoutMemo);
    if (!fields ||
        PX_create_fp(doc, fields, table.memo ? kFieldsWithoutMemo + 1 : kFieldsWithoutMemo, stream,
                     pxfFileTypNonIndexDB) < 0)
        return failed(QStringLiteral("tabela não criada"), &owner);
    if (table.index && PX_set_value(doc, "numprimkeys", 1) < 0)
        return failed(QStringLiteral("chave primária não definida"), &owner);
    const QByteArray name = QFile::encodeName(QFileInfo(table.path).fileName());
    if (PX_set_tablename(doc, name.constData()) < 0)
        return failed(QStringLiteral("nome da tabela não gravado"), &owner);
    return {true, {}};
}

// The blocks of the table, each full but the last, listed in order as pxlib lists them.
QByteArray tableImage(const QByteArray& header, px_doc* doc, const SampleTable& table,
                      DatabaseOutcome& outcome)
{
    const int size = recordSize(table.memo);
    const int blockSize = doc->px_head->px_maxtablesize * 0x400;
    const int perBlock = (blockSize - kBlockHeadSize) / size;
    const int blocks = (table.rows + perBlock - 1) / perBlock;
    QByteArray image(header.size() + qsizetype(blocks) * blockSize, '\0');
    std::memcpy(image.data(), header.constData(), size_t(header.size()));
    char* h = image.data();
    put32(h + kRecordCountAt, quint32(table.rows));
    for (int at : {kNextBlockAt, kFileBlocksAt, kLastBlockAt, kMaxBlocksAt})
        put16(h + at, blocks);
    put16(h + kFirstBlockAt, blocks > 0 ? 1 : 0);

    const Rows rows(table.generation);
    for (int block = 0; block < blocks; ++block) {
        char* at = image.data() + header.size() + qsizetype(block) * blockSize;
        const int first = block * perBlock;
        const int count = qMin(perBlock, table.rows - first);
        put16(at, block + 1 < blocks ? block + 2 : 0);
        put16(at + 2, block);
        put16(at + 4, (count - 1) * size);
        for (int i = 0; i < count; ++i) {
            outcome = putRecord(doc, rows, first + i, table.memo,
                                at + kBlockHeadSize + qsizetype(i) * size);
            if (!outcome.ok)
                return {};
        }
    }
    outcome = {true, {}};
    return image;
}

DatabaseOutcome writeWhole(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush())
        return failed(QStringLiteral("não foi possível gravar ") + path);
    return {true, {}};
}

// The primary index, written by pxlib from the table as it reads it.
DatabaseOutcome writeIndex(const QString& tablePath, const QString& indexPath)
{
    const File tableFile = openFile(tablePath, "rb");
    const File indexFile = openFile(indexPath, "w+b");
    if (!tableFile || !indexFile)
        return failed(QStringLiteral("não foi possível gravar ") + indexPath);
    {
        PxlibDoc table;
        PxlibDoc index;
        if (!table.get() || !index.get() || PX_open_fp(table.get(), tableFile.get()) < 0)
            return failed(QStringLiteral("tabela não relida"), &table);
        pxfield_t* key = fieldList(index.get(), kFields, 1);
        const QByteArray name = QFile::encodeName(QFileInfo(indexPath).fileName());
        if (!key || PX_create_fp(index.get(), key, 1, indexFile.get(), pxfFileTypPrimIndex) < 0 ||
            PX_set_tablename(index.get(), name.constData()) < 0 ||
            PX_write_primary_index(table.get(), index.get()) < 0)
            return failed(QStringLiteral("índice primário não gravado"), &index);
    } // the index's last block is written as its document closes

    std::fflush(indexFile.get());
    char start[4] = {};
    if (std::fseek(indexFile.get(), 0, SEEK_SET) != 0 ||
        std::fread(start, 1, 4, indexFile.get()) != 4)
        return failed(QStringLiteral("índice primário não gravado"));
    QByteArray header(get16(start + kHeaderSizeAt), '\0');
    if (std::fseek(indexFile.get(), 0, SEEK_SET) != 0 ||
        std::fread(header.data(), 1, size_t(header.size()), indexFile.get()) !=
            size_t(header.size()))
        return failed(QStringLiteral("índice primário não gravado"));
    steadyHeader(header, false);
    if (std::fseek(indexFile.get(), 0, SEEK_SET) != 0 ||
        std::fwrite(header.constData(), 1, size_t(header.size()), indexFile.get()) !=
            size_t(header.size()) ||
        std::fflush(indexFile.get()) != 0)
        return failed(QStringLiteral("índice primário não gravado"));
    return {true, {}};
}

} // namespace

int largestSampleTable(bool memo)
{
    return kLargestBlockCount * ((kBlockSize - kBlockHeadSize) / recordSize(memo));
}

QString companionPath(const QString& tablePath, const QString& extension)
{
    const qsizetype dot = tablePath.lastIndexOf(u'.');
    const QString own = dot < 0 ? QString() : tablePath.mid(dot + 1);
    const bool lower = !own.isEmpty() && own.back().isLower();
    QString spelled;
    for (qsizetype i = 0; i < extension.size(); ++i) {
        const bool lowerHere = i < own.size() ? own.at(i).isLower() : lower;
        spelled += lowerHere ? extension.at(i).toLower() : extension.at(i).toUpper();
    }
    return (dot < 0 ? tablePath : tablePath.left(dot)) + u'.' + spelled;
}

DatabaseOutcome writeSampleTable(const SampleTable& table)
{
    if (table.rows < 0 || table.rows > largestSampleTable(table.memo))
        return failed(QStringLiteral("número de registros fora do limite (0 a %1)")
                          .arg(largestSampleTable(table.memo)));
    const QString blobPath = companionPath(table.path, QStringLiteral("MB"));
    const QString indexPath = companionPath(table.path, QStringLiteral("PX"));
    // A companion left from an earlier table would not match this one.
    for (const QString& stale : {blobPath, indexPath}) {
        if (QFileInfo::exists(stale) && !QFile::remove(stale))
            return failed(QStringLiteral("não foi possível remover ") + stale);
    }

    QByteArray headerRoom(kHeaderRoom, '\0');
    const File headerStream(fmemopen(headerRoom.data(), size_t(headerRoom.size()), "w+b"),
                            &std::fclose);
    const File blobFile = table.memo ? openFile(blobPath, "w+b") : File(nullptr, &std::fclose);
    if (!headerStream || (table.memo && !blobFile))
        return failed(QStringLiteral("não foi possível gravar ") + blobPath);
    QByteArray image;
    {
        PxlibDoc doc;
        if (!doc.get())
            return failed(QStringLiteral("pxlib não iniciou"));
        if (DatabaseOutcome started = startTable(doc.get(), doc, headerStream.get(), table);
            !started.ok)
            return started;
        if (table.memo && PX_set_blob_fp(doc.get(), blobFile.get()) < 0)
            return failed(QStringLiteral("arquivo de memo não criado"), &doc);
        std::fflush(headerStream.get());
        QByteArray header = headerRoom.left(doc.get()->px_head->px_headersize);
        steadyHeader(header, true);
        DatabaseOutcome filled;
        image = tableImage(header, doc.get(), table, filled);
        if (!filled.ok)
            return filled;
    }
    if (table.memo) {
        // Blob files grow by whole blocks; pxlib leaves the last blob's block short.
        std::fflush(blobFile.get());
        std::fseek(blobFile.get(), 0, SEEK_END);
        const qint64 size = std::ftell(blobFile.get());
        const qint64 whole = (size + kBlobBlockSize - 1) / kBlobBlockSize * kBlobBlockSize;
        if (size < 0 || ftruncate(fileno(blobFile.get()), whole) != 0)
            return failed(QStringLiteral("não foi possível gravar ") + blobPath);
    }
    if (DatabaseOutcome written = writeWhole(table.path, image); !written.ok)
        return written;
    return table.index ? writeIndex(table.path, indexPath) : DatabaseOutcome{true, {}};
}

} // namespace navlor

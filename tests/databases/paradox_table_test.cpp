// The check a backup makes of a Paradox table, on tables written through pxlib by
// navlor-sample-tables: whole ones pass, damaged and torn ones fail with their reason, and
// nothing fed to it brings the process down.

#include "lib/databases/paradox_table.h"

extern "C" {
#include <paradox.h>
}

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace navlor {
namespace {

const QString kTool = QStringLiteral(NAVLOR_SAMPLE_TABLES_BINARY);

bool sampleTables(const QStringList& arguments)
{
    QProcess tool;
    tool.start(kTool, arguments);
    return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit &&
           tool.exitCode() == 0;
}

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void silent(pxdoc_t*, int, const char*, void*) {}

// A table as pxlib alone reads it.
struct PxlibReading
{
    QList<long> keys;      // CODIGO of each record the header counts, -1 where unreadable
    int inBlocks = 0;      // records its blocks hold
    bool indexFits = true; // pxlib takes the primary index, when there is one, as the table's
};

PxlibReading readByPxlib(const QString& table, const QString& index = {})
{
    PxlibReading reading;
    pxdoc_t* doc = PX_new2(silent, nullptr, nullptr, nullptr);
    pxdoc_t* keys = PX_new2(silent, nullptr, nullptr, nullptr);
    if (PX_open_file(doc, QFile::encodeName(table).constData()) == 0) {
        QByteArray record(PX_get_recordsize(doc), '\0');
        for (int i = 0; i < PX_get_num_records(doc); ++i) {
            long key = -1;
            if (PX_get_record(doc, i, record.data()))
                PX_get_data_long(doc, record.data(), 4, &key);
            reading.keys << key;
        }
        // Asked for deleted records too, pxlib reads as far as the blocks hold any.
        for (int i = 0; i < doc->px_head->px_theonumrecords; ++i) {
            int deleted = 1;
            if (PX_get_record2(doc, i, record.data(), &deleted, nullptr))
                ++reading.inBlocks;
        }
        if (!index.isEmpty())
            reading.indexFits = PX_open_file(keys, QFile::encodeName(index).constData()) == 0 &&
                                PX_read_primary_index(keys) == 0 &&
                                PX_add_primary_index(doc, keys) == 0;
    }
    PX_delete(doc);
    PX_delete(keys);
    return reading;
}

QList<long> oneTo(long count)
{
    QList<long> keys;
    for (long key = 1; key <= count; ++key)
        keys << key;
    return keys;
}

TEST(ParadoxTable, WrittenTablesPassAndReadBackTheSameThroughPxlib)
{
    struct Case
    {
        const char* table;
        int rows;
        QStringList options;
        QStringList companions; // as written, in the case of the table's extension
    };
    const QList<Case> cases{
        {"CLIENTES.DB", 400, {"--index", "--memo"}, {"CLIENTES.MB", "CLIENTES.PX"}},
        {"Vendas.db", 300, {"--memo"}, {"Vendas.mb"}},
        {"PRODUTOS.DB", 8000, {"--index"}, {"PRODUTOS.PX"}}, // an index of two levels
        {"_QSQ0.DB", 5, {}, {}},
        {"VAZIA.DB", 0, {"--index"}, {"VAZIA.PX"}},
    };
    QTemporaryDir once;
    QTemporaryDir again;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const QStringList arguments =
            QStringList{"write", c.table, QString::number(c.rows)} + c.options;
        for (const QTemporaryDir* dir : {&once, &again}) {
            QProcess tool;
            tool.setWorkingDirectory(dir->path());
            tool.start(kTool, arguments);
            ASSERT_TRUE(tool.waitForFinished(60000) && tool.exitCode() == 0);
        }
        const QString table = once.filePath(c.table);
        const DatabaseOutcome outcome = checkParadoxTableFile(table);
        EXPECT_TRUE(outcome.ok) << outcome.reason.toStdString();
        // pxlib reads an entry of an empty index that is not there
        const bool index = c.options.contains("--index") && c.rows > 0;
        const PxlibReading reading =
            readByPxlib(table, index ? once.filePath(c.companions.last()) : QString());
        EXPECT_EQ(reading.keys, oneTo(c.rows));
        EXPECT_EQ(reading.inBlocks, c.rows);
        EXPECT_TRUE(reading.indexFits);
        for (const QString& name : QStringList(c.table) + c.companions) {
            EXPECT_TRUE(QFile::exists(once.filePath(name))) << name.toStdString();
            EXPECT_EQ(bytesOf(once.filePath(name)), bytesOf(again.filePath(name)))
                << name.toStdString() << " differs between two writes";
        }
        EXPECT_TRUE(sampleTables({"check", table}));
    }
}

class ParadoxTableDamage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sampleTables({"write", path("C.DB"), "400", "--index", "--memo"}));
        ASSERT_TRUE(sampleTables({"write", path("OTHER.DB"), "380", "--index"}));
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // Overwrites the bytes of `name` from `at` on.
    void patch(const QString& name, qint64 at, const QByteArray& bytes) const
    {
        QByteArray content = bytesOf(path(name));
        content.replace(at, bytes.size(), bytes);
        writeBytes(path(name), content);
    }

    void cut(const QString& name, qint64 bytes) const
    {
        QFile::resize(path(name), QFileInfo(path(name)).size() - bytes);
    }

    QTemporaryDir dir;
};

TEST_F(ParadoxTableDamage, EachDamageFailsWithItsReason)
{
    struct Case
    {
        const char* name;
        std::function<void()> damage;
        QString reason;
    };
    const QList<Case> cases{
        {"the last block cut off", [&] { cut("C.DB", 3072); },
         "tamanho da tabela Paradox não confere com o cabeçalho (54272 bytes, esperados 57344)"},
        {"the header's count one short", [&] { patch("C.DB", 0x06, QByteArray("\x8f\x01", 2)); },
         "contagem de registros não confere (cabeçalho 399, lidos 400)"},
        // pxlib follows such a list for ever as it opens a table
        {"the last block pointing back to the first",
         [&] { patch("C.DB", 0x800 + 17 * 3072, QByteArray("\x01\x00", 2)); },
         "blocos da tabela Paradox corrompidos"},
        {"a primary index of another table",
         [&] {
             QFile::remove(path("C.PX"));
             QFile::copy(path("OTHER.PX"), path("C.PX"));
         },
         "índice primário não confere"},
        {"the primary index cut short", [&] { cut("C.PX", 100); }, "índice primário incompleto"},
        {"the blob file's last block cut off", [&] { cut("C.MB", 4096); },
         "arquivo de memo incompleto"},
        {"the blob file of another moment", [&] { patch("C.MB", 0x1000 + 7, QByteArray(2, '\0')); },
         "arquivo de memo não confere com a tabela"},
        {"no blob file", [&] { QFile::remove(path("C.MB")); }, "arquivo de memo ausente"},
        {"text named as a table", [&] { writeBytes(path("C.DB"), "CODIGO;NOME\r\n1;ANA\r\n"); },
         "tabela Paradox ilegível (cabeçalho inválido)"},
        {"no table at all", [&] { QFile::remove(path("C.DB")); }, "tabela Paradox não encontrada"},
        {"a password set", [&] { patch("C.DB", 0x5C, "\x12\x34\x56\x78"); },
         "tabela Paradox protegida por senha: não verificada"},
    };
    const QStringList files{"C.DB", "C.MB", "C.PX"};
    QHash<QString, QByteArray> whole;
    for (const QString& name : files)
        whole.insert(name, bytesOf(path(name)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& name : files) {
            QFile::remove(path(name));
            writeBytes(path(name), whole.value(name));
        }
        ASSERT_TRUE(checkParadoxTableFile(path("C.DB")).ok);
        c.damage();
        const DatabaseOutcome outcome = checkParadoxTableFile(path("C.DB"));
        EXPECT_FALSE(outcome.ok);
        EXPECT_EQ(outcome.reason, c.reason);
    }
}

TEST_F(ParadoxTableDamage, CompanionsAreFoundInAnyCaseTheTablesOwnSpellingFirst)
{
    ASSERT_TRUE(QFile::rename(path("C.MB"), path("c.mb")));
    ASSERT_TRUE(QFile::rename(path("C.PX"), path("C.Px")));
    ASSERT_TRUE(QFile::rename(path("C.DB"), path("C.db")));
    ASSERT_TRUE(QFile::copy(path("OTHER.PX"), path("c.px")));
    const DatabaseOutcome both = checkParadoxTableFile(path("C.db"));
    EXPECT_TRUE(both.ok) << both.reason.toStdString();
    ASSERT_TRUE(QFile::remove(path("C.Px")));
    EXPECT_EQ(checkParadoxTableFile(path("C.db")).reason, "índice primário não confere");
}

// Damage at random where pxlib looks: headers, the heads of blocks, the files' lengths. The
// copy is refused, or pxlib finds in it what its header says; nothing brings the process down.
TEST_F(ParadoxTableDamage, RandomDamageIsRefusedOrFoundWhole)
{
    struct Layout
    {
        const char* name;
        qint64 firstBlock;
        qint64 blockSize;
    };
    const QList<Layout> layouts{{"C.DB", 0x800, 3072}, {"C.MB", 0, 4096}, {"C.PX", 0x800, 2048}};
    QHash<QString, QByteArray> whole;
    for (const Layout& file : layouts)
        whole.insert(file.name, bytesOf(path(file.name)));
    QRandomGenerator random(20261208);
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        for (const Layout& file : layouts) {
            QByteArray bytes = whole.value(file.name);
            const qint64 blocks = (bytes.size() - file.firstBlock) / file.blockSize;
            switch (random.bounded(4)) {
            case 0:
                bytes[random.bounded(0x80)] = char(random.bounded(256));
                break;
            case 1:
                bytes[file.firstBlock + random.bounded(blocks) * file.blockSize +
                      random.bounded(12)] = char(random.bounded(256));
                break;
            case 2:
                bytes.truncate(random.bounded(bytes.size()));
                break;
            }
            writeBytes(path(file.name), bytes);
        }
        if (!checkParadoxTableFile(path("C.DB")).ok) {
            ++refused;
            continue;
        }
        const PxlibReading reading = readByPxlib(path("C.DB"), path("C.PX"));
        ASSERT_EQ(reading.inBlocks, reading.keys.size()) << "round " << round;
        ASSERT_TRUE(reading.indexFits) << "round " << round;
    }
    EXPECT_GT(refused, 0);
}

// A client keeps rewriting the table; every copy taken meanwhile is either refused or whole:
// as pxlib reads it, its blocks hold the records its header counts, in key order, and its
// primary index accounts for them.
TEST(ParadoxTable, CopiesTakenWhileAClientRewritesAreWholeOrRefused)
{
    QTemporaryDir dir;
    const QString live = dir.filePath("L.DB");
    ASSERT_TRUE(sampleTables({"write", live, "300", "--index", "--memo"}));
    QProcess client;
    client.start(kTool, {"churn", live, "300", "2"});
    ASSERT_TRUE(client.waitForStarted());

    const QString copy = dir.filePath("copy/L.DB");
    QDir(dir.path()).mkdir("copy");
    int accepted = 0;
    int refused = 0;
    do {
        for (const char* name : {"L.DB", "L.MB", "L.PX"})
            writeBytes(dir.filePath(QStringLiteral("copy/") + name), bytesOf(dir.filePath(name)));
        if (!checkParadoxTableFile(copy).ok) {
            ++refused;
            continue;
        }
        ++accepted;
        const PxlibReading reading = readByPxlib(copy, dir.filePath("copy/L.PX"));
        ASSERT_FALSE(reading.keys.isEmpty());
        ASSERT_EQ(reading.keys, oneTo(reading.keys.size())) << "an accepted copy is torn";
        ASSERT_EQ(reading.inBlocks, reading.keys.size()) << "an accepted copy is torn";
        ASSERT_TRUE(reading.indexFits) << "an accepted copy is torn";
    } while (!client.waitForFinished(1));
    EXPECT_EQ(client.exitCode(), 0) << client.readAllStandardError().toStdString();
    EXPECT_GT(accepted + refused, 0);
    EXPECT_TRUE(checkParadoxTableFile(live).ok) << "the table at rest is whole again";
    RecordProperty("accepted", accepted);
    RecordProperty("refused", refused);
}

} // namespace
} // namespace navlor

// The entries read from an archive's headers, against arj's own listing of archives arj made,
// and archives the reader must leave to arj.

#include "compat/arj/archive_index.h"
#include "compat/arj/arj_names.h"
#include "compat/arj/host_arj.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>

namespace navlor::arj {
namespace {

quint32 crc32(const char* data, qsizetype size)
{
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= static_cast<quint8>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// Runs arj in `directory`; its standard output.
QByteArray arj(const QStringList& arguments, const QString& directory)
{
    QProcess process;
    process.setWorkingDirectory(directory);
    process.start(hostArjProgram(), arguments);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(60000));
    return process.readAllStandardOutput();
}

class ArchiveIndex : public ::testing::Test
{
protected:
    // An archive arj makes of files by these names (UTF-8, "/" between directories), each
    // holding as many bytes as its place in the list; its bytes.
    QByteArray makeArchive(const QList<QByteArray>& names)
    {
        const QString source = scratch.filePath("src");
        QDir(source).removeRecursively();
        QFile list(scratch.filePath("names.lst"));
        EXPECT_TRUE(list.open(QIODevice::WriteOnly));
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString path = source + u'/' + QString::fromUtf8(names.at(i));
            QDir().mkpath(QFileInfo(path).path());
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(i, 'x'));
            list.write(listFileLine(names.at(i)) + '\n');
        }
        list.close();
        QFile::remove(archivePath());
        arj({"a", archivePath(), "-i", "-y", '!' + list.fileName()}, source);
        QFile archive(archivePath());
        EXPECT_TRUE(archive.open(QIODevice::ReadOnly));
        return archive.readAll();
    }

    QString archivePath() const { return scratch.filePath("t.arj"); }

    void write(const QByteArray& bytes)
    {
        QFile file(archivePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QTemporaryDir scratch;
};

// Header `index` (0: the main header) changed by `edit`, its CRC made to fit again.
void editHeader(QByteArray& archive, int index, const std::function<void(char*, qsizetype)>& edit)
{
    qsizetype at = 0;
    for (int i = 0;; ++i) {
        const qsizetype size = qFromLittleEndian<quint16>(archive.constData() + at + 2);
        ASSERT_GT(size, 0) << "no header " << index;
        char* header = archive.data() + at + 4;
        qsizetype next = at + 4 + size + 4;
        while (const quint16 extended = qFromLittleEndian<quint16>(archive.constData() + next))
            next += 2 + extended + 4;
        next += 2;
        if (i > 0)
            next += qFromLittleEndian<quint32>(header + 12);
        if (i == index) {
            edit(header, size);
            qToLittleEndian<quint32>(crc32(header, size), header + size);
            return;
        }
        at = next;
    }
}

TEST_F(ArchiveIndex, NamesSizesAndOrderAreThoseOfArjsListing)
{
    QList<QByteArray> many;
    for (int i = 0; i < 1200; ++i)
        many << "DADOS/EMP" + QByteArray::number(i % 7) + "/T" + QByteArray::number(i) + ".DB";
    const struct
    {
        const char* what;
        QList<QByteArray> names;
    } cases[] = {
        {"plain", {"LEIAME", "DADOS/Empresa1/Vendas.db", "DADOS/CLIENTES.DB"}},
        {"accented", {"Di\xc3\xa1rio.db", "\xc3\x87\xc3\x83O/x.mb"}},
        {"blanks and brackets", {"a b/[x].db", "c d.DB", "e;f,g.txt"}},
        {"many", many},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        makeArchive(c.names);
        const std::optional<QList<ArchiveEntry>> read = readArchiveIndex(archivePath());
        ASSERT_TRUE(read.has_value());
        const QList<ArchiveEntry> listed =
            parseVerboseListing(arj({"v", archivePath(), "-i"}, scratch.path()));
        ASSERT_EQ(read->size(), c.names.size());
        ASSERT_EQ(listed.size(), read->size());
        for (qsizetype i = 0; i < read->size(); ++i) {
            EXPECT_EQ(read->at(i).stored, listed.at(i).stored) << i;
            EXPECT_EQ(read->at(i).size, listed.at(i).size) << i;
        }
    }
}

TEST_F(ArchiveIndex, ArchivesItCannotVouchForAreLeftToArj)
{
    const QByteArray good = makeArchive({"DADOS/A.DB", "DADOS/B.DB", "C.DB"});
    ASSERT_TRUE(readArchiveIndex(archivePath()).has_value());
    const auto edited = [&](int index, const std::function<void(char*, qsizetype)>& edit) {
        QByteArray bytes = good;
        editHeader(bytes, index, edit);
        return bytes;
    };
    const auto nameAt = [](char* header) { return header + static_cast<quint8>(header[0]); };
    const struct
    {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"junk", "half a copy of something else"},
        {"empty", ""},
        {"a self-extractor's stub first", QByteArray(512, 'M') + good},
        {"cut short", good.left(good.size() - 9)},
        {"no end of archive", good.left(good.size() - 4)},
        {"a header's CRC",
         [&] {
             QByteArray bytes = good;
             bytes[bytes.indexOf("B.DB")] = 'b';
             return bytes;
         }()},
        {"continued on another volume", edited(1, [](char* h, qsizetype) { h[4] |= 0x04; })},
        {"part of a split entry", edited(2, [](char* h, qsizetype) { h[4] |= 0x08; })},
        {"a volume's main header", edited(0, [](char* h, qsizetype) { h[4] |= 0x04; })},
        {"chapters", edited(0, [](char* h, qsizetype) { h[29] = 1; })},
        {"a directory entry", edited(3, [](char* h, qsizetype) { h[6] = 3; })},
        {"a line break in a name", edited(1, [&](char* h, qsizetype) { nameAt(h)[5] = '\n'; })},
        {"a name with no end",
         edited(3, [&](char* h, qsizetype size) { std::fill(nameAt(h), h + size, 'N'); })},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        write(c.bytes);
        EXPECT_FALSE(readArchiveIndex(archivePath()).has_value());
    }
    EXPECT_FALSE(readArchiveIndex(scratch.filePath("missing.arj")).has_value());
    EXPECT_FALSE(readArchiveIndex(scratch.path()).has_value());
}

} // namespace
} // namespace navlor::arj

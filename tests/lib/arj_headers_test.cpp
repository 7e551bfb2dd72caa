#include "lib/arj_headers.h"

#include "lib/ansi_text.h"
#include "lib/arj_listing.h"
#include "tests/support/temp_prefix.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <zlib.h>

namespace navlor {
namespace {

constexpr const char* kHostArj = "/usr/bin/arj";

// Debian's arj, in the prefix's C:\ and under the zone this process reads times in.
QByteArray runArj(const test::TempPrefix& prefix, const QStringList& arguments)
{
    QProcess arj;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains("TZ"))
        env.insert("TZ", ":/etc/localtime");
    arj.setProcessEnvironment(env);
    arj.setWorkingDirectory(prefix.host("C:\\"));
    arj.start(kHostArj, arguments);
    EXPECT_TRUE(arj.waitForFinished(60000));
    EXPECT_EQ(arj.exitCode(), 0) << arj.readAllStandardOutput().toStdString();
    return arj.readAllStandardOutput();
}

// What lib/arj_listing reads from arj's own "v" output, the names as the archiver stand-in
// rewrites them ("\" between directories, the listing file's code page).
QList<ArjEntry> listedByArj(const test::TempPrefix& prefix, const QString& archive)
{
    const QByteArray output = runArj(prefix, {"v", archive});
    QList<ArjEntry> entries =
        readArjListing(toAnsi(QString::fromUtf8(output)), kArjOwnOutputRules).entries;
    for (ArjEntry& entry : entries)
        entry.name.replace(u'/', u'\\');
    return entries;
}

void touch(const QString& path, const QDateTime& time, QFile::Permissions permissions)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    file.close();
    ASSERT_TRUE(file.setPermissions(permissions));
}

class ArjHeaders : public ::testing::Test
{
protected:
    // `count` small files and a few of every kind in C:\DATA, stored as C:\T.ARJ.
    QByteArray makeArchive(int count)
    {
        QRandomGenerator random(20261209);
        QByteArray noise(700 * 1024, Qt::Uninitialized); // past one window of the reader
        random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        const QDateTime base(QDate(2026, 3, 14), QTime(23, 59, 58));
        const struct
        {
            const char* path;
            QByteArray bytes;
            QDateTime time;
            QFile::Permissions permissions;
        } files[] = {
            {"C:\\DATA\\EMPTY.DB", "", base, QFile::ReadOwner | QFile::WriteOwner},
            {"C:\\DATA\\SUB\\RUÍDO.MB", noise, base.addDays(-4000),
             QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther},
            {"C:\\DATA\\SUB\\Deep\\nota fiscal (2).txt", QByteArray(90000, 'a'),
             QDateTime(QDate(1980, 1, 1), QTime(0, 0, 2)), QFile::ReadOwner},
            {"C:\\DATA\\€uro 日本.db", "x", QDateTime(QDate(2079, 12, 31), QTime(23, 59, 58)),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteOther},
        };
        for (const auto& f : files) {
            prefix.write(QString::fromUtf8(f.path), f.bytes);
            touch(prefix.host(QString::fromUtf8(f.path)), f.time, f.permissions);
        }
        for (int i = 0; i < count; ++i)
            prefix.write(QStringLiteral("C:\\DATA\\MANY\\ARQ%1.DB").arg(i), QByteArray::number(i));
        runArj(prefix, {"a", "T.ARJ", "-r", "-y", "DATA"});
        return prefix.read("C:\\T.ARJ");
    }

    std::optional<QList<ArjEntry>> readBack(const QByteArray& bytes)
    {
        prefix.write("C:\\X.ARJ", bytes);
        const auto headers = readArjHeadersAt("C:\\X.ARJ");
        if (!headers)
            return std::nullopt;
        QList<ArjEntry> entries;
        for (const ArjHeaderEntry& entry : *headers)
            entries << entry.listed();
        return entries;
    }

    test::TempPrefix prefix;
};

TEST_F(ArjHeaders, GiveTheEntriesOfArjsOwnListing)
{
    const QByteArray archive = makeArchive(300);
    const QList<ArjEntry> listed = listedByArj(prefix, "T.ARJ");
    ASSERT_EQ(listed.size(), 304);
    EXPECT_EQ(readBack(archive), listed);

    const auto headers = readArjHeadersAt("C:\\T.ARJ");
    ASSERT_TRUE(headers);
    const auto noisy = std::find_if(headers->cbegin(), headers->cend(), [](const auto& entry) {
        return entry.stored == QStringLiteral("DATA/SUB/RUÍDO.MB").toUtf8();
    });
    ASSERT_NE(noisy, headers->cend());
    EXPECT_EQ(noisy->name, QStringLiteral("DATA\\SUB\\RUÍDO.MB"));
    const QByteArray noise = prefix.read(QStringLiteral("C:\\DATA\\SUB\\RUÍDO.MB"));
    EXPECT_EQ(noisy->crc,
              crc32(0, reinterpret_cast<const Bytef*>(noise.constData()), uInt(noise.size())));

    // Anything short of a plain file of a drive is left to the archiver.
    for (const char* path : {"C:\\NONE.ARJ", "C:\\DATA", "\\\\SERVER\\BKP\\T.ARJ", "T.ARJ", ""})
        EXPECT_FALSE(readArjHeadersAt(QString::fromLatin1(path))) << path;
}

// The offset of the basic header of entry `index` (0: the main header) and its size.
std::pair<qsizetype, qsizetype> headerOf(const QByteArray& archive, int index)
{
    qsizetype at = 0;
    for (int n = 0;; ++n) {
        const auto word = [&](qsizetype p) {
            return qsizetype(quint8(archive[p])) | qsizetype(quint8(archive[p + 1])) << 8;
        };
        const qsizetype size = word(at + 2);
        if (n == index)
            return {at + 4, size};
        qsizetype next = at + 4 + size + 4;
        while (word(next) != 0)
            next += 2 + word(next) + 4;
        next += 2;
        if (n > 0)
            next += qFromLittleEndian<quint32>(archive.constData() + at + 4 + 12);
        at = next;
    }
}

// The archive with a change to the basic header of entry `index`, its CRC made right again.
QByteArray patched(QByteArray archive, int index, const std::function<void(char*)>& change)
{
    const auto [at, size] = headerOf(archive, index);
    change(archive.data() + at);
    const auto crc =
        quint32(crc32(0, reinterpret_cast<const Bytef*>(archive.constData() + at), uInt(size)));
    qToLittleEndian(crc, archive.data() + at + size);
    return archive;
}

TEST_F(ArjHeaders, RefuseWhatTheirListingCouldContradict)
{
    const QByteArray archive = makeArchive(20);
    ASSERT_TRUE(readBack(archive));
    const auto [second, secondSize] = headerOf(archive, 2);
    const struct
    {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"a self-extractor's code first", QByteArray("MZ\x90\0", 4) + archive},
        {"truncated in a header", archive.left(second + 10)},
        {"truncated in an entry's data", archive.left(headerOf(archive, 3).first - 20)},
        {"no end of archive", archive.left(archive.size() - 4)},
        {"a header failing its CRC", QByteArray(archive).replace(second + secondSize - 3, 1, "#")},
        {"a volume", patched(archive, 0, [](char* h) { h[4] |= 0x04; })},
        {"an entry continued on the next volume",
         patched(archive, 2, [](char* h) { h[4] |= 0x04; })},
        {"an entry begun on an earlier volume", patched(archive, 2, [](char* h) { h[4] |= 0x08; })},
        {"a directory", patched(archive, 2, [](char* h) { h[6] = 3; })},
        {"a chapter", patched(archive, 2, [](char* h) { h[29] = 1; })},
        {"a name with a control character",
         patched(archive, 2, [](char* h) { h[quint8(h[0]) + 1] = '\t'; })},
        {"DOS times", patched(archive, 2, [](char* h) { h[3] = 11; })},
        {"a time before 1980",
         patched(archive, 2, [](char* h) { qToLittleEndian(quint32(315532799 - 86400), h + 8); })},
        {"a time past 2079",
         patched(archive, 2,
                 [](char* h) { qToLittleEndian(quint32(3471292800u + 86400), h + 8); })},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(readBack(c.bytes)) << c.name;
}

} // namespace
} // namespace navlor

#include "backup/archive_verdict.h"

#include "lib/ansi_text.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_prefix.h"

#include <QFile>
#include <QProcess>

#include <algorithm>

#include <gtest/gtest.h>

namespace navlor {
namespace {

// As the archiver stand-in writes a verbose listing.
const QByteArray kListing = toAnsi(QStringLiteral(
    "ARJ 3.10 - ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.\r\n\r\n\r\n\r\n"
    "Processing archive: D:\\T1.ARJ\r\n"
    "Sequence/Pathname/Comment/Chapters\r\n"
    "------------ ---------- ---------- ----- ----------------- -------------- -----\r\n"
    "001) VALDOROW\\DADOS\\PARAMS.DB\r\n"
    " 11 UNIX            304        134 0.441 26-12-08 00:42:44 -rw-r--r-- ---  +1  \r\n"
    "                                   DTA   26-12-08 00:42:44\r\n"
    "002) VALDOROW\\DADOS\\EMPRESA2\\Vendas.db\r\n"
    "a comment line\r\n"
    " 11 UNIX           9218       2380 0.258 26-12-08 00:42:44 -rw-r--r-- ---  +1  \r\n"
    "003) VALDOROW\\DADOS\\AÇÃO.DB\r\n"
    "------------ ---------- ---------- -----\r\n"
    "     3 files      29745       7743 0.260 \r\n"));

TEST(ArchiveVerdict, VerboseListingGivesNameSizeAndTime)
{
    const QList<ArjEntry> entries = readVerboseListing(kListing);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0].name, "VALDOROW\\DADOS\\PARAMS.DB");
    EXPECT_EQ(entries[0].size, 304);
    EXPECT_EQ(entries[0].modified, QDateTime(QDate(2026, 12, 8), QTime(0, 42, 44)));
    EXPECT_EQ(entries[0].attributes, "-rw-r--r--");
    EXPECT_EQ(entries[1].size, 9218); // past the comment
    EXPECT_EQ(entries[2].name, QStringLiteral("VALDOROW\\DADOS\\AÇÃO.DB"));
    EXPECT_EQ(entries[2].size, -1); // no details: never as recent as a file
    EXPECT_TRUE(readVerboseListing("garbage\r\n999 no entry\r\n12) short\r\n").isEmpty());
}

TEST(ArchiveVerdict, ShortfallNamesWhatIsMissingOrOlder)
{
    const QDateTime stored(QDate(2026, 12, 8), QTime(0, 42, 44));
    const QList<ArjEntry> listed = readVerboseListing(kListing);
    auto file = [&](const char* stored, qint64 size, const QDateTime& time) {
        return SelectedFile{QStringLiteral("C:\\") + stored, stored, size, time};
    };
    auto unstorable = [&](const char* name) {
        SelectedFile selected = file(name, 304, stored);
        selected.storable = false;
        return selected;
    };
    struct Case
    {
        const char* name;
        QList<SelectedFile> selected;
        QString shortfall;
    };
    const QList<Case> cases{
        {"nothing selected", {}, {}},
        {"same name in another case, time within the two-second grain",
         {file("valdorow\\dados\\params.db", 304, stored.addSecs(1))},
         {}},
        {"newer on disk",
         {file("VALDOROW\\DADOS\\PARAMS.DB", 304, stored.addSecs(3))},
         "1 arquivo desatualizado no BKP, o primeiro: C:\\VALDOROW\\DADOS\\PARAMS.DB"},
        {"another size",
         {file("VALDOROW\\DADOS\\EMPRESA2\\VENDAS.DB", 9, stored)},
         "1 arquivo desatualizado no BKP, o primeiro: C:\\VALDOROW\\DADOS\\EMPRESA2\\VENDAS.DB"},
        {"missing ones, counted",
         {file("VALDOROW\\NOVO.DB", 1, stored), file("VALDOROW\\OUTRO.DB", 1, stored),
          file("VALDOROW\\DADOS\\AÇÃO.DB", 1, stored)},
         "2 arquivos fora do BKP, o primeiro: C:\\VALDOROW\\NOVO.DB; 1 arquivo desatualizado no "
         "BKP, o primeiro: C:\\VALDOROW\\DADOS\\AÇÃO.DB"},
        {"a name the archiver cannot store is said first and never passed over",
         {file("VALDOROW\\NOVO.DB", 1, stored), unstorable("VALDOROW\\RELAT\uFFFDRIO.DB")},
         QStringLiteral("arquivo não copiável: C:\\VALDOROW\\RELAT\uFFFDRIO.DB; 1 arquivo fora do "
                        "BKP, o primeiro: C:\\VALDOROW\\NOVO.DB")},
        {"stored all the same under its name: nothing to say",
         {unstorable("VALDOROW\\DADOS\\PARAMS.DB")},
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(listingShortfall(listed, c.selected), c.shortfall) << c.name;
}

// What the verdict demands of the archive: the files the job's own line selects, and nothing
// the archiver rightly leaves out.
TEST(ArchiveVerdict, SelectedFilesFollowMasksSubdirectoriesAndExclusions)
{
    test::TempPrefix prefix;
    for (const char* file :
         {"C:\\SRC\\A.DB", "C:\\SRC\\B.MB", "C:\\SRC\\X.TXT", "C:\\SRC\\V.FDB.delta",
          "C:\\SRC\\BKP.ARJ", "C:\\SRC\\SUB\\C.DB", "C:\\SRC\\OLD\\D.DB", "C:\\OUTRO\\E.DB"})
        prefix.write(QString::fromLatin1(file), "x");
    const struct
    {
        const char* masks;
        bool subdirectories;
        const char* exclusions;
        QStringList stored; // sorted
    } cases[] = {
        {"*.DB", false, "", {"SRC\\A.DB"}},
        {"*.db", true, "", {"SRC\\A.DB", "SRC\\OLD\\D.DB", "SRC\\SUB\\C.DB"}},
        // every file but the archive itself and a frozen database's delta
        {"", false, "", {"SRC\\A.DB", "SRC\\B.MB", "SRC\\X.TXT"}},
        {"*.DB *.MB", true, "*.MB SRC\\OLD", {"SRC\\A.DB", "SRC\\SUB\\C.DB"}},
        {"*.DB *.DB", false, "", {"SRC\\A.DB"}}, // named twice, demanded once
        // a mask with a directory of its own looks there
        {"*.TXT C:\\OUTRO\\*.DB", false, "", {"OUTRO\\E.DB", "SRC\\X.TXT"}},
    };
    for (const auto& c : cases) {
        BackupJob job;
        job.source = QStringLiteral("C:\\SRC");
        job.masks = QString::fromLatin1(c.masks);
        job.subdirectories = c.subdirectories;
        job.exclusions = QString::fromLatin1(c.exclusions);
        QStringList stored;
        for (const SelectedFile& file : filesSelectedBy(job, QStringLiteral("C:\\SRC\\BKP.ARJ")))
            stored << file.stored.toUpper();
        std::sort(stored.begin(), stored.end());
        EXPECT_EQ(stored, c.stored) << c.masks << " / " << c.exclusions;
    }
}

// The archiver's test passes; its listing, asked only where the headers cannot vouch for the
// entries, is kListing.
class ListingArchiver : public test::ForwardingPlatform
{
public:
    int runBounded(const QString& command, ShowMode, const BoundedRun& run) override
    {
        asked << command.section(u'"', 2, 2).trimmed();
        if (asked.last() == "V" && run.output)
            *run.output = kListing;
        return 0;
    }
    QStringList asked;
};

TEST(ArchiveVerdict, EntriesComeFromTheHeadersAndFromTheListingWhereTheyCannotVouch)
{
    test::TempPrefix prefix;
    prefix.write("C:\\SRC\\A.DB", "alpha");
    prefix.write("C:\\SRC\\SUB\\B.DB", QByteArray(5000, 'b'));
    QProcess arj;
    arj.setWorkingDirectory(prefix.host("C:\\"));
    arj.start("/usr/bin/arj", {"a", "BKP.ARJ", "-r", "-y", "SRC/*.DB"});
    ASSERT_TRUE(arj.waitForFinished(60000));
    ASSERT_EQ(arj.exitCode(), 0);
    const QByteArray archive = prefix.read("C:\\BKP.ARJ");
    QByteArray badCrc = archive;
    badCrc[archive.indexOf("SRC/") + 1] ^= 0x20; // a name in a header, its CRC unchanged
    BackupJob job;
    job.source = "C:\\SRC";
    job.masks = "*.DB";
    job.subdirectories = true;

    const struct
    {
        const char* name;
        QByteArray archive;
        QByteArray newer; // written to C:\SRC\A.DB after archiving, if any
        QStringList asked;
        QString reason;
    } cases[] = {
        {"read from the headers", archive, {}, {"T"}, {}},
        {"a file changed since",
         archive,
         "alpha and more",
         {"T"},
         "1 arquivo desatualizado no BKP, o primeiro: C:\\SRC\\A.DB"},
        {"a header failing its CRC: the listing, which holds neither file",
         badCrc,
         {},
         {"T", "V"},
         "2 arquivos fora do BKP, o primeiro: C:\\SRC\\A.DB"},
    };
    for (const auto& c : cases) {
        test::ScopedPlatform<ListingArchiver> archiver;
        prefix.write("C:\\BKP.ARJ", c.archive);
        if (!c.newer.isEmpty())
            prefix.write("C:\\SRC\\A.DB", c.newer);
        const ArchiveVerdict verdict = verifyArchive("C:\\ARJ.EXE", "C:\\BKP.ARJ", job, 60);
        EXPECT_EQ(archiver->asked, c.asked) << c.name;
        EXPECT_EQ(verdict.ok, c.reason.isEmpty()) << c.name;
        EXPECT_EQ(verdict.reason, c.reason) << c.name;
    }
}

TEST(ArchiveVerdict, StorableNamesAreThoseWindows1252AndWindowsAllow)
{
    for (const char16_t* name : {u"PARAMS.DB", u"AÇÃO.DB", u"nota fiscal (2).txt", u"€uro.DB"})
        EXPECT_TRUE(storableName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
    for (const char16_t* name : {u"RELAT\uFFFDRIO.DB", u"a*b", u"a?b", u"a\\b", u"a<b", u"a>b",
                                 u"a|b", u"a\"b", u"tab\tname", u"日本.DB", u"Ωmega.DB"})
        EXPECT_FALSE(storableName(QString::fromUtf16(name)))
            << QString::fromUtf16(name).toStdString();
}

} // namespace
} // namespace navlor

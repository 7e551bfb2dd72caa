#include "lib/arj_listing.h"

#include "tests/support/temp_prefix.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace navlor {
namespace {

// A "V" listing as the archiver stand-in writes it: the banner, eight more header lines,
// then each entry line followed by its detail lines. Lines 5 and 8 look like entries but
// come before the tenth line.
QByteArray standInListing()
{
    return QByteArray("ARJ 3.10 [navlor-arj] Copyright (c) ARJ Software\r\n"
                      "\r\n"
                      "Processing archive: D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ\r\n"
                      "Archive created: 2026-06-01 22:00:01, modified: 2026-06-01 22:00:09\r\n"
                      "Sequence/Pathname/Comment/Chapters\r\n"
                      "001) NOT\\AN\\ENTRY.DB\r\n"
                      "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes\r\n"
                      "------------ ---------- ---------- ----- ----------------- ----------\r\n"
                      "1000) ALSO\\NOT.DB\r\n"
                      "001) DADOS\\A.DB\r\n"
                      " 11 WIN32            2048        512 0.250 26-06-01 21:59:58  A\r\n"
                      "                                                            DTA26-06-01\r\n"
                      "002) valdorow\\dados\\vldremp.db  \t\r\n"
                      " 11 WIN32           81920      20480 0.250 26-06-01 21:59:58  A\r\n"
                      "1000) VALDOROW\\DADOS\\A\xc7\xc3O.MB\r\n"
                      " 11 WIN32             100         90 0.900 26-06-01 21:59:58  A\r\n"
                      "12345) VALDOROW\\DADOS\\Z.PX\r\n"
                      "------------ ---------- ---------- -----\r\n"
                      " 1004 files       84068      21082 0.251\r\n");
}

TEST(ArjListing, ReadsTheEntriesOfAStandInListing)
{
    const ArjListing listing = readArjListing(standInListing());
    EXPECT_TRUE(listing.versionOk);
    EXPECT_EQ(listing.banner, "ARJ 3.10 [navlor-arj] Copyright (c) ARJ Software");
    // trimmed, upper-cased, Windows-1252 letters kept, four and five digits too
    EXPECT_EQ(listing.names(), (QStringList{"DADOS\\A.DB", "VALDOROW\\DADOS\\VLDREMP.DB",
                                            QString::fromUtf8("VALDOROW\\DADOS\\AÇÃO.MB"),
                                            "VALDOROW\\DADOS\\Z.PX"}));
}

TEST(ArjListing, TakesSizeAndTimeFromTheDetailsLine)
{
    const ArjListing listing = readArjListing(standInListing());
    const QDateTime stored(QDate(2026, 6, 1), QTime(21, 59, 58));
    ASSERT_EQ(listing.entries.size(), 4);
    EXPECT_EQ(listing.entries.at(1).size, 81920);
    EXPECT_EQ(listing.entries.at(1).modified, stored);
    EXPECT_EQ(listing.entries.at(2).size, 100);
    // the last entry has no details line: nothing to compare it by
    EXPECT_EQ(listing.entries.at(3).size, -1);
    EXPECT_FALSE(listing.entries.at(3).modified.isValid());

    const struct
    {
        const char* line;
        bool read;
        QDateTime modified;
    } cases[] = {
        {" 11 UNIX  12  12 1.000 99-12-31 23:59:59 -rw-r--r--", true,
         QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))},
        {" 11 WIN32 12 12 1.000 00-02-29 00:00:00", true, QDateTime(QDate(2000, 2, 29), QTime())},
        {" 11 WIN32 12 12 1.000 26-02-30 00:00:00", false, {}}, // no such day
        {" 11 WIN32 12 12 1.000 2026-06-01 00:00:00", false, {}},
        {" 11 WIN32 x 12 1.000 26-06-01 00:00:00", false, {}},
        {"Sequence/Pathname/Comment/Chapters and some more words", false, {}},
        {"                                                            DTA26-06-01", false, {}},
    };
    for (const auto& c : cases) {
        const auto details = arjEntryDetails(QString::fromLatin1(c.line));
        EXPECT_EQ(details.has_value(), c.read) << c.line;
        if (details && c.read) {
            EXPECT_EQ(details->modified, c.modified) << c.line;
        }
    }
}

// What the archiver stand-in really writes for an archive of a thousand and more entries.
TEST(ArjListing, ReadsWhatTheStandInWrites)
{
    test::TempPrefix prefix;
    QStringList expected;
    for (int i = 0; i < 1005; ++i) {
        const QString name = QStringLiteral("DADOS\\T%1.db").arg(i, 4, 10, QLatin1Char('0'));
        prefix.write("C:\\" + name, QByteArray::number(i));
        expected << name.toUpper();
    }
    const auto arj = [&](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("NAVLOR_PREFIX"), prefix.root());
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(NAVLOR_ARJ_PATH), arguments);
        process.waitForFinished(60000);
        return process.readAllStandardOutput();
    };
    arj({"A", "C:\\BKP.ARJ", "C:\\DADOS\\*.*"});
    const ArjListing listing = readArjListing(arj({"V", "C:\\BKP.ARJ"}));
    EXPECT_TRUE(listing.versionOk) << listing.banner.toStdString();
    QStringList entries = listing.names();
    entries.sort();
    EXPECT_EQ(entries, expected);
}

TEST(ArjListing, OnlyNumberedLinesFromTheTenthOnAreEntries)
{
    EXPECT_EQ(arjEntryName("001) DADOS\\A.DB", 8), "");
    EXPECT_EQ(arjEntryName("001) DADOS\\A.DB", 9), "DADOS\\A.DB");
    EXPECT_EQ(arjEntryName("1234) dados\\b.db", 40), "DADOS\\B.DB");
    EXPECT_EQ(arjEntryName("001)X.DB", 9), "X.DB");
    // not a sequence number: too short, letters, no ")" after it
    EXPECT_EQ(arjEntryName("01) X.DB", 9), "");
    EXPECT_EQ(arjEntryName("abc) X.DB", 9), "");
    EXPECT_EQ(arjEntryName("001 X.DB", 9), "");
    EXPECT_EQ(arjEntryName(" 001) X.DB", 9), "");
    EXPECT_EQ(arjEntryName("001", 9), "");
    // a number with nothing after it names nothing
    EXPECT_EQ(arjEntryName("001)   \t", 9), "");
    // a long name is taken whole
    const QString longName = "VALDOROW\\" + QString(120, u'X') + ".DB";
    EXPECT_EQ(arjEntryName("007) " + longName, 9), longName);
}

TEST(ArjListing, UpperCaseKeepsNamesWithinTheCodePage)
{
    // "µ" and "ƒ" have no capital in Windows-1252; "ß" has none at all
    EXPECT_EQ(arjEntryName(QString::fromUtf8("001) \u00b5m\u0192\u00df\u00e9\u00ff.db"), 9),
              QString::fromUtf8("\u00b5M\u0192\u00df\u00c9\u0178.DB"));
}

TEST(ArjListing, VersionCheck)
{
    EXPECT_TRUE(arjVersionOk("ARJ 2.60 Copyright (c) 1990-97 ARJ Software, Inc."));
    EXPECT_TRUE(arjVersionOk("ARJ 3.10 [navlor-arj]"));
    EXPECT_TRUE(arjVersionOk("ARJ 32.1"));
    // Debian's own banner, other versions and other case do not pass
    EXPECT_FALSE(arjVersionOk("ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia."));
    EXPECT_FALSE(arjVersionOk("ARJ 2.50a Copyright (c) 1990-95"));
    EXPECT_FALSE(arjVersionOk("arj 3.10"));
    EXPECT_FALSE(arjVersionOk(""));

    // a foreign banner is reported but the listing is still read
    QByteArray other = standInListing();
    other.replace("ARJ 3.10", "PKZIP 2.04");
    const ArjListing listing = readArjListing(other);
    EXPECT_FALSE(listing.versionOk);
    EXPECT_EQ(listing.entries.size(), 4);

    const ArjListing empty = readArjListing(QByteArray());
    EXPECT_FALSE(empty.versionOk);
    EXPECT_EQ(empty.banner, "");
    EXPECT_TRUE(empty.entries.isEmpty());
}

TEST(ArjListing, LinesEndWithCrLfLfOrCr)
{
    EXPECT_EQ(arjListingLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(arjListingLines("a\r\n\r\nb\r\n"), (QStringList{"a", "", "b"}));
    EXPECT_EQ(arjListingLines("\n"), QStringList{""});
    EXPECT_TRUE(arjListingLines("").isEmpty());

    // the same listing with bare LF ends gives the same entries
    QByteArray unix = standInListing();
    unix.replace("\r\n", "\n");
    EXPECT_EQ(readArjListing(unix).entries, readArjListing(standInListing()).entries);
}

} // namespace
} // namespace navlor

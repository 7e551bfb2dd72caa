#include "compat/arj/arj_output.h"

#include "lib/ansi_text.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>

namespace navlor::arj {
namespace {

// What Debian's arj prints for "v": entries from the eighth line on.
QByteArray arjVerbose(int count)
{
    QByteArray out = "ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.\n"
                     "\n"
                     "Processing archive: /tmp/p/dosdevices/d:/BKP/A.ARJ\n"
                     "Archive created: 2026-03-05 10:00:00, modified: 2026-03-05 10:00:00\n"
                     "Sequence/Pathname/Comment/Chapters\n"
                     "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA "
                     "BPMGS\n"
                     "------------ ---------- ---------- ----- ----------------- -------------- "
                     "-----\n";
    for (int i = 1; i <= count; ++i) {
        out += QByteArray::number(i).rightJustified(3, '0') + ") DADOS/Sub/F" +
               QByteArray::number(i) + ".DB\n";
        out += " 11 UNIX           " + QByteArray::number(100 + i) +
               "         50 0.495 26-03-05 10:00:00 -rw-r--r-- ---  +0  \n";
        out += "                                   DTA   26-03-05 10:00:00\n";
    }
    out += "------------ ---------- ---------- -----\n";
    out += "     " + QByteArray::number(count) + " files\n";
    return out;
}

QStringList linesOf(const QByteArray& ansi)
{
    QStringList lines = fromAnsi(ansi).split(QStringLiteral("\r\n"));
    EXPECT_EQ(lines.last(), QString()) << "ends with CR LF";
    lines.removeLast();
    return lines;
}

TEST(ArjListingRewrite, LayoutTheListingReaderExpects)
{
    const ListingContext context{"/tmp/p/dosdevices/d:/BKP/A.ARJ", "D:\\BKP\\A.ARJ", true};
    const QStringList lines = linesOf(rewriteListing(arjVerbose(1001), context));

    EXPECT_TRUE(lines.first().startsWith("ARJ 3.10")) << lines.first().toStdString();
    EXPECT_TRUE(lines.first().contains("ARJ 3"));
    EXPECT_TRUE(lines.contains("Processing archive: D:\\BKP\\A.ARJ"));
    // Nothing before the tenth line looks like an entry; the first entry is right there.
    for (int i = 0; i < 9; ++i)
        EXPECT_FALSE(lines.at(i).contains(") DADOS")) << i;
    EXPECT_EQ(lines.at(9), "001) DADOS\\Sub\\F1.DB");
    EXPECT_TRUE(lines.contains("999) DADOS\\Sub\\F999.DB"));
    EXPECT_TRUE(lines.contains("1000) DADOS\\Sub\\F1000.DB"));
    EXPECT_TRUE(lines.contains("1001) DADOS\\Sub\\F1001.DB"));
    // The detail lines stay.
    EXPECT_EQ(lines.at(10).simplified().left(14), "11 UNIX 101 50");
}

TEST(ArjListingRewrite, NamesInTheAnsiCodePageAndShortListings)
{
    QByteArray out = arjVerbose(0);
    out.replace("------------ ---------- ---------- -----\n     0 files",
                "001) DADOS/A\xc3\xa7\xc3\xa3o.DB\n------------ ---------- ---------- -----\n");
    const QByteArray rewritten = rewriteListing(out, {{}, {}, true});
    EXPECT_TRUE(rewritten.contains("001) DADOS\\A\xe7\xe3o.DB\r\n"));

    // An "l" listing keeps its lines; only the banner and the archive name change.
    const QByteArray plain = "ARJ32 v 3.10, Copyright\n\nProcessing archive: /h/A.ARJ\n"
                             "A.DB    2    2 1.000\n";
    const QStringList lines = linesOf(rewriteListing(plain, {"/h/A.ARJ", "C:\\A.ARJ", false}));
    EXPECT_EQ(lines, QStringList({"ARJ 3.10 - ARJ32 v 3.10, Copyright", "",
                                  "Processing archive: C:\\A.ARJ", "A.DB    2    2 1.000"}));

    // Nothing from arj at all still gives a banner the reader accepts.
    EXPECT_TRUE(linesOf(rewriteListing({}, {})).first().contains("ARJ 3"));
    EXPECT_TRUE(fromAnsi(messageListing("Can't find C:\\X.ARJ")).startsWith("ARJ 3"));
}

TEST(ArjListingRewrite, PlainListingColumnsCountCharactersNotBytes)
{
    const QByteArray details = " 3 3 1.000 26-12-08";
    const QByteArray out = "ARJ32 v 3.10\nFilename       Original\n------------ ----------\n"
                           "A\xc3\xa7\xc3\xa3o.db   " +
                           details +
                           "\n"
                           "a\xc3\xa7\xc3\xa3oxxxx.db \n            " +
                           details +
                           "\n"
                           "Relat\xc3\xb3rio-mensal.txt \n            " +
                           details +
                           "\n"
                           "plain.db    " +
                           details + "\n------------ ----------\n";
    const QStringList lines = linesOf(rewriteListing(out, {{}, {}, false}));
    const QString d = QString::fromLatin1(details);
    EXPECT_EQ(lines.mid(3, 5), QStringList({QString::fromUtf8("A\u00e7\u00e3o.db     ") + d,
                                            QString::fromUtf8("a\u00e7\u00e3oxxxx.db ") + d,
                                            QString::fromUtf8("Relat\u00f3rio-mensal.txt "),
                                            "            " + d, "plain.db    " + d}));
}

// arj's output reaches the rewrite in pieces of any size: lines, CR LF ends, names that take
// in the line after them and an unended last line come out as from the whole.
TEST(ArjListingRewrite, PiecesOfAnySizeGiveTheRewriteOfTheWhole)
{
    const ListingContext verbose{"/tmp/p/dosdevices/d:/BKP/A.ARJ", "D:\\BKP\\A.ARJ", true};
    const ListingContext plain{"/h/A.ARJ", "C:\\A.ARJ", false};
    const QByteArray list =
        "ARJ32 v 3.10\r\n\r\nProcessing archive: /h/A.ARJ\r\n"
        "------------ ----------\r\nDADOS/EMP1/CLIENTES.DB \r\n"
        "             3 3 1.000\r\n"
        "A\xc3\xa7\xc3\xa3o.db    3 3\r\n------------ ----------\r\n     2 files";
    const struct
    {
        QByteArray output;
        ListingContext context;
    } cases[] = {{arjVerbose(900), verbose}, {arjVerbose(1), verbose}, {list, plain}, {{}, plain}};
    for (const auto& c : cases) {
        const QByteArray whole = rewriteListing(c.output, c.context);
        for (const qsizetype piece : {1, 7, 4096}) {
            QByteArray streamed;
            int pieces = 0;
            ListingRewriter rewriter(c.context, [&](const QByteArray& out) {
                streamed += out;
                ++pieces;
            });
            for (qsizetype at = 0; at < c.output.size(); at += piece)
                rewriter.feed(
                    QByteArrayView(c.output).sliced(at, std::min(piece, c.output.size() - at)));
            rewriter.finish();
            EXPECT_EQ(streamed, whole) << piece;
            EXPECT_EQ(pieces > 1, whole.size() > 64 * 1024) << "written as it is rewritten";
        }
    }
}

TEST(ArjProgressRewrite, HostPathsAndStoredNamesAsWindowsPrintsThem)
{
    ProgressRewrite rewrite;
    rewrite.addRoot("/p/dosdevices/d:", "D:");
    rewrite.addRoot("/p/dosdevices/e:", "E:");
    rewrite.addName("/p/dosdevices/d:/BKP/B.ARJ", "D:\\BKP\\B.ARJ");
    rewrite.addStored("MEUS DADOS/MEU ARQ.DB");
    rewrite.addName("/p/dosdevices/e:/x/MEU ARQ.DB", "E:\\X\\MEU ARQ.DB");
    const struct
    {
        QByteArray arj;
        QByteArray shown;
    } cases[] = {
        {"Creating archive  : /p/dosdevices/d:/BKP/B.ARJ", "Creating archive  : D:\\BKP\\B.ARJ"},
        {"Adding    MEUS DADOS/MEU ARQ.DB  100.0%", "Adding    MEUS DADOS\\MEU ARQ.DB  100.0%"},
        {"Extracting MEUS DADOS/MEU ARQ.DB to /p/dosdevices/e:/x/MEU ARQ.DB  OK",
         "Extracting MEUS DADOS\\MEU ARQ.DB to E:\\X\\MEU ARQ.DB  OK"},
        // Paths not named whole: the drive, then up to the next blank.
        {"Can't open /p/dosdevices/d:/OUTRO/X.DB", "Can't open D:\\OUTRO\\X.DB"},
        {"to /p/dosdevices/e:", "to E:\\"},
        // arj's own words and names it was not given stay as they are.
        {"OK to retry (y/n)? ", "OK to retry (y/n)? "},
        {"Adding    OUTROS/MEU ARQ.DB", "Adding    OUTROS/MEU ARQ.DB"},
        {"/p/dosdevices/d:x/A.DB MEUS DADOS/MEU ARQ.DBX",
         "/p/dosdevices/d:x/A.DB MEUS DADOS/MEU ARQ.DBX"},
        {"ARJ32 v 3.10, Copyright", "ARJ 3.10 - ARJ32 v 3.10, Copyright"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rewrite.line(c.arj), c.shown) << c.arj.constData();
}

TEST(ArjVerboseEntries, NamesAndSizes)
{
    QByteArray out = arjVerbose(2);
    // A comment line between a name and its details.
    out.replace("002) DADOS/Sub/F2.DB\n", "002) DADOS/Sub/F2.DB\nnota 12 de marco\n");
    const QList<ArchiveEntry> entries = parseVerboseListing(out);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries.at(0).stored, "DADOS/Sub/F1.DB");
    EXPECT_EQ(entries.at(0).size, 101);
    EXPECT_EQ(entries.at(1).stored, "DADOS/Sub/F2.DB");
    EXPECT_EQ(entries.at(1).size, 102);

    // A name that starts with a blank keeps it.
    QByteArray blank = arjVerbose(1);
    blank.replace("001) DADOS/Sub/F1.DB", "001)  lead.db");
    EXPECT_EQ(parseVerboseListing(blank).value(0).stored, " lead.db");

    EXPECT_TRUE(parseVerboseListing("ARJ32 v 3.10\n\nCan't find /x.arj\n").isEmpty());
}

} // namespace
} // namespace navlor::arj

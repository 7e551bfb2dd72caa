#include "archive/directory_store.h"

#include "lib/platform/command_line.h"
#include "lib/registry_settings.h"
#include "tests/support/temp_prefix.h"

#include <QFile>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kArj = QStringLiteral("C:\\ARJ.EXE");

TEST(DirectoryStoreCommands, StoreEntryAndCommandLineAsTheOperatorKnowsThem)
{
    // Destination with its trailing "\" and the name with its leading one: reduced to one.
    const QString entry =
        storeEntry("c:\\arj.exe", "M", "c:\\vldrbkpb\\" + QString("\\empresa.arj"),
                   "c:\\dados\\empresa", "*.*", true);
    EXPECT_EQ(entry, "C:\\ARJ.EXE#M#C:\\VLDRBKPB\\EMPRESA.ARJ#C:\\DADOS\\EMPRESA\\*.*#-R#");
    EXPECT_EQ(entryCommandLine(entry),
              "C:\\ARJ.EXE M C:\\VLDRBKPB\\EMPRESA.ARJ C:\\DADOS\\EMPRESA\\*.* -R ");

    const QString flat = storeEntry(kArj, "A", "D:\\B.ARJ", "C:\\X", "*.DB", false);
    EXPECT_EQ(flat, "C:\\ARJ.EXE#A#D:\\B.ARJ#C:\\X\\*.DB#");
    EXPECT_EQ(entryCommandLine(flat), "C:\\ARJ.EXE A D:\\B.ARJ C:\\X\\*.DB ");
}

TEST(DirectoryStoreCommands, RestoreEntryTargetsTheDriveRootOnlyForX)
{
    const QString x =
        restoreEntry(kArj, "X", "C:\\VLDRBKPB\\EMPRESA.ARJ", "c:\\dados\\empresa\\", "*.*");
    EXPECT_EQ(x, "C:\\ARJ.EXE#X#C:\\VLDRBKPB\\EMPRESA.ARJ#C:\\#*.*#-Y#");
    EXPECT_EQ(entryCommandLine(x), "C:\\ARJ.EXE X C:\\VLDRBKPB\\EMPRESA.ARJ C:\\ *.* -Y ");

    EXPECT_EQ(restoreEntry(kArj, "E", "C:\\B\\E.ARJ", "D:\\NOVO", "*.DB"),
              "C:\\ARJ.EXE#E#C:\\B\\E.ARJ#D:\\NOVO#*.DB#-N#");
    // Neither letter: passed on with the whole target and "-N".
    EXPECT_EQ(restoreEntry(kArj, "Z", "C:\\B\\E.ARJ", "D:\\NOVO", "*.*"),
              "C:\\ARJ.EXE#Z#C:\\B\\E.ARJ#D:\\NOVO#*.*#-N#");
}

TEST(DirectoryStoreCommands, FieldsWithBlanksStayOneArgumentEach)
{
    const QString entry = storeEntry(kArj, "M", "C:\\BKP DESTINO\\MINHA EMPRESA.ARJ",
                                     "C:\\MEUS DADOS\\MINHA EMPRESA", "*.*", true);
    // The entry as it is kept in the history is not quoted.
    EXPECT_EQ(entry, "C:\\ARJ.EXE#M#C:\\BKP DESTINO\\MINHA EMPRESA.ARJ#"
                     "C:\\MEUS DADOS\\MINHA EMPRESA\\*.*#-R#");
    const QString command = entryCommandLine(entry);
    EXPECT_EQ(command, "C:\\ARJ.EXE M \"C:\\BKP DESTINO\\MINHA EMPRESA.ARJ\" "
                       "\"C:\\MEUS DADOS\\MINHA EMPRESA\\*.*\" -R ");
    EXPECT_EQ(splitCommandLine(command),
              (QStringList{"C:\\ARJ.EXE", "M", "C:\\BKP DESTINO\\MINHA EMPRESA.ARJ",
                           "C:\\MEUS DADOS\\MINHA EMPRESA\\*.*", "-R"}));

    // A quoted directory loses its trailing "\", which would escape the closing quote.
    const QString restore =
        restoreEntry("C:\\PROGRAMAS ARJ\\ARJ.EXE", "E", "C:\\B\\E.ARJ", "C:\\MINHA PASTA\\", "*.*");
    EXPECT_EQ(splitCommandLine(entryCommandLine(restore)),
              (QStringList{"C:\\PROGRAMAS ARJ\\ARJ.EXE", "E", "C:\\B\\E.ARJ", "C:\\MINHA PASTA",
                           "*.*", "-N"}));
    // Several masks of a restore stay several arguments.
    const QString masks = restoreEntry(kArj, "X", "C:\\B\\E.ARJ", "C:\\DADOS", "*.DB *.MB");
    EXPECT_EQ(splitCommandLine(entryCommandLine(masks)),
              (QStringList{"C:\\ARJ.EXE", "X", "C:\\B\\E.ARJ", "C:\\", "*.DB", "*.MB", "-Y"}));
}

TEST(DirectoryStoreCommands, EachStoreMaskIsJoinedToTheOriginOnItsOwn)
{
    const struct
    {
        QString origin, masks;
        QStringList sources;
    } cases[] = {
        {"C:\\DADOS", "*.DB *.TXT", {"C:\\DADOS\\*.DB", "C:\\DADOS\\*.TXT"}},
        {"C:\\MEUS DADOS", " *.DB  *.MB ", {"C:\\MEUS DADOS\\*.DB", "C:\\MEUS DADOS\\*.MB"}},
        {"C:\\MEUS DADOS", "*.*", {"C:\\MEUS DADOS\\*.*"}},
    };
    for (const auto& c : cases) {
        const QString entry = storeEntry(kArj, "A", "D:\\B.ARJ", c.origin, c.masks, true);
        EXPECT_EQ(splitCommandLine(storeCommandLine(entry)),
                  (QStringList{"C:\\ARJ.EXE", "A", "D:\\B.ARJ"} + c.sources + QStringList{"-R"}))
            << c.masks.toStdString();
    }
}

TEST(DirectoryStoreCommands, ContentsCommandQuotesTheArchiveAndRedirects)
{
    EXPECT_EQ(contentsCommand(kArj, "C:\\BKP\\EMPRESA.ARJ", "*.DB", "LIST.LLL"),
              "C:\\ARJ.EXE L \"C:\\BKP\\EMPRESA.ARJ\" *.DB > LIST.LLL");
}

TEST(DirectoryStoreNames, ArchiveNameIsTheLastPartOfTheOrigin)
{
    EXPECT_EQ(archiveNameFor("C:\\DADOS\\EMPRESA"), "\\EMPRESA.ARJ");
    EXPECT_EQ(archiveNameFor(""), ".ARJ");
    EXPECT_EQ(archiveNameFor("EMPRESA"), "EMPRESA.ARJ");
    EXPECT_EQ(archiveNameFor("C:\\"), "\\.ARJ");
    const QString longName(120, u'N');
    EXPECT_EQ(archiveNameFor("C:\\" + longName), "\\" + longName.left(98) + ".ARJ");
}

TEST(DirectoryStoreHistory, ApplyingAnEntryFillsBothTabs)
{
    const HistoryFields f = applyHistoryEntry(
        "C:\\\\ARJ.EXE#A#\"C:\\VLDRBKPB\\EMPRESA.ARJ\"#C:\\DADOS\\EMPRESA\\*.*#-R#");
    EXPECT_EQ(f.entry, "C:\\ARJ.EXE#A#\"C:\\VLDRBKPB\\EMPRESA.ARJ\"#C:\\DADOS\\EMPRESA\\*.*#-R#");
    EXPECT_EQ(f.operation, "A");
    EXPECT_EQ(f.destination, "C:\\VLDRBKPB\\");
    EXPECT_EQ(f.origin, "C:\\DADOS\\EMPRESA");
    EXPECT_TRUE(f.subdirs);
    EXPECT_EQ(f.restoreOrigin, "\"C:\\VLDRBKPB\\EMPRESA.ARJ\"");
    EXPECT_EQ(f.restoreTarget, "C:\\DADOS\\EMPRESA\\");

    const HistoryFields flat = applyHistoryEntry("C:\\ARJ.EXE#M#D:EMP.ARJ#C:\\X\\*.*#");
    EXPECT_EQ(flat.destination, "D:");
    EXPECT_FALSE(flat.subdirs);
    EXPECT_EQ(applyHistoryEntry("").origin, "");
}

TEST(DirectoryStoreHistory, ReadsElevenValuesAndWritesOverBkp1)
{
    test::TempPrefix prefix;
    GRAVA_PROGRAMA("BKPDIR", "BKP0", "OLD0");
    GRAVA_PROGRAMA("BKPDIR", "BKP1", "OLD1");
    GRAVA_PROGRAMA("BKPDIR", "BKP3", "OLD3");
    GRAVA_PROGRAMA("BKPDIR", "BKP10", "OLD10");
    GRAVA_PROGRAMA("BKPDIR", "BKP11", "NEVER READ");
    const QStringList items = readDirectoryHistory();
    EXPECT_EQ(items, (QStringList{"OLD0", "OLD1", "OLD3", "OLD10"}));

    recordDirectoryHistory("NEW", QStringList{"OLD0", "NEW", "OLD1", "NEW", "OLD3"});
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP0"), "NEW");
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP1"), "OLD1") << "never written";
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP2"), "OLD0");
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP3"), "OLD1");
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP4"), "OLD3");
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP10"), "OLD10");
}

TEST(DirectoryStorePlaces, ListingFileAndChooserStart)
{
    test::TempPrefix prefix;
    EXPECT_EQ(contentsListingFile(), "LIST.LLL");
    prefix.mkdir("C:\\VALDOROTEMP");
    EXPECT_EQ(contentsListingFile(), "C:\\VALDOROTEMP\\LIST.LLL");

    prefix.mkdir("C:\\DADOS\\EMPRESA");
    EXPECT_EQ(chooserStart("C:\\DADOS\\EMPRESA"), "C:\\DADOS\\EMPRESA");
    EXPECT_EQ(chooserStart("C:\\DADOS\\EMPRESA\\ARQ.ARJ"), "C:\\DADOS\\EMPRESA\\");
    // A directory part ends in "\\" and is its own directory part: no further up than that.
    EXPECT_EQ(chooserStart("C:\\DADOS\\EMPRESA\\NADA\\ARQ.ARJ"), "C:\\");
    EXPECT_EQ(chooserStart("Q:\\SEM\\DRIVE"), "C:\\");
}

TEST(DirectoryStorePlaces, FirstUseDestinationIsOnTheSystemDrive)
{
    const struct
    {
        const char* windowsDirectory; // nullptr: the prefix's default
        const char* destination;
    } cases[] = {
        {nullptr, "C:\\VLDRBKPB"},
        {"d:\\winnt", "D:\\VLDRBKPB"},
        {"\\\\SERVIDOR\\WINDOWS", "C:\\VLDRBKPB"},
    };
    for (const auto& c : cases) {
        test::TempPrefix prefix;
        if (c.windowsDirectory) {
            QFile ini(prefix.root() + "/system.ini");
            ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
            ini.write(QByteArray("[Version]\nWindowsDirectory=") + c.windowsDirectory + "\n");
        }
        EXPECT_EQ(firstUseDestination(), c.destination) << c.destination;
    }
}

} // namespace
} // namespace navlor

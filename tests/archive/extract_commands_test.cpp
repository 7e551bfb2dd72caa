#include "archive/extract_commands.h"

#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_prefix.h"

#include <QDir>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kExtractArj = QStringLiteral("C:\\ARJ.EXE");

TEST(ExtractCommands, ListLineKeepsItsBlanksAndGluesTheRedirection)
{
    EXPECT_EQ(extractListCommand(kExtractArj, "", "D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ", "*.*",
                                 "C:\\NAVLOR\\LIST.LLL"),
              "C:\\ARJ.EXE V  \"D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ\" *.* >C:\\NAVLOR\\LIST.LLL");
    EXPECT_EQ(
        extractListCommand(kExtractArj, "-HF2", "D:\\BKP\\A B.ARJ", "VLDR*.DB*", "C:\\LIST.LLL"),
        "C:\\ARJ.EXE V -HF2 \"D:\\BKP\\A B.ARJ\" VLDR*.DB* >C:\\LIST.LLL");
}

TEST(ExtractCommands, EntryLineQuotesArchiveTargetAndEntryAndEndsInABlank)
{
    EXPECT_EQ(extractEntryCommand(kExtractArj, "", "D:\\VLDRBKPA\\BKP00.ARJ", "C:\\RESTAURA",
                                  "VALDOROW\\DADOS\\VLDREMP.DB"),
              "C:\\ARJ.EXE E  -Y \"D:\\VLDRBKPA\\BKP00.ARJ\" \"-HTC:\\RESTAURA\" "
              "\"VALDOROW\\DADOS\\VLDREMP.DB\" ");
    // A doubled backslash typed into the archive path is reduced there, and only there.
    EXPECT_EQ(extractEntryCommand(kExtractArj, "-JE", "D:\\\\BKP\\\\X.ARJ", "E:\\\\NOVO", "A.DB"),
              "C:\\ARJ.EXE E -JE -Y \"D:\\BKP\\X.ARJ\" \"-HTE:\\\\NOVO\" \"A.DB\" ");
}

TEST(ExtractCommands, WholeArchiveLineKeepsPathsAndAddsTheVolumeSwitch)
{
    EXPECT_EQ(extractAllCommand(kExtractArj, "", "D:\\\\BKP\\X.ARJ", "C:\\RESTAURA", false),
              "C:\\ARJ.EXE X  -Y \"D:\\BKP\\X.ARJ\" \"-HTC:\\RESTAURA\"");
    EXPECT_EQ(extractAllCommand(kExtractArj, "-HF1", "D:\\BKP\\X.ARJ", "C:\\RESTAURA", true),
              "C:\\ARJ.EXE X -HF1 -Y \"D:\\BKP\\X.ARJ\" \"-HTC:\\RESTAURA\" -VA");
}

TEST(ExtractCommands, ArchiverCandidatesInTheirOrder)
{
    const QStringList expected{"C:\\VALDOROW\\ARJ.EXE", "C:\\ARJ.EXE",
                               "C:\\WINDOWS\\ARJ.EXE",  "C:\\WINDOWS\\SYSTEM\\ARJ.EXE",
                               "D:\\OBRA\\ARJ.EXE",     "C:\\WINNT\\ARJ.EXE",
                               "D:\\VLDRBKP\\ARJ.EXE",  "ARJ.EXE"};
    EXPECT_EQ(extractArjCandidates("C:\\VALDOROW\\", "D:\\OBRA"), expected);
    // Doubled backslashes of the program's directory and of a drive root are reduced.
    const QStringList atRoot = extractArjCandidates("C:\\\\VALDOROW\\\\", "E:\\");
    EXPECT_EQ(atRoot.at(0), "C:\\VALDOROW\\ARJ.EXE");
    EXPECT_EQ(atRoot.at(4), "E:\\ARJ.EXE");
    EXPECT_EQ(atRoot.at(6), "E:\\VLDRBKP\\ARJ.EXE");
}

// Changing the Windows current directory moves the host process too; put it back.
struct KeepHostDirectory
{
    QString directory = QDir::currentPath();
    ~KeepHostDirectory() { QDir::setCurrent(directory); }
};

class OwnPath : public test::ForwardingPlatform
{
public:
    QString programPath() override { return QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE"); }
    QString windowsDirectory() override { return windows; }
    QString windows = QStringLiteral("C:\\WINDOWS");
};

TEST(ExtractCommands, TheFirstExistingArchiverWinsAndTheBareNameIsTheLastResort)
{
    const KeepHostDirectory keep;
    test::TempPrefix prefix;
    test::ScopedPlatform<OwnPath> own;
    prefix.addDrive('d');
    prefix.mkdir("D:\\OBRA");
    ASSERT_TRUE(platform().setCurrentDirectory("D:\\OBRA"));

    EXPECT_EQ(LOCALIZA_ARJ_EXTRAI(), "ARJ.EXE");
    prefix.write("D:\\VLDRBKP\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ_EXTRAI(), "D:\\VLDRBKP\\ARJ.EXE");
    prefix.write("D:\\OBRA\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ_EXTRAI(), "D:\\OBRA\\ARJ.EXE");
    prefix.write("C:\\WINDOWS\\SYSTEM\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ_EXTRAI(), "C:\\WINDOWS\\SYSTEM\\ARJ.EXE");
    prefix.write("C:\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ_EXTRAI(), "C:\\ARJ.EXE");
    prefix.write("C:\\VALDOROW\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ_EXTRAI(), "C:\\VALDOROW\\ARJ.EXE");
}

TEST(ExtractCommands, LocalDirectoryIsNavlorOnTheWindowsDriveWhenItExists)
{
    test::TempPrefix prefix;
    test::ScopedPlatform<OwnPath> own;
    prefix.addDrive('e');
    own->windows = QStringLiteral("E:\\WINNT");
    EXPECT_EQ(extractLocalDirectory(), "E:\\");
    prefix.mkdir("E:\\NAVLOR");
    EXPECT_EQ(extractLocalDirectory(), "E:\\NAVLOR\\");
}

} // namespace
} // namespace navlor

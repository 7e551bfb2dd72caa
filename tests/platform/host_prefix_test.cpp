#include "lib/platform/host_prefix.h"

#include "tests/platform/platform_fixture.h"

#include <QTemporaryDir>

namespace navlor::test {
namespace {

TEST(WindowsPath, AbsoluteForms)
{
    const QString cwd = "C:\\VALDOROW\\DADOS";
    EXPECT_EQ(absoluteWindowsPath("ArqBat.Bat", cwd), "C:\\VALDOROW\\DADOS\\ArqBat.Bat");
    EXPECT_EQ(absoluteWindowsPath("\\EXE\\ARJ.EXE", cwd), "C:\\EXE\\ARJ.EXE");
    EXPECT_EQ(absoluteWindowsPath("..\\X", cwd), "C:\\VALDOROW\\X");
    EXPECT_EQ(absoluteWindowsPath("c:/a/./b/../c/", cwd), "C:\\a\\c");
    EXPECT_EQ(absoluteWindowsPath("C:\\..\\..", cwd), "C:\\");
    EXPECT_EQ(absoluteWindowsPath("d:", cwd), "D:\\");
    EXPECT_EQ(absoluteWindowsPath("D:X.BAT", cwd), "D:\\X.BAT");
    EXPECT_EQ(absoluteWindowsPath("c:X.BAT", cwd), "C:\\VALDOROW\\DADOS\\X.BAT");
    EXPECT_EQ(absoluteWindowsPath("C:\\\\DADOS\\\\A.DB", cwd), "C:\\DADOS\\A.DB");
    // the hosted machine has no network names and no device paths
    EXPECT_TRUE(absoluteWindowsPath("\\\\SERVER\\SHARE\\A.DB", cwd).isEmpty());
    EXPECT_TRUE(absoluteWindowsPath("//server/share", cwd).isEmpty());
    EXPECT_TRUE(absoluteWindowsPath("\\\\?\\C:\\A", cwd).isEmpty());
    EXPECT_TRUE(absoluteWindowsPath("", cwd).isEmpty());
}

TEST(WindowsPath, PathsAlreadyAbsoluteComeBackAsTheyAre)
{
    const QString cwd = "D:\\X";
    EXPECT_EQ(absoluteWindowsPath("C:\\Dados\\Sub\\A.DB", cwd), "C:\\Dados\\Sub\\A.DB");
    EXPECT_EQ(absoluteWindowsPath("c:\\Dados", cwd), "C:\\Dados");
    EXPECT_EQ(absoluteWindowsPath("C:\\", cwd), "C:\\");
    EXPECT_EQ(absoluteWindowsPath("C:\\a\\...\\.b\\..c", cwd), "C:\\a\\...\\.b\\..c");
    // and those that are not are still made so
    EXPECT_EQ(absoluteWindowsPath("C:\\a\\.\\b", cwd), "C:\\a\\b");
    EXPECT_EQ(absoluteWindowsPath("C:\\a\\..", cwd), "C:\\");
    EXPECT_EQ(absoluteWindowsPath("C:\\a\\", cwd), "C:\\a");
    EXPECT_EQ(absoluteWindowsPath("C:\\a/b", cwd), "C:\\a\\b");
}

TEST(HostPrefixLayout, NewPrefixGetsDrivesAlsoBesideExistingOnes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // a backup disk linked before the prefix was first used
    QDir().mkpath(dir.path() + "/p/dosdevices");
    QDir().mkpath(dir.path() + "/disk");
    ASSERT_TRUE(QFile::link(dir.path() + "/disk", dir.path() + "/p/dosdevices/d:"));

    HostPrefix prefix(dir.path() + "/p");
    prefix.ensureLayout();
    EXPECT_EQ(QFileInfo(dir.path() + "/p/dosdevices/c:").symLinkTarget(),
              dir.path() + "/p/drive_c");
    EXPECT_EQ(QFileInfo(dir.path() + "/p/dosdevices/z:").symLinkTarget(), "/");
    EXPECT_TRUE(QFileInfo(dir.path() + "/p/drive_c/WINDOWS").isDir());
    EXPECT_EQ(QFileInfo(dir.path() + "/p/dosdevices/d:").symLinkTarget(), dir.path() + "/disk");
    EXPECT_EQ(prefix.driveRoot('d'), dir.path() + "/p/dosdevices/d:");
    EXPECT_TRUE(prefix.driveRoot('q').isEmpty());
}

using PathMapping = PlatformTest;

TEST_F(PathMapping, MatchesExistingComponentsWithoutRegardToCase)
{
    touch("C:\\Dados\\Sub\\Px.lck");
    const QString c = prefix.root() + "/dosdevices/c:";
    EXPECT_EQ(platform().toHostPath("c:\\DADOS\\sub\\PX.LCK"), c + "/Dados/Sub/Px.lck");
    // components that do not exist are kept as given, so files can be made there
    EXPECT_EQ(platform().toHostPath("C:\\dados\\NOVO\\Arq.txt"), c + "/Dados/NOVO/Arq.txt");
    EXPECT_TRUE(platform().fileExists("C:\\DADOS\\SUB\\PX.LCK"));
    EXPECT_TRUE(platform().directoryExists("c:\\dados\\sub\\"));
}

TEST_F(PathMapping, ExactNamesNeedNoSearch)
{
    touch("C:\\Dados\\Sub\\Px.lck");
    const QString c = prefix.root() + "/dosdevices/c:";
    EXPECT_EQ(posix().prefix().exactHost("C:\\Dados\\Sub"), c + "/Dados/Sub");
    EXPECT_EQ(platform().toHostPath("C:\\Dados\\Sub\\Px.lck"), c + "/Dados/Sub/Px.lck");
    // only for the clean absolute form; the mapping still finds the rest
    EXPECT_TRUE(posix().prefix().exactHost("C:\\").isEmpty());
    EXPECT_TRUE(posix().prefix().exactHost("C:Dados").isEmpty());
    EXPECT_TRUE(posix().prefix().exactHost("C:\\Dados\\").isEmpty());
    EXPECT_EQ(platform().toHostPath("C:\\Dados\\"), c + "/Dados");
    EXPECT_EQ(platform().toHostPath("C:\\Dados\\SUB\\px.LCK"), c + "/Dados/Sub/Px.lck");
}

TEST_F(PathMapping, ExactNameFirstOtherwiseFirstInDirectoryOrder)
{
    const QString c = prefix.root() + "/drive_c";
    QDir().mkpath(c + "/aBC");
    QDir().mkpath(c + "/Abc");
    QDir().mkpath(c + "/abc");
    const QString root = prefix.root() + "/dosdevices/c:/";
    EXPECT_EQ(platform().toHostPath("C:\\abc"), root + "abc");
    EXPECT_EQ(platform().toHostPath("C:\\aBC"), root + "aBC");
    EXPECT_EQ(platform().toHostPath("C:\\ABC"), root + "Abc");
}

TEST_F(PathMapping, UnknownDrivesAndNetworkNamesDoNotExist)
{
    EXPECT_TRUE(platform().toHostPath("Q:\\X.TXT").isEmpty());
    EXPECT_TRUE(platform().toHostPath("\\\\SERVIDOR\\C\\X.TXT").isEmpty());
    EXPECT_FALSE(platform().fileExists("\\\\SERVIDOR\\C\\X.TXT"));
    EXPECT_FALSE(platform().directoryExists("Q:\\"));
    EXPECT_FALSE(platform().writeFile("Q:\\X.TXT", "x"));
    EXPECT_TRUE(platform().findFiles("\\\\SERVIDOR\\C\\*.*").isEmpty());
    // a drive added later is there at once
    prefix.addDrive('q');
    EXPECT_TRUE(platform().directoryExists("Q:\\"));
}

TEST_F(PathMapping, DotDotIsResolvedBeforeTheHostSeesIt)
{
    touch("C:\\A\\F.TXT");
    touch("C:\\B\\G.TXT");
    EXPECT_TRUE(platform().fileExists("C:\\a\\..\\b\\g.txt"));
    // ".." cannot climb above the drive root into the prefix
    EXPECT_EQ(platform().toHostPath("C:\\..\\..\\A"), prefix.root() + "/dosdevices/c:/A");
}

TEST_F(PathMapping, HostPathsMapBackToTheMostSpecificDrive)
{
    touch("C:\\VALDOROW\\NAVLOR.EXE");
    const QString drive = prefix.addDrive('d');
    QDir().mkpath(drive + "/BKP");
    // through the drive link and through its target
    EXPECT_EQ(platform().fromHostPath(prefix.root() + "/dosdevices/c:/VALDOROW/NAVLOR.EXE"),
              "C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_EQ(platform().fromHostPath(prefix.root() + "/drive_c/VALDOROW/NAVLOR.EXE"),
              "C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_EQ(platform().fromHostPath(prefix.root() + "/drive_c"), "C:\\");
    EXPECT_EQ(platform().fromHostPath(drive + "/BKP"), "D:\\BKP");
    // z: holds the rest of the host
    EXPECT_EQ(platform().fromHostPath("/usr/bin/arj"), "Z:\\usr\\bin\\arj");
    EXPECT_EQ(platform().fromHostPath(prefix.root() + "/other"),
              "Z:" + QString(prefix.root() + "/other").replace('/', '\\'));
    // and back again
    EXPECT_EQ(platform().toHostPath("z:\\USR\\BIN"), prefix.root() + "/dosdevices/z:/usr/bin");
}

TEST_F(PathMapping, RelativePathsFollowTheCurrentDirectory)
{
    touch("C:\\VALDOROW\\EXE\\ARJ.EXE");
    touch("C:\\EXE\\ARJ.EXE", "root");
    ASSERT_TRUE(platform().setCurrentDirectory("c:\\valdorow"));
    EXPECT_EQ(platform().currentDirectory(), "C:\\valdorow");
    // the host process went along, for the programs it starts
    EXPECT_EQ(QDir::currentPath(),
              QFileInfo(prefix.root() + "/drive_c/VALDOROW").canonicalFilePath());
    EXPECT_TRUE(platform().fileExists("EXE\\ARJ.EXE"));
    EXPECT_EQ(platform().readFile("\\EXE\\ARJ.EXE").value_or("?"), "root");
    EXPECT_EQ(platform().toHostPath("ArqBat.Bat"),
              prefix.root() + "/dosdevices/c:/VALDOROW/ArqBat.Bat");

    EXPECT_FALSE(platform().setCurrentDirectory("C:\\NAO_EXISTE"));
    EXPECT_FALSE(platform().setCurrentDirectory("C:\\VALDOROW\\EXE\\ARJ.EXE"));
    EXPECT_EQ(platform().currentDirectory(), "C:\\valdorow");
}

} // namespace
} // namespace navlor::test

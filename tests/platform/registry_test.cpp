#include "lib/platform/xdg_autostart.h"

#include "tests/platform/platform_fixture.h"

#include <QTemporaryDir>

#include <unistd.h>

namespace navlor::test {
namespace {

using Registry = PlatformTest;

const QString kRun = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const QString kBkpDir = "\\Software\\VALDORO\\PROGRAM\\BKPDIR";

TEST_F(Registry, ValuesRoundTripWithoutRegardToCase)
{
    const auto cu = RegRoot::CurrentUser;
    EXPECT_FALSE(platform().regOpenKey(cu, kBkpDir, false));
    EXPECT_FALSE(platform().regReadString(cu, kBkpDir, "BKP0").has_value());

    EXPECT_TRUE(platform().regWriteString(cu, kBkpDir, "BKP0", "C:\\DADOS"));
    EXPECT_TRUE(platform().regOpenKey(cu, "software\\valdoro\\program\\bkpdir\\", false));
    EXPECT_TRUE(platform().regOpenKey(cu, "\\SOFTWARE\\VALDORO", false)); // the parents too
    EXPECT_EQ(platform().regReadString(cu, "SOFTWARE\\VALDORO\\PROGRAM\\BKPDIR", "bkp0"),
              "C:\\DADOS");
    EXPECT_TRUE(platform().regValueExists(cu, kBkpDir, "Bkp0"));

    // overwriting keeps one value
    EXPECT_TRUE(platform().regWriteString(cu, kBkpDir, "BKP0", "D:\\"));
    EXPECT_EQ(platform().regReadString(cu, kBkpDir, "BKP0"), "D:\\");

    EXPECT_TRUE(platform().regDeleteValue(cu, kBkpDir, "bkp0"));
    EXPECT_FALSE(platform().regValueExists(cu, kBkpDir, "BKP0"));
    EXPECT_FALSE(platform().regDeleteValue(cu, kBkpDir, "BKP0"));

    // the roots are apart
    EXPECT_TRUE(platform().regWriteString(cu, "\\SOFTWARE\\VALDORO\\LOCAL", "NAVLOR.EXE", "C:\\"));
    EXPECT_FALSE(platform().regValueExists(RegRoot::LocalMachine, "\\SOFTWARE\\VALDORO\\LOCAL",
                                           "NAVLOR.EXE"));
}

TEST_F(Registry, OpeningWithCreateMakesTheKey)
{
    const QString key = "\\Software\\VALDORO\\USER\\GLOBAIS_FB";
    EXPECT_FALSE(platform().regOpenKey(RegRoot::CurrentUser, key, false));
    EXPECT_TRUE(platform().regOpenKey(RegRoot::CurrentUser, key, true));
    EXPECT_TRUE(platform().regOpenKey(RegRoot::CurrentUser, key.toLower(), false));
}

TEST_F(Registry, ValuesSurviveANewBackendAndAnyText)
{
    const QString odd = QString::fromUtf8("aspas \" barra \\ fim\\\nlinha\tção = [x]");
    const QString key = "\\Software\\VALDORO\\USER\\GLOBAIS_FB";
    ASSERT_TRUE(platform().regWriteString(RegRoot::CurrentUser, key, "GBCAMPO", "#########"));
    ASSERT_TRUE(platform().regWriteString(RegRoot::CurrentUser, key, "GB_SEN_USER", ""));
    ASSERT_TRUE(platform().regWriteString(RegRoot::CurrentUser, key, "odd \"name\"", odd));
    ASSERT_TRUE(platform().regWriteString(RegRoot::CurrentUser, key, "", "default"));

    PosixPlatform again(prefix.root());
    EXPECT_EQ(again.regReadString(RegRoot::CurrentUser, key, "gbcampo"), "#########");
    EXPECT_EQ(again.regReadString(RegRoot::CurrentUser, key, "GB_SEN_USER"), "");
    EXPECT_EQ(again.regReadString(RegRoot::CurrentUser, key, "ODD \"NAME\""), odd);
    EXPECT_EQ(again.regReadString(RegRoot::CurrentUser, key, ""), "default");
    EXPECT_TRUE(QDir(prefix.root()).entryList({"*navlor-*"}, QDir::Hidden | QDir::Files).isEmpty());
}

QString fileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

TEST_F(Registry, RunKeyIsTheAutostartDirectory)
{
    touch("C:\\VALDOROW\\NAVLOR.EXE");
    const auto lm = RegRoot::LocalMachine;
    EXPECT_TRUE(platform().regOpenKey(lm, kRun, false));
    EXPECT_FALSE(platform().regValueExists(lm, kRun, "NAVLOR"));

    ASSERT_TRUE(platform().regWriteString(lm, kRun, "NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    const QString file = prefix.autostartDir() + "/navlor-navlor.desktop";
    const QString text = fileText(file);
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("\nType=Application\n"));
    EXPECT_TRUE(text.contains("\nName=NAVLOR\n"));
    EXPECT_TRUE(text.contains("\nExec=env NAVLOR_PREFIX=" + prefix.root() + " " + prefix.root() +
                              "/dosdevices/c:/VALDOROW/NAVLOR.EXE\n"))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nX-Navlor-Data=C:\\\\VALDOROW\\\\NAVLOR.EXE\n"));

    // read back as written, by any spelling of the key; not kept in the registry files
    EXPECT_EQ(
        platform().regReadString(lm, "software\\microsoft\\windows\\currentversion\\run", "navlor"),
        "C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_TRUE(platform().regValueExists(lm, kRun + "\\", "NAVLOR"));
    EXPECT_FALSE(fileText(prefix.root() + "/system.reg.ini").contains("NAVLOR"));

    EXPECT_TRUE(platform().regDeleteValue(lm, kRun, "NAVLOR"));
    EXPECT_FALSE(QFileInfo::exists(file));
    EXPECT_FALSE(platform().regValueExists(lm, kRun, "NAVLOR"));
    EXPECT_FALSE(platform().regDeleteValue(lm, kRun, "NAVLOR"));
}

TEST_F(Registry, RunKeyQuotesTheProgramForTheDesktop)
{
    touch("C:\\Program Files\\Navlor $1\\NAVLOR.EXE");
    ASSERT_TRUE(platform().regWriteString(RegRoot::LocalMachine, kRun, "Navlor Teste",
                                          "C:\\PROGRAM FILES\\NAVLOR $1\\NAVLOR.EXE"));
    const QString text = fileText(prefix.autostartDir() + "/navlor-navlor_20teste.desktop");
    // quoted, "$" escaped for the Exec line, then every "\" doubled for the entry itself
    EXPECT_TRUE(text.contains(" \"" + prefix.root() +
                              "/dosdevices/c:/Program Files/Navlor \\\\$1/NAVLOR.EXE\"\n"))
        << text.toStdString();
    EXPECT_EQ(platform().regReadString(RegRoot::LocalMachine, kRun, "NAVLOR TESTE"),
              "C:\\PROGRAM FILES\\NAVLOR $1\\NAVLOR.EXE");

    EXPECT_EQ(desktopExecArgument("/a/b"), "/a/b");
    EXPECT_EQ(desktopExecArgument("50%"), "50%%");
    EXPECT_EQ(desktopExecArgument("a\\b c\"`"), "\"a\\\\b c\\\"\\`\"");
}

TEST_F(Registry, RunKeyFailsWhereTheDirectoryCannotBeMade)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile blocker(dir.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    ScopedEnv xdg("XDG_CONFIG_DIRS", QFile::encodeName(dir.path() + "/file/xdg:/etc/xdg"));
    const auto lm = RegRoot::LocalMachine;
    // looking needs no directory; making one fails, and so does writing
    EXPECT_TRUE(platform().regOpenKey(lm, kRun, false));
    EXPECT_FALSE(platform().regOpenKey(lm, kRun, true));
    EXPECT_FALSE(platform().regWriteString(lm, kRun, "NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    EXPECT_FALSE(platform().regValueExists(lm, kRun, "NAVLOR"));
}

TEST_F(Registry, RunKeyNeedsTheRightToWriteTheDirectory)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir().mkpath(dir.path() + "/autostart");
    ScopedEnv xdg("XDG_CONFIG_DIRS", QFile::encodeName(dir.path()));
    ASSERT_TRUE(QFile::setPermissions(dir.path() + "/autostart",
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto lm = RegRoot::LocalMachine;
    EXPECT_TRUE(platform().regOpenKey(lm, kRun, false));
    const bool written = platform().regWriteString(lm, kRun, "NAVLOR", "C:\\NAVLOR.EXE");
    QFile::setPermissions(dir.path() + "/autostart",
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (::geteuid() == 0)
        GTEST_SKIP() << "the administrator may write anywhere";
    EXPECT_FALSE(written);
    EXPECT_FALSE(platform().regValueExists(lm, kRun, "NAVLOR"));
}

} // namespace
} // namespace navlor::test

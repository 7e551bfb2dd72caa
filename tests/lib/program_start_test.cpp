#include "lib/program_start.h"
#include "lib/registry_settings.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace navlor {
namespace {

// Records the programs started instead of starting them, and may pose as another Windows.
class Recorder : public test::ForwardingPlatform
{
public:
    std::optional<VersionRecord> version;
    QString ownPath;
    int exitCode = 0;
    test::ScriptedDialogs* dialogs = nullptr;

    QStringList runs;
    QList<ShowMode> modes;
    QList<int> busyWhileRunning;
    QStringList started;
    QStringList executed;

    int runAndWait(const QString& command, ShowMode mode, const QString&) override
    {
        runs << command;
        modes << mode;
        busyWhileRunning << (dialogs ? dialogs->busyDepth : -1);
        return exitCode;
    }
    bool startProcess(const QString& command, ShowMode) override
    {
        started << command;
        return true;
    }
    int winExec(const QString& command, ShowMode) override
    {
        executed << command;
        return 33;
    }
    VersionRecord versionRecord() override
    {
        return version ? *version : ForwardingPlatform::versionRecord();
    }
    QString programPath() override
    {
        return ownPath.isEmpty() ? ForwardingPlatform::programPath() : ownPath;
    }
};

VersionRecord windows98(const QString& servicePack)
{
    VersionRecord record;
    record.platformId = 1;
    record.major = 4;
    record.minor = 10;
    record.build = 1998;
    record.servicePack = servicePack;
    return record;
}

// A prefix whose current directory is C:\WORK; the host directory is put back afterwards.
class ProgramStart : public ::testing::Test
{
protected:
    ProgramStart()
    {
        prefix.mkdir("C:\\WORK");
        platform().setCurrentDirectory("C:\\WORK");
        recorder->dialogs = &*dialogs;
    }
    ~ProgramStart() override { QDir::setCurrent(m_hostDirectory); }

    QString m_hostDirectory = QDir::currentPath();
    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    test::ScopedPlatform<Recorder> recorder;
};

TEST_F(ProgramStart, CommandLineGoesIntoArqBatWhichRuns)
{
    recorder->exitCode = 3; // a failure inside the batch is not passed on
    EXPECT_EQ(EXECUTA_BAT(QString::fromUtf8("C:\\\\VALDOROW\\\\EXE\\\\ARJ.EXE A \"D:\\\\BKP/"
                                            "X.ARJ\" C:\\DADOS\\Ação\\*.* /R -Y"),
                          ShowMode::ShowNormal, "S"),
              0);
    EXPECT_EQ(prefix.read("C:\\WORK\\ArqBat.Bat"),
              "C:\\VALDOROW\\EXE\\ARJ.EXE A \"D:\\BKPX.ARJ\" C:\\DADOS\\A\xe7\xe3o\\*.* R -Y\r\n");
    EXPECT_EQ(recorder->runs, QStringList{"ArqBat.Bat"});
    EXPECT_EQ(recorder->modes, QList<ShowMode>{ShowMode::ShowNormal});
    // the hourglass while it runs, and not after
    EXPECT_EQ(recorder->busyWhileRunning, QList<int>{1});
    EXPECT_EQ(dialogs->busyDepth, 0);

    // replaced each time; the window mode passed on
    recorder->exitCode = -1;
    EXPECT_EQ(EXECUTA_BAT("ARJ.EXE L X.ARJ", ShowMode::Hide, "S"), -1);
    EXPECT_EQ(prefix.read("C:\\WORK\\ArqBat.Bat"), "ARJ.EXE L X.ARJ\r\n");
    EXPECT_EQ(recorder->modes, (QList<ShowMode>{ShowMode::ShowNormal, ShowMode::Hide}));
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(ProgramStart, BatchFilePathsRunAsTheyAre)
{
    prefix.write("C:\\WORK\\ArqBat.Bat", "antigo\r\n");
    EXPECT_EQ(EXECUTA_BAT("D:\\\\VLDRBKPA\\\\BKPA.BAT", ShowMode::ShowNormal, "S"), 0);
    EXPECT_EQ(recorder->runs, QStringList{"D:\\VLDRBKPA\\BKPA.BAT"});
    EXPECT_EQ(prefix.read("C:\\WORK\\ArqBat.Bat"), "antigo\r\n");

    // the test for ".BAT" minds the case
    EXPECT_EQ(EXECUTA_BAT("D:\\VLDRBKPA\\bkpa.bat", ShowMode::ShowNormal, "S"), 0);
    EXPECT_EQ(prefix.read("C:\\WORK\\ArqBat.Bat"), "D:\\VLDRBKPA\\bkpa.bat\r\n");
    EXPECT_EQ(recorder->runs.last(), "ArqBat.Bat");
}

TEST_F(ProgramStart, Windows98RunsThroughCommandCom)
{
    recorder->version = windows98("");
    EXPECT_EQ(EXECUTA_BAT("ARJ.EXE L X.ARJ", ShowMode::Hide, "S"), 0);
    EXPECT_EQ(EXECUTA_BAT("D:\\BKPA.BAT", ShowMode::ShowNormal, "N"), 0);
    recorder->version = windows98(" A "); // Windows 98 SE
    EXPECT_EQ(EXECUTA_BAT("D:\\BKPA.BAT", ShowMode::ShowNormal, "S"), 0);
    EXPECT_EQ(recorder->runs, (QStringList{"COMMAND.COM /C ArqBat.Bat", "COMMAND.COM  D:\\BKPA.BAT",
                                           "COMMAND.COM /C D:\\BKPA.BAT"}));
}

TEST_F(ProgramStart, ArqBatThatCannotBeWrittenRunsNothing)
{
    // an earlier ArqBat.Bat would run the earlier command
    prefix.mkdir("C:\\WORK\\ArqBat.Bat");
    EXPECT_EQ(EXECUTA_BAT("ARJ.EXE L X.ARJ", ShowMode::ShowNormal, "S"), -1);
    EXPECT_TRUE(recorder->runs.isEmpty());
}

TEST_F(ProgramStart, StartsWithoutWaiting)
{
    EXPECT_TRUE(INICIA_PROGRAMA("C:\\BDE\\BDECFG.EXE", ""));
    EXPECT_TRUE(INICIA_PROGRAMA("C:\\Arquivos de programas\\DBD\\DBD32.EXE", "-q"));
    EXPECT_EQ(recorder->started, (QStringList{"C:\\BDE\\BDECFG.EXE ",
                                              "\"C:\\Arquivos de programas\\DBD\\DBD32.EXE\" -q"}));
    EXPECT_TRUE(recorder->runs.isEmpty());
}

TEST(ProgramCandidates, InTheirOrder)
{
    EXPECT_EQ(programCandidates("NETLOG", "C:\\VALDOROW\\SIS", "C:\\VALDOROW\\"),
              (QStringList{"NETLOG.EXE", "C:\\VALDOROW\\NETLOG.EXE",
                           "C:\\VALDOROW\\EXE\\NETLOG.EXE", "C:\\VALDOROW\\SIS\\EXE\\NETLOG.EXE",
                           "C:\\VALDOROW\\EXE\\NETLOG.EXE", "\\\\C\\VALDOROW\\EXE\\NETLOG.EXE"}));
    // text before the drive letter goes in the third
    EXPECT_EQ(programCandidates("A.COM", "X\\D:\\SIS\\BASE", "C:\\P\\").at(2),
              "D:\\SIS\\EXE\\A.COM");
    // no base directory, as in the console
    EXPECT_EQ(programCandidates("C:\\NETLOG\\NETLOG.EXE", "", "C:\\VALDOROW\\"),
              (QStringList{"C:\\NETLOG\\NETLOG.EXE", "C:\\VALDOROW\\C:\\NETLOG\\NETLOG.EXE",
                           "EXE\\C:\\NETLOG\\NETLOG.EXE", "\\EXE\\C:\\NETLOG\\NETLOG.EXE",
                           "EXE\\C:\\NETLOG\\NETLOG.EXE", "\\\\EXE\\C:\\NETLOG\\NETLOG.EXE"}));
}

TEST_F(ProgramStart, SiblingProgramGetsTheGlobalValuesAndTheFirstCandidate)
{
    recorder->ownPath = "C:\\VALDOROW\\NAVLOR.EXE";
    auto registry = [](const char* name) {
        return platform()
            .regReadString(RegRoot::CurrentUser, "Software\\VALDORO\\USER\\GLOBAIS_FB", name)
            .value_or("?");
    };

    // The block given is the block written.
    GlobalValues globals;
    globals.GB_DIR1 = "C:\\SIS\\BASE";
    ASSERT_TRUE(GRAVA_GLOBAIS("PROG", "-x", globals));
    EXPECT_EQ(registry("GB_DIR1"), "C:\\SIS\\BASE");

    // The console's own block has no base directory.
    EXECUTA_PROGRAMA("PROG", "-x");
    EXPECT_TRUE(recorder->executed.isEmpty()); // none there: nothing happens
    EXPECT_EQ(registry("PROGRAMA"), "PROG");
    EXPECT_EQ(registry("PARAM"), "-x");
    EXPECT_EQ(registry("GB_DIR1"), "");

    // the program's own directory, then a full name as given
    prefix.write("C:\\VALDOROW\\PROG.EXE", "x");
    EXECUTA_PROGRAMA("prog", "");
    prefix.write("C:\\NETLOG\\NETLOG.EXE", "x");
    EXECUTA_PROGRAMA("C:\\NETLOG\\NETLOG.EXE", "");
    EXPECT_EQ(recorder->executed,
              (QStringList{"C:\\VALDOROW\\prog.EXE", "C:\\NETLOG\\NETLOG.EXE"}));
    EXPECT_EQ(registry("PROGRAMA"), "C:\\NETLOG\\NETLOG.EXE");
}

// The real backend: programs that cannot start, and a wait for the end of one that can.
TEST(WaitForProgram, RunsToTheEndOrGivesMinusOne)
{
    const QString home = QDir::currentPath();
    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());

    // a batch file that is not there: no process, no message, no ArqBat.Bat
    prefix.mkdir("C:\\WORK");
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\WORK"));
    EXPECT_EQ(EXECUTA_BAT("C:\\NADA\\X.BAT", ShowMode::ShowNormal, "S"), -1);
    EXPECT_FALSE(platform().fileExists("C:\\WORK\\ArqBat.Bat"));
    EXPECT_EQ(EXECUTA_E_ESPERA("C:\\NADA\\X.EXE", ShowMode::ShowNormal), -1);
    EXPECT_TRUE(dialogs->messages.isEmpty());

    prefix.write("C:\\BIN\\SLOW.EXE", "#!/bin/sh\nsleep 0.3\necho fim > \"$1\"\nexit 5\n");
    ASSERT_TRUE(QFile::setPermissions(prefix.host("C:\\BIN\\SLOW.EXE"),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const QString marker = out.path() + "/fim";
    EXPECT_EQ(EXECUTA_E_ESPERA("C:\\\\BIN\\\\SLOW.EXE " + marker, ShowMode::ShowNormal), 0);
    EXPECT_TRUE(QFile::exists(marker)); // it had ended when the call returned
    EXPECT_EQ(dialogs->busyDepth, 0);
    QDir::setCurrent(home);
}

} // namespace
} // namespace navlor

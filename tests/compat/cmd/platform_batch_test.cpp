// The console runs its batch files through the platform, which hands them to navlor-cmd.

#include "tests/compat/cmd/cmd_fixture.h"

namespace navlor::test {
namespace {

class PlatformBatch : public CmdTest
{
protected:
    // Nothing a batch does may land in the directory the tests were started in.
    PlatformBatch() { platform().setCurrentDirectory("C:\\JOBS"); }

    ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_CMD_BINARY};
};

TEST_F(PlatformBatch, BatchFileRunsThroughTheInterpreter)
{
    prefix.mkdir("C:\\X");
    prefix.addDrive('d');
    ASSERT_TRUE(platform().setCurrentDirectory("D:\\"));
    batch("C:\\X\\RUN.BAT",
          {"C:", "CD \\X", "MD FEITO", "ECHO ok > c:\\x\\Saida.txt", "EXIT 4", "MD NUNCA"});
    EXPECT_EQ(platform().runAndWait("C:\\X\\RUN.BAT", ShowMode::ShowNormal), 4);
    EXPECT_TRUE(exists("C:\\X\\FEITO"));
    EXPECT_FALSE(exists("C:\\X\\NUNCA"));
    EXPECT_EQ(prefix.read("C:\\X\\SAIDA.TXT"), "ok \r\n");
}

TEST_F(PlatformBatch, ArchiverLineWrittenToArqBatRunsFromTheCurrentDirectory)
{
    // the archiver stands on PATH, the listing goes to the temporary directory
    install("C:\\WINDOWS\\ARJ.EXE");
    prefix.mkdir("C:\\VALDOROTEMP");
    prefix.mkdir("C:\\TRABALHO");
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\TRABALHO"));
    batch("C:\\TRABALHO\\ArqBat.Bat",
          {R"(ARJ.EXE L "C:\Meus BKP\X.arj" *.* > C:\VALDOROTEMP\LIST.LLL)"});
    EXPECT_EQ(platform().runAndWait("COMMAND.COM /C ArqBat.Bat", ShowMode::Hide), 0);
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\LIST.LLL"), "L\nC:\\Meus BKP\\X.arj\n*.*\n");

    // the listing into the working directory, no blank after ">"
    batch("C:\\TRABALHO\\VLDRBKP_REST.BAT", {R"(ARJ.EXE V  "C:\B.ARJ" *.* >C:\TRABALHO\LIST.LLL)"});
    EXPECT_EQ(platform().runAndWait("C:\\TRABALHO\\VLDRBKP_REST.BAT", ShowMode::ShowNormal), 0);
    EXPECT_EQ(prefix.read("C:\\TRABALHO\\LIST.LLL"), "V\nC:\\B.ARJ\n*.*\n");
}

TEST_F(PlatformBatch, CommandComRunsOneLineAndPassesTheExitCodeOn)
{
    install("C:\\BIN\\P.EXE");
    EXPECT_EQ(platform().runAndWait(R"(COMMAND.COM /C C:\BIN\P.EXE exit 6 "a b")", ShowMode::Hide),
              6);
    EXPECT_EQ(platform().runAndWait("COMMAND.COM /C NAO_HA.EXE", ShowMode::Hide), 9009 % 256);
    // a batch that calls the interpreter again
    batch("C:\\JOBS\\DENTRO.BAT", {"COMMAND.COM /C C:\\BIN\\P.EXE exit 9"});
    EXPECT_EQ(platform().runAndWait("C:\\JOBS\\DENTRO.BAT", ShowMode::Hide), 9);
}

} // namespace
} // namespace navlor::test

#include "lib/platform/interruption.h"
#include "tests/platform/platform_fixture.h"

#include <QProcess>

#include <sys/stat.h>

namespace navlor::test {
namespace {

// Starts Windows programs that are links to the probe in tests/platform.
class Processes : public PlatformTest
{
protected:
    void installProbe(const QString& windowsPath)
    {
        const QString path = prefix.host(windowsPath);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile::link(NAVLOR_PLATFORM_PROBE, path));
    }

    // The probe's report as name=value lines.
    QStringList reportLines(const QString& windowsPath)
    {
        return QString::fromUtf8(prefix.read(windowsPath)).split('\n', Qt::SkipEmptyParts);
    }
};

TEST_F(Processes, RunAndWaitGivesTheExitCode)
{
    installProbe("C:\\BIN\\PROBE.EXE");
    EXPECT_EQ(platform().runAndWait("C:\\BIN\\PROBE.EXE exit 7", ShowMode::ShowNormal), 7);
    EXPECT_EQ(platform().runAndWait("\"c:\\bin\\probe.exe\" exit 0", ShowMode::Hide), 0);
    // ".EXE" added, looked for in the current directory
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\BIN"));
    EXPECT_EQ(platform().runAndWait("probe exit 3", ShowMode::ShowNormal), 3);
}

TEST_F(Processes, ProgramsAreFoundOnThePrefixPath)
{
    installProbe("C:\\WINDOWS\\SYSTEM32\\NETPROBE.EXE");
    prefix.mkdir("C:\\ELSEWHERE");
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\ELSEWHERE"));
    EXPECT_EQ(platform().runAndWait("NetProbe exit 4", ShowMode::ShowNormal), 4);
    EXPECT_EQ(posix().findProgram("netprobe.exe"), "C:\\WINDOWS\\SYSTEM32\\netprobe.exe");
    EXPECT_TRUE(posix().findProgram("C:\\ELSEWHERE\\NETPROBE").isEmpty());
}

TEST_F(Processes, WhatCannotBeStartedGivesMinusOne)
{
    touch("C:\\BIN\\TEXTO.EXE", "MZ not a host program");
    // a host binary without the right to run it
    QFile::copy(NAVLOR_PLATFORM_PROBE, prefix.host("C:\\BIN\\NOEXEC.EXE"));
    ASSERT_TRUE(QFile::setPermissions(prefix.host("C:\\BIN\\NOEXEC.EXE"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    touch("C:\\BIN\\SCRIPT.EXE", "#!/nonexistent/interpreter\n");
    QFile::setPermissions(prefix.host("C:\\BIN\\SCRIPT.EXE"),
                          QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    EXPECT_EQ(platform().runAndWait("C:\\BIN\\NADA.EXE", ShowMode::ShowNormal), -1);
    EXPECT_EQ(platform().runAndWait("C:\\BIN\\TEXTO.EXE", ShowMode::ShowNormal), -1);
    EXPECT_EQ(platform().runAndWait("C:\\BIN\\NOEXEC.EXE exit 1", ShowMode::ShowNormal), -1);
    EXPECT_EQ(platform().runAndWait("C:\\BIN\\SCRIPT.EXE", ShowMode::ShowNormal), -1);
    EXPECT_EQ(platform().runAndWait("", ShowMode::ShowNormal), -1);
    EXPECT_EQ(platform().runAndWait("Q:\\X.EXE", ShowMode::ShowNormal), -1);
    installProbe("C:\\BIN\\PROBE.EXE");
    EXPECT_EQ(platform().runAndWait("C:\\BIN\\PROBE.EXE exit 0", ShowMode::ShowNormal, "C:\\NAO"),
              -1);
    EXPECT_FALSE(platform().startProcess("C:\\BIN\\TEXTO.EXE", ShowMode::ShowNormal));
    EXPECT_EQ(platform().winExec("C:\\NETLOG\\NETLOG.EXE", ShowMode::ShowNormal), 2);
}

TEST_F(Processes, ChildGetsItsArgumentsPrefixAndDirectory)
{
    installProbe("C:\\BIN\\PROBE.EXE");
    prefix.mkdir("C:\\WORK");
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\WORK"));
    const int rc = platform().runAndWait(
        R"(C:\BIN\PROBE.EXE report C:\OUT.TXT "a b" c\"d C:\DADOS\*.*)", ShowMode::ShowNormal);
    ASSERT_EQ(rc, 0);
    const QString work = QFileInfo(prefix.host("C:\\WORK")).canonicalFilePath();
    EXPECT_EQ(reportLines("C:\\OUT.TXT"),
              (QStringList{"program=C:\\BIN\\PROBE.EXE", "cwd=" + work, "prefix=" + prefix.root(),
                           reportLines("C:\\OUT.TXT").value(3), "arg=a b", "arg=c\"d",
                           "arg=C:\\DADOS\\*.*",
                           R"(line=C:\BIN\PROBE.EXE report C:\OUT.TXT "a b" c\"d C:\DADOS\*.*)"}));

    // another directory for the child alone
    prefix.mkdir("C:\\OTHER");
    ASSERT_EQ(platform().runAndWait("C:\\BIN\\PROBE.EXE report C:\\OUT2.TXT", ShowMode::Hide,
                                    "C:\\OTHER"),
              0);
    EXPECT_EQ(reportLines("C:\\OUT2.TXT").value(1),
              "cwd=" + QFileInfo(prefix.host("C:\\OTHER")).canonicalFilePath());
    EXPECT_EQ(platform().currentDirectory(), "C:\\WORK");
}

TEST_F(Processes, ProgramPathIsTheLinkItWasStartedBy)
{
    installProbe("C:\\VALDOROW\\NAVLOR.EXE");
    // started through the drive link (as the backend starts programs) ...
    ASSERT_EQ(platform().runAndWait("C:\\VALDOROW\\NAVLOR.EXE report C:\\P1.TXT", ShowMode::Hide),
              0);
    EXPECT_EQ(reportLines("C:\\P1.TXT").value(0), "program=C:\\VALDOROW\\NAVLOR.EXE");
    // ... and by the drive's own directory, relative to where it was started
    QProcess child;
    child.setWorkingDirectory(prefix.root() + "/drive_c");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NAVLOR_PREFIX", prefix.root());
    child.setProcessEnvironment(env);
    child.start("VALDOROW/NAVLOR.EXE", {"report", "C:\\P2.TXT"});
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_EQ(reportLines("C:\\P2.TXT").value(0), "program=C:\\VALDOROW\\NAVLOR.EXE");
}

TEST_F(Processes, AProgramKnowsItsBinaryAndCanBecomeAnother)
{
    installProbe("C:\\BIN\\PROBE.EXE");
    installProbe("C:\\VALDOROW\\NAVLOR.EXE");
    // the binary behind the link it was started by
    ASSERT_EQ(platform().runAndWait("C:\\BIN\\PROBE.EXE binary C:\\B.TXT", ShowMode::Hide), 0);
    EXPECT_EQ(prefix.read("C:\\B.TXT"),
              QFileInfo(NAVLOR_PLATFORM_PROBE).canonicalFilePath().toUtf8());
    // the same process goes on as the other program, started by its path, with the arguments
    ASSERT_EQ(platform().runAndWait(
                  R"(C:\BIN\PROBE.EXE become C:\VALDOROW\NAVLOR.EXE report C:\R.TXT "a b")",
                  ShowMode::Hide),
              0);
    EXPECT_EQ(reportLines("C:\\R.TXT").value(0), "program=C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_EQ(reportLines("C:\\R.TXT").value(4), "arg=a b");
    // what cannot be run leaves the caller running
    EXPECT_EQ(platform().runAndWait("C:\\BIN\\PROBE.EXE become C:\\NADA.EXE report C:\\N.TXT",
                                    ShowMode::Hide),
              4);
}

TEST_F(Processes, StartedProgramsAreNotLeftAsZombies)
{
    installProbe("C:\\BIN\\PROBE.EXE");
    EXPECT_EQ(platform().winExec("C:\\BIN\\PROBE.EXE report C:\\W.TXT", ShowMode::ShowNormal), 33);
    EXPECT_TRUE(
        platform().startProcess("C:\\BIN\\PROBE.EXE report C:\\S.TXT", ShowMode::ShowNormal));
    for (const QString out : {"C:\\W.TXT", "C:\\S.TXT"}) {
        ASSERT_TRUE(waitUntil([&] { return reportLines(out).size() >= 4; })) << out.toStdString();
        const QString pid = reportLines(out).value(3).mid(4);
        EXPECT_TRUE(waitUntil([&] { return !QFileInfo::exists("/proc/" + pid); }))
            << "process " << pid.toStdString() << " was not reaped";
    }
}

TEST_F(Processes, BatchFilesAndCommandComRunThroughTheInterpreter)
{
    const QString out = prefix.root() + "/interpreter.txt";
    ScopedEnv cmd("NAVLOR_CMD", NAVLOR_PLATFORM_PROBE);
    ScopedEnv probeOut("NAVLOR_PROBE_OUT", QFile::encodeName(out));
    ScopedEnv stale("NAVLOR_COMMAND_LINE", "our own"); // each child gets the line it was given
    touch("C:\\JOBS\\BKPA.BAT", "@ECHO OFF\r\n");
    auto lines = [&] {
        QFile f(out);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()).split('\n')
                                           : QStringList();
    };

    // the probe answers 5 as the interpreter
    EXPECT_EQ(platform().runAndWait("c:\\jobs\\bkpa.bat", ShowMode::ShowNormal), 5);
    EXPECT_EQ(lines().mid(4, 2),
              (QStringList{"arg=/C", "arg=" + prefix.root() + "/dosdevices/c:/JOBS/BKPA.BAT"}));

    ASSERT_TRUE(platform().setCurrentDirectory("C:\\JOBS"));
    EXPECT_EQ(platform().runAndWait("COMMAND.COM /C ArqBat.Bat", ShowMode::ShowNormal), 5);
    EXPECT_EQ(lines().mid(4, 3),
              (QStringList{"arg=/C", "arg=ArqBat.Bat", "line=COMMAND.COM /C ArqBat.Bat"}));
    EXPECT_EQ(lines().value(1), "cwd=" + QFileInfo(prefix.host("C:\\JOBS")).canonicalFilePath());

    // the line after /C goes on whole, quotes and all
    EXPECT_EQ(platform().runAndWait(R"(command.com /c ARJ.EXE a "C:\X Y\A.ARJ")", ShowMode::Hide),
              5);
    EXPECT_EQ(lines().mid(4, 3), (QStringList{"arg=/c", R"(arg=ARJ.EXE a "C:\X Y\A.ARJ")",
                                              R"(line=command.com /c ARJ.EXE a "C:\X Y\A.ARJ")"}));

    // a batch that is not there cannot be started
    EXPECT_EQ(platform().runAndWait("C:\\JOBS\\NADA.BAT", ShowMode::ShowNormal), -1);
    {
        ScopedEnv missing("NAVLOR_CMD", "/nonexistent/navlor-cmd");
        EXPECT_EQ(platform().runAndWait("C:\\JOBS\\BKPA.BAT", ShowMode::ShowNormal), -1);
        EXPECT_EQ(platform().runAndWait("COMMAND.COM /C BKPA.BAT", ShowMode::ShowNormal), -1);
    }
}

TEST_F(Processes, BoundedRunCapturesOutputAndEndsTheWholeFamilyAtItsCeiling)
{
    installProbe("C:\\BIN\\PROBE.EXE");
    QByteArray output;
    EXPECT_EQ(platform().runBounded("C:\\BIN\\PROBE.EXE say ol\xc3\xa1", ShowMode::Hide,
                                    {0, &output, {}, {}}),
              3);
    EXPECT_EQ(output, "ol\xc3\xa1\n");

    // the program and the child it started are ended at the ceiling, or when the program is
    // asked to end (a signal) while it waits
    struct Case
    {
        int ceiling;
        bool interrupt;
        int expected;
    };
    for (const Case& c : {Case{1, false, kRunTimedOut}, Case{0, true, kRunInterrupted},
                          Case{60, true, kRunInterrupted}}) {
        const QString pidFile = prefix.host("C:\\CHILD.PID");
        QFile::remove(pidFile);
        QElapsedTimer elapsed;
        elapsed.start();
        const auto tick = [&] {
            if (c.interrupt && elapsed.elapsed() > 500)
                requestInterrupt();
        };
        EXPECT_EQ(platform().runBounded("C:\\BIN\\PROBE.EXE family " + pidFile, ShowMode::Hide,
                                        {c.ceiling, nullptr, {}, tick}),
                  c.expected)
            << c.ceiling;
        clearInterruptRequest();
        EXPECT_LT(elapsed.elapsed(), 10000);
        const QByteArray pid = prefix.read("C:\\CHILD.PID");
        ASSERT_FALSE(pid.isEmpty());
        bool gone = false;
        for (int i = 0; i < 100 && !gone; ++i) {
            QFile stat("/proc/" + pid + "/stat");
            gone = !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
            if (!gone)
                QThread::msleep(50);
        }
        EXPECT_TRUE(gone) << "the child " << pid.constData() << " outlived its parent's end";
    }
}

// The operator's cancel ends a run as a signal would; the group's members get their grace
// even when the leader is gone at once.
TEST_F(Processes, CancelEndsTheFamilyAndLeavesItsGraceAfterTheLeaderDied)
{
    installProbe("C:\\BIN\\PROBE.EXE");
    const QString pidFile = prefix.host("C:\\CHILD.PID");
    const QString doneFile = prefix.host("C:\\TIDY.OK");
    for (const bool cancelled : {false, true}) {
        QFile::remove(doneFile);
        CancelRequest cancel;
        QElapsedTimer elapsed;
        elapsed.start();
        const auto tick = [&] {
            if (elapsed.elapsed() > 500)
                cancelled ? cancel.cancel() : requestInterrupt();
        };
        EXPECT_EQ(platform().runBounded("C:\\BIN\\PROBE.EXE tidy " + pidFile + " " + doneFile,
                                        ShowMode::Hide, {0, nullptr, {}, tick}),
                  kRunInterrupted);
        clearInterruptRequest();
        EXPECT_LT(elapsed.elapsed(), 10000);
        EXPECT_TRUE(QFile::exists(doneFile)) << "the child was killed before it had tidied up";
        const QByteArray pid = prefix.read("C:\\CHILD.PID");
        ASSERT_FALSE(pid.isEmpty());
        bool gone = false;
        for (int i = 0; i < 100 && !gone; ++i) {
            QFile stat("/proc/" + pid + "/stat");
            gone = !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
            if (!gone)
                QThread::msleep(50);
        }
        EXPECT_TRUE(gone) << "the child " << pid.constData() << " outlived the cancel";
    }
    EXPECT_FALSE(cancelRequested()); // the request ended with its run
}

} // namespace
} // namespace navlor::test

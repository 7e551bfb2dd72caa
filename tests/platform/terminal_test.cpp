#include "tests/platform/platform_fixture.h"

#include <QTemporaryDir>

namespace navlor::test {
namespace {

// A directory that stands for the host PATH, holding fake terminal emulators: each writes
// its arguments and NAVLOR_PREFIX, one a line, to a report file.
class Terminals : public PlatformTest
{
protected:
    Terminals() : path("PATH", QFile::encodeName(bin.path())), chosen("TERMINAL", "") {}

    QString fakeTerminal(const QString& name)
    {
        const QString file = bin.filePath(name);
        QFile script(file);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n{ printf '%s\\n' \"$0\" \"$@\"; printf 'prefix=%s\\n' "
                     "\"$NAVLOR_PREFIX\"; } > '" +
                     QFile::encodeName(report()) + "'\n");
        script.close();
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return file;
    }
    QString report() const { return bin.filePath("report.txt"); }
    QStringList reportLines() const
    {
        QFile f(report());
        return f.open(QIODevice::ReadOnly)
                   ? QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    }

    QTemporaryDir bin;
    ScopedEnv path;
    ScopedEnv chosen;
    ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_PLATFORM_PROBE};
};

TEST_F(Terminals, BareCommandComStartedWithoutWaitingOpensThePromptInATerminal)
{
    const QString terminal = fakeTerminal("x-terminal-emulator");
    EXPECT_EQ(platform().winExec("COMMAND.COM", ShowMode::ShowNormal), 33);
    ASSERT_TRUE(waitUntil([&] { return reportLines().size() == 4; }));
    EXPECT_EQ(reportLines(),
              (QStringList{terminal, "-e", NAVLOR_PLATFORM_PROBE, "prefix=" + prefix.root()}));

    // "/K": the line, then the prompt, in the terminal too
    QFile::remove(report());
    EXPECT_TRUE(platform().startProcess("cmd /K CD", ShowMode::ShowNormal));
    ASSERT_TRUE(waitUntil([&] { return reportLines().size() == 6; }));
    EXPECT_EQ(reportLines().mid(1, 4), (QStringList{"-e", NAVLOR_PLATFORM_PROBE, "/K", "CD"}));
}

TEST_F(Terminals, OnlyThePromptGoesToATerminal)
{
    fakeTerminal("x-terminal-emulator");
    const QString out = prefix.root() + "/interpreter.txt";
    ScopedEnv probeOut("NAVLOR_PROBE_OUT", QFile::encodeName(out));
    EXPECT_TRUE(platform().startProcess("COMMAND.COM /C ArqBat.Bat", ShowMode::ShowNormal));
    ASSERT_TRUE(waitUntil([&] { return QFile::exists(out); }));
    EXPECT_FALSE(QFile::exists(report()));
    // waited for, the interpreter runs as before, without a terminal
    EXPECT_EQ(platform().runAndWait("COMMAND.COM", ShowMode::ShowNormal), 2);
    EXPECT_FALSE(QFile::exists(report()));
}

TEST_F(Terminals, TerminalIsChosenInOrderWithoutAShell)
{
    const PosixPlatform::Launch prompt{"/opt/navlor-cmd", {"/opt/navlor-cmd"}};
    const QString xterm = fakeTerminal("xterm");
    EXPECT_EQ(PosixPlatform::inTerminal(prompt).argv,
              (QStringList{xterm, "-e", "/opt/navlor-cmd"}));
    const QString gnome = fakeTerminal("gnome-terminal");
    EXPECT_EQ(PosixPlatform::inTerminal(prompt).argv,
              (QStringList{gnome, "--", "/opt/navlor-cmd"}));

    QTemporaryDir elsewhere;
    const QString own = elsewhere.filePath("meu-terminal");
    QFile::copy(xterm, own);
    QFile::setPermissions(own, QFile::ReadOwner | QFile::ExeOwner);
    {
        ScopedEnv mine("TERMINAL", QFile::encodeName(own));
        EXPECT_EQ(PosixPlatform::inTerminal(prompt).program, own);
        const QString debian = fakeTerminal("x-terminal-emulator");
        EXPECT_EQ(PosixPlatform::inTerminal(prompt).program, debian);
    }
}

TEST_F(Terminals, WithoutATerminalNothingIsStarted)
{
    EXPECT_TRUE(
        PosixPlatform::inTerminal({"/opt/navlor-cmd", {"/opt/navlor-cmd"}}).program.isEmpty());
    EXPECT_EQ(platform().winExec("COMMAND.COM", ShowMode::ShowNormal), 2);
    EXPECT_FALSE(platform().startProcess("COMMAND.COM", ShowMode::ShowNormal));
    {
        ScopedEnv missing("TERMINAL", "/nonexistent/terminal");
        EXPECT_EQ(platform().winExec("COMMAND.COM", ShowMode::ShowNormal), 2);
    }
    // nor without an interpreter to put in one
    fakeTerminal("x-terminal-emulator");
    ScopedEnv noInterpreter("NAVLOR_CMD", "/nonexistent/navlor-cmd");
    EXPECT_EQ(platform().winExec("COMMAND.COM", ShowMode::ShowNormal), 2);
    EXPECT_FALSE(QFile::exists(report()));
}

} // namespace
} // namespace navlor::test

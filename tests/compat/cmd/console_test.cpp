#include "compat/cmd/console.h"
#include "tests/compat/cmd/cmd_fixture.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace navlor::test {
namespace {

TEST(ConsoleText, TerminalTextFollowsTheLocaleCodeset)
{
    const QString text = QString::fromUtf8("ação € 日\n");
    const struct
    {
        const char* codeset;
        QByteArray bytes;
    } cases[] = {
        {"UTF-8", text.toUtf8()},
        {"ANSI_X3.4-1968", text.toUtf8()}, // the C locale, taken as UTF-8 as Qt takes it
        {"ISO-8859-1", "a\xe7\xe3o ? ?\n"},
        {"ISO-8859-15", "a\xe7\xe3o \xa4 ?\n"},
        {"NO-SUCH-SET", text.toUtf8()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cmd::terminalBytes(text, c.codeset), c.bytes) << c.codeset;
    // Four bytes for each two-byte character: the whole text still comes out.
    EXPECT_EQ(cmd::terminalBytes(QString(5000, u'é'), "UTF-32LE").size(), 20000);
}

enum class Sink
{
    File,
    Pipe,
    Terminal
};
const char* const kSinkNames[] = {"file", "pipe", "terminal"};

// One handle of the child: the end it writes to and, for a pipe or a terminal, the end the
// test reads (after the child's end is closed here, until the end of the pipe or EIO).
struct Destination
{
    Destination(Sink sink, const QString& path) : path(path)
    {
        if (sink == Sink::File) {
            child =
                ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        } else if (sink == Sink::Pipe) {
            int ends[2] = {-1, -1};
            if (::pipe2(ends, O_CLOEXEC) == 0) {
                reader = ends[0];
                child = ends[1];
            }
        } else if (::openpty(&reader, &child, nullptr, nullptr, nullptr) == 0) {
            termios settings{}; // no output processing: line ends arrive as written
            ::tcgetattr(child, &settings);
            settings.c_oflag &= ~tcflag_t(OPOST);
            ::tcsetattr(child, TCSANOW, &settings);
            ::fcntl(reader, F_SETFD, FD_CLOEXEC);
            ::fcntl(child, F_SETFD, FD_CLOEXEC);
        }
    }
    ~Destination()
    {
        ::close(reader);
        ::close(child);
    }
    // Closes the end the child writes to and reads a pipe or a terminal until the child is done.
    void drain()
    {
        ::close(child);
        child = -1;
        char buffer[4096];
        for (ssize_t n; reader >= 0 && (n = ::read(reader, buffer, sizeof buffer)) != 0;) {
            if (n < 0 && errno != EINTR)
                break; // EIO: the terminal has no writer any more
            bytes.append(buffer, std::max<ssize_t>(n, 0));
        }
    }
    QByteArray written() const
    {
        QFile file(path);
        if (reader >= 0)
            return bytes;
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray bytes;
    QString path;
    int child = -1;
    int reader = -1;
};

// How `text` ("\n" line ends) reaches `sink` under a UTF-8 locale.
QByteArray as(Sink sink, QString text)
{
    return sink == Sink::Terminal ? text.toUtf8() : toAnsi(text.replace("\n", "\r\n"));
}

using Console = CmdTest;

TEST_F(Console, EachHandleIsWrittenForWhereItGoes)
{
    prefix.write("C:\\JOBS\\ACAO.TXT", "a\xe7\xe3o\r\n");
    batch("C:\\JOBS\\RUN.BAT", {"@ECHO OFF", QString::fromUtf8("ECHO ação"), "TYPE ACAO.TXT",
                                QString::fromUtf8("ação")});
    ScopedEnv root("NAVLOR_PREFIX", QFile::encodeName(prefix.root()));
    ScopedEnv locale("LC_ALL", "C.UTF-8");
    const QByteArray directory = QFile::encodeName(prefix.host("C:\\JOBS"));
    char program[] = NAVLOR_CMD_BINARY, slashC[] = "/C", batchName[] = "RUN.BAT";
    char* argv[] = {program, slashC, batchName, nullptr};

    for (const Sink out : {Sink::File, Sink::Pipe, Sink::Terminal}) {
        for (const Sink err : {Sink::File, Sink::Pipe, Sink::Terminal}) {
            QTemporaryDir dir;
            Destination o(out, dir.filePath("out")), e(err, dir.filePath("err"));
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
            posix_spawn_file_actions_adddup2(&actions, o.child, STDOUT_FILENO);
            posix_spawn_file_actions_adddup2(&actions, e.child, STDERR_FILENO);
            posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
            pid_t pid = -1;
            ASSERT_EQ(::posix_spawn(&pid, program, &actions, nullptr, argv, environ), 0);
            posix_spawn_file_actions_destroy(&actions);
            // Each is far below what a pipe or a terminal holds: read one, then the other.
            o.drain();
            e.drain();
            ::waitpid(pid, nullptr, 0);
            const QByteArray stdOut = o.written();
            const QByteArray stdErr = e.written();

            const std::string where =
                std::string("out to ") + kSinkNames[int(out)] + ", err to " + kSinkNames[int(err)];
            EXPECT_EQ(stdOut, as(out, QString::fromUtf8("ação\nação\n"))) << where;
            EXPECT_TRUE(stdErr.startsWith(as(err, QString::fromUtf8("'ação' não é")))) << where;
            EXPECT_TRUE(stdErr.endsWith(as(err, ".\n"))) << where;
            EXPECT_EQ(stdErr.count('\r'), err == Sink::Terminal ? 0 : 1) << where;
        }
    }
}

} // namespace
} // namespace navlor::test

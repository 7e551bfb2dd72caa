// The POSIX backend's processes: programs found as CreateProcess finds them, started with
// posix_spawn (never a shell), waited for with a ceiling; and the shell's URL opener.

#include "lib/platform/posix_platform.h"

#include "lib/platform/atomic_file.h"
#include "lib/platform/bounded_wait.h"
#include "lib/platform/command_line.h"
#include "lib/platform/posix_files.h"
#include "lib/platform/process_spawn.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <cerrno>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace navlor {

using namespace posix;

namespace {

void waitFor(qint64 pid, int* status)
{
    while (::waitpid(static_cast<pid_t>(pid), status, 0) < 0 && errno == EINTR) {
    }
}

// A started program is not waited for, yet must not stay behind as a zombie.
void reapInBackground(qint64 pid)
{
    std::thread([pid] { waitFor(pid, nullptr); }).detach();
}

qint64 spawnHost(const QString& program, const QStringList& argv, const QString& hostDirectory,
                 const QProcessEnvironment& environment, const SpawnExtras& extras)
{
    QList<QByteArray> args;
    for (const QString& a : argv)
        args << a.toLocal8Bit();
    QList<QByteArray> env;
    for (const QString& e : environment.toStringList())
        env << e.toLocal8Bit();

    ProcessSpawn spawn(encoded(program), args);
    spawn.setEnvironment(env);
    spawn.changeDirectory(encoded(hostDirectory));
    if (extras.outputFd >= 0)
        spawn.redirectOutput(extras.outputFd, true);
    spawn.resetSignals();
    if (extras.ownGroup)
        spawn.ownProcessGroup(); // so a ceiling ends the archiver the batch started too
    const pid_t pid = spawn.start();
    return pid >= 0 ? static_cast<qint64>(pid) : -1;
}

} // namespace

// --- processes ---------------------------------------------------------------------------

QString PosixPlatform::programBinary()
{
    // The kernel's own record of the binary: not argv[0], which names the link.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

void PosixPlatform::replaceProcess(const QString& hostProgram, const QStringList& arguments)
{
    const QByteArray program = posix::encoded(hostProgram);
    QList<QByteArray> encodedArguments{program};
    for (const QString& argument : arguments)
        encodedArguments << argument.toLocal8Bit();
    std::vector<char*> argv;
    for (QByteArray& argument : encodedArguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    ::execv(program.constData(), argv.data());
}

QString PosixPlatform::commandInterpreter()
{
    const QString configured = qEnvironmentVariable("NAVLOR_CMD");
    if (!configured.isEmpty())
        return isExecutableFile(configured) ? configured : QString();
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    if (!self.isEmpty()) {
        const QString beside = QFileInfo(self).path() + QStringLiteral("/navlor-cmd");
        if (isExecutableFile(beside))
            return beside;
    }
    return QStandardPaths::findExecutable(QStringLiteral("navlor-cmd"));
}

QString PosixPlatform::findProgram(const QString& name)
{
    if (name.isEmpty())
        return {};
    QString file = name;
    if (!fileNameOf(name).contains(u'.'))
        file += QStringLiteral(".EXE");
    const bool bare = !name.contains(u'\\') && !name.contains(u'/') && !name.contains(u':');
    if (!bare) {
        const QString full = absolute(file);
        return fileExists(full) ? full : QString();
    }
    QStringList directories{m_currentDirectory};
    const QString own = programPath();
    if (!own.isEmpty())
        directories << directoryOf(own);
    directories += searchPath();
    for (const QString& dir : directories) {
        const QString full = absolute(dir + u'\\' + file);
        if (!full.isEmpty() && fileExists(full))
            return full;
    }
    return {};
}

QStringList PosixPlatform::searchPath()
{
    const QString defaultPath =
        windowsDirectory() + u';' + windowsDirectory() + QStringLiteral("\\SYSTEM32");
    return systemIniValue(QStringLiteral("Environment"), QStringLiteral("Path"), defaultPath)
        .split(u';', Qt::SkipEmptyParts);
}

namespace {

bool isInterpreter(const QString& program)
{
    const QString name = fileNameOf(program).toUpper();
    return name == QLatin1String("COMMAND.COM") || name == QLatin1String("COMMAND") ||
           name == QLatin1String("CMD.EXE") || name == QLatin1String("CMD");
}

// The interpreter started without "/C" shows its prompt (after what it was given, with "/K"):
// something for the operator to see and answer.
bool staysAtPrompt(const QString& commandLine)
{
    const ProgramToken token = splitProgramToken(commandLine);
    return isInterpreter(token.program) &&
           splitProgramToken(token.rest)
                   .program.compare(QLatin1String("/C"), Qt::CaseInsensitive) != 0;
}

} // namespace

PosixPlatform::Launch PosixPlatform::inTerminal(const Launch& launch)
{
    if (launch.program.isEmpty())
        return {};
    QStringList candidates{QStringLiteral("x-terminal-emulator")};
    const QString chosen = qEnvironmentVariable("TERMINAL");
    if (!chosen.isEmpty())
        candidates << chosen;
    candidates << QStringLiteral("gnome-terminal") << QStringLiteral("konsole")
               << QStringLiteral("xterm");
    for (const QString& candidate : candidates) {
        const QString terminal = QStandardPaths::findExecutable(candidate);
        if (terminal.isEmpty())
            continue;
        // The program and its arguments go on as they are, never through a shell.
        const bool dashes = QFileInfo(terminal).fileName() == QLatin1String("gnome-terminal");
        Launch wrapped{terminal, {terminal, dashes ? QStringLiteral("--") : QStringLiteral("-e")}};
        wrapped.argv << launch.program << launch.argv.mid(1);
        return wrapped;
    }
    return {};
}

PosixPlatform::Launch PosixPlatform::prepareLaunch(const QString& commandLine)
{
    const ProgramToken token = splitProgramToken(commandLine);
    if (token.program.isEmpty())
        return {};
    if (isInterpreter(token.program)) {
        const QString cmd = commandInterpreter();
        if (cmd.isEmpty())
            return {};
        Launch launch{cmd, {cmd}};
        // "/C LINE": the line goes on whole, its quotes untouched, as COMMAND.COM reads it.
        const ProgramToken option = splitProgramToken(token.rest);
        if (option.program.compare(QLatin1String("/C"), Qt::CaseInsensitive) == 0 ||
            option.program.compare(QLatin1String("/K"), Qt::CaseInsensitive) == 0) {
            launch.argv << option.program;
            if (!option.rest.isEmpty())
                launch.argv << option.rest;
        } else {
            launch.argv += splitArguments(token.rest);
        }
        return launch;
    }

    const QString program = findProgram(token.program);
    if (program.isEmpty())
        return {};
    const QString hostProgram = host(program);
    if (hasExtension(program, QStringLiteral(".BAT")) ||
        hasExtension(program, QStringLiteral(".CMD"))) {
        const QString cmd = commandInterpreter();
        if (cmd.isEmpty())
            return {};
        Launch launch{cmd, {cmd, QStringLiteral("/C"), hostProgram}};
        if (!token.rest.isEmpty())
            launch.argv << token.rest;
        return launch;
    }
    if (!isHostExecutable(hostProgram))
        return {};
    Launch launch{hostProgram, {hostProgram}};
    launch.argv += splitArguments(token.rest);
    return launch;
}

qint64 PosixPlatform::spawn(const Launch& launch, const QString& hostDirectory,
                            const SpawnExtras& extras) const
{
    if (launch.program.isEmpty())
        return -1;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NAVLOR_PREFIX"), m_prefix.root());
    // What GetCommandLine gives a Windows program: programs that parse their own line (the
    // archiver) read it here. Never left over from this process's own start.
    if (extras.commandLine.isEmpty())
        environment.remove(QStringLiteral("NAVLOR_COMMAND_LINE"));
    else
        environment.insert(QStringLiteral("NAVLOR_COMMAND_LINE"), extras.commandLine);
    return spawnHost(launch.program, launch.argv, hostDirectory, environment, extras);
}

qint64 PosixPlatform::start(const QString& commandLine, const QString& windowsDirectory,
                            bool ownConsole, const SpawnExtras& extras)
{
    QString directory;
    if (!windowsDirectory.isEmpty()) {
        directory = host(windowsDirectory);
        if (!isHostDirectory(directory))
            return -1; // CreateProcess fails on a missing directory
    } else {
        directory = host(m_currentDirectory);
        if (!isHostDirectory(directory))
            directory.clear();
    }
    const Launch launch = prepareLaunch(commandLine);
    if (ownConsole && staysAtPrompt(commandLine))
        return spawn(inTerminal(launch), directory);
    SpawnExtras withLine = extras;
    withLine.commandLine = commandLine;
    return spawn(launch, directory, withLine);
}

int PosixPlatform::runAndWait(const QString& commandLine, ShowMode /*showMode*/,
                              const QString& currentDirectory)
{
    const qint64 pid = start(commandLine, currentDirectory);
    if (pid < 0)
        return -1;
    int status = 0;
    waitFor(pid, &status);
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status); // as a shell reports a killed program
    return -1;
}

int PosixPlatform::runBounded(const QString& commandLine, ShowMode /*showMode*/,
                              const BoundedRun& run)
{
    SpawnExtras extras;
    extras.ownGroup = true; // so a ceiling or a signal ends what the program started too
    if (run.output) {
        extras.outputFd = openOutputCapture();
        if (extras.outputFd < 0)
            return -1;
    }
    const qint64 pid = start(commandLine, run.currentDirectory, false, extras);
    int rc = -1;
    if (pid >= 0) {
        const BoundedWait wait = waitAtMost(static_cast<pid_t>(pid), run.ceilingSeconds,
                                            extras.ownGroup, run.whileWaiting);
        if (wait.timedOut)
            rc = kRunTimedOut;
        else if (wait.interrupted)
            rc = kRunInterrupted;
        else if (WIFEXITED(wait.status))
            rc = WEXITSTATUS(wait.status);
        else if (WIFSIGNALED(wait.status))
            rc = 128 + WTERMSIG(wait.status);
    }
    if (run.output)
        *run.output = takeOutputCapture(extras.outputFd);
    return rc;
}

int PosixPlatform::removeInterruptedWrites(const QString& directory)
{
    const QString hostDirectory = host(directory);
    return hostDirectory.isEmpty() ? 0 : navlor::removeInterruptedWrites(hostDirectory);
}

bool PosixPlatform::startProcess(const QString& commandLine, ShowMode /*showMode*/)
{
    const qint64 pid = start(commandLine, {}, true);
    if (pid < 0)
        return false;
    reapInBackground(pid);
    return true;
}

int PosixPlatform::winExec(const QString& commandLine, ShowMode showMode)
{
    constexpr int kStarted = 33;     // any value above 31 means success
    constexpr int kFileNotFound = 2; // ERROR_FILE_NOT_FOUND
    return startProcess(commandLine, showMode) ? kStarted : kFileNotFound;
}

// --- shell -------------------------------------------------------------------------------

bool PosixPlatform::openUrl(const QString& url)
{
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty() || url.isEmpty())
        return false;
    const qint64 pid = spawn({opener, {opener, url}}, {});
    if (pid < 0)
        return false;
    reapInBackground(pid);
    return true;
}

bool PosixPlatform::placeCall(const QString& number, const QString& /*party*/,
                              const QString& /*application*/, const QString& /*comment*/)
{
    // The desktop's handler of tel: addresses stands in for the telephony assistant.
    return openUrl(QStringLiteral("tel:") + number);
}

} // namespace navlor

#include "compat/arj/host_arj.h"

#include "compat/arj/arj_command.h"

#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navlor::arj {

namespace {

constexpr int kKilled = 11; // ARJ's code for a run broken off

// This process's environment without ARJ_SW: switches from there would be added to every
// line arj reads.
std::vector<char*> childEnvironment()
{
    std::vector<char*> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "ARJ_SW=", 7) != 0)
            env.push_back(*e);
    }
    env.push_back(nullptr);
    return env;
}

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return kKilled;
}

} // namespace

QString hostArjProgram()
{
    const QString configured = qEnvironmentVariable("NAVLOR_HOST_ARJ");
    if (!configured.isEmpty())
        return configured;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("arj"));
    return found.isEmpty() ? QStringLiteral("/usr/bin/arj") : found;
}

HostResult runHostArj(const HostRun& run)
{
    HostResult result;
    result.exitCode = kFatal;
    const QByteArray program = QFile::encodeName(hostArjProgram());
    std::vector<QByteArray> argBytes{program};
    for (const QString& a : run.arguments)
        argBytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& a : argBytes)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> env = childEnvironment();

    int pipeFds[2] = {-1, -1};
    if (run.capture && ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray directory = QFile::encodeName(run.workingDirectory);
    if (!run.workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    if (run.capture)
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);

    pid_t pid = -1;
    const int rc =
        ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (run.capture)
        ::close(pipeFds[1]);
    if (rc != 0) {
        if (run.capture)
            ::close(pipeFds[0]);
        return result;
    }
    result.started = true;

    if (run.capture) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
            if (n > 0) {
                result.output.append(buffer, n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        ::close(pipeFds[0]);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = exitCodeOf(status);
    return result;
}

} // namespace navlor::arj

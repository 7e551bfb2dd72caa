#include "compat/arj/host_arj.h"

#include "compat/arj/arj_command.h"
#include "lib/platform/bounded_wait.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

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

constexpr int kFloorSeconds = 600;
constexpr qint64 kBytesPerSecond = 256 * 1024;

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

int hostArjTimeout(qint64 archiveBytes)
{
    bool ok = false;
    const int configured = qEnvironmentVariableIntValue("NAVLOR_ARJ_TIMEOUT_SECONDS", &ok);
    if (ok && configured > 0)
        return configured;
    const qint64 seconds = kFloorSeconds + std::max<qint64>(archiveBytes, 0) / kBytesPerSecond;
    return static_cast<int>(std::min<qint64>(seconds, INT_MAX));
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

    // The output goes to a file in memory, not a pipe: a pipe would have to be drained while
    // waiting, and a run that never ends would never close it.
    const int capture = run.capture ? openOutputCapture() : -1;
    if (run.capture && capture < 0)
        return result;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray directory = QFile::encodeName(run.workingDirectory);
    if (!run.workingDirectory.isEmpty())
        posix_spawn_file_actions_addchdir_np(&actions, directory.constData());
    if (run.capture)
        posix_spawn_file_actions_adddup2(&actions, capture, STDOUT_FILENO);

    pid_t pid = -1;
    const int rc =
        ::posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (run.capture)
            ::close(capture);
        return result;
    }
    result.started = true;

    const BoundedWait waited = waitAtMost(pid, std::max(run.timeoutSeconds, 0), false);
    const int status = waited.status;
    result.timedOut = waited.timedOut;
    if (run.capture)
        result.output = takeOutputCapture(capture);
    result.exitCode = result.timedOut ? kKilled : exitCodeOf(status);
    return result;
}

} // namespace navlor::arj

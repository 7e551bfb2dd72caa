#include "compat/arj/host_arj.h"

#include "compat/arj/arj_command.h"
#include "lib/platform/bounded_wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
// line arj reads. `preload` holds the LD_PRELOAD entry when there is a library to add.
std::vector<char*> childEnvironment(const QString& library, QByteArray& preload)
{
    std::vector<char*> env;
    QByteArray earlier;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "ARJ_SW=", 7) == 0)
            continue;
        if (!library.isEmpty() && std::strncmp(*e, "LD_PRELOAD=", 11) == 0) {
            earlier = QByteArray(*e + 11);
            continue;
        }
        env.push_back(*e);
    }
    if (!library.isEmpty()) {
        preload = "LD_PRELOAD=" + QFile::encodeName(library);
        if (!earlier.isEmpty())
            preload += ':' + earlier;
        env.push_back(preload.data());
    }
    env.push_back(nullptr);
    return env;
}

// ld.so splits LD_PRELOAD at blanks and colons: a path with either cannot be given.
QString preloadable(const QString& path)
{
    if (path.isEmpty() || path.contains(u' ') || path.contains(u':') ||
        ::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return {};
    return path;
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

QString directoryCacheLibrary()
{
    const QString name = QStringLiteral("navlor-arj-dircache.so");
    if (qEnvironmentVariableIsSet("NAVLOR_ARJ_DIRECTORY_CACHE"))
        return preloadable(qEnvironmentVariable("NAVLOR_ARJ_DIRECTORY_CACHE"));
    // The executable itself, not the ARJ.EXE link it was started by.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (self.isEmpty())
        return {};
    const QString directory = QFileInfo(self).path();
    for (const QString& candidate :
         {directory + u'/' + name,
          QDir::cleanPath(directory + QStringLiteral("/" NAVLOR_ARJ_CACHE_FROM_BIN "/") + name)}) {
        const QString found = preloadable(candidate);
        if (!found.isEmpty())
            return found;
    }
    return {};
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
    QByteArray preload;
    std::vector<char*> env = childEnvironment(run.preload, preload);

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

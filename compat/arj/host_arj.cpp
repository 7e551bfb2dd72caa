#include "compat/arj/host_arj.h"

#include "compat/arj/arj_command.h"
#include "compat/arj/directory_cache_image.h"
#include "lib/platform/bounded_wait.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navlor::arj {

namespace {

constexpr int kKilled = 11; // ARJ's code for a run broken off

// This process's environment without ARJ_SW: switches from there would be added to every
// line arj reads. `preload`, when not empty, becomes arj's LD_PRELOAD, ahead of any already
// there.
std::vector<char*> childEnvironment(QByteArray& preload)
{
    std::vector<char*> env;
    QByteArray earlier;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "ARJ_SW=", 7) == 0)
            continue;
        if (!preload.isEmpty() && std::strncmp(*e, "LD_PRELOAD=", 11) == 0) {
            earlier = QByteArray(*e + 11);
            continue;
        }
        env.push_back(*e);
    }
    if (!preload.isEmpty()) {
        preload = "LD_PRELOAD=" + preload;
        if (!earlier.isEmpty())
            preload += ':' + earlier;
        env.push_back(preload.data());
    }
    env.push_back(nullptr);
    return env;
}

QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The image in a file in memory that arj can map as code; -1 when this host allows none (no
// memfd, a kernel that refuses code from one, no /proc to name it by).
int loadDirectoryCache()
{
    const int fd = ::memfd_create("navlor-arj-dircache", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    const auto* bytes = reinterpret_cast<const char*>(kDirectoryCacheImage);
    qsizetype written = 0;
    while (written < qsizetype(kDirectoryCacheImageSize)) {
        const ssize_t n = ::write(fd, bytes + written, kDirectoryCacheImageSize - written);
        if (n <= 0)
            break;
        written += n;
    }
    bool usable = written == qsizetype(kDirectoryCacheImageSize) &&
                  ::access(descriptorPath(fd).constData(), R_OK) == 0;
    if (usable) {
        void* code =
            ::mmap(nullptr, kDirectoryCacheImageSize, PROT_READ | PROT_EXEC, MAP_PRIVATE, fd, 0);
        usable = code != MAP_FAILED;
        if (usable)
            ::munmap(code, kDirectoryCacheImageSize);
    }
    if (!usable) {
        ::close(fd);
        return -1;
    }
    return fd;
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

int directoryCache()
{
    if (qEnvironmentVariable("NAVLOR_ARJ_DIRECTORY_CACHE") == QLatin1String("0"))
        return -1;
    static const int fd = loadDirectoryCache();
    return fd;
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
    QByteArray preload = run.preload >= 0 ? descriptorPath(run.preload) : QByteArray();
    std::vector<char*> env = childEnvironment(preload);

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
    // Onto itself: kept open across the exec, for ld.so to read it by that number.
    if (run.preload >= 0)
        posix_spawn_file_actions_adddup2(&actions, run.preload, run.preload);

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

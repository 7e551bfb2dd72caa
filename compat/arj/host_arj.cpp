#include "compat/arj/host_arj.h"

#include "compat/arj/arj_command.h"
#include "compat/arj/directory_cache_image.h"
#include "compat/arj/end_signals.h"
#include "lib/platform/bounded_wait.h"
#include "lib/platform/process_spawn.h"

#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>
#include <thread>

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace navlor::arj {

namespace {

constexpr int kKilled = 11; // ARJ's code for a run broken off

// This process's environment without ARJ_SW: switches from there would be added to every
// line arj reads. `preload`, when not empty, becomes arj's LD_PRELOAD, ahead of any already
// there, told by `hooks` what to do (arj_preload.c). Without TZ, glibc reads /etc/localtime
// again for every time arj prints; the same zone named once ("TZ=:/etc/localtime") is read
// once. `writeRoot`, when not empty, is the target an extraction's writes are kept below.
QList<QByteArray> childEnvironment(const QByteArray& preload, const QByteArray& hooks,
                                   const QByteArray& writeRoot)
{
    QList<QByteArray> env;
    QByteArray earlier;
    bool zone = false;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "ARJ_SW=", 7) == 0 || std::strncmp(*e, "NAVLOR_ARJ_HOOKS=", 17) == 0 ||
            std::strncmp(*e, "NAVLOR_ARJ_ROOT=", 16) == 0)
            continue;
        zone = zone || std::strncmp(*e, "TZ=", 3) == 0;
        if (!preload.isEmpty() && std::strncmp(*e, "LD_PRELOAD=", 11) == 0) {
            earlier = QByteArray(*e + 11);
            continue;
        }
        env << QByteArray(*e);
    }
    if (!preload.isEmpty()) {
        env << "LD_PRELOAD=" + preload + (earlier.isEmpty() ? QByteArray() : ':' + earlier);
        env << "NAVLOR_ARJ_HOOKS=" + hooks;
        if (!writeRoot.isEmpty())
            env << "NAVLOR_ARJ_ROOT=" + writeRoot;
    }
    if (!zone)
        env << QByteArrayLiteral("TZ=:/etc/localtime");
    return env;
}

QByteArray descriptorPath(int fd)
{
    return "/proc/self/fd/" + QByteArray::number(fd);
}

// The image in a file in memory that arj can map as code; -1 when this host allows none (no
// memfd, a kernel that refuses code from one, no /proc to name it by).
int loadPreloadImage()
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

// arj asked to end after we were: it removes its ARJTEMP.$nn and leaves within this, or is
// killed, well before the SIGKILL that follows a stopped backup's SIGTERM by 3 s.
constexpr auto kEndGrace = std::chrono::seconds(2);

constexpr qsizetype kCapturePiece = 64 * 1024;

constexpr int kFloorSeconds = 600;
constexpr qint64 kBytesPerSecond = 256 * 1024;

int exitCodeOf(int status)
{
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    return kKilled;
}

// What arj writes to the capture, handed on while it still runs: the rewrite of a long listing
// goes on on the other core instead of after arj. Reads until `ended` is set and nothing is
// left; stops at once on a signal, as the output of a run ended by one is not passed on.
void followOutputCapture(int fd, const std::function<void(QByteArrayView)>& take,
                         const std::atomic<bool>& ended)
{
    QByteArray buffer(kCapturePiece, Qt::Uninitialized);
    off_t at = 0;
    for (;;) {
        if (endSignal() != 0)
            return;
        // Read after looking: what arj wrote before it ended is all there then.
        const bool last = ended.load();
        const ssize_t n = ::pread(fd, buffer.data(), kCapturePiece, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0) {
            at += n;
            take(QByteArrayView(buffer.constData(), n));
            continue;
        }
        if (n < 0 || last)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
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

int preloadImage()
{
    static const int fd = loadPreloadImage();
    return fd;
}

int directoryCache()
{
    if (qEnvironmentVariable("NAVLOR_ARJ_DIRECTORY_CACHE") == QLatin1String("0"))
        return -1;
    return preloadImage();
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
    stopIfEndRequested();
    const QByteArray program = QFile::encodeName(hostArjProgram());
    QList<QByteArray> argv{program};
    for (const QString& a : run.arguments)
        argv << QFile::encodeName(a);

    // The output goes to a file in memory, not a pipe: a pipe would have to be drained while
    // waiting, and a run that never ends would never close it.
    const int capture = run.capture ? openOutputCapture() : -1;
    if (run.capture && capture < 0)
        return result;

    // arj's output gets a buffer: a full one when it is collected, a line buffer for an add,
    // whose lines reach the reader as they come. Extractions keep arj's own (arj_preload.c).
    const bool adding = !run.arguments.isEmpty() && run.arguments.first() == QLatin1String("a");
    const bool buffered = (run.capture || adding) &&
                          qEnvironmentVariable("NAVLOR_ARJ_OUTPUT_BUFFER") != QLatin1String("0");
    const bool guarded = !run.writeRoot.isEmpty();
    const int preload = run.preload >= 0 ? run.preload : buffered || guarded ? preloadImage() : -1;
    QByteArray hooks = run.preload >= 0 ? QByteArrayLiteral("c") : QByteArray();
    if (buffered)
        hooks += run.capture ? 'b' : 'l';
    ProcessSpawn spawn(program, argv);
    spawn.setEnvironment(childEnvironment(preload >= 0 ? descriptorPath(preload) : QByteArray(),
                                          hooks, QFile::encodeName(run.writeRoot)));
    spawn.changeDirectory(QFile::encodeName(run.workingDirectory));
    if (run.capture)
        spawn.redirectOutput(capture, false);
    if (preload >= 0)
        spawn.keepOpen(preload); // for ld.so to read it by that number
    const pid_t pid = spawn.start();
    if (pid < 0) {
        if (run.capture)
            ::close(capture);
        return result;
    }
    result.started = true;

    // The tick is what makes the wait end on a signal: it passes the signal on to arj.
    std::optional<std::chrono::steady_clock::time_point> endAskedAt;
    const auto passOnEnd = [pid, &endAskedAt] {
        if (endSignal() == 0)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (!endAskedAt) {
            endAskedAt = now;
            ::kill(pid, SIGTERM);
        } else if (now - *endAskedAt >= kEndGrace) {
            ::kill(pid, SIGKILL);
        }
    };
    std::atomic<bool> arjEnded{false};
    std::thread follower;
    if (run.capture && run.takeOutput)
        follower = std::thread(followOutputCapture, capture, std::cref(run.takeOutput),
                               std::cref(arjEnded));
    const BoundedWait waited = waitAtMost(pid, std::max(run.timeoutSeconds, 0), false, passOnEnd);
    arjEnded.store(true);
    if (follower.joinable())
        follower.join();
    const int status = waited.status;
    result.timedOut = waited.timedOut;
    if (run.capture && !run.takeOutput)
        result.output = takeOutputCapture(capture);
    else if (run.capture)
        ::close(capture);
    stopIfEndRequested();
    result.exitCode = result.timedOut ? kKilled : exitCodeOf(status);
    return result;
}

} // namespace navlor::arj

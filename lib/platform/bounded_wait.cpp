#include "lib/platform/bounded_wait.h"

#include "lib/platform/interruption.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace navlor {

namespace {

// Time a program gets to end on SIGTERM before it is killed.
constexpr int kGraceMilliseconds = 3000;

bool stopAsked()
{
    return interruptRequested() || cancelRequested();
}

bool reap(pid_t pid, int* status, bool block)
{
    for (;;) {
        const pid_t r = ::waitpid(pid, status, block ? 0 : WNOHANG);
        if (r == pid)
            return true;
        if (r < 0 && errno == EINTR)
            continue;
        return false;
    }
}

// True when `pid` ended within `milliseconds` (it is reaped then); an `interruptible` wait
// also returns when the program is asked to end.
bool endsWithin(pid_t pid, int pidfd, qint64 milliseconds, int* status, bool interruptible)
{
    if (pidfd >= 0) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  deadline - std::chrono::steady_clock::now())
                                  .count();
            pollfd fd{pidfd, POLLIN, 0};
            // poll takes an int: long ceilings are waited for in slices.
            const int slice = static_cast<int>(std::clamp<qint64>(left, 0, 1 << 30));
            const int r = ::poll(&fd, 1, slice);
            if (r > 0)
                return reap(pid, status, true);
            if (interruptible && stopAsked())
                return reap(pid, status, false);
            if (r < 0 && errno != EINTR)
                break; // fall back to polling below
            if (r == 0 && left <= 0)
                return false;
        }
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (reap(pid, status, false))
            return true;
        if (std::chrono::steady_clock::now() >= deadline || (interruptible && stopAsked()))
            return false;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

} // namespace

BoundedWait waitAtMost(pid_t pid, int ceilingSeconds, bool ownGroup,
                       const std::function<void()>& tick)
{
    BoundedWait result;
    const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    constexpr qint64 kTickMilliseconds = 100;
    // Without a tick the wait still wakes now and then, in case a signal was missed.
    constexpr qint64 kIdleMilliseconds = 1000;
    const auto start = std::chrono::steady_clock::now();
    const qint64 ceiling = ceilingSeconds > 0 ? qint64(ceilingSeconds) * 1000 : -1;
    bool ended = false;
    for (;;) {
        qint64 slice = tick ? kTickMilliseconds : kIdleMilliseconds;
        if (ceiling >= 0) {
            const qint64 spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start)
                                     .count();
            if (spent >= ceiling) {
                result.timedOut = true;
                break;
            }
            slice = std::min(slice, ceiling - spent);
        }
        if (endsWithin(pid, pidfd, slice, &result.status, true)) {
            ended = true;
            break;
        }
        // Asked to end: the program and what it started end with us.
        if (interruptRequested()) {
            result.interrupted = true;
            break;
        }
        if (cancelRequested()) {
            result.interrupted = result.cancelled = true;
            break;
        }
        if (tick)
            tick();
    }
    if (!ended) {
        const pid_t target = ownGroup ? -pid : pid;
        const auto graceEnd =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kGraceMilliseconds);
        ::kill(target, SIGTERM);
        if (!endsWithin(pid, pidfd, kGraceMilliseconds, &result.status, false)) {
            ::kill(target, SIGKILL);
            reap(pid, &result.status, true);
        }
        // A batch interpreter dies at once; the archiver it started still gets its grace to
        // remove its work files. What outlives that goes.
        if (ownGroup) {
            while (groupHasLiveMember(pid) && std::chrono::steady_clock::now() < graceEnd)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ::kill(target, SIGKILL);
        }
    }
    if (pidfd >= 0)
        ::close(pidfd);
    return result;
}

bool groupHasLiveMember(pid_t group)
{
    if (::kill(-group, 0) != 0 && errno == ESRCH)
        return false;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return true;
    bool live = false;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(QLatin1String(entry->d_name)));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold anything, up to the last ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 3 || fields[2].toLongLong() != group)
            continue;
        if (fields[0] != "Z" && fields[0] != "X") {
            live = true;
            break;
        }
    }
    ::closedir(proc);
    return live;
}

int openOutputCapture()
{
    return ::memfd_create("navlor-output", MFD_CLOEXEC);
}

QByteArray takeOutputCapture(int fd)
{
    QByteArray bytes;
    if (fd < 0)
        return bytes;
    if (::lseek(fd, 0, SEEK_SET) == 0) {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            bytes.append(buffer, n);
        }
    }
    ::close(fd);
    return bytes;
}

} // namespace navlor

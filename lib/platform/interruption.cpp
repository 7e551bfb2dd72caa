#include "lib/platform/interruption.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace navlor {

namespace {

volatile std::sig_atomic_t g_requested = 0;
// Work on a thread of its own defers too.
std::atomic<int> g_deferrals{0};
std::atomic<CancelRequest*> g_currentCancel{nullptr};
std::function<void()> g_whenIdle;
#ifndef _WIN32
int g_wakeFds[2] = {-1, -1};
#endif

void runWhenIdleLater()
{
    if (!g_whenIdle || !QCoreApplication::instance())
        return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            if (g_deferrals == 0 && g_whenIdle)
                g_whenIdle();
        },
        Qt::QueuedConnection);
}

#ifndef _WIN32
// Only what is safe in a signal handler: a flag and one write.
void onSignal(int)
{
    const int saved = errno;
    g_requested = 1;
    if (g_wakeFds[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(g_wakeFds[1], &byte, 1);
    }
    errno = saved;
}
#endif

} // namespace

void catchInterruptions(std::function<void()> whenIdle)
{
    g_whenIdle = std::move(whenIdle);
#ifndef _WIN32
    if (g_wakeFds[0] < 0 && ::pipe2(g_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        g_wakeFds[0] = g_wakeFds[1] = -1;
    if (g_wakeFds[0] >= 0 && QCoreApplication::instance()) {
        auto* notifier =
            new QSocketNotifier(g_wakeFds[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, [] {
            char buffer[64];
            while (::read(g_wakeFds[0], buffer, sizeof buffer) > 0) {
            }
            runWhenIdleLater();
        });
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress wakes and looks at the flag.
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
#endif
}

bool interruptRequested()
{
    return g_requested != 0;
}

void requestInterrupt()
{
    g_requested = 1;
    runWhenIdleLater();
}

void clearInterruptRequest()
{
    g_requested = 0;
}

CancelRequest::CancelRequest() : m_previous(g_currentCancel.load())
{
    g_currentCancel = this;
}

CancelRequest::~CancelRequest()
{
    g_currentCancel = m_previous;
}

bool cancelRequested()
{
    const CancelRequest* current = g_currentCancel.load();
    return current && current->cancelled();
}

InterruptDeferral::InterruptDeferral()
{
    ++g_deferrals;
}

InterruptDeferral::~InterruptDeferral()
{
    if (--g_deferrals == 0 && interruptRequested())
        runWhenIdleLater();
}

} // namespace navlor

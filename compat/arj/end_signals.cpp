#include "compat/arj/end_signals.h"

#include <atomic>
#include <csignal>

#include <signal.h>

namespace navlor::arj {

namespace {

// Set from a handler that may run on any thread: lock-free, so safe there.
std::atomic<std::sig_atomic_t> g_signal{0};
static_assert(std::atomic<std::sig_atomic_t>::is_always_lock_free);

void noteSignal(int signal)
{
    std::sig_atomic_t none = 0;
    g_signal.compare_exchange_strong(none, signal);
}

} // namespace

void catchEndSignals()
{
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    // Reads and writes carry on; the waits for arj wake on their own to look at the note.
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

int endSignal()
{
    return g_signal.load();
}

void stopIfEndRequested()
{
    if (const int signal = endSignal())
        throw EndRequested{signal};
}

} // namespace navlor::arj

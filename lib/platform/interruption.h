#pragma once

// Requests to end the program from outside (SIGTERM, SIGINT, SIGHUP on a POSIX host; the
// console's close events on Windows). Work under way that runs other programs ends them and
// stops at its next safe point; a program with nothing under way quits at once.

#include <atomic>
#include <functional>

namespace navlor {

// Catches the requests from now on. `whenIdle` runs from the event loop when a request
// arrives while no work defers it, or when the last deferral ends after one arrived.
void catchInterruptions(std::function<void()> whenIdle);

// Whether a request to end has arrived.
bool interruptRequested();

// What a caught signal does, for tests and for a backend without signals.
void requestInterrupt();
// Forgets an earlier request (tests).
void clearInterruptRequest();

// The operator's request to stop one run ("Cancelar"). While it exists it is the current one:
// bounded waits end what they wait for on it as on a request to end the program, and the run
// stops at its next safe point. Made and cancelled on the GUI thread; the run it cancels may
// be on a thread of its own.
class CancelRequest
{
public:
    CancelRequest();
    ~CancelRequest();
    CancelRequest(const CancelRequest&) = delete;
    CancelRequest& operator=(const CancelRequest&) = delete;

    void cancel() { m_cancelled = true; }
    bool cancelled() const { return m_cancelled; }

private:
    CancelRequest* m_previous;
    std::atomic<bool> m_cancelled{false};
};

// Whether the current run's cancel request was made.
bool cancelRequested();

// Work that ends itself on a request keeps the program from quitting under it.
class InterruptDeferral
{
public:
    InterruptDeferral();
    ~InterruptDeferral();
    InterruptDeferral(const InterruptDeferral&) = delete;
    InterruptDeferral& operator=(const InterruptDeferral&) = delete;
};

} // namespace navlor

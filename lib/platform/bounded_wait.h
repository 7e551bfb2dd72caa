#pragma once

// Waiting for a host process with a ceiling: at the ceiling the process and everything it
// started (its process group) are ended, politely first.

#include <QByteArray>

#include <functional>

#include <sys/types.h>

namespace navlor {

struct BoundedWait
{
    bool timedOut = false;
    // Ended because the program was asked to end, or because the current run was cancelled
    // (then `cancelled` too).
    bool interrupted = false;
    bool cancelled = false;
    int status = 0; // as waitpid reports it
};

// Waits for `pid`, which leads a process group of its own when `ownGroup`; 0 seconds: no
// ceiling. A request to end the program, or the current run's cancel request, ends the process
// (and its group) as the ceiling does: SIGTERM to all, and a grace for the whole group, even
// once the leader is gone, before SIGKILL.
// `tick`, when given, is called about every 100 ms while the program runs.
BoundedWait waitAtMost(pid_t pid, int ceilingSeconds, bool ownGroup,
                       const std::function<void()>& tick = {});

// Whether a process of group `group` is still running; zombies have ended.
bool groupHasLiveMember(pid_t group);

// An anonymous file in memory that takes a child's output; -1 when none could be made.
int openOutputCapture();
// Everything written to the capture; closes it.
QByteArray takeOutputCapture(int fd);

} // namespace navlor

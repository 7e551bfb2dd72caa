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
    bool interrupted = false; // ended because the program was asked to end
    int status = 0;           // as waitpid reports it
};

// Waits for `pid`, which leads a process group of its own when `ownGroup`; 0 seconds: no
// ceiling. A request to end the program ends the process (and its group) as the ceiling does.
// `tick`, when given, is called about every 100 ms while the program runs.
BoundedWait waitAtMost(pid_t pid, int ceilingSeconds, bool ownGroup,
                       const std::function<void()>& tick = {});

// An anonymous file in memory that takes a child's output; -1 when none could be made.
int openOutputCapture();
// Everything written to the capture; closes it.
QByteArray takeOutputCapture(int fd);

} // namespace navlor

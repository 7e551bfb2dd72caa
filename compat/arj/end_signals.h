#pragma once

// SIGTERM, SIGINT and SIGHUP end a run cleanly. A stopped backup ends the batch's process
// group with SIGTERM and kills it 3 s later: arj is ended first, then, as the stack unwinds,
// the private directory beside the archive and the list files go with their owners.

namespace navlor::arj {

// Thrown at the next safe point after one of the signals came; main exits with 128 + signal.
struct EndRequested
{
    int signal = 0;
};

// From now on the signals only note that they came.
void catchEndSignals();

// The first of the signals that came; 0 while none has.
int endSignal();

// Throws EndRequested once a signal has come.
void stopIfEndRequested();

} // namespace navlor::arj

#pragma once

// Starting programs: without waiting, waiting for their end, through a one-line batch file
// (every archiver call goes this way), and the sibling programs of the suite.

#include "lib/platform/platform.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace navlor {

// Starts P with the command line P + " " + A in a normal window and returns at once; true
// when a process was created. Shows nothing.
bool INICIA_PROGRAMA(const QString& p, const QString& a);

// Runs the command line C with window mode W and waits, however long, for its end: 0 when it
// ran (its exit code is not passed on), -1 when it could not be started. The hourglass is
// shown meanwhile; the console handles no messages until the program has ended.
int EXECUTA_E_ESPERA(const QString& c, ShowMode w);

// The batch runner. C without "\\" doubling and without any "/": a path containing ".BAT"
// runs as it is, anything else is written as the one line of "ArqBat.Bat" in the current
// directory, which then runs. On Windows 98 the command goes through "COMMAND.COM /C " (F =
// "S") or "COMMAND.COM  ". The result of EXECUTA_E_ESPERA; -1 also when the batch file could
// not be written.
int EXECUTA_BAT(const QString& c, ShowMode w, const QString& f);

// The batch runner of a run that is judged by its outcome: runs the batch file and waits
// for it, at most `ceilingSeconds` (0: no ceiling). Its exit code; -1 when it could not be
// started; kRunTimedOut when it was ended at the ceiling. `whileWaiting`, when given, is
// called about every tenth of a second until the batch ends.
int runBatchJudged(const QString& batchPath, int ceilingSeconds,
                   const std::function<void()>& whileWaiting = {});

// Hands the global values to a sibling program (PROGRAMA = N, PARAM = R) and starts the first
// of its candidate files that exists, without waiting. Nothing happens when none exists.
void EXECUTA_PROGRAMA(const QString& n, const QString& r);

// The candidate files of EXECUTA_PROGRAMA, in the order they are tried, for the program name
// N (".EXE" added when it has no "."), the base directory `dir1` and the directory of the
// running program `programDir` (with its trailing "\").
QStringList programCandidates(const QString& n, const QString& dir1, const QString& programDir);

} // namespace navlor

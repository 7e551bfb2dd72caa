#pragma once

// Runs the host's arj directly (posix_spawn, never a shell), without the ARJ_SW environment
// switches that would change what the line means.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace navlor::arj {

struct HostRun
{
    QStringList arguments;    // after the program name
    QString workingDirectory; // host path; empty: this process's
    bool capture = false;     // standard output collected instead of passed on
    int timeoutSeconds = 0;   // arj is ended when it runs longer; 0: no bound
    int preload = -1;         // a shared object arj is started with (LD_PRELOAD), by descriptor
};

struct HostResult
{
    int exitCode = 0; // arj's; 2 when it could not be started, 11 when it was killed
    QByteArray output;
    bool started = false;
    bool timedOut = false; // ended at the bound
};

// $NAVLOR_HOST_ARJ, else arj on the host PATH, else /usr/bin/arj.
QString hostArjProgram();

// The directory cache for adds (directory_cache.c), ready to be preloaded into arj: a
// descriptor that lives as long as this process. -1 when $NAVLOR_ARJ_DIRECTORY_CACHE is "0" or
// the host cannot take it; arj then reads every directory itself, only slower.
int directoryCache();

// The bound for a run over an archive of `archiveBytes`: $NAVLOR_ARJ_TIMEOUT_SECONDS when
// set, otherwise ten minutes and four seconds more per megabyte, far beyond a healthy run.
int hostArjTimeout(qint64 archiveBytes);

// Throws EndRequested once a caught signal has come, after ending arj (end_signals.h).
HostResult runHostArj(const HostRun& run);

} // namespace navlor::arj

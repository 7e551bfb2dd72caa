#pragma once

// Runs the host's arj directly (posix_spawn, never a shell), without the ARJ_SW environment
// switches that would change what the line means.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <functional>

namespace navlor::arj {

struct HostRun
{
    QStringList arguments;    // after the program name
    QString workingDirectory; // host path; empty: this process's
    bool capture = false;     // standard output collected instead of passed on
    int timeoutSeconds = 0;   // arj is ended when it runs longer; 0: no bound
    // directoryCache() for a run that wants it. Whatever this is, arj's output is buffered
    // when collected or for an add, unless $NAVLOR_ARJ_OUTPUT_BUFFER is "0" (arj_preload.c).
    int preload = -1;
    // With `capture`: the output handed over here in pieces once arj has ended, instead of
    // collected in HostResult::output.
    std::function<void(QByteArrayView)> takeOutput = {};
    // For an extraction, the host directory below which arj may write only through no link
    // (extract_guard.c); empty for any other run.
    QString writeRoot = {};
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

// What is preloaded into every arj (arj_preload.c, directory_cache.c): a descriptor that
// lives as long as this process; -1 when the host cannot take it.
int preloadImage();

// The same, for a run that wants the directory cache of adds. -1 when
// $NAVLOR_ARJ_DIRECTORY_CACHE is "0" or the host cannot take it; arj then reads every
// directory itself, only slower.
int directoryCache();

// The bound for a run over an archive of `archiveBytes`: $NAVLOR_ARJ_TIMEOUT_SECONDS when
// set, otherwise ten minutes and four seconds more per megabyte, far beyond a healthy run.
int hostArjTimeout(qint64 archiveBytes);

// Throws EndRequested once a caught signal has come, after ending arj (end_signals.h).
HostResult runHostArj(const HostRun& run);

} // namespace navlor::arj

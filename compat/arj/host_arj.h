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
};

struct HostResult
{
    int exitCode = 0; // arj's; 2 when it could not be started, 11 when it was killed
    QByteArray output;
    bool started = false;
};

// $NAVLOR_HOST_ARJ, else arj on the host PATH, else /usr/bin/arj.
QString hostArjProgram();

HostResult runHostArj(const HostRun& run);

} // namespace navlor::arj

#include "app/headless_pass.h"

#include "app/failure_notice.h"
#include "backup/backup_log.h"
#include "backup/backup_pass.h"
#include "backup/backup_run.h"
#include "lib/console_state.h"
#include "lib/dates.h"
#include "lib/platform/interruption.h"

#include <QCoreApplication>

#include <cstdio>

namespace navlor {

namespace {

void say(const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("NAVLOR: %1\n").arg(text)), stdout);
    std::fflush(stdout);
}

} // namespace

int runHeadlessPass(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("NAVLOR"));
    setTwoDigitYearWindow(kConsoleYearWindow);
    // SIGTERM (a stop of the service): the archiver under way ends and the pass logs it.
    catchInterruptions([] { QCoreApplication::quit(); });

    const ConsoleState state = discoverConsoleState();
    // What the console says as it appears: databases a killed backup left frozen are thawed,
    // and what went wrong while nobody watched is said again.
    for (const QString& line : thawLeftoverDatabases(state.dataDirectory))
        say(line);
    if (const std::optional<QString> failure = lastPassFailure(state.dataDirectory))
        say(*failure);
    for (const QString& warning : overdueWarnings(state.dataDirectory, today()))
        say(warning);
    if (!state.installationFound())
        say(installationMissingText(state));

    BackupPass pass(state);
    QObject::connect(&pass, &BackupPass::message, &say);
    pass.run(true);
    // Someone who was not watching learns it from the desktop, where there is one.
    if (pass.failedJobs() > 0)
        (void)notifyFailedPass(
            lastPassFailure(state.dataDirectory)
                .value_or(QStringLiteral("Veja NAVLOR.LOG em ") + state.dataDirectory));
    say(QStringLiteral("CONCLUIDO"));
    return pass.exitStatus();
}

} // namespace navlor

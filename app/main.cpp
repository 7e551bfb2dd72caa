// NAVLOR: maintenance console of a small-business file server.
#include "app/console_app.h"
#include "app/headless_pass.h"
#include "app/installation_start.h"
#include "app/main_window.h"
#include "app/usage.h"
#include "lib/platform/interruption.h"
#include "lib/platform/platform.h"
#include "lib/widgets/helper_window.h"
#include "lib/widgets/qt_dialogs.h"
#include "lib/widgets/qt_translations.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char** argv)
{
    // "--help", "--version" and an unknown option answer before anything starts: no window,
    // no pass.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const navlor::CommandLine line = navlor::readCommandLine(arguments);
    if (line.kind != navlor::CommandLine::Kind::Start) {
        const bool refused = line.kind == navlor::CommandLine::Kind::Refused;
        std::fputs(line.text.toLocal8Bit().constData(), refused ? stderr : stdout);
        return refused ? 2 : 0;
    }

    // Started by another path than the installation's link (the desktop menu starts the
    // installed program), the console would find no installation: it goes over to the link.
    navlor::Platform& host = navlor::platform();
    const QString link = navlor::installationProgram(host, host.programBinary());
    if (!link.isEmpty()) {
        host.replaceProcess(link, arguments);
        // still here: the link could not be started; the console runs as it was started
    }

    // The service's pass: no window, no display, no platform plugin.
    if (line.headless)
        return navlor::runHeadlessPass(argc, argv);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("NAVLOR"));
    navlor::applyProgramIcon();
    navlor::installQtTranslations(app);
    navlor::setDialogs(std::make_unique<navlor::QtDialogs>());

    navlor::TF_NAVLOR mainWindow(QApplication::arguments().mid(1));
    // The message line also goes to standard output, so a run at log-on leaves a record.
    QObject::connect(&mainWindow, &navlor::TF_NAVLOR::messageAdded, [](const QString& text) {
        std::fputs(qPrintable(QStringLiteral("NAVLOR: %1\n").arg(text)), stdout);
        std::fflush(stdout);
    });
    navlor::TF_GBF helper;
    // SIGTERM (a stop of the service, a shutdown), SIGINT, SIGHUP: a pass under way ends its
    // archiver and logs; otherwise the program ends at once.
    navlor::catchInterruptions([] { QApplication::quit(); });
    mainWindow.show();
    const int code = QApplication::exec();
    // A scheduler or a monitoring script sees whether the start-up pass left a job undone.
    return code != 0 ? code : mainWindow.exitStatus();
}

#include "lib/program_start.h"

#include "lib/ansi_text.h"
#include "lib/dialogs.h"
#include "lib/platform/platform.h"
#include "lib/registry_settings.h"
#include "lib/system_info.h"
#include "lib/windows_path.h"

namespace navlor {

namespace {

// Windows takes the program apart from its arguments by the application name it is given;
// here the command line alone says it, so a program path with blanks goes in quotes.
QString programToken(const QString& path)
{
    if (path.contains(u' ') && !path.startsWith(u'"'))
        return u'"' + path + u'"';
    return path;
}

} // namespace

bool INICIA_PROGRAMA(const QString& p, const QString& a)
{
    return platform().startProcess(programToken(p) + u' ' + a, ShowMode::ShowNormal);
}

int EXECUTA_E_ESPERA(const QString& c, ShowMode w)
{
    int result = -1;
    dialogs().setBusyCursor(true);
    try {
        const QString command = singleBackslashes(c);
        // The line goes on whole, however long: cut to a buffer's size it would be another
        // command, with another archive name or without its last switches.
        result = platform().runAndWait(command, w) == -1 ? -1 : 0;
    } catch (...) {
        result = -1;
    }
    dialogs().setBusyCursor(false);
    return result;
}

int EXECUTA_BAT(const QString& c, ShowMode w, const QString& f)
{
    QString x = singleBackslashes(c);
    x.remove(u'/');

    QString command = x;
    if (!x.contains(QLatin1String(".BAT"))) {
        Platform& p = platform();
        const QString batch = appendWindowsPath(p.currentDirectory(), QStringLiteral("ArqBat.Bat"));
        // Running the batch of an earlier call when this one could not be written would
        // run the wrong command; better not to run at all.
        if (!p.writeFile(batch, toAnsi(x) + "\r\n"))
            return -1;
        command = QStringLiteral("ArqBat.Bat");
    }

    if (VERSAO_WINDOWS().contains(QLatin1String("Windows 98")))
        command.prepend(f == QLatin1String("S") ? QStringLiteral("COMMAND.COM /C ")
                                                : QStringLiteral("COMMAND.COM  "));
    return EXECUTA_E_ESPERA(command, w);
}

int runBatchJudged(const QString& batchPath, int ceilingSeconds,
                   const std::function<void()>& whileWaiting)
{
    QString command = programToken(singleBackslashes(batchPath));
    if (VERSAO_WINDOWS().contains(QLatin1String("Windows 98")))
        command.prepend(QStringLiteral("COMMAND.COM /C "));
    BusyCursor busy;
    BoundedRun run;
    run.ceilingSeconds = ceilingSeconds;
    run.whileWaiting = whileWaiting;
    const int code = platform().runBounded(command, ShowMode::ShowNormal, run);
    return code;
}

QStringList programCandidates(const QString& n, const QString& dir1, const QString& programDir)
{
    const QString d1 = upToLastBackslash(dir1);
    QString d2 = d1;
    const qsizetype drive = d1.indexOf(QLatin1String(":\\"));
    if (drive > 0)
        d2 = d1.mid(drive - 1);
    // The drive letter taken as a server name.
    const QString d3 = QStringLiteral("\\\\") + singleBackslashes(QString(d1).replace(u':', u'\\'));

    QString name = n;
    if (!name.contains(u'.'))
        name += QStringLiteral(".EXE");
    const QString exe = QStringLiteral("EXE\\");
    return {
        name,
        programDir + name,
        d2 + exe + name,
        dir1 + u'\\' + exe + name,
        d1 + exe + name,
        d3 + exe + name,
    };
}

void EXECUTA_PROGRAMA(const QString& n, const QString& r)
{
    const GlobalValues globals = consoleGlobals();
    GRAVA_GLOBAIS(n, r, globals);
    Platform& p = platform();
    const QStringList candidates =
        programCandidates(n, globals.GB_DIR1, upToLastBackslash(p.programPath()));
    for (const QString& candidate : candidates) {
        if (p.fileExists(candidate)) {
            (void)p.winExec(programToken(candidate), ShowMode::ShowNormal);
            return;
        }
    }
}

} // namespace navlor

// navlor-cmd, the command interpreter that runs batch files on a POSIX host.
//
//   navlor-cmd                        commands from standard input, after a prompt
//   navlor-cmd /C LINE                one command line (a batch file's path runs that batch)
//   navlor-cmd /C HOSTPATH [ARGS]     the batch file at a host path, as the platform starts
//                                     a .BAT; ARGS (one text) are its parameters
//   navlor-cmd /K LINE                the line, then the prompt
//   navlor-cmd BATCH [ARGS...]        a batch file by its Windows or host path
//
// The prefix comes from NAVLOR_PREFIX, the current directory from the host's. The exit
// status is the error level of the last command (EXIT n sets it) modulo 256, as a POSIX
// parent sees it: 9009 for an unknown command is 49.

#include "compat/cmd/batch_line.h"
#include "compat/cmd/console.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/platform.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <csignal>

#include <unistd.h>

namespace {

bool isHostPath(const QString& argument)
{
    return argument.startsWith(u'/') && QFileInfo(argument).isFile();
}

// "/Q", "/D", "/E:ON"... switches of the Windows interpreter that change nothing here.
bool isIgnoredSwitch(const QString& argument)
{
    return argument.size() >= 2 && argument.at(0) == u'/' && argument.at(1).isLetter() &&
           (argument.size() == 2 || argument.at(2) == u':');
}

} // namespace

const char kUsage[] = "Inicia o interpretador de comandos do Windows hospedado (NAVLOR_PREFIX).\n"
                      "\n"
                      "navlor-cmd [/C | /K] [linha de comando]\n"
                      "navlor-cmd arquivo.BAT [par\xc3\xa2metros]\n"
                      "\n"
                      "  /C      executa a linha de comando e termina\n"
                      "  /K      executa a linha de comando e fica no prompt\n"
                      "  /?      mostra esta ajuda\n"
                      "\n"
                      "Sem argumentos, l\xc3\xaa comandos no prompt. O status de sa\xc3\xad"
                      "da \xc3\xa9 o "
                      "n\xc3\xadvel de erro do\n"
                      "\xc3\xbaltimo comando (EXIT n o define).\n";

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (!arguments.isEmpty() && (arguments.first() == QLatin1String("/?") ||
                                 arguments.first() == QLatin1String("--help"))) {
        navlor::cmd::writeOutput(QString::fromUtf8(kUsage));
        return 0;
    }
    navlor::cmd::Interpreter interpreter(navlor::platform());

    // A host path outside every drive of the prefix has no Windows path to run it under.
    auto runBatchAt = [&](const QString& hostPath, const QStringList& parameters) {
        const QString windowsPath =
            navlor::platform().fromHostPath(QFileInfo(hostPath).absoluteFilePath());
        if (windowsPath.isEmpty()) {
            navlor::cmd::writeError(
                QStringLiteral("O arquivo em lotes não pode ser encontrado: %1").arg(hostPath));
            return false;
        }
        interpreter.runBatch(windowsPath, parameters);
        return true;
    };

    bool keep = false;
    bool command = false;
    while (!arguments.isEmpty() && isIgnoredSwitch(arguments.first())) {
        const QString option = arguments.takeFirst().toUpper();
        if (option == QLatin1String("/C") || option == QLatin1String("/K")) {
            command = true;
            keep = option == QLatin1String("/K");
            break;
        }
    }

    // Nothing to run: the prompt, as the interpreter started on its own shows it.
    bool prompt = arguments.isEmpty() && !command;
    if (!arguments.isEmpty()) {
        if (isHostPath(arguments.first())) {
            const QString path = arguments.takeFirst();
            if (!runBatchAt(path, navlor::cmd::splitBatchParameters(arguments.join(u' '))))
                return 1;
        } else {
            interpreter.runLine(arguments.join(u' '));
        }
    }
    if (keep && !interpreter.exitRequested())
        prompt = true;

    if (prompt) {
        // Ctrl+C stops the program that runs, not the prompt (programs start with the
        // default signal handling again).
        if (::isatty(STDIN_FILENO))
            std::signal(SIGINT, SIG_IGN);
        interpreter.runInteractive();
    }
    return interpreter.exitStatus();
}

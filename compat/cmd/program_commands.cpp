// Commands about programs and the system: START and VER.

#include "compat/cmd/command_text.h"
#include "compat/cmd/console.h"
#include "compat/cmd/file_paths.h"
#include "compat/cmd/interpreter.h"
#include "lib/platform/command_line.h"
#include "lib/platform/platform.h"

namespace navlor::cmd {

namespace {

// Switches of START that change nothing here: no console windows, no priorities.
const QStringList kStartSwitches{
    QStringLiteral("/B"),        QStringLiteral("/I"),           QStringLiteral("/MIN"),
    QStringLiteral("/MAX"),      QStringLiteral("/SEPARATE"),    QStringLiteral("/SHARED"),
    QStringLiteral("/LOW"),      QStringLiteral("/NORMAL"),      QStringLiteral("/HIGH"),
    QStringLiteral("/REALTIME"), QStringLiteral("/ABOVENORMAL"), QStringLiteral("/BELOWNORMAL")};

// cmd's error levels for a program START cannot find and one that cannot be run.
constexpr int kStartNotFound = 9059;
constexpr int kCannotRun = 193;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// A word from `i` up to a blank outside quotes, quotes removed.
QString readWord(const QString& text, qsizetype& i)
{
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    QString word;
    for (bool quoted = false; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && isBlank(c))
            break;
        else
            word += c;
    }
    return word;
}

// The line VER shows for the version the platform reports.
QString versionLine(const VersionRecord& r)
{
    if (r.platformId == 1) {
        const char* name = r.minor >= 90   ? "Windows Millennium"
                           : r.minor >= 10 ? "Windows 98"
                                           : "Windows 95";
        // The low word: the high one repeats the version on these systems.
        return QStringLiteral("%1 [Versão %2.%3.%4]")
            .arg(QLatin1String(name))
            .arg(r.major)
            .arg(r.minor, 2, 10, QChar(u'0'))
            .arg(r.build & 0xffff);
    }
    if (r.platformId == 2 && r.major == 4)
        return QStringLiteral("Windows NT Versão %1.%2").arg(r.major).arg(r.minor);
    if (r.platformId == 2 && r.major == 5 && r.minor == 0)
        return QStringLiteral("Microsoft Windows 2000 [Versão 5.00.%1]").arg(r.build);
    const QString name = r.platformId == 2 && r.major == 5 && r.minor == 1
                             ? QStringLiteral("Microsoft Windows XP")
                             : QStringLiteral("Microsoft Windows");
    return QStringLiteral("%1 [versão %2.%3.%4]").arg(name).arg(r.major).arg(r.minor).arg(r.build);
}

} // namespace

void Interpreter::version()
{
    writeOutput(u'\n' + versionLine(m_platform.versionRecord()) + u'\n');
    m_errorLevel = 0;
}

// START ["title"] [/D path] [/WAIT] [/B] [/MIN|/MAX] [program [arguments]]
void Interpreter::start(const QString& argumentText)
{
    const QString& text = argumentText;
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    if (i < text.size() && text.at(i) == u'"')
        readWord(text, i); // the first quoted word is the title of a window there is not
    QString directory;
    bool wait = false;
    qsizetype commandStart = i;
    for (QString word = readWord(text, i); word.startsWith(u'/'); word = readWord(text, i)) {
        const QString upper = word.toUpper();
        if (upper == QLatin1String("/WAIT")) {
            wait = true;
        } else if (upper.startsWith(QLatin1String("/D"))) {
            directory = upper.size() > 2 ? word.mid(2) : readWord(text, i);
        } else if (upper == QLatin1String("/AFFINITY") || upper == QLatin1String("/NODE")) {
            readWord(text, i);
        } else if (!kStartSwitches.contains(upper)) {
            fail(QStringLiteral("Opção inválida - \"%1\".").arg(word));
            return;
        }
        commandStart = i;
    }
    qsizetype end = commandStart;
    const QString command = readWord(text, end);
    QString arguments = text.mid(end);

    QString commandLine;
    if (command.isEmpty()) {
        commandLine = QStringLiteral("CMD.EXE"); // a new interpreter, at its prompt
    } else if (internalCommands().contains(command.toUpper()) || isDriveChange(command)) {
        commandLine = QStringLiteral("CMD.EXE /K ") + command + arguments;
    } else {
        const QString program = findCommand(command);
        if (program.isEmpty()) {
            fail(QStringLiteral("O Windows não pode encontrar '%1'. Verifique se o nome foi "
                                "digitado corretamente e tente novamente.")
                     .arg(command),
                 kStartNotFound);
            return;
        }
        commandLine = quoteArgument(program) + arguments;
    }
    QString fullDirectory;
    if (!directory.isEmpty()) {
        fullDirectory = absolute(directory);
        if (fullDirectory.isEmpty() || !m_platform.directoryExists(fullDirectory)) {
            fail(kPathNotFound);
            return;
        }
    }

    if (wait) {
        const int code = m_platform.runAndWait(commandLine, ShowMode::ShowNormal, fullDirectory);
        if (code < 0)
            fail(QStringLiteral("'%1' não é um programa que possa ser executado neste sistema.")
                     .arg(command),
                 kCannotRun);
        else
            setErrorLevel(code);
        return;
    }
    // The program starts in the current directory, so /D makes that current for the start.
    const QString before = m_platform.currentDirectory();
    const bool moved = !fullDirectory.isEmpty() && m_platform.setCurrentDirectory(fullDirectory);
    const bool started = m_platform.startProcess(commandLine, ShowMode::ShowNormal);
    if (moved && !m_platform.setCurrentDirectory(before))
        fail(QStringLiteral("Acesso negado."));
    // Started or not waited for, the error level stays what it was, as with cmd.
    if (!started)
        fail(QStringLiteral("'%1' não é um programa que possa ser executado neste sistema.")
                 .arg(command.isEmpty() ? QStringLiteral("CMD.EXE") : command),
             kCannotRun);
}

} // namespace navlor::cmd

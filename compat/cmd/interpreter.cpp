#include "compat/cmd/interpreter.h"

#include "compat/cmd/command_text.h"
#include "compat/cmd/console.h"
#include "compat/cmd/redirection.h"
#include "lib/ansi_text.h"
#include "lib/platform/command_line.h"
#include "lib/platform/host_prefix.h"
#include "lib/platform/platform.h"
#include "lib/platform/wildcard.h"

#include <algorithm>
#include <optional>

#include <unistd.h>

namespace navlor::cmd {

namespace {

// cmd's error levels for a command it cannot find and a file it cannot run.
constexpr int kNotFound = 9009;
constexpr int kCannotRun = 193;

bool isBatchFile(const QString& path)
{
    return path.endsWith(QLatin1String(".BAT"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".CMD"), Qt::CaseInsensitive);
}

bool isInterpreterName(const QString& name)
{
    const QString upper = fileNameOf(name).toUpper();
    return upper == QLatin1String("COMMAND.COM") || upper == QLatin1String("COMMAND") ||
           upper == QLatin1String("CMD.EXE") || upper == QLatin1String("CMD");
}

// The directories of a PATH value, blanks and quotes taken off.
QStringList pathDirectories(const QString& value)
{
    QStringList directories;
    for (const QString& part : value.split(u';', Qt::SkipEmptyParts)) {
        const QString dir = unquoted(part).trimmed();
        if (!dir.isEmpty())
            directories << dir;
    }
    return directories;
}

} // namespace

Interpreter::Interpreter(Platform& platform) : m_platform(platform)
{
    const QString windows = m_platform.windowsDirectory();
    m_variables.insert(QStringLiteral("PATH"), m_platform.searchPath().join(u';'));
    m_variables.insert(QStringLiteral("WINDIR"), windows);
    m_variables.insert(QStringLiteral("SYSTEMROOT"), windows);
    m_variables.insert(QStringLiteral("COMSPEC"), windows + QStringLiteral("\\SYSTEM32\\CMD.EXE"));
    m_variables.insert(QStringLiteral("COMPUTERNAME"), m_platform.computerName());
    m_variables.insert(QStringLiteral("PROMPT"), QStringLiteral("$P$G"));
}

int Interpreter::exitStatus() const
{
    // As Windows hands an error level to a POSIX parent: its low byte (9009 is 49).
    return m_errorLevel & 0xff;
}

QString Interpreter::prompt() const
{
    return m_platform.currentDirectory() + u'>';
}

// --- paths -------------------------------------------------------------------------------

QString Interpreter::driveDirectory(QChar letter) const
{
    letter = letter.toUpper();
    const QString current = m_platform.currentDirectory();
    if (!current.isEmpty() && current.at(0).toUpper() == letter)
        return current;
    return m_driveDirectories.value(letter, QString(letter) + QStringLiteral(":\\"));
}

QString Interpreter::absolute(const QString& path) const
{
    const QString current = m_platform.currentDirectory();
    if (path.size() >= 2 && path.at(1) == u':' && path.at(0).isLetter() &&
        (path.size() == 2 || (path.at(2) != u'\\' && path.at(2) != u'/'))) {
        // "D:NAME" is relative to the current directory of drive D.
        const QString base = driveDirectory(path.at(0));
        const QString rest = path.mid(2);
        return rest.isEmpty() ? base : absoluteWindowsPath(rest, base);
    }
    return absoluteWindowsPath(path, current);
}

QString Interpreter::onDiskCase(const QString& absolutePath) const
{
    if (absolutePath.size() <= 3)
        return absolutePath;
    QString built = absolutePath.left(2);
    for (const QString& part : absolutePath.mid(3).split(u'\\', Qt::SkipEmptyParts)) {
        QString name = part;
        if (!hasWildcards(part)) {
            const QList<DirEntry> entries = m_platform.findFiles(built + u'\\' + part);
            for (const DirEntry& entry : entries) {
                if (entry.name == part) {
                    name = part;
                    break;
                }
                if (name == part && entry.name.compare(part, Qt::CaseInsensitive) == 0)
                    name = entry.name;
            }
        }
        built += u'\\' + name;
    }
    return built;
}

QString Interpreter::findCommand(const QString& name) const
{
    if (name.isEmpty() || name.endsWith(u'\\'))
        return {};
    QStringList names;
    if (fileNameOf(name).contains(u'.')) {
        names << name;
    } else {
        for (const char* extension : {".COM", ".EXE", ".BAT", ".CMD"})
            names << name + QLatin1String(extension);
    }
    const bool hasDirectory = name.contains(u'\\') || name.contains(u'/') || name.contains(u':');
    QStringList directories;
    if (hasDirectory)
        directories << QString();
    else
        directories = QStringList{m_platform.currentDirectory()} +
                      pathDirectories(variable(QStringLiteral("PATH")));
    for (const QString& dir : directories) {
        for (const QString& candidate : names) {
            const QString full = absolute(dir.isEmpty()         ? candidate
                                          : dir.endsWith(u'\\') ? dir + candidate
                                                                : dir + u'\\' + candidate);
            if (!full.isEmpty() && m_platform.fileExists(full))
                return full;
        }
    }
    return {};
}

// --- variables ---------------------------------------------------------------------------

QString Interpreter::variable(const QString& name) const
{
    const QString upper = name.toUpper();
    if (upper == QLatin1String("CD"))
        return m_platform.currentDirectory();
    if (upper == QLatin1String("ERRORLEVEL"))
        return QString::number(m_errorLevel);
    const auto found = m_variables.constFind(upper);
    return found == m_variables.constEnd() ? QString() : found.value();
}

PercentContext Interpreter::percentContext(const Frame* frame) const
{
    PercentContext context;
    context.inBatch = frame != nullptr;
    if (frame)
        context.parameters = frame->parameters;
    context.variable = [this](const QString& name) { return variable(name); };
    context.paths = pathLookup();
    return context;
}

PathLookup Interpreter::pathLookup() const
{
    PathLookup paths;
    paths.fullPath = [this](const QString& path) {
        const QString full = absolute(path);
        return full.isEmpty() ? path : full;
    };
    paths.fileSize = [this](const QString& full) -> qint64 {
        if (hasWildcards(fileNameOf(full)))
            return -1;
        const QList<DirEntry> entries = m_platform.findFiles(full);
        return entries.isEmpty() || entries.first().directory ? -1 : entries.first().size;
    };
    return paths;
}

// --- running lines -----------------------------------------------------------------------

void Interpreter::fail(const QString& message, int errorLevel)
{
    writeError(message);
    setErrorLevel(errorLevel);
    m_failed = true;
}

void Interpreter::setErrorLevel(int level)
{
    m_errorLevel = level;
    if (level != 0)
        m_failed = true;
}

void Interpreter::runLine(const QString& line)
{
    execute(line, nullptr);
}

void Interpreter::runBatch(const QString& windowsPath, const QStringList& parameters)
{
    Frame frame;
    if (loadFrame(windowsPath, QStringList{windowsPath} + parameters, frame))
        runFrame(frame);
}

void Interpreter::runInteractive()
{
    m_interactive = true;
    while (!m_exit) {
        if (m_echo)
            writeOutput(prompt());
        QString line;
        if (!readInputLine(line))
            break;
        execute(line, nullptr);
        if (m_echo && !m_exit)
            writeOutput(QStringLiteral("\n"));
    }
}

bool Interpreter::loadFrame(const QString& windowsPath, const QStringList& parameters, Frame& frame)
{
    const QString full = absolute(windowsPath);
    const std::optional<QByteArray> bytes =
        full.isEmpty() ? std::nullopt : m_platform.readFile(full);
    if (!bytes) {
        fail(QStringLiteral("O arquivo em lotes não pode ser encontrado: %1").arg(windowsPath));
        return false;
    }
    QByteArray text = *bytes;
    const qsizetype end = text.indexOf('\x1a'); // the end-of-file mark of DOS editors
    if (end >= 0)
        text.truncate(end);
    frame = Frame();
    frame.path = full;
    frame.parameters = parameters;
    for (QString line : fromAnsi(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        frame.lines << line;
    }
    if (text.endsWith('\n'))
        frame.lines.removeLast();
    return true;
}

Interpreter::Flow Interpreter::runFrame(Frame& frame)
{
    const qsizetype locals = m_localStack.size();
    Flow flow = Flow::Next;
    while (frame.next < frame.lines.size()) {
        const QString raw = readLogicalLine(frame.lines, frame.next);
        flow = execute(raw, &frame);
        if (flow != Flow::Next)
            break;
    }
    endLocal(locals); // a batch's SETLOCALs end with it
    return m_exit || flow == Flow::Exit ? Flow::Exit : Flow::Next;
}

Interpreter::Flow Interpreter::execute(const QString& rawLine, Frame* frame)
{
    const QString expanded = expandPercents(rawLine, percentContext(frame));
    const BatchLine head = parseBatchLine(expanded);
    if (head.kind == BatchLine::Kind::Label ||
        (head.kind == BatchLine::Kind::Empty && head.error.isEmpty()))
        return Flow::Next;
    if (frame && m_echo && !head.silent) {
        // Each command of a batch is shown before it runs while ECHO is on.
        QString shown = expanded.trimmed();
        shown.replace(u'\n', QStringLiteral(" "));
        writeOutput(u'\n' + prompt() + shown + u'\n');
    }
    if (head.kind == BatchLine::Kind::Comment)
        return Flow::Next;
    return runChain(expanded, frame);
}

bool Interpreter::redirect(const QList<Redirection>& redirections, HandleRedirection& handles)
{
    for (const Redirection& r : redirections) {
        QString error;
        bool ok = true;
        if (r.duplicateOf >= 0) {
            ok = handles.toHandle(r.handle, r.duplicateOf, error);
        } else {
            const QString name = fileNameOf(r.target).section(u'.', 0, 0).toUpper();
            if (name == QLatin1String("CON"))
                continue; // the console is where the handle points already
            QString hostPath;
            if (name == QLatin1String("NUL")) {
                hostPath = QStringLiteral("/dev/null");
            } else {
                const QString full = absolute(r.target);
                hostPath = full.isEmpty() ? QString() : m_platform.toHostPath(full);
            }
            if (hostPath.isEmpty())
                error = QStringLiteral("O sistema não pode encontrar o caminho especificado.");
            else
                ok = handles.toFile(r.handle, hostPath, r.append, error);
        }
        if (!ok || !error.isEmpty()) {
            handles.restore();
            fail(error);
            return false;
        }
    }
    return true;
}

Interpreter::Flow Interpreter::executeParsed(const BatchLine& line, Frame* frame, bool call)
{
    HandleRedirection handles;
    if (!redirect(line.redirections, handles))
        return Flow::Next;
    if (line.command.isEmpty())
        return Flow::Next; // "> FILE" alone: the file is made, nothing runs
    if (line.internal)
        return internalCommand(line, frame);
    if (!line.commandQuoted && isDriveChange(line.command)) {
        changeDrive(line.command.at(0));
        return Flow::Next;
    }
    return runCommand(line, frame, call);
}

Interpreter::Flow Interpreter::runCommand(const BatchLine& line, Frame* frame, bool call)
{
    const QString program = findCommand(line.command);
    QString arguments = line.argumentText;
    if (!arguments.isEmpty() && arguments.at(0) != u' ' && arguments.at(0) != u'\t')
        arguments.prepend(u' ');
    if (program.isEmpty() && filterCommand(line.command, line.argumentText))
        return Flow::Next;
    if (program.isEmpty()) {
        if (isInterpreterName(line.command)) {
            // Another command interpreter: the platform starts this one again.
            m_errorLevel = m_platform.runAndWait(QStringLiteral("COMMAND.COM") + arguments,
                                                 ShowMode::ShowNormal);
            if (m_errorLevel < 0)
                fail(QStringLiteral("Não foi possível iniciar o interpretador de comandos."),
                     kCannotRun);
            return Flow::Next;
        }
        fail(QStringLiteral("'%1' não é reconhecido como um comando interno ou externo, um "
                            "programa operável ou um arquivo em lotes.")
                 .arg(line.command),
             kNotFound);
        return Flow::Next;
    }

    if (isBatchFile(program)) {
        const QStringList parameters =
            QStringList{line.command} + splitBatchParameters(line.argumentText);
        if (frame && !call) {
            // Without CALL the new batch takes the place of the running one, as on DOS.
            Frame next;
            if (loadFrame(program, parameters, next))
                *frame = next;
            else
                return Flow::LeaveBatch;
            return Flow::Next;
        }
        if (m_callDepth >= kMaxCallDepth) {
            fail(QStringLiteral("Excesso de chamadas de arquivos em lotes encadeadas."));
            return Flow::Exit;
        }
        Frame nested;
        if (!loadFrame(program, parameters, nested))
            return Flow::Next;
        ++m_callDepth;
        const Flow flow = runFrame(nested);
        --m_callDepth;
        return flow == Flow::Exit ? Flow::Exit : Flow::Next;
    }

    const int code =
        m_platform.runAndWait(quoteArgument(program) + arguments, ShowMode::ShowNormal);
    if (code < 0) {
        fail(QStringLiteral("'%1' não é um programa que possa ser executado neste sistema.")
                 .arg(program),
             kCannotRun);
        return Flow::Next;
    }
    setErrorLevel(code);
    return Flow::Next;
}

// --- internal commands -------------------------------------------------------------------

Interpreter::Flow Interpreter::internalCommand(const BatchLine& line, Frame* frame)
{
    const QString& c = line.command;
    // These commands set the error level to 0 when they succeed; the others leave it.
    static const QStringList kClearing =
        QStringLiteral("COPY DIR TYPE DEL ERASE REN RENAME CD CHDIR MD MKDIR MOVE PUSHD")
            .split(u' ');
    if (kClearing.contains(c))
        m_errorLevel = 0;
    const QStringList words = splitCommandWords(line.argumentText);
    if (c == QLatin1String("ECHO")) {
        echo(line);
    } else if (c == QLatin1String("CD") || c == QLatin1String("CHDIR")) {
        changeDirectory(line);
    } else if (c == QLatin1String("MD") || c == QLatin1String("MKDIR")) {
        makeDirectory(line.arguments);
    } else if (c == QLatin1String("RD") || c == QLatin1String("RMDIR")) {
        removeDirectory(line.arguments);
    } else if (c == QLatin1String("DEL") || c == QLatin1String("ERASE")) {
        deleteFiles(line.arguments);
    } else if (c == QLatin1String("COPY")) {
        copyFiles(words, frame != nullptr);
    } else if (c == QLatin1String("REN") || c == QLatin1String("RENAME")) {
        renameFiles(line.arguments);
    } else if (c == QLatin1String("MOVE")) {
        moveFiles(line.arguments, frame != nullptr);
    } else if (c == QLatin1String("FOR")) {
        return forLoop(line, frame);
    } else if (c == QLatin1String("START")) {
        start(line.argumentText);
    } else if (c == QLatin1String("PUSHD")) {
        pushDirectory(line.argumentText);
    } else if (c == QLatin1String("POPD")) {
        popDirectory();
    } else if (c == QLatin1String("VER")) {
        version();
    } else if (c == QLatin1String("TYPE")) {
        typeFiles(words);
    } else if (c == QLatin1String("DIR")) {
        listDirectory(words);
    } else if (c == QLatin1String("PAUSE")) {
        pause();
    } else if (c == QLatin1String("SET")) {
        set(line.argumentText);
    } else if (c == QLatin1String("IF")) {
        return ifCommand(line, frame);
    } else if (c == QLatin1String("GOTO")) {
        return gotoLabel(line.argumentText, frame);
    } else if (c == QLatin1String("CALL")) {
        return call(line, frame);
    } else if (c == QLatin1String("EXIT")) {
        return exitCommand(line, frame);
    } else if (c == QLatin1String("SHIFT")) {
        if (frame && !frame->parameters.isEmpty())
            frame->parameters.removeFirst();
    } else if (c == QLatin1String("SETLOCAL")) {
        setLocal();
    } else if (c == QLatin1String("ENDLOCAL")) {
        endLocal(m_localStack.size() - 1);
    } else if (c == QLatin1String("CLS")) {
        if (isTerminal(STDOUT_FILENO))
            writeOutput(QStringLiteral("\x1b[H\x1b[2J"));
    }
    // TITLE names a console window this interpreter does not have; REM never gets here.
    return Flow::Next;
}

} // namespace navlor::cmd

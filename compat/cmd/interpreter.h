#pragma once

// The command interpreter navlor-cmd: runs batch files line by line, and single command
// lines, as the command interpreter of Windows does for the lines this system writes and an
// operator is likely to write. Every file and program goes through the platform, so paths
// are Windows paths throughout.

#include "compat/cmd/batch_line.h"
#include "compat/cmd/batch_syntax.h"
#include "compat/cmd/file_paths.h"

#include <QDate>
#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>

namespace navlor {
class Platform;
}

namespace navlor::cmd {

class HandleRedirection;

class Interpreter
{
public:
    explicit Interpreter(Platform& platform);

    // One command line, as "navlor-cmd /C LINE" runs it.
    void runLine(const QString& line);
    // A batch file (Windows path) to its end, or to EXIT; `parameters` are %1, %2...
    void runBatch(const QString& windowsPath, const QStringList& parameters);
    // Commands read from standard input, each after a prompt, until EXIT or the end.
    void runInteractive();

    int errorLevel() const { return m_errorLevel; }
    bool exitRequested() const { return m_exit; }
    // The process's exit status for the error level: 0-255, and never 0 for a failure.
    int exitStatus() const;
    QString prompt() const;

    // The full Windows path of `path` against the current directory of its drive; empty for
    // paths the machine does not have.
    QString absolute(const QString& path) const;
    // The Windows path of the program or batch file a command word names: as a path, else
    // in the current directory, else on PATH, with .COM .EXE .BAT .CMD tried when it has no
    // extension. Empty when there is none.
    QString findCommand(const QString& name) const;

private:
    struct Frame
    {
        QString path; // the batch file
        QStringList lines;
        qsizetype next = 0;
        QStringList parameters; // %0 first
    };
    enum class Flow
    {
        Next,
        LeaveBatch,
        Exit
    };
    // Deeper than any sensible batch nests; a batch that calls itself for ever stops here.
    static constexpr int kMaxCallDepth = 200;

    Flow execute(const QString& rawLine, Frame* frame);
    // The commands of a line joined by "&", "&&", "||", "|" and new lines of a block.
    Flow runChain(const QString& text, Frame* frame);
    // One command of a chain: a block "( ... )" with its redirections, or a command line.
    Flow runSimple(const QString& text, Frame* frame);
    // A pipe: each stage's standard output is the next one's standard input.
    Flow runPipeline(const QStringList& stages, Frame* frame);
    // What `text` writes on standard output, as a Windows program's bytes (FOR /F 'cmd').
    QByteArray capture(const QString& text, Frame* frame);
    Flow executeParsed(const BatchLine& line, Frame* frame, bool call);
    Flow internalCommand(const BatchLine& line, Frame* frame);
    Flow runCommand(const BatchLine& line, Frame* frame, bool call);
    Flow runFrame(Frame& frame);
    bool loadFrame(const QString& windowsPath, const QStringList& parameters, Frame& frame);
    bool redirect(const QList<Redirection>& redirections, HandleRedirection& handles);
    void fail(const QString& message, int errorLevel = 1);
    // A command's own error level; one that is not 0 is a failure for "&&" and "||".
    void setErrorLevel(int level);

    // control (control_commands.cpp)
    void echo(const BatchLine& line);
    void set(const QString& text);
    Flow ifCommand(const BatchLine& line, Frame* frame);
    Flow gotoLabel(const QString& text, Frame* frame);
    Flow call(const BatchLine& line, Frame* frame);
    Flow exitCommand(const BatchLine& line, Frame* frame);
    void pause();
    // FOR (loop_commands.cpp)
    Flow forLoop(const BatchLine& line, Frame* frame);
    QStringList forValues(const ForCommand& loop) const;
    QStringList forMatches(const QString& item, bool directories, const QString& under) const;
    QStringList forTreeDirectories(const QString& root) const;
    QList<QStringList> forFileValues(const ForCommand& loop, const ForFileOptions& options,
                                     Frame* frame);
    Flow forBody(const ForCommand& loop, const QList<QChar>& variables, const QStringList& values,
                 Frame* frame);
    // SETLOCAL, ENDLOCAL (control_commands.cpp)
    void setLocal();
    void endLocal(qsizetype downTo);
    bool compareHolds(const IfCondition& condition) const;
    // FIND, MORE, SORT (filter_commands.cpp); XCOPY (xcopy_command.cpp)
    bool filterCommand(const QString& name, const QString& argumentText);
    void find(const QStringList& arguments);
    void more(const QStringList& arguments);
    void sort(const QStringList& arguments);
    QStringList inputLines(const QStringList& files, bool& ok);
    void xcopy(const QStringList& arguments);
    int xcopyTree(const QString& source, const QString& mask, const QString& target,
                  const CommandArguments& split, const QDate& since, int& found);
    // programs and the system (program_commands.cpp)
    void start(const QString& argumentText);
    void version();
    // directories and drives (directory_commands.cpp)
    void changeDirectory(const BatchLine& line);
    void changeDrive(QChar letter);
    QString driveDirectory(QChar letter) const;
    QString onDiskCase(const QString& absolutePath) const;
    bool enterDirectory(const QString& absolutePath);
    void pushDirectory(const QString& argumentText);
    void popDirectory();
    // files (file_commands.cpp)
    void makeDirectory(const QStringList& arguments);
    void removeDirectory(const QStringList& arguments);
    void deleteFiles(const QStringList& arguments);
    void copyFiles(const QStringList& arguments, bool inBatch);
    void joinFiles(const QStringList& sources, const QString& targetText, bool binary);
    void copyFromNul(const QString& targetText);
    void renameFiles(const QStringList& arguments);
    void typeFiles(const QStringList& arguments);
    void listDirectory(const QStringList& arguments);
    void listTree(const QString& directory, const QString& mask, const QStringList& switches,
                  QString& text, int totals[3], qint64& bytes);
    bool replaceFile(const QString& from, const QString& to);
    bool removeTree(const QString& directory);
    int deleteMatching(const QString& pattern, bool subdirectories, bool report);
    // MOVE (move_command.cpp)
    void moveFiles(const QStringList& arguments, bool inBatch);
    bool moveDirectory(const QString& from, const QString& target);
    bool moveOver(const QString& from, const QString& to);

    QString variable(const QString& name) const;
    PathLookup pathLookup() const;
    PercentContext percentContext(const Frame* frame) const;

    Platform& m_platform;
    QHash<QChar, QString> m_driveDirectories;   // other drives than the current one
    QStringList m_directoryStack;               // PUSHD's, the latest last
    QMap<QString, QString> m_variables;         // names in capitals
    QList<QMap<QString, QString>> m_localStack; // SETLOCAL's saved variables
    bool m_echo = true;
    bool m_interactive = false;
    int m_errorLevel = 0;
    bool m_failed = false; // the last command failed, for "&&" and "||"
    bool m_exit = false;
    int m_callDepth = 0;
};

} // namespace navlor::cmd

#pragma once

// One line of a batch file taken apart as the command interpreter reads it: the "@" in front,
// comments and labels, redirections, the command word and its arguments. Pure text work, so
// that it can be tried on any input on its own.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

namespace navlor::cmd {

// "> FILE", ">> FILE", "< FILE", "2> FILE", "2>&1".
struct Redirection
{
    int handle = 1;       // 0 input, 1 output, 2 errors
    bool append = false;  // ">>"
    QString target;       // the path as written, quotes removed
    int duplicateOf = -1; // "2>&1": the handle this one becomes a copy of
};

struct BatchLine
{
    enum class Kind
    {
        Empty,
        Label,
        Comment,
        Command
    };
    Kind kind = Kind::Empty;
    bool silent = false;        // "@" in front: not echoed
    QString label;              // Kind::Label: the name after ":"
    QString command;            // the command word, quotes removed ("ECHO", "C:\X\ARJ.EXE")
    bool commandQuoted = false; // written in quotes: never an internal command
    bool internal = false;      // one of internalCommands(), `command` in capitals
    // What follows the command word, redirections taken out, as written: ECHO prints it, a
    // program receives it as its command line.
    QString argumentText;
    QStringList arguments; // argumentText split by the rules of the C runtime
    QList<Redirection> redirections;
    QString error; // not empty: the line cannot be run, and this says why
};

// The commands the interpreter carries out itself, in capitals.
const QStringList& internalCommands();

BatchLine parseBatchLine(const QString& line);

// The parameters of a batch call (%1, %2...): separated by blanks, commas, semicolons and "=",
// quotes grouping and kept, as the command interpreter hands them to a batch file.
QStringList splitBatchParameters(const QString& text);

// What the ~ modifiers learn about a path: its full Windows path (~f ~d ~p), its size (~z,
// negative when it is no file) and its short name (~s). Unset: the text as it stands.
struct PathLookup
{
    PathLookup() = default;
    template <typename FullPath> PathLookup(FullPath full) : fullPath(std::move(full)) {}
    std::function<QString(const QString& path)> fullPath;
    std::function<qint64(const QString& fullPath)> fileSize;
};

// Batch parameters and variables, expanded before a line is taken apart: %0-%9, %* and %%,
// with the modifiers ~ (quotes removed) and ~f ~d ~p ~n ~x ~s ~z; %NAME% through `variable`,
// also as %NAME:~n,m% and %NAME:a=b%. Inside a batch file an unknown %NAME% and a lone "%"
// vanish; on a command line they stay.
struct PercentContext
{
    bool inBatch = false;
    QStringList parameters; // %0 (the batch file as called), %1...
    // The value of a variable, or a null QString when it is not set.
    std::function<QString(const QString& name)> variable;
    PathLookup paths;
};
QString expandPercents(const QString& line, const PercentContext& context);
// A parameter's value through the ~ modifiers (lower case, "" for ~ alone): quotes removed,
// then its size and the full path or its drive, path, name and extension parts.
QString withModifiers(QString value, const QString& modifiers, const PathLookup& paths);
// The 8.3 name of a full Windows path: each part that is no short name already becomes its
// first six letters, "~1" and the first three of its extension.
QString shortPathOf(const QString& fullPath);

// FOR [/L | /D | /F ["options"] | /R [root]] %V IN (set) DO command, read after the line's
// percents are expanded (in a batch file "%%V" is "%V" by then).
struct ForCommand
{
    bool numeric = false;     // /L: the set is start, step, end
    bool directories = false; // /D: wildcards match folders
    bool recursive = false;   // /R: the set in the root and every folder below it
    QString root;             // /R's folder, "" for the current one
    bool fileLines = false;   // /F: the set is files, a "string" or a 'command'
    QString options;          // /F's options, quotes removed
    QString setText;          // the set as written, between its parentheses
    QChar variable;           // case counts: %a and %A are two variables
    QStringList items;        // the set, quotes kept
    QString command;          // the text after DO, the variable still in it
    QString error;            // not empty: the line cannot be run, and this says why
};
ForCommand parseForCommand(const QString& argumentText);
// `command` with every %V and %~mods V replaced by `value`.
QString substituteForVariable(const QString& command, QChar variable, const QString& value,
                              const PathLookup& paths);
// The same for several variables at once (FOR /F tokens).
QString substituteForVariables(const QString& command, const QList<QChar>& variables,
                               const QStringList& values, const PathLookup& paths);

// IF [/I] [NOT] ERRORLEVEL n | EXIST path | DEFINED name | a==b | a EQU b..., then a command,
// and after a block an ELSE.
struct IfCondition
{
    enum class Kind
    {
        ErrorLevel,
        Exist,
        Defined,
        Compare
    };
    Kind kind = Kind::Compare;
    bool negate = false;
    bool ignoreCase = false;
    QString left;        // the number, the path, the name, or the left string (quotes kept)
    QString right;       // Compare: the right string
    QString command;     // the text of the command run when the condition holds
    QString elseCommand; // after "( ... ) ELSE": run when it does not
    QString compare;     // Compare: "==" or EQU NEQ LSS LEQ GTR GEQ in capitals
};
// False when the text is not a condition followed by a command.
bool parseIfCondition(const QString& argumentText, IfCondition& condition);

} // namespace navlor::cmd

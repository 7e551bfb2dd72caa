#pragma once

// The ARJ command lines the console composes, taken apart as ARJ on Windows reads them: a
// command letter, switches anywhere on the line, the archive, then names (a base directory,
// masks, entry names).

#include <QString>
#include <QStringList>

namespace navlor::arj {

enum class Action
{
    Add,         // A
    Move,        // M: add, then delete what was stored
    Extract,     // X: with the stored paths
    ExtractFlat, // E: without paths
    List,        // L
    Verbose,     // V
    Test         // T: every entry read back and checked
};

// ARJ's exit codes.
enum ExitCode
{
    kOk = 0,
    kWarning = 1,
    kFatal = 2,
    kCantOpen = 6,
    kUserError = 7
};

struct CommandLine
{
    Action action = Action::Add;
    QString archive;      // as given
    QStringList names;    // as given, in order
    QStringList excludes; // -X masks, empty ones dropped
    QString target;       // -HT directory, empty when not given
    bool update = false;  // -U
    bool recurse = false; // -R
    bool yes = false;     // -Y
    bool newOnly = false; // -N
    bool volumes = false; // -V...
    QStringList ignored;  // switches that only matter to ARJ under DOS (-HF2, -JE, H$...)
    QString error;        // not empty: the line is refused (ARJ's user error)
};

// Reads the arguments after the program name, as the C runtime split them.
CommandLine parseCommandLine(const QStringList& arguments);

// The arguments of a command line (program name left off) as ARJ under DOS splits them
// itself: blanks separate, double quotes group, a backslash is always itself.
QStringList dosArguments(const QString& arguments);

// The arguments to read: those of `rawCommandLine` (the whole Windows line the program was
// started with, program token included) by the rules above when it is the line `argv` (after
// the program name) was split from; otherwise `argv`, as a line inherited from another
// program says nothing of this one.
QStringList commandArguments(const QStringList& argv, const QString& rawCommandLine);

// The archive name ARJ opens: ".ARJ" added when the name has no extension.
QString withArchiveExtension(const QString& archive);

} // namespace navlor::arj

#pragma once

// What the program answers on its command line without starting (its usage, its version, a
// refusal), and whether a start runs the start-up pass.

#include <QStringList>

#include <optional>

namespace navlor {

// The usage text of "navlor --help".
QString usageText();
// "navlor <version>".
QString versionText();

// What the command line asks for. Options are read without regard to case, as on Windows.
struct CommandLine
{
    enum class Kind
    {
        Start,       // the console, with or without the start-up pass
        Information, // print `text` (usage, version) and end with 0
        Refused      // print `text` (what is wrong, then the usage) to standard error, end with 2
    };
    Kind kind = Kind::Start;
    QString text;
    bool startupPass = true; // no "/N"
    bool headless = false;   // "--headless": the pass without any window
};
CommandLine readCommandLine(const QStringList& arguments);

} // namespace navlor

#pragma once

// Windows command lines: one text that the started program splits itself, by the rules of the
// Microsoft C runtime.

#include <QString>
#include <QStringList>

namespace navlor {

// The program part and the rest of a command line, as CreateProcess takes them apart: a
// double-quoted first token up to its closing quote, otherwise up to the first blank.
struct ProgramToken
{
    QString program; // without the quotes
    QString rest;    // the text after the program token, leading blanks removed
};
ProgramToken splitProgramToken(const QString& commandLine);

// argv as the C runtime builds it: the program name first (quotes only, no escapes), then
// arguments separated by blanks, where quotes group, 2n backslashes before a quote give n
// backslashes and a grouping quote, 2n+1 give n backslashes and a literal quote, and "" inside
// a quoted part gives a literal quote.
QStringList splitCommandLine(const QString& commandLine);

// The arguments alone, by the rules above (no program name in front).
QStringList splitArguments(const QString& arguments);

// One argument written so that splitArguments gives it back unchanged.
QString quoteArgument(const QString& argument);

// Arguments joined into a command line with quoteArgument.
QString joinCommandLine(const QStringList& arguments);

} // namespace navlor

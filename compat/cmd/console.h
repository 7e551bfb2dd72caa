#pragma once

// The interpreter's standard handles. Each output handle is judged on its own: a file or a pipe
// gets what a Windows program writes (Windows-1252, CR LF), since batch files, the backup and
// the other programs read it as such; a terminal gets the host's text in the encoding of the
// user's locale, with the LF line ends a terminal expects.

#include <QByteArray>
#include <QString>

namespace navlor::cmd {

bool isTerminal(int fd);

// `text` ("\n" for line ends) as a terminal whose locale names `codeset` shows it. The C
// locale's ASCII is taken as UTF-8, as Qt takes it; a character the codeset cannot hold
// becomes '?'.
QByteArray terminalBytes(const QString& text, const QByteArray& codeset);

// Writes `text` ("\n" for line ends) to standard output.
void writeOutput(const QString& text);
// Writes `text` to standard error, followed by a line end.
void writeError(const QString& text);
// Writes the bytes of a Windows text file (TYPE) to standard output: as they are to a file or
// a pipe, as text on a terminal.
void writeOutputWindowsText(const QByteArray& bytes);

// One line from standard input, read byte by byte so that a program started afterwards gets
// the rest; false at the end of the input.
bool readInputLine(QString& line);

// On a terminal: shows `question` and reads the answer, true for "S" (or "Y"). Without a
// terminal nobody can answer, and the command goes on as it would with /Q or /Y.
bool confirm(const QString& question);

} // namespace navlor::cmd

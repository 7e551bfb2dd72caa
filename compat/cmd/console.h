#pragma once

// The interpreter's standard handles. Output that goes to a file or a pipe is written as a
// Windows program writes it (Windows-1252, CR LF), since other programs read it as such; on a
// terminal it is the host's text. Messages on the error handle are always the host's text.

#include <QString>

namespace navlor::cmd {

bool isTerminal(int fd);

// Writes `text` ("\n" for line ends) to standard output.
void writeOutput(const QString& text);
// Writes `text` to standard error, followed by a line end.
void writeError(const QString& text);
// Writes bytes to standard output as they are.
void writeOutputBytes(const QByteArray& bytes);

// One line from standard input, read byte by byte so that a program started afterwards gets
// the rest; false at the end of the input.
bool readInputLine(QString& line);

// On a terminal: shows `question` and reads the answer, true for "S" (or "Y"). Without a
// terminal nobody can answer, and the command goes on as it would with /Q or /Y.
bool confirm(const QString& question);

} // namespace navlor::cmd

#pragma once

// The files the console reads and writes (parameter files, batch files, listings) hold 8-bit
// text in the Windows ANSI code page 1252; these two convert it to and from QString.

#include <QByteArray>
#include <QString>

namespace navlor {

// Every byte becomes one character; the five bytes the code page leaves undefined become the
// control characters of the same number, as Windows maps them, so nothing is lost.
QString fromAnsi(const QByteArray& bytes);
// Every character becomes one byte; a character the code page cannot hold becomes '?'.
QByteArray toAnsi(const QString& text);

} // namespace navlor

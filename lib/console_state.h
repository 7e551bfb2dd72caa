#pragma once

// The values the whole console shares, worked out once at start: where the program runs from,
// where the installation and the console's own data are. The main window shows them; the
// start-up pass and the other windows read them from here.

#include <QString>

namespace navlor {

struct ConsoleState
{
    QString programPath;      // the program's own path, upper case
    QString windowsDirectory; // "C:\WINDOWS"
    QString systemDirectory;  // "X:\VALDOROW" on the program's drive, "**" when missing
    QString dataDirectory;    // "W:\VALDORO\NAVLOR", else "W:\NAVLOR" (W: the Windows drive)

    bool installationFound() const { return systemDirectory != QLatin1String("**"); }
};

// "X:\VALDOROW" on the drive of `programPath` when that directory exists, else "**".
QString systemDirectoryOf(const QString& programPath);

// The state of this start: the data directory is created when neither place exists, and the
// temporary files of parameter files a kill left half-written are removed from it.
ConsoleState discoverConsoleState();

// "Instalação não encontrada em X:\VALDOROW" with the platform's hint of where it looked.
QString installationMissingText(const ConsoleState& state);

} // namespace navlor

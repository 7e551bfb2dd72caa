#pragma once

// The console finds its installation by the path it was started by (C:\VALDOROW\NAVLOR.EXE
// gives C:\VALDOROW). Started by another path, as the desktop menu starts the installed
// program, it moves over to the installation's link to itself.

#include <QString>

namespace navlor {

class Platform;

// The host path of the installation's link to this very program (X:\VALDOROW\NAVLOR.EXE on
// the first drive that has one, leading to `ownExecutable`), when the program was started by
// any other path; empty otherwise.
QString installationProgram(Platform& platform, const QString& ownExecutable);

} // namespace navlor

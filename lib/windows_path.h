#pragma once

// Windows paths as text: the program names every file by its Windows path, whatever the host.

#include <QString>

namespace navlor {

// `name` below `directory`, with one "\" between them; an empty directory leaves the name as
// it is.
QString joinWindowsPath(const QString& directory, const QString& name);

// The last component of a path: what follows the last "\" or the drive's ":".
QString windowsFileName(const QString& path);

// The drive root of a path ("C:\" for "c:\x" or "C:"), or empty when it names no drive.
QString windowsDriveRoot(const QString& path);

} // namespace navlor

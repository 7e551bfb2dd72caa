#pragma once

// Windows paths as text: the program names every file by its Windows path, whatever the host.

#include <QString>

namespace navlor {

// `name` below `directory`, with one "\" between them; an empty directory leaves the name as
// it is.
QString joinWindowsPath(const QString& directory, const QString& name);

// `directory`, a "\" unless it ends in one, then `name` as it is: an empty directory gives
// "\name", the root of the current drive.
QString appendWindowsPath(const QString& directory, const QString& name);

// The last component of a path: what follows the last "\" or the drive's ":".
QString windowsFileName(const QString& path);

// Up to and including the last "\" or ":", so that the directory part and windowsFileName
// make up the path; empty when there is neither.
QString windowsDirectoryPart(const QString& path);

// Up to and including the last "\" ("C:X" has none); empty when there is none.
QString upToLastBackslash(const QString& path);

// Each "\\" as one "\", taken left to right as TROCA_TEXTO takes them ("\\\" keeps two).
QString singleBackslashes(const QString& text);

// A path taken apart at its drive: "C:" (a letter of A to Z and ":") and what follows it.
// Without a drive letter the drive is empty and the rest is the whole path.
struct WindowsDriveSplit
{
    QString drive;
    QString rest;
};
WindowsDriveSplit splitWindowsDrive(const QString& path);

// The drive root of a path ("C:\" for "c:\x" or "C:"), or empty when it names no drive.
QString windowsDriveRoot(const QString& path);

// A path with a drive as Windows reads it before use: "/" as "\", "." left out, ".." taking
// away the name before it (never the drive's root), no empty or trailing name, the drive
// letter in capitals: "c:\A\.\B\..\C\" is "C:\A\C". A path without a drive letter comes back
// with only its "/" turned.
QString resolveWindowsDots(const QString& path);

} // namespace navlor

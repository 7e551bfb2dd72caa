#pragma once

// The hosted-Windows prefix: a directory whose dosdevices/ holds one entry per drive
// ("c:" -> ../drive_c, "z:" -> /), and the mapping between Windows and host paths over it.

#include <QString>

namespace navlor {

// The absolute form of a Windows path: drive letter in capitals, "\" separators, "." and ".."
// resolved, no trailing "\" except on a drive root ("C:\"). Relative paths ("A.BAT"), rooted
// ones ("\EXE\ARJ.EXE") and drive-relative ones ("D:A.BAT") resolve against `currentDirectory`
// (itself absolute). Empty for UNC and device paths ("\\server\share", "\\?\C:\X"), which
// the hosted machine does not have.
QString absoluteWindowsPath(const QString& path, const QString& currentDirectory);

class HostPrefix
{
public:
    explicit HostPrefix(const QString& root);

    const QString& root() const { return m_root; }

    // Makes a new prefix usable: dosdevices/c: -> ../drive_c, dosdevices/z: -> / (each only
    // when missing) and drive_c/WINDOWS.
    void ensureLayout() const;

    // Host path of drive `letter`'s root when the drive is there, otherwise empty.
    QString driveRoot(QChar letter) const;

    // Host path of an absolute Windows path. Existing components are matched without regard
    // to case (the exact name first, otherwise the first match in directory order); the
    // others are kept as given so that new files can be made there. Empty for unknown drives.
    QString toHost(const QString& absoluteWindowsPath) const;

    // The host path of an absolute Windows path under its exact names, found without looking
    // at the disk: what toHost gives whenever something exists there. Empty when the path is
    // not in that clean form.
    QString exactHost(const QString& absoluteWindowsPath) const;

    // Windows path of a host path: the drive whose root holds it, the most specific root
    // first, so the catch-all z: comes last. Links are not followed, except that a path
    // outside every drive but z: is tried once more with its directory resolved.
    QString fromHost(const QString& hostPath) const;

private:
    QString m_root;
};

} // namespace navlor

#pragma once

// What the directory browser shows of a directory: the way down to it from its drive's root,
// its subdirectories and its files, all through the platform as Windows paths.

#include <QString>
#include <QStringList>

namespace navlor {

// `name` inside `directory` ("C:\" + "DADOS" is "C:\DADOS", "C:\DADOS" + "A.DB" is
// "C:\DADOS\A.DB").
QString pathIn(const QString& directory, const QString& name);

// The directory as the browser keeps it: "\" separators, drive letter in capitals, no trailing
// "\" except on a drive root ("C:" is "C:\"). Other texts come back only trimmed.
QString browserDirectory(const QString& path);

// The drive root and every directory down to `directory` itself:
// "C:\DADOS\EMPRESA" gives "C:\", "C:\DADOS", "C:\DADOS\EMPRESA".
QStringList directoryChain(const QString& directory);

// Names of the subdirectories an operator should see (hidden and system ones are left out).
QStringList visibleSubdirectories(const QString& directory);

// Names of the ordinary files of `directory` that match `mask`, hidden and system ones left out.
QStringList visibleFiles(const QString& directory, const QString& mask);

} // namespace navlor

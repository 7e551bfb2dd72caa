#pragma once

// The search behind the file search window: every file matching a mask in a directory and all
// its subdirectories, and the deletion of one file found.

#include "lib/file_lists.h"

#include <QString>
#include <QStringList>

namespace navlor {

// The wildcard path searched for `mask` in `directory`: a drive root ("C:\") is cut to its
// drive ("C:"), and every doubled "\" is made one, so "C:\DADOS\" and "C:\DADOS" search alike.
QString searchPath(const QString& directory, const QString& mask);

// The files found, each as lower-case directory + upper-case name, a directory's own files
// before those of its subdirectories. A directory that does not exist yields none.
QStringList searchFiles(const QString& directory, const QString& mask);

// The same, with where each file is.
QList<FoundFile> searchFoundFiles(const QString& directory, const QString& mask);

// Deletes the file of one entry of a search, at exactly the place the search found it, that
// file only; true when it was deleted.
bool deleteFoundFile(const FoundFile& file);

} // namespace navlor

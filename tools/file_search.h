#pragma once

// The search behind the file search window: every file matching a mask in a directory and all
// its subdirectories, and the deletion of one file found.

#include "lib/file_lists.h"

#include <QString>
#include <QStringList>

namespace navlor {

// searchPath() and searchFiles() are in lib/file_lists.h, for the backup's archiver search too.

// The same, with where each file is.
QList<FoundFile> searchFoundFiles(const QString& directory, const QString& mask);

// Deletes the file of one entry of a search, at exactly the place the search found it, that
// file only; true when it was deleted.
bool deleteFoundFile(const FoundFile& file);

} // namespace navlor

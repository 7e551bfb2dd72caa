#pragma once

// What the directory browser starts from and what it leaves behind: the window that opens the
// browser gives the one and reads the other from the browser afterwards.

#include <QString>

namespace navlor {

struct DirectoryChoice
{
    // Where the browser starts; one that names no existing directory counts as empty.
    QString defaultDirectory;
    // Set by "OK" (the chosen directory) and emptied by "Cancelar".
    QString resultDirectory;
    // Set by "OK": the file name of the browser's name field.
    QString resultFileName;
};

// The default directory, or empty when it names no existing directory.
QString startDirectory(const DirectoryChoice& choice);

} // namespace navlor

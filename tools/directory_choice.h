#pragma once

// What the directory browser starts from and what it leaves behind: process-wide, like every
// shared value of the library, so the window that opens the browser can read them afterwards.

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

extern DirectoryChoice GB_SELECAO;

} // namespace navlor

#pragma once

// The parameter file store: one process-wide table of 190 slots that every reader and writer
// of a parameter file uses in turn (read the file, change the slots you know, write it back).

#include "lib/param_file.h"

#include <QString>

namespace navlor {

// Slot n is line n of the last file read; starts empty.
extern ParamSlots GB_LINHAS;

// Empties the table and fills it from file `name`. A missing file, a blank name or "\*.*"
// leave it empty without a word; a file that cannot be read is tried five times, the operator
// warned before the fourth and fifth attempt and told after the fifth.
void GBF_READ(const QString& name);

// Writes the table to file `name` ("\\" in it made "\"); the gaps below the last value become
// "#" in the table too. A missing directory is refused with a message; a failed write is tried
// five times like a read. The file is replaced whole, never left half-written. True when it was
// written; false only after the operator has been told why not.
[[nodiscard]] bool GBF_WRITE(const QString& name);

} // namespace navlor

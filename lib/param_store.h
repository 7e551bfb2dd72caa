#pragma once

// Reading and writing parameter files: each reader holds the file it read as a value, changes
// the slots it knows and writes that same value back.

#include "lib/param_file.h"

#include <QString>

#include <optional>

namespace navlor {

// The lines of file `path`. A missing file, a blank name or "\*.*" give an empty file without
// a word; a file that cannot be read is tried five times, the operator warned before the
// fourth and fifth attempt and told after the fifth, and then there is nothing (nullopt).
// Processes events while it waits for the operator.
[[nodiscard]] std::optional<ParamFile> readParamFile(const QString& path);

// Writes `file` to `path` ("\\" in it made "\"); the gaps below the last value become "#" in
// `file` too. A missing directory is refused with a message; a failed write is tried five
// times like a read. The file is replaced whole, never left half-written. True when it was
// written; false only after the operator has been told why not.
[[nodiscard]] bool writeParamFile(const QString& path, ParamFile& file);

} // namespace navlor

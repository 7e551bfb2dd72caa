#pragma once

// Paradox tables of customer-like rows for sample installations, tests and benchmarks, written
// through pxlib. The same request always gives the same bytes, so a restored table can be
// compared with a fresh one byte for byte.

#include "lib/databases/database_tools.h"

#include <QString>

namespace navlor {

struct SampleTable
{
    QString path; // the .DB file; the .MB and .PX take the case of its extension
    int rows = 0;
    bool index = false; // CODIGO becomes the primary key, with its index (.PX)
    bool memo = false;  // an OBS memo field, its text in the blob file (.MB)
    int generation = 0; // rewrites of one table differ in their names and amounts
};

// The most rows one table takes: a table has at most 65535 blocks.
[[nodiscard]] int largestSampleTable(bool memo);

// Writes the table and, as asked, its blob file and primary index beside it, replacing them.
[[nodiscard]] DatabaseOutcome writeSampleTable(const SampleTable& table);

// The file beside `tablePath` with `extension` ("MB", "PX") in the case of the table's own.
[[nodiscard]] QString companionPath(const QString& tablePath, const QString& extension);

} // namespace navlor

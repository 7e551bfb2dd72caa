#pragma once

// A table under a client that keeps rewriting it, for the tests that prove a copy taken in the
// middle of a rewrite is never accepted as a backup.

#include "lib/databases/database_tools.h"

#include <QString>

namespace navlor {

// For `seconds`, rewrites the table at `path` in place, block after block, as a client would:
// its record count grows and shrinks around `rows`, and its blob file and primary index, when
// it has them, are rewritten with it. Between two rewrites the files agree; `quietMs` is how
// long they stay so before the next rewrite (a client that saves now and then).
[[nodiscard]] DatabaseOutcome churnSampleTable(const QString& path, int rows, int seconds,
                                               int quietMs = 0);

} // namespace navlor

#pragma once

// Whether a Paradox table can be trusted as a backup holds it: pxlib opens the table (.DB)
// with its blob file (.MB) and reads every record and every blob out of the record, and the
// counts agree: the header's against the records read, and the primary index's (.PX) against
// the header. A copy taken while a client rewrote the table fails here instead of passing as
// a backup. Nothing pxlib would read past the end of a file is handed to it.

#include "lib/databases/database_tools.h"

#include <QString>

namespace navlor {

// `hostPath` names the .DB file, in any case; its .MB and .PX are found beside it in whatever
// case they have on disk.
[[nodiscard]] DatabaseOutcome checkParadoxTableFile(const QString& hostPath);

} // namespace navlor

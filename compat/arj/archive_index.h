#pragma once

// The entries of an archive read straight from its headers. Running "arj v" for them costs
// far more than the work it serves: arj writes its listing a few bytes at a time, about 30
// ms a thousand entries, while the headers read here take well under one.

#include "compat/arj/arj_output.h"

#include <QList>
#include <QString>

#include <optional>

namespace navlor::arj {

// What "arj v" would list, names as it prints them, in archive order, read by the console's
// own header reader (lib/arj_headers.h). Nothing for any archive whose listing could say
// otherwise, left to arj: one that does not start with its main header (a self-extractor,
// junk), a header that fails its CRC or runs past the end, no end of archive, volumes and
// split entries, chapters, entries other than files, comments, and names with control
// characters (arj prints them raw, breaking the listing's lines).
std::optional<QList<ArchiveEntry>> readArchiveIndex(const QString& hostPath);

} // namespace navlor::arj

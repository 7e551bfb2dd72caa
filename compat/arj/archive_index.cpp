#include "compat/arj/archive_index.h"

#include "lib/arj_headers.h"

namespace navlor::arj {

// The console's own header reader: one set of rules for what the headers can vouch for.
std::optional<QList<ArchiveEntry>> readArchiveIndex(const QString& hostPath)
{
    const std::optional<QList<ArjHeaderEntry>> headers = readArjHeaders(hostPath);
    if (!headers)
        return std::nullopt;
    QList<ArchiveEntry> entries;
    entries.reserve(headers->size());
    for (const ArjHeaderEntry& header : *headers)
        entries.append({header.stored, header.size});
    return entries;
}

} // namespace navlor::arj

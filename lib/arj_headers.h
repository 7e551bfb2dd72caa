#pragma once

// The entries of an ARJ archive read straight from its headers, a window of the file at a
// time. The archiver's "V" listing gives the same entries at a far greater cost: it is run
// through a batch and writes its listing a few bytes at a time. Whatever the headers cannot
// vouch for is left to that listing.

#include "lib/arj_listing.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace navlor {

struct ArjHeaderEntry
{
    QByteArray stored;  // the name as stored, "/" between directories
    QString name;       // as the archiver's "V" listing names it, "\" between directories
    qint64 size = 0;    // original size
    QDateTime modified; // local time to the second, as the listing prints it
    QString attributes; // as the listing's details line gives them ("-rw-r--r--")
    quint32 crc = 0;    // of the original bytes
    quint8 method = 0;
    quint8 fileType = 0; // 0 binary, 1 text
    quint8 hostOs = 0;

    ArjEntry listed() const { return {name, size, modified, attributes}; }
};

// The entries of the archive at `hostPath`, in archive order, every header checked against
// its CRC. Nothing for an archive whose listing could say otherwise: one that does not start
// with its main header (a self-extractor, junk), a header that fails its CRC or runs past the
// end, no end of archive, volumes and split entries, chapters, entries other than files,
// comments, names with control characters, hosts whose times are not Unix times (the listing
// of those gives no attributes to compare) and times the listing's two-digit years misread.
std::optional<QList<ArjHeaderEntry>> readArjHeaders(const QString& hostPath);

// The same for a Windows path; nothing too for a path that is no plain file of a local drive.
std::optional<QList<ArjHeaderEntry>> readArjHeadersAt(const QString& windowsPath);

} // namespace navlor

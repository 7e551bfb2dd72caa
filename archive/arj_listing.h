#pragma once

// The "V" listing ARJ writes of an archive: a banner line naming its version, a few header
// lines, then one line "001) PATH\NAME" per entry, each followed by lines of details.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace navlor {

// Lines before this one (counted from 0) are never entries, whatever they hold.
inline constexpr qsizetype kFirstArjEntryLine = 9;

struct ArjListing
{
    QString banner;         // the first line; empty for an empty listing
    bool versionOk = false; // the banner names ARJ 2.60 or ARJ 3
    QStringList entries;    // entry names, upper case, in listing order
};

// The lines of a listing file (Windows-1252): CR LF, LF and a lone CR each end a line; a line
// break at the end starts no further line.
QStringList arjListingLines(const QByteArray& bytes);

// True when the banner contains "ARJ 2.60" or "ARJ 3" (exact case).
bool arjVersionOk(const QString& banner);

// The entry named by the line numbered `index` (from 0), or empty when it names none: from
// the tenth line on, a sequence number of three or more digits, ")" and the name, which is
// taken trimmed of blanks and control characters and upper-cased.
QString arjEntryName(const QString& line, qsizetype index);

ArjListing readArjListing(const QStringList& lines);
ArjListing readArjListing(const QByteArray& bytes);

} // namespace navlor

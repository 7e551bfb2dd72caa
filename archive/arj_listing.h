#pragma once

// The "V" listing ARJ writes of an archive: a banner line naming its version, a few header
// lines, then one line "001) PATH\NAME" per entry, each followed by lines of details.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

namespace navlor {

// Lines before this one (counted from 0) are never entries, whatever they hold.
inline constexpr qsizetype kFirstArjEntryLine = 9;

struct ArjEntry
{
    QString name;       // upper case, with its stored path
    qint64 size = -1;   // -1 when no details line was found
    QDateTime modified; // local time to the second; invalid when unknown
    bool operator==(const ArjEntry&) const = default;
};

struct ArjListing
{
    QString banner;          // the first line; empty for an empty listing
    bool versionOk = false;  // the banner names ARJ 2.60 or ARJ 3
    QList<ArjEntry> entries; // in listing order

    QStringList names() const;
};

struct ArjEntryDetails
{
    qint64 size = 0;
    QDateTime modified;
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

// The original size and modification time of an entry's details line
// (" 11 WIN32  2048  512 0.250 26-06-01 21:59:58  A"), or nothing when the line is none.
std::optional<ArjEntryDetails> arjEntryDetails(QStringView line);

ArjListing readArjListing(const QStringList& lines);
ArjListing readArjListing(const QByteArray& bytes);

} // namespace navlor

#pragma once

// The "V" listing ARJ writes of an archive: a banner line naming its version, a few header
// lines, then one line "001) PATH\NAME" per entry, each followed by lines of details. The
// console reads it as ARJ on Windows writes it; the backup verdict and the archiver stand-in
// read the same layout with their own rules (ArjListingRules).

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
    QString name;         // with its stored path; upper case unless read as stored
    qint64 size = -1;     // -1 when no details line was found
    QDateTime modified;   // local time to the second; invalid when unknown
    QString attributes{}; // as the details line gives them ("A", "-rw-r--r--"); may be empty
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
    QDateTime modified; // invalid when a details line not checked for one gave no valid time
    QString attributes;
};

// What makes a line an entry's details line: all hold seven fields, the original size third.
enum class ArjDetailsCheck
{
    Dated, // fields between blanks; numbers for revision and sizes, a valid date and time
    Timed, // between white space; a number for the size, a ratio ("0.459"), "Y-M-D" and a
           // valid time, the date taken when valid
    Sized  // between white space; numbers for revision and sizes and a ratio
};

// How a listing is read. The defaults are the console's: entries from the tenth line on, the
// name trimmed and upper-cased as a batch line takes it, details only with a valid date.
struct ArjListingRules
{
    enum class Start
    {
        TenthLine,   // from kFirstArjEntryLine on
        AnyLine,     // wherever a line reads as one
        BetweenRules // between the first two "------------" lines, as arj itself prints them
    };
    Start start = Start::TenthLine;
    int minDigits = 3; // of the entry's number
    // "NNN) NAME" with the name as stored, blanks and case kept; else the blank after ")" may
    // be missing and the name is trimmed and upper-cased.
    bool storedNames = false;
    // A "------------" line ends the search for the last entry's details.
    bool rulesEndDetails = false;
    ArjDetailsCheck details = ArjDetailsCheck::Dated;
};

// The rules of the backup verdict (the archiver's "V" answer, entries wherever they stand)
// and of Debian arj's own "v" output.
inline constexpr ArjListingRules kArjVerdictRules{ArjListingRules::Start::AnyLine, 3, true, true,
                                                  ArjDetailsCheck::Timed};
inline constexpr ArjListingRules kArjOwnOutputRules{ArjListingRules::Start::BetweenRules, 1, true,
                                                    true, ArjDetailsCheck::Sized};

// The lines of a listing file (Windows-1252): CR LF, LF and a lone CR each end a line; a line
// break at the end starts no further line.
QStringList arjListingLines(const QByteArray& bytes);

// True when the banner contains "ARJ 2.60" or "ARJ 3" (exact case).
bool arjVersionOk(const QString& banner);

// The name the console takes from what follows an entry line's ")": trimmed of blanks and
// control characters and upper-cased as a batch line takes it; empty when nothing is left.
QString arjConsoleEntryName(const QString& text);

// The entry named by the line numbered `index` (from 0), or empty when it names none: from
// the tenth line on, a sequence number of three or more digits, ")" and the name, which is
// taken trimmed of blanks and control characters and upper-cased.
QString arjEntryName(const QString& line, qsizetype index);

// The name an entry line gives under `rules` (its place in the listing aside), or nothing
// when the line is no entry line.
std::optional<QString> arjEntryLineName(const QString& line, const ArjListingRules& rules);

// The original size, modification time and attributes of an entry's details line
// (" 11 WIN32  2048  512 0.250 26-06-01 21:59:58  A"), or nothing when the line is none.
std::optional<ArjEntryDetails> arjEntryDetails(QStringView line,
                                               ArjDetailsCheck check = ArjDetailsCheck::Dated);

ArjListing readArjListing(const QStringList& lines, const ArjListingRules& rules = {});
ArjListing readArjListing(const QByteArray& bytes, const ArjListingRules& rules = {});

} // namespace navlor

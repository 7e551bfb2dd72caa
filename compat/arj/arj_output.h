#pragma once

// What Debian's arj prints, read and rewritten into what ARJ on Windows prints: the entries
// of a "v" listing, "l"/"v" listings in the layout the console's listing reader expects, and
// the lines of adds and extractions.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

namespace navlor::arj {

// One entry of an archive as "arj v" lists it.
struct ArchiveEntry
{
    QByteArray stored; // the stored name, bytes as arj printed them, "/" separators
    qint64 size = -1;  // original size; -1 when the line giving it was not found
};

// The entries of an "arj v" listing, in listing order.
QList<ArchiveEntry> parseVerboseListing(const QByteArray& output);

// The banner ARJ on Windows starts with, naming the version of the arj that ran.
QString bannerFor(const QByteArray& arjBanner);

struct ListingContext
{
    QString hostArchive;    // the archive path arj was given
    QString windowsArchive; // the archive path the caller gave
    bool verbose = false;   // a "v" listing: numbered entries with their paths
};

// Rewrites an arj listing: the banner names the ARJ version ("ARJ 3.10 ..."), the archive is
// named by its Windows path, entry lines of a "v" listing read "NNN) DIR\NAME" with at least
// three digits and start no earlier than the tenth line. The result is in the ANSI code page
// with CR LF line ends, as the console reads listing files.
QByteArray rewriteListing(const QByteArray& output, const ListingContext& context);

// The lines arj prints while adding and extracting, with host paths and stored names as ARJ
// on Windows prints them: "D:\BKP\B.ARJ", "DADOS\A.DB", under the banner of the listings.
class ProgressRewrite
{
public:
    // A drive root as arj may print it ("/p/dosdevices/d:") and the drive ("D:"): the fallback
    // for a path under it that was not named whole.
    void addRoot(const QByteArray& host, const QString& drive);
    // A path or stored name arj prints whole, and what is printed instead.
    void addName(const QByteArray& host, const QByteArray& windows);
    // A stored name with "/" between directories.
    void addStored(const QByteArray& stored);
    QByteArray line(const QByteArray& line) const;

private:
    QList<QPair<QByteArray, QByteArray>> m_roots; // longest first
    QHash<QByteArray, QByteArray> m_names;
    qsizetype m_longest = 0;
};

// A message in ARJ's words for a failure found before arj ran, under the same banner.
QByteArray messageListing(const QString& message);

} // namespace navlor::arj

#pragma once

// What Debian's arj prints, read and rewritten into what ARJ on Windows prints: the entries
// of a "v" listing, "l"/"v" listings in the layout the console's listing reader expects, and
// the lines of adds and extractions.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

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

// The same rewrite a line at a time, for listings of any length: arj's output is fed in
// pieces of any size, and what is rewritten goes to `sink` in pieces of some 64 KB. Only the
// head of the listing, up to its first entry, is held.
class ListingRewriter
{
public:
    using Sink = std::function<void(const QByteArray&)>;

    ListingRewriter(const ListingContext& context, Sink sink);
    ListingRewriter(const ListingRewriter&) = delete;
    ListingRewriter& operator=(const ListingRewriter&) = delete;

    void feed(QByteArrayView bytes);
    // The rest, once arj's output has all been fed.
    void finish();

private:
    void takeLine(QByteArrayView raw);
    // True when `next` was taken into this line.
    bool rewriteLine(const QByteArray& bytes, const QByteArray* next);
    bool dosColumns(const QByteArray& bytes, const QByteArray* next);
    void put(QByteArrayView ansi);
    void putText(const QString& line);
    void release();

    ListingContext m_context;
    QByteArray m_hostArchive;    // UTF-8
    QByteArray m_windowsArchive; // ANSI
    Sink m_sink;
    QByteArray m_partial; // a line not ended yet
    QByteArray m_pending; // the last whole line, until the one after it is known
    QByteArray m_next;
    QByteArray m_line; // an entry line being put together
    bool m_hasPending = false;
    qsizetype m_rawLines = 0;
    qsizetype m_lines = 0;
    qsizetype m_firstEntry = -1;
    bool m_inEntries = false;
    bool m_entriesDone = false;
    bool m_holding = true;
    QList<QByteArray> m_held;
    QByteArray m_out;
};

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

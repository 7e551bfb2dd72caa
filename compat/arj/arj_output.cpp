#include "compat/arj/arj_output.h"

#include "lib/ansi_text.h"
#include "lib/arj_listing.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace navlor::arj {

namespace {

// The listing reader takes entries from the tenth line on.
constexpr qsizetype kFirstEntryLine = 9;

// What Debian's arj prints first; used when arj has not run.
constexpr char kArjBanner[] = "ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.";

QList<QByteArray> splitLines(const QByteArray& output)
{
    QList<QByteArray> lines = output.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// "001) NAME": the number's length, or 0 when the line is no entry line.
qsizetype entryNumberLength(const QByteArray& line)
{
    qsizetype digits = 0;
    while (digits < line.size() && line.at(digits) >= '0' && line.at(digits) <= '9')
        ++digits;
    if (digits == 0 || digits + 1 >= line.size() || line.at(digits) != ')' ||
        line.at(digits + 1) != ' ')
        return 0;
    return digits;
}

// What comes out of the rewrite in one piece.
constexpr qsizetype kOutputPiece = 64 * 1024;

bool isAsciiBytes(QByteArrayView bytes)
{
    unsigned char all = 0;
    for (const char c : bytes)
        all |= static_cast<unsigned char>(c);
    return all < 0x80;
}

} // namespace

QList<ArchiveEntry> parseVerboseListing(const QByteArray& output)
{
    // Latin-1 gives back every byte, so names stay as arj printed them.
    QStringList lines;
    for (const QByteArray& line : splitLines(output))
        lines << QString::fromLatin1(line);
    QList<ArchiveEntry> entries;
    for (const ArjEntry& entry : readArjListing(lines, kArjOwnOutputRules).entries)
        entries.append(ArchiveEntry{entry.name.toLatin1(), entry.size});
    return entries;
}

QString bannerFor(const QByteArray& arjBanner)
{
    const QString banner = QString::fromUtf8(arjBanner.isEmpty() ? kArjBanner : arjBanner);
    static const QRegularExpression version(QStringLiteral("ARJ(?:32)? v (\\d+\\.\\d+)"));
    const QRegularExpressionMatch m = version.match(banner);
    return QStringLiteral("ARJ ") + (m.hasMatch() ? m.captured(1) : QStringLiteral("3")) +
           QStringLiteral(" - ") + banner;
}

QByteArray rewriteListing(const QByteArray& output, const ListingContext& context)
{
    QByteArray rewritten;
    ListingRewriter rewriter(context,
                             [&rewritten](const QByteArray& piece) { rewritten += piece; });
    rewriter.feed(output);
    rewriter.finish();
    return rewritten;
}

ListingRewriter::ListingRewriter(const ListingContext& context, Sink sink)
    : m_context(context), m_hostArchive(context.hostArchive.toUtf8()),
      m_windowsArchive(toAnsi(context.windowsArchive)), m_sink(std::move(sink))
{
}

void ListingRewriter::feed(QByteArrayView bytes)
{
    qsizetype start = 0;
    for (qsizetype end = bytes.indexOf('\n'); end >= 0;
         start = end + 1, end = bytes.indexOf('\n', start)) {
        if (m_partial.isEmpty()) {
            takeLine(bytes.sliced(start, end - start));
        } else {
            m_partial.append(bytes.sliced(start, end - start));
            takeLine(m_partial);
            m_partial.clear();
        }
    }
    m_partial.append(bytes.sliced(start));
}

void ListingRewriter::finish()
{
    // A last line without its end is a line too.
    if (!m_partial.isEmpty()) {
        const QByteArray last = std::exchange(m_partial, QByteArray());
        takeLine(last);
    }
    if (m_hasPending) {
        m_hasPending = false;
        rewriteLine(m_pending, nullptr);
    }
    if (m_lines == 0)
        putText(bannerFor({}));
    release();
    if (!m_out.isEmpty())
        m_sink(std::exchange(m_out, QByteArray()));
}

// Each line waits for the next: a name of an "l" listing may take in the line after it.
void ListingRewriter::takeLine(QByteArrayView raw)
{
    if (raw.endsWith('\r'))
        raw.chop(1);
    m_next.resize(raw.size());
    std::copy(raw.begin(), raw.end(), m_next.begin());
    if (m_hasPending && rewriteLine(m_pending, &m_next)) {
        m_hasPending = false;
        return;
    }
    std::swap(m_pending, m_next);
    m_hasPending = true;
}

bool ListingRewriter::rewriteLine(const QByteArray& bytes, const QByteArray* next)
{
    if (m_rawLines++ == 0) {
        if (bytes.startsWith("ARJ")) {
            putText(bannerFor(bytes));
            return false;
        }
        putText(bannerFor({}));
    }
    if (bytes.startsWith("------------")) {
        // Entries stand between the first two rules.
        m_entriesDone = m_entriesDone || m_inEntries;
        m_inEntries = !m_entriesDone;
    } else if (!m_context.verbose && m_inEntries) {
        return dosColumns(bytes, next);
    } else if (m_context.verbose && m_inEntries) {
        const qsizetype digits = entryNumberLength(bytes);
        if (digits > 0) {
            const QByteArrayView name = QByteArrayView(bytes).sliced(digits + 2);
            m_line.resize(0);
            for (qsizetype n = digits; n < 3; ++n)
                m_line += '0';
            m_line += QByteArrayView(bytes).first(digits);
            m_line += ") ";
            if (isAsciiBytes(name)) {
                const qsizetype at = m_line.size();
                m_line += name;
                std::replace(m_line.begin() + at, m_line.end(), '/', '\\');
            } else {
                m_line += toAnsi(QString::fromUtf8(name).replace(u'/', u'\\'));
            }
            if (m_firstEntry < 0)
                m_firstEntry = m_lines;
            put(m_line);
            return false;
        }
    }
    if (!isAsciiBytes(bytes)) {
        QString line = QString::fromUtf8(bytes);
        if (!m_context.hostArchive.isEmpty())
            line.replace(m_context.hostArchive, m_context.windowsArchive);
        putText(line);
    } else if (!m_hostArchive.isEmpty() && bytes.contains(m_hostArchive.front()) &&
               bytes.contains(m_hostArchive)) {
        put(QByteArray(bytes).replace(m_hostArchive, m_windowsArchive));
    } else {
        put(bytes);
    }
    return false;
}

// An entry line of an "l" listing with the name counted in characters. arj pads the name to
// twelve bytes and puts a longer one on a line of its own; ARJ under DOS counts one byte a
// character, so an accented name keeps its columns and, when it fits, its details beside it.
bool ListingRewriter::dosColumns(const QByteArray& bytes, const QByteArray* next)
{
    constexpr qsizetype kNameField = 12;
    const bool alone = next && bytes.endsWith(' ') && !bytes.startsWith(' ') &&
                       next->startsWith(QByteArray(kNameField, ' '));
    if (alone && isAsciiBytes(bytes)) {
        if (bytes.size() - 1 > kNameField) {
            put(bytes);
            return false;
        }
        if (isAsciiBytes(*next)) {
            put(bytes.chopped(1).leftJustified(kNameField) + next->mid(kNameField));
            return true;
        }
    }
    if (alone) {
        const QString name = QString::fromUtf8(bytes.chopped(1));
        if (name.size() > kNameField) {
            putText(QString::fromUtf8(bytes));
            return false;
        }
        putText(name.leftJustified(kNameField) + QString::fromUtf8(next->mid(kNameField)));
        return true;
    }
    if (isAsciiBytes(bytes))
        put(bytes); // a name of twelve bytes is twelve characters
    else if (bytes.size() <= kNameField)
        putText(QString::fromUtf8(bytes));
    else
        putText(QString::fromUtf8(bytes.left(kNameField)).leftJustified(kNameField) +
                QString::fromUtf8(bytes.mid(kNameField)));
    return false;
}

void ListingRewriter::putText(const QString& line)
{
    put(toAnsi(line));
}

// Lines are held until the first entry shows whether blank lines must go under the banner to
// move it down to the tenth line, where the listing reader takes entries from.
void ListingRewriter::put(QByteArrayView ansi)
{
    ++m_lines;
    if (m_holding) {
        m_held << ansi.toByteArray();
        if ((m_firstEntry >= 0 && m_held.size() >= 2) ||
            (m_firstEntry < 0 && m_held.size() >= kFirstEntryLine))
            release();
        return;
    }
    m_out += ansi;
    m_out += "\r\n";
    if (m_out.size() >= kOutputPiece)
        m_sink(std::exchange(m_out, QByteArray()));
}

void ListingRewriter::release()
{
    if (!m_holding)
        return;
    m_holding = false;
    if (m_firstEntry >= 0 && m_firstEntry < kFirstEntryLine) {
        // The header stays whole.
        const qsizetype at = std::min<qsizetype>(m_held.size(), 2);
        for (qsizetype n = m_firstEntry; n < kFirstEntryLine; ++n)
            m_held.insert(at, QByteArray());
    }
    for (QByteArray& line : m_held) {
        m_out += line;
        m_out += "\r\n";
    }
    m_held.clear();
}

void ProgressRewrite::addRoot(const QByteArray& host, const QString& drive)
{
    if (host.isEmpty())
        return;
    m_roots.append({host, drive.toLatin1()});
    std::stable_sort(m_roots.begin(), m_roots.end(),
                     [](const auto& a, const auto& b) { return a.first.size() > b.first.size(); });
}

void ProgressRewrite::addName(const QByteArray& host, const QByteArray& windows)
{
    if (host.isEmpty() || host == windows)
        return;
    m_names.insert(host, windows);
    m_longest = std::max(m_longest, host.size());
}

void ProgressRewrite::addStored(const QByteArray& stored)
{
    if (stored.contains('/'))
        addName(stored, QByteArray(stored).replace('/', '\\'));
}

QByteArray ProgressRewrite::line(const QByteArray& line) const
{
    if (line.startsWith("ARJ32 v "))
        return bannerFor(line).toUtf8();
    QByteArray out;
    out.reserve(line.size() + 16);
    const qsizetype n = line.size();
    qsizetype i = 0;
    while (i < n) {
        if (line.at(i) == ' ' || (i > 0 && line.at(i - 1) != ' ')) {
            out += line.at(i++);
            continue;
        }
        // A word starts here: the longest known name from it up to a blank or the end. Names
        // may hold blanks, so every end of a word after it is tried.
        qsizetype matchEnd = -1;
        for (qsizetype j = i + 1; j <= n && j - i <= m_longest; ++j) {
            if ((j == n || line.at(j) == ' ') && line.at(j - 1) != ' ' &&
                m_names.contains(line.mid(i, j - i)))
                matchEnd = j;
        }
        if (matchEnd >= 0) {
            out += m_names.value(line.mid(i, matchEnd - i));
            i = matchEnd;
            continue;
        }
        // A path under a drive, to the next blank.
        const auto root = std::find_if(m_roots.cbegin(), m_roots.cend(), [&](const auto& r) {
            const qsizetype after = i + r.first.size();
            return line.mid(i, r.first.size()) == r.first &&
                   (after == n || line.at(after) == '/' || line.at(after) == ' ');
        });
        if (root == m_roots.cend()) {
            out += line.at(i++);
            continue;
        }
        out += root->second + '\\';
        i += root->first.size();
        while (i < n && line.at(i) == '/')
            ++i;
        for (; i < n && line.at(i) != ' '; ++i)
            out += line.at(i) == '/' ? '\\' : line.at(i);
    }
    return out;
}

QByteArray messageListing(const QString& message)
{
    return toAnsi(bannerFor({}) + QStringLiteral("\r\n\r\n") + message + QStringLiteral("\r\n"));
}

} // namespace navlor::arj

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

bool isSeparator(const QString& line)
{
    return line.startsWith(QLatin1String("------------"));
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

// An entry line of an "l" listing with the name counted in characters. arj pads the name to
// twelve bytes and puts a longer one on a line of its own; ARJ under DOS counts one byte a
// character, so an accented name keeps its columns and, when it fits, its details beside it.
// `i` moves past a details line taken in.
QString dosColumns(const QList<QByteArray>& raw, qsizetype& i)
{
    constexpr qsizetype kNameField = 12;
    const QByteArray& bytes = raw.at(i);
    const bool alone = i + 1 < raw.size() && bytes.endsWith(' ') && !bytes.startsWith(' ') &&
                       raw.at(i + 1).startsWith(QByteArray(kNameField, ' '));
    if (alone) {
        const QString name = QString::fromUtf8(bytes.chopped(1));
        if (name.size() > kNameField)
            return QString::fromUtf8(bytes);
        return name.leftJustified(kNameField) + QString::fromUtf8(raw.at(++i).mid(kNameField));
    }
    if (bytes.size() <= kNameField)
        return QString::fromUtf8(bytes);
    return QString::fromUtf8(bytes.left(kNameField)).leftJustified(kNameField) +
           QString::fromUtf8(bytes.mid(kNameField));
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
    const QList<QByteArray> raw = splitLines(output);
    QStringList lines;
    qsizetype firstEntry = -1;
    bool inEntries = false;
    bool entriesDone = false;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QByteArray& bytes = raw.at(i);
        if (i == 0 && bytes.startsWith("ARJ")) {
            lines << bannerFor(bytes);
            continue;
        }
        if (i == 0)
            lines << bannerFor({});
        QString line = QString::fromUtf8(bytes);
        if (!context.hostArchive.isEmpty())
            line.replace(context.hostArchive, context.windowsArchive);
        if (isSeparator(line)) {
            // Entries stand between the first two rules.
            entriesDone = entriesDone || inEntries;
            inEntries = !entriesDone;
        } else if (!context.verbose && inEntries) {
            line = dosColumns(raw, i);
        } else if (context.verbose && inEntries) {
            const qsizetype digits = entryNumberLength(bytes);
            if (digits > 0) {
                QString name = QString::fromUtf8(bytes.mid(digits + 2));
                name.replace(u'/', u'\\');
                line = QString::fromLatin1(bytes.left(digits)).rightJustified(3, u'0') +
                       QStringLiteral(") ") + name;
                if (firstEntry < 0)
                    firstEntry = lines.size();
            }
        }
        lines << line;
    }
    if (lines.isEmpty())
        lines << bannerFor({});
    if (firstEntry >= 0 && firstEntry < kFirstEntryLine) {
        // Blank lines under the banner move the entries down; the header stays whole.
        const qsizetype at = std::min<qsizetype>(lines.size(), 2);
        for (qsizetype n = firstEntry; n < kFirstEntryLine; ++n)
            lines.insert(at, QString());
    }
    return toAnsi(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
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

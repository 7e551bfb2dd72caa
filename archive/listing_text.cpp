#include "archive/listing_text.h"

#include "lib/ansi_text.h"

#include <QDate>
#include <QStringTokenizer>
#include <QTime>

namespace navlor {

namespace {

// Two digits of a date or time.
void appendTwoDigits(QString& text, int value)
{
    text += QChar(u'0' + value / 10 % 10);
    text += QChar(u'0' + value % 10);
}

} // namespace

// The lines of a listing joined by "\n", as arjListingLines() splits them, converted in place.
QString listingText(const QByteArray& bytes)
{
    QString text = fromAnsi(bytes);
    QChar* chars = text.data();
    const qsizetype size = text.size();
    qsizetype kept = 0;
    for (qsizetype i = 0; i < size; ++i) {
        QChar c = chars[i];
        if (c == u'\r') {
            if (i + 1 < size && chars[i + 1] == u'\n')
                ++i;
            c = u'\n';
        }
        chars[kept++] = c;
    }
    text.truncate(kept);
    // A line break at the end starts no further line.
    if (text.endsWith(u'\n'))
        text.chop(1);
    return text;
}

// Whether a mask given to the listing leaves out no entry.
bool listsEverything(const QString& mask)
{
    const QString trimmed = mask.trimmed();
    return trimmed == QLatin1String("*.*") || trimmed == QLatin1String("*");
}

// The entries of a listing's text (lines joined by "\n") as the console reads them: names
// from the tenth line on, each with the size and time of its details line.
QList<ArjEntry> consoleListingEntries(const QString& text)
{
    QList<ArjEntry> listed;
    qsizetype index = -1;
    for (const QStringView line : QStringView(text).tokenize(u'\n')) {
        if (++index < kFirstArjEntryLine)
            continue;
        QString name = arjEntryName(line.toString(), index);
        if (!name.isEmpty()) {
            listed.append(ArjEntry{std::move(name), -1, {}});
            continue;
        }
        // Its details, which may follow comment lines.
        if (!listed.isEmpty() && listed.last().size < 0) {
            if (const auto details = arjEntryDetails(line)) {
                listed.last().size = details->size;
                listed.last().modified = details->modified;
            }
        }
    }
    return listed;
}

// What the text box shows of entries read from the archive's headers: a line for each entry,
// its number, size, time and attributes as the archiver's listing gives them, then its name.
// One line each: the box's cost is by the line.
QString headersText(const QString& origin, const QList<ArjEntry>& entries)
{
    QString text = QStringLiteral("Processing archive: ") + origin +
                   QStringLiteral("\nSequence   Original DateTime modified Attributes Pathname\n"
                                  "-------- ---------- ----------------- ---------- --------\n");
    text.reserve(text.size() + entries.size() * (48 + 40));
    qsizetype number = 0;
    for (const ArjEntry& entry : entries) {
        text += QString::number(++number).rightJustified(7, u'0');
        text += u')';
        text += QString::number(entry.size).rightJustified(11);
        text += u' ';
        const QDate day = entry.modified.date();
        const QTime time = entry.modified.time();
        appendTwoDigits(text, day.year());
        text += u'-';
        appendTwoDigits(text, day.month());
        text += u'-';
        appendTwoDigits(text, day.day());
        text += u' ';
        appendTwoDigits(text, time.hour());
        text += u':';
        appendTwoDigits(text, time.minute());
        text += u':';
        appendTwoDigits(text, time.second());
        text += u' ';
        text += entry.attributes;
        text += u' ';
        text += entry.name;
        text += u'\n';
    }
    text += QStringLiteral("-------- ----------\n%1 files").arg(entries.size());
    return text;
}

} // namespace navlor

#include "archive/arj_listing.h"

#include "lib/ansi_text.h"
#include "lib/text_utils.h"

namespace navlor {

namespace {

// Upper case as the code page has it: one character for one, and a letter whose capital the
// code page lacks ("µ", "ƒ") stays as it is, so the name still names the stored entry when
// it is written back into a batch line.
QString ansiUpper(const QString& text)
{
    QString upper = text;
    for (QChar& c : upper) {
        const QChar u = c.toUpper();
        if (u != c && toAnsi(QString(u)) != "?")
            c = u;
    }
    return upper;
}

} // namespace

QStringList ArjListing::names() const
{
    QStringList list;
    list.reserve(entries.size());
    for (const ArjEntry& entry : entries)
        list.append(entry.name);
    return list;
}

QStringList arjListingLines(const QByteArray& bytes)
{
    const QString text = fromAnsi(bytes);
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

bool arjVersionOk(const QString& banner)
{
    return banner.contains(QLatin1String("ARJ 2.60")) || banner.contains(QLatin1String("ARJ 3"));
}

QString arjEntryName(const QString& line, qsizetype index)
{
    if (index < kFirstArjEntryLine)
        return {};
    qsizetype digits = 0;
    while (digits < line.size() && line.at(digits) >= u'0' && line.at(digits) <= u'9')
        ++digits;
    // ARJ numbers entries with at least three digits, more from entry 1000 and 10000 on.
    if (digits < 3 || digits >= line.size() || line.at(digits) != u')')
        return {};
    // The name whole: a name cut short would name no entry of the archive.
    return ansiUpper(trimControls(line.mid(digits + 1)));
}

std::optional<ArjEntryDetails> arjEntryDetails(QStringView line)
{
    // revision, host, original, compressed, ratio, date, time
    QStringView fields[7];
    int count = 0;
    for (const QStringView field : line.tokenize(u' ', Qt::SkipEmptyParts)) {
        fields[count] = field;
        if (++count == 7)
            break;
    }
    if (count < 7)
        return std::nullopt;
    bool numbers = true;
    for (int i : {0, 2, 3}) {
        bool ok = false;
        fields[i].toLongLong(&ok);
        numbers = numbers && ok;
    }
    if (!numbers)
        return std::nullopt;
    // "YY-MM-DD": ARJ keeps DOS dates, read here as 1980 to 2079.
    const QStringView d = fields[5];
    if (d.size() != 8 || d.at(2) != u'-' || d.at(5) != u'-')
        return std::nullopt;
    bool yearOk = false, monthOk = false, dayOk = false;
    const int year = d.left(2).toInt(&yearOk);
    const int month = d.mid(3, 2).toInt(&monthOk);
    const int day = d.mid(6, 2).toInt(&dayOk);
    const QDate full(year < 80 ? 2000 + year : 1900 + year, month, day);
    const QTime time = QTime::fromString(fields[6].toString(), QStringLiteral("HH:mm:ss"));
    if (!yearOk || !monthOk || !dayOk || !full.isValid() || !time.isValid())
        return std::nullopt;
    return ArjEntryDetails{fields[2].toLongLong(), QDateTime(full, time)};
}

ArjListing readArjListing(const QStringList& lines)
{
    ArjListing listing;
    listing.banner = lines.value(0);
    listing.versionOk = arjVersionOk(listing.banner);
    for (qsizetype i = kFirstArjEntryLine; i < lines.size(); ++i) {
        QString name = arjEntryName(lines.at(i), i);
        if (!name.isEmpty()) {
            listing.entries.append(ArjEntry{std::move(name), -1, {}});
            continue;
        }
        // Comment lines may stand between an entry and its details.
        if (listing.entries.isEmpty() || listing.entries.last().size >= 0)
            continue;
        if (const auto details = arjEntryDetails(lines.at(i))) {
            listing.entries.last().size = details->size;
            listing.entries.last().modified = details->modified;
        }
    }
    return listing;
}

ArjListing readArjListing(const QByteArray& bytes)
{
    return readArjListing(arjListingLines(bytes));
}

} // namespace navlor

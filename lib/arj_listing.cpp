#include "lib/arj_listing.h"

#include "lib/ansi_text.h"
#include "lib/text_utils.h"

namespace navlor {

namespace {

// Upper case as the code page has it: one character for one, and a letter whose capital the
// code page lacks ("µ", "ƒ") stays as it is, so the name still names the stored entry when
// it is written back into a batch line.
QString arjAnsiUpper(const QString& text)
{
    QString upper = text;
    for (QChar& c : upper) {
        const QChar u = c.toUpper();
        if (u != c && toAnsi(QString(u)) != "?")
            c = u;
    }
    return upper;
}

// The rule under the column heads and under the last entry.
bool isArjListingRule(const QString& line)
{
    return line.startsWith(QLatin1String("------------"));
}

// "YY-MM-DD": ARJ keeps DOS dates, read here as 1980 to 2079.
QDate arjListingDay(int year, int month, int day)
{
    return QDate(year < 80 ? 2000 + year : 1900 + year, month, day);
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

QString arjConsoleEntryName(const QString& text)
{
    return arjAnsiUpper(trimControls(text));
}

std::optional<QString> arjEntryLineName(const QString& line, const ArjListingRules& rules)
{
    qsizetype digits = 0;
    while (digits < line.size() && line.at(digits) >= u'0' && line.at(digits) <= u'9')
        ++digits;
    // ARJ numbers entries with at least three digits, more from entry 1000 and 10000 on;
    // arj itself is read with fewer.
    if (digits < rules.minDigits || digits >= line.size() || line.at(digits) != u')')
        return std::nullopt;
    if (rules.storedNames) {
        // One blank after ")"; a name may start with another.
        if (digits + 1 >= line.size() || line.at(digits + 1) != u' ')
            return std::nullopt;
        return line.mid(digits + 2);
    }
    // The name whole: a name cut short would name no entry of the archive.
    QString name = arjConsoleEntryName(line.mid(digits + 1));
    if (name.isEmpty())
        return std::nullopt;
    return name;
}

QString arjEntryName(const QString& line, qsizetype index)
{
    if (index < kFirstArjEntryLine)
        return {};
    return arjEntryLineName(line, ArjListingRules{}).value_or(QString());
}

std::optional<ArjEntryDetails> arjEntryDetails(QStringView line, ArjDetailsCheck check)
{
    const bool dated = check == ArjDetailsCheck::Dated;
    // revision, host, original, compressed, ratio, date, time, attributes
    QStringView fields[8];
    int count = 0;
    if (dated) {
        for (const QStringView field : line.tokenize(u' ', Qt::SkipEmptyParts)) {
            fields[count] = field;
            if (++count == 8)
                break;
        }
    } else {
        // Any white space between fields.
        qsizetype i = 0;
        while (count < 8) {
            while (i < line.size() && line.at(i).isSpace())
                ++i;
            if (i == line.size())
                break;
            const qsizetype start = i;
            while (i < line.size() && !line.at(i).isSpace())
                ++i;
            fields[count++] = line.sliced(start, i - start);
        }
    }
    if (count < 7)
        return std::nullopt;
    bool numbers = true;
    for (int i : {0, 2, 3}) {
        if (check == ArjDetailsCheck::Timed && i != 2)
            continue;
        bool ok = false;
        // arj prints its revision as a small number: beyond an int it is no details line.
        if (i == 0 && check == ArjDetailsCheck::Sized)
            static_cast<void>(fields[i].toInt(&ok));
        else
            static_cast<void>(fields[i].toLongLong(&ok));
        numbers = numbers && ok;
    }
    if (!numbers || (!dated && !fields[4].contains(u'.')))
        return std::nullopt;
    ArjEntryDetails details{
        fields[2].toLongLong(), {}, count == 8 ? fields[7].toString() : QString()};
    const QStringView d = fields[5];
    const QTime time = QTime::fromString(fields[6].toString(), QStringLiteral("HH:mm:ss"));
    if (!dated) {
        // The size stands even when the date is none.
        const QList<QStringView> parts = d.split(u'-');
        if (check == ArjDetailsCheck::Timed && (parts.size() != 3 || !time.isValid()))
            return std::nullopt;
        const QDate day =
            parts.size() == 3
                ? arjListingDay(parts.at(0).toInt(), parts.at(1).toInt(), parts.at(2).toInt())
                : QDate();
        if (day.isValid() && time.isValid())
            details.modified = QDateTime(day, time);
        return details;
    }
    if (d.size() != 8 || d.at(2) != u'-' || d.at(5) != u'-')
        return std::nullopt;
    bool yearOk = false, monthOk = false, dayOk = false;
    const QDate full = arjListingDay(d.left(2).toInt(&yearOk), d.mid(3, 2).toInt(&monthOk),
                                     d.mid(6, 2).toInt(&dayOk));
    if (!yearOk || !monthOk || !dayOk || !full.isValid() || !time.isValid())
        return std::nullopt;
    details.modified = QDateTime(full, time);
    return details;
}

ArjListing readArjListing(const QStringList& lines, const ArjListingRules& rules)
{
    using Start = ArjListingRules::Start;
    ArjListing listing;
    listing.banner = lines.value(0);
    listing.versionOk = arjVersionOk(listing.banner);
    qsizetype i = rules.start == Start::TenthLine ? kFirstArjEntryLine : 0;
    if (rules.start == Start::BetweenRules) {
        while (i < lines.size() && !isArjListingRule(lines.at(i)))
            ++i;
        ++i;
    }
    bool seeking = false; // the details of the last entry
    for (; i < lines.size(); ++i) {
        const QString& line = lines.at(i);
        if (rules.start == Start::BetweenRules && isArjListingRule(line))
            break;
        if (std::optional<QString> name = arjEntryLineName(line, rules)) {
            listing.entries.append(ArjEntry{std::move(*name), -1, {}, {}});
            seeking = true;
            continue;
        }
        // Comment lines may stand between an entry and its details.
        if (!seeking)
            continue;
        if (rules.rulesEndDetails && isArjListingRule(line)) {
            seeking = false;
            continue;
        }
        if (const auto details = arjEntryDetails(line, rules.details)) {
            ArjEntry& entry = listing.entries.last();
            entry.size = details->size;
            entry.modified = details->modified;
            entry.attributes = details->attributes;
            seeking = entry.size < 0;
        }
    }
    return listing;
}

ArjListing readArjListing(const QByteArray& bytes, const ArjListingRules& rules)
{
    return readArjListing(arjListingLines(bytes), rules);
}

} // namespace navlor

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

ArjListing readArjListing(const QStringList& lines)
{
    ArjListing listing;
    listing.banner = lines.value(0);
    listing.versionOk = arjVersionOk(listing.banner);
    for (qsizetype i = kFirstArjEntryLine; i < lines.size(); ++i) {
        const QString name = arjEntryName(lines.at(i), i);
        if (!name.isEmpty())
            listing.entries.append(name);
    }
    return listing;
}

ArjListing readArjListing(const QByteArray& bytes)
{
    return readArjListing(arjListingLines(bytes));
}

} // namespace navlor

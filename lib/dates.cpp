#include "lib/dates.h"

#include "lib/platform/clock.h"
#include "lib/platform/platform.h"

namespace navlor {

namespace {

int g_yearWindow = kConsoleYearWindow;

struct Scanner
{
    const QString& text;
    qsizetype pos = 0;

    void skipBlanks()
    {
        while (pos < text.size() && text.at(pos) == u' ')
            ++pos;
    }
    bool atEnd()
    {
        skipBlanks();
        return pos >= text.size();
    }
    bool character(QChar c)
    {
        skipBlanks();
        if (pos < text.size() && text.at(pos) == c) {
            ++pos;
            return true;
        }
        return false;
    }
    // Up to four digits; `digits` tells how many were given.
    bool number(int& value, int& digits)
    {
        skipBlanks();
        value = 0;
        digits = 0;
        while (pos < text.size() && digits < 4 && text.at(pos).isDigit() &&
               text.at(pos).unicode() < 0x80) {
            value = value * 10 + (text.at(pos).unicode() - u'0');
            ++digits;
            ++pos;
        }
        return digits > 0;
    }
};

} // namespace

const DateFormats& dateFormats()
{
    static const DateFormats formats;
    return formats;
}

int twoDigitYearWindow()
{
    return g_yearWindow;
}

void setTwoDigitYearWindow(int years)
{
    g_yearWindow = years;
}

QDate today()
{
    return platform().clock().now().date();
}

QDateTime now()
{
    return platform().clock().now();
}

QString dateText(const QDate& date)
{
    return date.toString(dateFormats().shortDateFormat);
}

QString timeText(const QTime& time)
{
    return time.toString(dateFormats().longTimeFormat);
}

QString shortTimeText(const QTime& time)
{
    return time.toString(dateFormats().shortTimeFormat);
}

int expandTwoDigitYear(int yy, int currentYear)
{
    const int base = currentYear - g_yearWindow;
    int year = yy + base / 100 * 100;
    if (g_yearWindow > 0 && year < base)
        year += 100;
    return year;
}

std::optional<QDate> parseDateText(const QString& text, const QDate& today)
{
    Scanner scan{text};
    const QChar sep = dateFormats().dateSeparator;
    int day = 0, month = 0, year = today.year();
    int digits = 0;
    if (!scan.number(day, digits) || !scan.character(sep) || !scan.number(month, digits))
        return std::nullopt;
    if (scan.character(sep)) {
        if (!scan.number(year, digits))
            return std::nullopt;
        if (digits <= 2)
            year = expandTwoDigitYear(year, today.year());
    }
    if (!scan.atEnd() || year < 1)
        return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

std::optional<QDate> parseDateText(const QString& text)
{
    return parseDateText(text, today());
}

} // namespace navlor

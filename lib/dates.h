#pragma once

// The one place where dates and times become texts and texts become dates. The formats are
// process-wide, as the console forces them at start; every window goes through here.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

#include <optional>

namespace navlor {

struct DateFormats
{
    QChar thousandSeparator = u'.';
    QChar decimalSeparator = u',';
    QChar dateSeparator = u'/';
    QString shortDateFormat = QStringLiteral("dd/MM/yy");
    QChar timeSeparator = u':';
    QString shortTimeFormat = QStringLiteral("hh:mm");
    QString longTimeFormat = QStringLiteral("hh:mm:ss");
};

// The formats in use (those above: the console never changes them).
const DateFormats& dateFormats();

// Two-digit years are placed between (current year - window) and (current year - window +
// 99). 0 places them in the current century. The console runs with 90 from the start.
constexpr int kConsoleYearWindow = 90;
int twoDigitYearWindow();
void setTwoDigitYearWindow(int years);

// The platform clock's today and now.
QDate today();
QDateTime now();

// "dd/MM/yy", "hh:mm:ss" and "hh:mm".
QString dateText(const QDate& date);
QString timeText(const QTime& time);
QString shortTimeText(const QTime& time);

// A date text "d/m/y" (blanks allowed around the numbers, years of 1 to 4 digits) or "d/m"
// (the current year) as a date. Years of one or two digits go through the two-digit-year
// window relative to the year of `today`. Nothing for a text that is not a date.
std::optional<QDate> parseDateText(const QString& text, const QDate& today);
std::optional<QDate> parseDateText(const QString& text);

// The year a one- or two-digit year `yy` stands for when the current year is `currentYear`.
int expandTwoDigitYear(int yy, int currentYear);

} // namespace navlor

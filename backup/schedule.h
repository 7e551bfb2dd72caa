#pragma once

// When a backup job is due, and which archive a run of it writes. Only the first character of
// the period text counts; archive names rotate with the period so a daily job keeps one archive
// per day of the month, a weekly one per week, and so on.

#include <QDate>
#include <QString>
#include <QStringList>

namespace navlor {

// The periods offered, in this order: "0 - Diário" ... "9 - Sempre". There are no 7 and 8.
const QStringList& periodItems();

// Whether a job of `period`, last run on the date text `lastRun`, is due `today`. Only asked of
// active jobs. A period that starts with none of the codes is never due. A last run that is not
// blank but cannot be read as a date makes the job due: an extra backup costs less than a
// missed one. So does one after today (a clock that was once wrong would otherwise hold the
// job back until that date). Dates are compared whole: a run a month or a year ago on the same
// day is no run today.
bool isDue(const QString& period, const QDate& today, const QString& lastRun);

// Whether the date text `lastRun` reads as a date after `today`.
bool lastRunInFuture(const QString& lastRun, const QDate& today);

struct ArchiveName
{
    int number = 0; // the rotating number: day, week, half, month or weekday
    QString suffix; // "_DIARIO", "_SEMANAL"...; empty for "9 - Sempre"
    QString path;   // destination\BASE_nn<suffix>.ARJ
};

// The archive a run of a job of `period` started `today` writes into `destination`.
ArchiveName archiveName(const QString& period, const QDate& today, const QString& destination,
                        const QString& baseName);

// `name` in `directory`, joined by one "\" whether or not the directory ends in one.
QString pathInDirectory(const QString& directory, const QString& name);

} // namespace navlor

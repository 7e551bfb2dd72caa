#include "backup/schedule.h"

#include "lib/dates.h"
#include "lib/text_utils.h"

#include <optional>

namespace navlor {

namespace {

const QString kOddDigits = QStringLiteral("13579");

QChar periodCode(const QString& period)
{
    return period.isEmpty() ? QChar() : period.at(0);
}

// Sunday 1 to Saturday 7.
int weekDay(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1;
}

// The Sunday that opens the week of `date` (the date itself on a Sunday).
QDate weekStart(const QDate& date)
{
    return date.addDays(1 - weekDay(date));
}

// "Later than the last run" for the periods that compare whole dates. The start of the period
// goes through its date text, as every stored date does.
bool startsAfter(const QString& periodStart, const QDate& lastRun, const QDate& today)
{
    const QDate start = parseDateText(periodStart, today).value_or(QDate());
    return !start.isValid() || start > lastRun;
}

} // namespace

const QStringList& periodItems()
{
    static const QStringList items = {
        QStringLiteral("0 - Diário"),          QStringLiteral("1 - Dias Impares"),
        QStringLiteral("2 - Dias Pares"),      QStringLiteral("3 - Semanal"),
        QStringLiteral("4 - Quinzenal"),       QStringLiteral("5 - Mensal"),
        QStringLiteral("6 - Diário P/Semana"), QStringLiteral("9 - Sempre"),
    };
    return items;
}

bool isDue(const QString& period, const QDate& today, const QString& lastRun)
{
    const QString todayText = dateText(today);
    const bool blank = EM_BRANCO(lastRun);
    const std::optional<QDate> parsed = blank ? std::nullopt : parseDateText(lastRun, today);
    // A date typed by hand that is no date cannot prove the job ran in this period, nor can
    // one that has not come yet.
    const bool unreadable = (!blank && !parsed) || (parsed && *parsed > today);
    const QDate last = parsed.value_or(QDate());
    const bool otherDay = !parsed || *parsed != today;

    switch (periodCode(period).unicode()) {
    case u'0':
    case u'1':
    case u'2': {
        const bool oddDay = kOddDigits.contains(todayText.at(1));
        if (periodCode(period) == u'1' && !oddDay)
            return false;
        if (periodCode(period) == u'2' && oddDay)
            return false;
        return unreadable || otherDay;
    }
    case u'3':
        return blank || unreadable || startsAfter(dateText(weekStart(today)), last, today);
    case u'4': {
        const QString half = VALOR_INTEIRO(todayText.left(2)).value_or(0) >= 16
                                 ? QStringLiteral("16")
                                 : QStringLiteral("01");
        return blank || unreadable || startsAfter(half + todayText.mid(2), last, today);
    }
    case u'5':
        return blank || unreadable || lastRun.mid(3, 5) != todayText.mid(3, 5);
    case u'6':
        return unreadable || otherDay;
    case u'9':
        return true;
    default:
        return false;
    }
}

bool lastRunInFuture(const QString& lastRun, const QDate& today)
{
    const std::optional<QDate> parsed =
        EM_BRANCO(lastRun) ? std::nullopt : parseDateText(lastRun, today);
    return parsed && *parsed > today;
}

ArchiveName archiveName(const QString& period, const QDate& today, const QString& destination,
                        const QString& baseName)
{
    const QDate yesterday = today.addDays(-1);
    ArchiveName name;
    name.number = yesterday.day();
    switch (periodCode(period).unicode()) {
    case u'0':
    case u'1':
    case u'2':
        name.suffix = QStringLiteral("_DIARIO");
        break;
    case u'3': {
        const int sunday = weekStart(today).day();
        name.number = sunday >= 29 ? 5 : sunday >= 22 ? 4 : sunday >= 15 ? 3 : sunday >= 8 ? 2 : 1;
        name.suffix = QStringLiteral("_SEMANAL");
        break;
    }
    case u'4':
        // The half that just ended: the first once the 16th is reached.
        name.number = today.day() >= 16 ? 1 : 2;
        name.suffix = QStringLiteral("_QUINZENAL");
        break;
    case u'5':
        name.number = today.addDays(-28).month();
        name.suffix = QStringLiteral("_MENSAL");
        break;
    case u'6':
        name.number = weekDay(yesterday);
        name.suffix = QStringLiteral("_DIARIOSEM");
        break;
    default:
        break;
    }
    name.path = pathInDirectory(destination, baseName + u'_' + COMPLETA_ZEROS(name.number, 2) +
                                                 name.suffix + QStringLiteral(".ARJ"));
    return name;
}

QString pathInDirectory(const QString& directory, const QString& name)
{
    // A directory typed with its separator ("D:\", "D:\BKP\") gets no second one.
    return directory.endsWith(u'\\') ? directory + name : directory + u'\\' + name;
}

} // namespace navlor

#include "backup/schedule.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

// "dd/MM/yy" of this century, so the tests do not lean on the rule under test.
QDate on(const char* text)
{
    const QString s = QString::fromLatin1(text);
    return QDate(2000 + s.mid(6, 2).toInt(), s.mid(3, 2).toInt(), s.left(2).toInt());
}

struct DueCase
{
    const char* period;
    const char* today;
    const char* lastRun;
    bool due;
};

void PrintTo(const DueCase& c, std::ostream* os)
{
    *os << c.period << " on " << c.today << ", last run \"" << c.lastRun << "\"";
}

class Due : public ::testing::TestWithParam<DueCase>
{
};

TEST_P(Due, AsThePeriodSays)
{
    const DueCase& c = GetParam();
    EXPECT_EQ(isDue(QString::fromUtf8(c.period), on(c.today), QString::fromLatin1(c.lastRun)),
              c.due);
}

// The units digit of the day decides first; once through, the day number does.
INSTANTIATE_TEST_SUITE_P(
    OddDays, Due,
    ::testing::Values(DueCase{"1 - Dias Impares", "05/03/26", "", true},
                      DueCase{"1 - Dias Impares", "31/03/26", "", true},
                      DueCase{"1 - Dias Impares", "10/03/26", "", false},
                      DueCase{"1 - Dias Impares", "30/03/26", "", false},
                      DueCase{"1 - Dias Impares", "05/03/26", "05/03/26", false},
                      DueCase{"1 - Dias Impares", "31/03/26", "29/03/26", true}));

INSTANTIATE_TEST_SUITE_P(EvenDays, Due,
                         ::testing::Values(DueCase{"2 - Dias Pares", "05/03/26", "", false},
                                           DueCase{"2 - Dias Pares", "31/03/26", "", false},
                                           DueCase{"2 - Dias Pares", "10/03/26", "", true},
                                           DueCase{"2 - Dias Pares", "30/03/26", "", true},
                                           DueCase{"2 - Dias Pares", "10/03/26", "10/03/26",
                                                   false}));

// Whole dates are compared: the 5th of last month or of last year is no run today.
INSTANTIATE_TEST_SUITE_P(
    Daily, Due,
    ::testing::Values(DueCase{"0 - Diário", "05/03/26", "05/02/26", true},
                      DueCase{"0 - Diário", "05/03/26", "05/03/25", true},
                      DueCase{"0 - Diário", "05/03/26", "05/03/26", false},
                      DueCase{"6 - Diário P/Semana", "05/03/26", "05/02/26", true},
                      DueCase{"0 - Diário", "06/03/26", "05/02/26", true},
                      DueCase{"0 - Diário", "06/03/26", "", true},
                      DueCase{"0 - Diário", "06/03/26", "00/00/00", true},
                      DueCase{"6 - Diário P/Semana", "05/03/26", "05/03/26", false},
                      DueCase{"6 - Diário P/Semana", "06/03/26", "05/03/26", true},
                      DueCase{"6 - Diário P/Semana", "07/03/26", "06/03/26", true}));

// A last run after today (a clock that was once wrong) holds no job back.
INSTANTIATE_TEST_SUITE_P(Future, Due,
                         ::testing::Values(DueCase{"0 - Diário", "05/03/26", "06/03/26", true},
                                           DueCase{"3 - Semanal", "12/01/26", "01/01/31", true},
                                           DueCase{"4 - Quinzenal", "12/01/26", "20/01/26", true},
                                           DueCase{"5 - Mensal", "12/01/26", "01/02/26", true},
                                           DueCase{"5 - Mensal", "12/01/26", "12/01/25", true},
                                           DueCase{"1 - Dias Impares", "10/03/26", "01/01/31",
                                                   false}));

// Monday 12/01/26: the week opened on Sunday 11/01/26.
INSTANTIATE_TEST_SUITE_P(Weekly, Due,
                         ::testing::Values(DueCase{"3 - Semanal", "12/01/26", "10/01/26", true},
                                           DueCase{"3 - Semanal", "12/01/26", "", true},
                                           DueCase{"3 - Semanal", "12/01/26", "11/01/26", false},
                                           DueCase{"3 - Semanal", "12/01/26", "12/01/26", false},
                                           DueCase{"3 - Semanal", "11/01/26", "10/01/26", true},
                                           DueCase{"3 - Semanal", "11/01/26", "11/01/26", false},
                                           // A week that opened in the previous year.
                                           DueCase{"3 - Semanal", "02/01/26", "27/12/25", true},
                                           DueCase{"3 - Semanal", "02/01/26", "28/12/25", false}));

// On 20/03/26 the half opened on 16/03/26; on 05/03/26 on 01/03/26.
INSTANTIATE_TEST_SUITE_P(Fortnightly, Due,
                         ::testing::Values(DueCase{"4 - Quinzenal", "20/03/26", "15/03/26", true},
                                           DueCase{"4 - Quinzenal", "20/03/26", "16/03/26", false},
                                           DueCase{"4 - Quinzenal", "05/03/26", "28/02/26", true},
                                           DueCase{"4 - Quinzenal", "05/03/26", "01/03/26", false},
                                           DueCase{"4 - Quinzenal", "16/03/26", "15/03/26", true},
                                           DueCase{"4 - Quinzenal", "15/03/26", "01/03/26",
                                                   false}));

// Month and two-digit year are compared as text.
INSTANTIATE_TEST_SUITE_P(Monthly, Due,
                         ::testing::Values(DueCase{"5 - Mensal", "01/03/26", "28/02/26", true},
                                           DueCase{"5 - Mensal", "01/03/26", "01/03/25", true},
                                           DueCase{"5 - Mensal", "15/03/26", "01/03/25", true},
                                           DueCase{"5 - Mensal", "31/03/26", "01/03/25", true},
                                           DueCase{"5 - Mensal", "31/03/26", "01/03/26", false},
                                           DueCase{"5 - Mensal", "01/03/26", "", true}));

INSTANTIATE_TEST_SUITE_P(
    Always, Due,
    ::testing::Values(DueCase{"9 - Sempre", "05/03/26", "05/03/26", true},
                      DueCase{"9 - Sempre", "05/03/26", "", true},
                      DueCase{"9", "05/03/26", "garbage", true},
                      // No 7 or 8, and a period that is no code at all, never run.
                      DueCase{"7 - Qualquer", "05/03/26", "", false},
                      DueCase{"8", "05/03/26", "", false}, DueCase{"", "05/03/26", "", false},
                      DueCase{" 0 - Diário", "05/03/26", "", false},
                      DueCase{"Diário", "05/03/26", "", false}));

// Blank last runs: 00/00/00, blanks and slashes, nothing.
INSTANTIATE_TEST_SUITE_P(BlankLastRun, Due,
                         ::testing::Values(DueCase{"3 - Semanal", "12/01/26", "00/00/00", true},
                                           DueCase{"4 - Quinzenal", "20/03/26", "00/00/00", true},
                                           DueCase{"5 - Mensal", "20/03/26", "00/00/00", true},
                                           DueCase{"3 - Semanal", "12/01/26", "  /  /  ", true},
                                           DueCase{"4 - Quinzenal", "20/03/26", "  /  /  ", true},
                                           DueCase{"5 - Mensal", "20/03/26", "", true}));

// A last run typed by hand that is no date: due, whatever the period compares.
INSTANTIATE_TEST_SUITE_P(UnreadableLastRun, Due,
                         ::testing::Values(DueCase{"3 - Semanal", "12/01/26", "31/02/26", true},
                                           DueCase{"3 - Semanal", "12/01/26", "ontem", true},
                                           DueCase{"4 - Quinzenal", "20/03/26", "20/13/26", true},
                                           DueCase{"5 - Mensal", "20/03/26", "xx/03/26", true},
                                           DueCase{"0 - Diário", "05/03/26", "05/13/26", true},
                                           DueCase{"6 - Diário P/Semana", "05/03/26", "05/x",
                                                   true}));

// Two-digit years: 35 is 2035 (after today: due, and said) and 36 is 1936 while the current
// year is 2026.
INSTANTIATE_TEST_SUITE_P(TwoDigitYears, Due,
                         ::testing::Values(DueCase{"3 - Semanal", "12/01/26", "31/12/35", true},
                                           DueCase{"3 - Semanal", "12/01/26", "01/01/36", true},
                                           DueCase{"4 - Quinzenal", "20/03/26", "01/01/35", true},
                                           DueCase{"4 - Quinzenal", "20/03/26", "31/12/99", true}));

TEST(LastRun, InTheFutureIsReadWithTheTwoDigitYearWindow)
{
    const QDate today(2026, 1, 12);
    for (const auto& [text, future] : {std::pair{"31/12/35", true},
                                       {"13/01/26", true},
                                       {"12/01/26", false},
                                       {"01/01/36", false},
                                       {"", false},
                                       {"00/00/00", false},
                                       {"garbage", false}})
        EXPECT_EQ(lastRunInFuture(QString::fromLatin1(text), today), future) << text;
}

struct NameCase
{
    const char* period;
    const char* today;
    int number;
    const char* suffix;
    const char* path; // destination D:\VLDRBKPA, base name BKP03
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << c.period << " on " << c.today;
}

class Archive : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(Archive, RotatesWithThePeriod)
{
    const NameCase& c = GetParam();
    const ArchiveName name = archiveName(QString::fromUtf8(c.period), on(c.today),
                                         QStringLiteral("D:\\VLDRBKPA"), QStringLiteral("BKP03"));
    EXPECT_EQ(name.number, c.number);
    EXPECT_EQ(name.suffix, QString::fromLatin1(c.suffix));
    EXPECT_EQ(name.path, QString::fromLatin1(c.path));
}

// Daily periods are numbered by yesterday's day of the month.
INSTANTIATE_TEST_SUITE_P(
    Daily, Archive,
    ::testing::Values(
        NameCase{"0 - Diário", "05/03/26", 4, "_DIARIO", "D:\\VLDRBKPA\\BKP03_04_DIARIO.ARJ"},
        NameCase{"0 - Diário", "01/03/26", 28, "_DIARIO", "D:\\VLDRBKPA\\BKP03_28_DIARIO.ARJ"},
        NameCase{"1 - Dias Impares", "01/04/26", 31, "_DIARIO",
                 "D:\\VLDRBKPA\\BKP03_31_DIARIO.ARJ"},
        NameCase{"2 - Dias Pares", "02/03/26", 1, "_DIARIO", "D:\\VLDRBKPA\\BKP03_01_DIARIO.ARJ"},
        NameCase{"9 - Sempre", "05/03/26", 4, "", "D:\\VLDRBKPA\\BKP03_04.ARJ"}));

// Numbered by the day of the Sunday that opened the week.
INSTANTIATE_TEST_SUITE_P(
    Weekly, Archive,
    ::testing::Values(
        NameCase{"3 - Semanal", "12/01/26", 2, "_SEMANAL", "D:\\VLDRBKPA\\BKP03_02_SEMANAL.ARJ"},
        NameCase{"3 - Semanal", "29/03/26", 5, "_SEMANAL", "D:\\VLDRBKPA\\BKP03_05_SEMANAL.ARJ"},
        NameCase{"3 - Semanal", "28/03/26", 4, "_SEMANAL", "D:\\VLDRBKPA\\BKP03_04_SEMANAL.ARJ"},
        NameCase{"3 - Semanal", "21/03/26", 3, "_SEMANAL", "D:\\VLDRBKPA\\BKP03_03_SEMANAL.ARJ"},
        NameCase{"3 - Semanal", "07/03/26", 1, "_SEMANAL", "D:\\VLDRBKPA\\BKP03_01_SEMANAL.ARJ"},
        // Saturday 03/01/26: the week opened on Sunday 28/12/25.
        NameCase{"3 - Semanal", "03/01/26", 4, "_SEMANAL", "D:\\VLDRBKPA\\BKP03_04_SEMANAL.ARJ"}));

INSTANTIATE_TEST_SUITE_P(
    Longer, Archive,
    ::testing::Values(
        NameCase{"4 - Quinzenal", "20/03/26", 1, "_QUINZENAL",
                 "D:\\VLDRBKPA\\BKP03_01_QUINZENAL.ARJ"},
        NameCase{"4 - Quinzenal", "16/03/26", 1, "_QUINZENAL",
                 "D:\\VLDRBKPA\\BKP03_01_QUINZENAL.ARJ"},
        NameCase{"4 - Quinzenal", "05/03/26", 2, "_QUINZENAL",
                 "D:\\VLDRBKPA\\BKP03_02_QUINZENAL.ARJ"},
        // The month of the day 28 days back.
        NameCase{"5 - Mensal", "05/03/26", 2, "_MENSAL", "D:\\VLDRBKPA\\BKP03_02_MENSAL.ARJ"},
        NameCase{"5 - Mensal", "31/03/26", 3, "_MENSAL", "D:\\VLDRBKPA\\BKP03_03_MENSAL.ARJ"},
        NameCase{"5 - Mensal", "10/01/26", 12, "_MENSAL", "D:\\VLDRBKPA\\BKP03_12_MENSAL.ARJ"},
        // Thursday 05/03/26: yesterday was a Wednesday, 4 counting from Sunday.
        NameCase{"6 - Diário P/Semana", "05/03/26", 4, "_DIARIOSEM",
                 "D:\\VLDRBKPA\\BKP03_04_DIARIOSEM.ARJ"},
        NameCase{"6 - Diário P/Semana", "09/03/26", 1, "_DIARIOSEM",
                 "D:\\VLDRBKPA\\BKP03_01_DIARIOSEM.ARJ"},
        NameCase{"6 - Diário P/Semana", "08/03/26", 7, "_DIARIOSEM",
                 "D:\\VLDRBKPA\\BKP03_07_DIARIOSEM.ARJ"}));

TEST(ArchivePath, JoinsDestinationBaseNumberAndSuffix)
{
    EXPECT_EQ(archiveName(QStringLiteral("9 - Sempre"), on("05/03/26"),
                          QStringLiteral("D:\\VLDRBKPA"), QStringLiteral("BKP07"))
                  .path,
              QStringLiteral("D:\\VLDRBKPA\\BKP07_04.ARJ"));
    // A drive root keeps a single separator.
    EXPECT_EQ(archiveName(QStringLiteral("0 - Diário"), on("05/03/26"), QStringLiteral("D:\\"),
                          QStringLiteral("BKP00"))
                  .path,
              QStringLiteral("D:\\BKP00_04_DIARIO.ARJ"));
}

} // namespace
} // namespace navlor

#include "lib/dates.h"
#include "tests/support/temp_prefix.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QDate k2026(2026, 6, 15);

class YearWindow : public ::testing::Test
{
protected:
    void TearDown() override { setTwoDigitYearWindow(kConsoleYearWindow); }
};

TEST_F(YearWindow, NinetyYearsPlaceTwoDigitYearsBetween1936And2035In2026)
{
    ASSERT_EQ(twoDigitYearWindow(), 90);
    EXPECT_EQ(parseDateText("01/02/35", k2026), QDate(2035, 2, 1));
    EXPECT_EQ(parseDateText("01/02/36", k2026), QDate(1936, 2, 1));
    EXPECT_EQ(parseDateText("31/12/99", k2026), QDate(1999, 12, 31));
    EXPECT_EQ(parseDateText("01/01/00", k2026), QDate(2000, 1, 1));
    EXPECT_EQ(parseDateText("1/1/5", k2026), QDate(2005, 1, 1));
    // The window moves with the current year.
    EXPECT_EQ(parseDateText("01/02/36", QDate(2027, 1, 1)), QDate(2036, 2, 1));
}

TEST_F(YearWindow, OtherWindows)
{
    setTwoDigitYearWindow(50);
    EXPECT_EQ(expandTwoDigitYear(75, 2026), 2075);
    EXPECT_EQ(expandTwoDigitYear(76, 2026), 1976);
    setTwoDigitYearWindow(0); // no window: the current century
    EXPECT_EQ(expandTwoDigitYear(99, 2026), 2099);
    EXPECT_EQ(expandTwoDigitYear(0, 2026), 2000);
}

TEST(DateText, AcceptsWhatTheOperatorTypes)
{
    EXPECT_EQ(parseDateText("01/02/1935", k2026), QDate(1935, 2, 1));
    EXPECT_EQ(parseDateText("01/02/035", k2026), QDate(35, 2, 1)); // three digits: as given
    EXPECT_EQ(parseDateText("05/03", k2026), QDate(2026, 3, 5));
    EXPECT_EQ(parseDateText(" 5 / 3 / 26 ", k2026), QDate(2026, 3, 5));
    for (const char* bad : {"", "  /  /  ", "00/00/00", "31/02/26", "01/13/26", "1/2/3/4", "abc",
                            "01/02/26x", "01-02-26", "01/02/", "01/02/0000", "01/02/12345"})
        EXPECT_EQ(parseDateText(QString::fromLatin1(bad), k2026), std::nullopt) << bad;
}

TEST(DateText, EveryDateOfTheWindowReadsBackFromItsText)
{
    for (QDate d(1936, 1, 1); d <= QDate(2035, 12, 31); d = d.addDays(1)) {
        const auto back = parseDateText(dateText(d), k2026);
        ASSERT_EQ(back, d) << dateText(d).toStdString();
    }
}

TEST(DateText, FormatsAndTheClock)
{
    EXPECT_EQ(dateText(QDate(1999, 12, 31)), "31/12/99");
    EXPECT_EQ(dateText(QDate(2026, 3, 5)), "05/03/26");
    EXPECT_EQ(timeText(QTime(8, 5, 3)), "08:05:03");
    EXPECT_EQ(shortTimeText(QTime(20, 5, 3)), "20:05");

    test::TempPrefix prefix;
    prefix.clock().set(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    EXPECT_EQ(today(), QDate(2026, 12, 7));
    EXPECT_EQ(parseDateText("07/12"), QDate(2026, 12, 7));
}

} // namespace
} // namespace navlor

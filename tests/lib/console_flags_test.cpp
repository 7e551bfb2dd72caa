#include "lib/console_flags.h"

#include <QList>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kBlanks(20, u' ');

TEST(ConsoleFlagsTest, BlankPositionsMeanWhatTheConsoleDidBefore)
{
    const ConsoleFlags startup = ConsoleFlags::forStartup(kBlanks);
    EXPECT_FALSE(startup.deleteLockFiles);
    EXPECT_FALSE(startup.deleteQueryTables);
    EXPECT_TRUE(startup.closeWhenDone);
    EXPECT_TRUE(startup.deleteNetFile);
    EXPECT_TRUE(startup.startNetlog);

    // the dialog ticks 5 and 6 only for an explicit "S"
    const ConsoleFlags stored = ConsoleFlags::asStored(kBlanks);
    EXPECT_TRUE(stored.closeWhenDone);
    EXPECT_FALSE(stored.deleteNetFile);
    EXPECT_FALSE(stored.startNetlog);

    // an empty line (no file) is 20 blanks
    EXPECT_TRUE(ConsoleFlags::forStartup("").startNetlog);
    EXPECT_FALSE(ConsoleFlags::asStored("").deleteLockFiles);
}

TEST(ConsoleFlagsTest, OnlyCapitalSSetsAndOnlyCapitalNClearsClosing)
{
    const ConsoleFlags lower = ConsoleFlags::forStartup("ssn nn");
    EXPECT_FALSE(lower.deleteLockFiles);
    EXPECT_FALSE(lower.deleteQueryTables);
    EXPECT_TRUE(lower.closeWhenDone);
    EXPECT_FALSE(lower.deleteNetFile);
    EXPECT_FALSE(lower.startNetlog);

    const ConsoleFlags upper = ConsoleFlags::forStartup("SSNXNN");
    EXPECT_TRUE(upper.deleteLockFiles);
    EXPECT_TRUE(upper.deleteQueryTables);
    EXPECT_FALSE(upper.closeWhenDone);
    EXPECT_FALSE(upper.deleteNetFile);
    EXPECT_FALSE(upper.startNetlog);
    EXPECT_TRUE(ConsoleFlags::forStartup("  X").closeWhenDone);
}

TEST(ConsoleFlagsTest, TextIsTwentyCharactersWithUnusedPositionsBlank)
{
    ConsoleFlags flags;
    flags.closeWhenDone = true;
    EXPECT_EQ(flags.text(), "NNS NN" + QString(14, u' '));

    flags = ConsoleFlags::asStored("SSNXSS" + QString(14, u'X'));
    EXPECT_EQ(flags.text(), "SSN SS" + QString(14, u' '));

    EXPECT_EQ(consoleFlagsText("SN"), "SN" + QString(18, u' '));
    EXPECT_EQ(consoleFlagsText(QString(19, u' ') + "SN"), QString(19, u' ') + "S");
    EXPECT_EQ(consoleParamFile("C:\\VALDORO\\NAVLOR"), "C:\\VALDORO\\NAVLOR\\NAV_LOR");
}

TEST(ConsoleFlagsTest, OnlyKnownArchiverOptionsAndSaneCeilingsAreTaken)
{
    const QList<std::pair<QString, std::optional<QString>>> options{
        {"", QString("")},      {"-HF2", QString("-HF2")}, {" -hf1 ", QString("-HF1")},
        {"-HF3", std::nullopt}, {"-HF2 >X", std::nullopt}, {"\"-HF2", std::nullopt},
    };
    for (const auto& [line, taken] : options)
        EXPECT_EQ(validArchiverOption(line), taken) << line.toStdString();

    const QList<std::pair<QString, int>> ceilings{
        {"", 6 * 3600},
        {"90", 90 * 60},
        {" 5 ", 300},
        {"0", 6 * 3600},
        {"-3", 6 * 3600},
        {"seis", 6 * 3600},
        {"99999999", 7 * 24 * 3600},
    };
    for (const auto& [line, seconds] : ceilings)
        EXPECT_EQ(archiverCeilingSeconds(line), seconds) << line.toStdString();
}

} // namespace
} // namespace navlor

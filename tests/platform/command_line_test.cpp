#include "lib/platform/command_line.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(CommandLine, SplitsAsTheCRuntimeDoes)
{
    EXPECT_EQ(splitCommandLine(R"(C:\EXE\ARJ.EXE a -r "C:\Dados B\X.ARJ" *.*)"),
              (QStringList{R"(C:\EXE\ARJ.EXE)", "a", "-r", R"(C:\Dados B\X.ARJ)", "*.*"}));
    // the program name: quotes only, a backslash before a quote is no escape there
    EXPECT_EQ(splitCommandLine(R"("C:\Program Files\X.EXE\" a)"),
              (QStringList{R"(C:\Program Files\X.EXE\)", "a"}));
    EXPECT_EQ(splitCommandLine(R"(   X.EXE   a	b  )"), (QStringList{"X.EXE", "a", "b"}));
    EXPECT_TRUE(splitCommandLine("   ").isEmpty());
}

TEST(CommandLine, BackslashesAndQuotes)
{
    // 2n backslashes + quote: n backslashes, quote groups; 2n+1: n backslashes + literal quote
    EXPECT_EQ(splitArguments(R"(a\\\"b "c\\" d\e)"), (QStringList{R"(a\"b)", R"(c\)", R"(d\e)"}));
    EXPECT_EQ(splitArguments(R"(\\\\"x y")"), (QStringList{R"(\\x y)"}));
    // "" inside a quoted part is a literal quote and the part goes on
    EXPECT_EQ(splitArguments(R"("a""b c" d)"), (QStringList{R"(a"b c)", "d"}));
    EXPECT_EQ(splitArguments(R"("" x)"), (QStringList{"", "x"}));
    EXPECT_EQ(splitArguments(R"(ab"c d"e)"), (QStringList{"abc de"}));
    EXPECT_EQ(splitArguments(R"("unterminated arg)"), (QStringList{"unterminated arg"}));
}

TEST(CommandLine, ProgramTokenAsCreateProcessTakesIt)
{
    ProgramToken t = splitProgramToken(R"("C:\Program Files\A.EXE" /x "y z")");
    EXPECT_EQ(t.program, R"(C:\Program Files\A.EXE)");
    EXPECT_EQ(t.rest, R"(/x "y z")");
    t = splitProgramToken(R"(COMMAND.COM  /C ArqBat.Bat)");
    EXPECT_EQ(t.program, "COMMAND.COM");
    EXPECT_EQ(t.rest, "/C ArqBat.Bat");
    t = splitProgramToken("ArqBat.Bat");
    EXPECT_EQ(t.program, "ArqBat.Bat");
    EXPECT_TRUE(t.rest.isEmpty());
}

TEST(CommandLine, QuotingRoundTrips)
{
    const QStringList args{"plain",
                           "",
                           "two words",
                           R"(C:\dir\)",
                           R"(C:\dir with space\)",
                           R"(say "hi")",
                           R"(\\server\"x)",
                           "tab\there",
                           R"(a\\b)"};
    EXPECT_EQ(splitArguments(joinCommandLine(args)), args);
    EXPECT_EQ(quoteArgument("plain"), "plain");
    EXPECT_EQ(quoteArgument(R"(C:\a b\)"), R"("C:\a b\\")");
}

} // namespace
} // namespace navlor

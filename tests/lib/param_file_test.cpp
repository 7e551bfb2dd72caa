#include "lib/param_file.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

QStringList lines(std::initializer_list<const char*> values)
{
    QStringList list;
    for (const char* v : values)
        list << QString::fromLatin1(v);
    return list;
}

TEST(ParamFileParse, LineEnds)
{
    EXPECT_EQ(parseParamFile("A\r\nB\r\nC\r\n"), lines({"A", "B", "C"}));
    EXPECT_EQ(parseParamFile("A\nB\nC"), lines({"A", "B", "C"}));
    // A lone CR ends the value and hides the rest of its line: here, the rest of the file.
    EXPECT_EQ(parseParamFile("A\rB\rC\r"), lines({"A"}));
    EXPECT_EQ(parseParamFile("A\rjunk\nB\r\n"), lines({"A", "B"}));
    EXPECT_EQ(parseParamFile("A\r\r\nB"), lines({"A", "B"}));
    // Ctrl-Z ends the value and the file.
    EXPECT_EQ(parseParamFile("A\r\nB\x1A"
                             "C\r\nD\r\n"),
              lines({"A", "B"}));
    EXPECT_EQ(parseParamFile("A\r\n\x1A\r\nB"), lines({"A"}));
    EXPECT_EQ(parseParamFile("A\rjunk\x1A\nB"), lines({"A"}));
    EXPECT_EQ(parseParamFile(""), QStringList());
    EXPECT_EQ(parseParamFile("\r\n"), lines({""}));
    EXPECT_EQ(parseParamFile("\r\n\r\nX"), lines({"", "", "X"}));
}

TEST(ParamFileParse, PlaceholderAndBlanks)
{
    EXPECT_EQ(parseParamFile("#\r\n #\r\n# \r\n##\r\n  v  \r\n"),
              lines({"", " #", "# ", "##", "  v  "}));
    EXPECT_EQ(parseParamFile("Diret\xF3rio\r\n"), QStringList{QString::fromUtf8("Diretório")});
}

TEST(ParamFileFormat, ALineBreakInsideAValueDoesNotShiftLaterLines)
{
    ParamSlots table;
    table[1] = "one\r\ntwo";
    table[2] = "B";
    normaliseParamSlots(table);
    const QStringList back = parseParamFile(formatParamFile(table));
    EXPECT_EQ(back, lines({"one  two", "B"}));
}

} // namespace
} // namespace navlor

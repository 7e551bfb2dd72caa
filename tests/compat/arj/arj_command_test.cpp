#include "compat/arj/arj_command.h"
#include "lib/platform/command_line.h"

#include <gtest/gtest.h>

namespace navlor::arj {
namespace {

TEST(ArjCommandLine, BackupLineWithTheOptionGluedToTheArchive)
{
    // The backup run's line: option and archive in one quoted argument, the source directory
    // followed by its masks, switches after the names.
    const CommandLine line =
        parseCommandLine({"A", "-HF2D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ", "C:\\VALDOROW\\DADOS",
                          "*.DB", "*.MB", "-U", "-R", "-X*.ARJ", "-X*_.EXE"});
    EXPECT_TRUE(line.error.isEmpty()) << line.error.toStdString();
    EXPECT_EQ(line.action, Action::Add);
    EXPECT_EQ(line.archive, "D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ");
    EXPECT_EQ(line.names, QStringList({"C:\\VALDOROW\\DADOS", "*.DB", "*.MB"}));
    EXPECT_TRUE(line.update);
    EXPECT_TRUE(line.recurse);
    EXPECT_EQ(line.excludes, QStringList({"*.ARJ", "*_.EXE"}));
    EXPECT_EQ(line.ignored, QStringList{"-HF2"});

    const CommandLine hf1 = parseCommandLine({"a", "-hf1d:\\b.arj", "c:\\x"});
    EXPECT_EQ(hf1.archive, "d:\\b.arj");
    EXPECT_EQ(hf1.names, QStringList{"c:\\x"});
}

TEST(ArjCommandLine, SwitchesInEitherCaseAnywhere)
{
    const CommandLine extract = parseCommandLine(
        {"e", "-jE", "-y", "D:\\B.ARJ", "-htC:\\Destino Novo", "DADOS\\A.DB", "-va"});
    EXPECT_TRUE(extract.error.isEmpty());
    EXPECT_EQ(extract.action, Action::ExtractFlat);
    EXPECT_TRUE(extract.yes);
    EXPECT_TRUE(extract.volumes);
    EXPECT_EQ(extract.target, "C:\\Destino Novo");
    EXPECT_EQ(extract.names, QStringList{"DADOS\\A.DB"});
    EXPECT_EQ(extract.ignored, QStringList{"-JE"});

    const CommandLine restore = parseCommandLine({"X", "C:\\B.ARJ", "C:\\", "*.*", "-Y"});
    EXPECT_EQ(restore.action, Action::Extract);
    EXPECT_EQ(restore.names, QStringList({"C:\\", "*.*"}));

    EXPECT_EQ(parseCommandLine({"M", "A.ARJ"}).action, Action::Move);
    EXPECT_EQ(parseCommandLine({"l", "A.ARJ"}).action, Action::List);
    EXPECT_EQ(parseCommandLine({"V", "A.ARJ"}).action, Action::Verbose);
    EXPECT_TRUE(parseCommandLine({"E", "A.ARJ", "-n"}).newOnly);
}

TEST(ArjCommandLine, OperatorOptionsAndEmptyExclusions)
{
    // "H$" is offered without its dash; before the archive it is the switch.
    const CommandLine listing = parseCommandLine({"V", "H$", "C:\\B.ARJ", "*.*"});
    EXPECT_EQ(listing.archive, "C:\\B.ARJ");
    EXPECT_EQ(listing.names, QStringList{"*.*"});

    // Two blanks between exclusion masks give an "-X" without a mask: it excludes nothing.
    const CommandLine add = parseCommandLine({"A", "B.ARJ", "-X", "-X*.TMP", "-J"});
    EXPECT_TRUE(add.error.isEmpty());
    EXPECT_EQ(add.excludes, QStringList{"*.TMP"});

    // After "--" a name that starts with a dash is a name.
    EXPECT_EQ(parseCommandLine({"A", "B.ARJ", "--", "-X.DB"}).names, QStringList{"-X.DB"});
}

TEST(ArjCommandLine, QuotedPathEndingInABackslash)
{
    // In "C:\DADOS\" the C runtime reads \" as a literal quote and keeps the rest of the line
    // in the same argument.
    const CommandLine add =
        parseCommandLine(splitArguments(R"(A D:\B.ARJ "C:\DADOS\"  *.DB *.MB -U -R   -X*.ARJ)"));
    EXPECT_TRUE(add.error.isEmpty()) << add.error.toStdString();
    EXPECT_EQ(add.names, QStringList({"C:\\DADOS\\", "*.DB", "*.MB"}));
    EXPECT_TRUE(add.update);
    EXPECT_TRUE(add.recurse);
    EXPECT_EQ(add.excludes, QStringList{"*.ARJ"});

    // The extract window's line with a drive root as target.
    const CommandLine extract =
        parseCommandLine(splitArguments(R"(E  -Y "D:\B.ARJ" "-HTC:\" "DADOS\A.DB" )"));
    EXPECT_EQ(extract.target, "C:\\");
    EXPECT_EQ(extract.names, QStringList{"DADOS\\A.DB"});
}

TEST(ArjCommandLine, ArgumentsFromTheRawLineWhenItIsThisProgramsOwn)
{
    const struct
    {
        const char* raw;
        QStringList expected;
    } cases[] = {
        // The C runtime reads \" as a quote and runs the last two arguments together.
        {R"(ARJ.EXE E "C:\B.ARJ" "-HTC:\" "MEUS DADOS\MEU ARQ.DB")",
         {"E", "C:\\B.ARJ", "-HTC:\\", "MEUS DADOS\\MEU ARQ.DB"}},
        {R"("C:\VALDOROW\EXE\ARJ.EXE"  A D:\B.ARJ "C:\DADOS\"  *.DB -U)",
         {"A", "D:\\B.ARJ", "C:\\DADOS\\", "*.DB", "-U"}},
        // Quotes group wherever they stand; an empty pair is an empty argument.
        {R"(ARJ A "-HF2D:\BKP\A B.ARJ" C:\"DA DOS"\X "")",
         {"A", "-HF2D:\\BKP\\A B.ARJ", "C:\\DA DOS\\X", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.raw);
        const QString raw = QString::fromUtf8(c.raw);
        EXPECT_EQ(commandArguments(splitCommandLine(raw).mid(1), raw), c.expected);
    }
    // A line that is not the one argv came from is left alone, as is no line at all.
    const QStringList argv{"L", "C:\\B.ARJ"};
    EXPECT_EQ(commandArguments(argv, R"(ARJ E "C:\X.ARJ" "-HTC:\" "A B")"), argv);
    EXPECT_EQ(commandArguments(argv, "ARJ L C:\\B.ARJ *.*"), argv);
    EXPECT_EQ(commandArguments(argv, {}), argv);
}

TEST(ArjCommandLine, RefusedLines)
{
    EXPECT_FALSE(parseCommandLine({"A", "-Q9", "B.ARJ"}).error.isEmpty());
    // A flag with letters glued to it is no path: refused, not read as an archive name.
    EXPECT_FALSE(parseCommandLine({"A", "-RU", "B.ARJ"}).error.isEmpty());
    EXPECT_FALSE(parseCommandLine({"Q", "B.ARJ"}).error.isEmpty());
    EXPECT_EQ(parseCommandLine({"t", "B.ARJ"}).action, Action::Test);
    EXPECT_FALSE(parseCommandLine({"A"}).error.isEmpty());
    EXPECT_FALSE(parseCommandLine({}).error.isEmpty());
}

TEST(ArjCommandLine, ArchiveExtension)
{
    EXPECT_EQ(withArchiveExtension("C:\\BKP\\DIARIO"), "C:\\BKP\\DIARIO.ARJ");
    EXPECT_EQ(withArchiveExtension("C:\\BKP.OLD\\DIARIO"), "C:\\BKP.OLD\\DIARIO.ARJ");
    EXPECT_EQ(withArchiveExtension("C:\\BKP\\DIARIO.A01"), "C:\\BKP\\DIARIO.A01");
}

} // namespace
} // namespace navlor::arj

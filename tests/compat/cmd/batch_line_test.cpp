#include "compat/cmd/batch_line.h"
#include "compat/cmd/batch_syntax.h"

#include <gtest/gtest.h>

namespace navlor::cmd {
namespace {

using Kind = BatchLine::Kind;

TEST(BatchLine, ArchiverLinesKeepTheirQuotedArguments)
{
    const BatchLine line =
        parseBatchLine(R"("C:\VALDOROW\EXE\ARJ.EXE" A "D:\VLDRBKPA\BKP00_04_DIARIO.ARJ" )"
                       R"("C:\VALDOROW\DADOS"  *.DB *.MB -U -R   -X*.ARJ -X*_.EXE)");
    EXPECT_EQ(line.kind, Kind::Command);
    EXPECT_EQ(line.command, R"(C:\VALDOROW\EXE\ARJ.EXE)");
    EXPECT_TRUE(line.commandQuoted);
    EXPECT_FALSE(line.internal);
    EXPECT_EQ(line.arguments,
              (QStringList{"A", R"(D:\VLDRBKPA\BKP00_04_DIARIO.ARJ)", R"(C:\VALDOROW\DADOS)",
                           "*.DB", "*.MB", "-U", "-R", "-X*.ARJ", "-X*_.EXE"}));
    // the program gets the text as written, blanks and all
    EXPECT_EQ(line.argumentText, R"( A "D:\VLDRBKPA\BKP00_04_DIARIO.ARJ" "C:\VALDOROW\DADOS"  )"
                                 R"(*.DB *.MB -U -R   -X*.ARJ -X*_.EXE)");
    EXPECT_TRUE(line.redirections.isEmpty());

    // the option glued in front of the archive inside the quotes stays one argument
    const BatchLine glued = parseBatchLine(R"(C:\ARJ.EXE A "-HF2D:\BKP.ARJ" "C:\DADOS")");
    EXPECT_EQ(glued.command, R"(C:\ARJ.EXE)");
    EXPECT_EQ(glued.arguments, (QStringList{"A", R"(-HF2D:\BKP.ARJ)", R"(C:\DADOS)"}));
}

TEST(BatchLine, BackslashesFollowTheRulesOfTheCRuntime)
{
    // "-HT" joined to a target that ends in "\": the backslash before the quote escapes it
    const BatchLine line = parseBatchLine(R"(ARJ.EXE E -Y "C:\B.ARJ" "-HTC:\DEST\" "A B.TXT")");
    EXPECT_EQ(line.arguments, (QStringList{"E", "-Y", R"(C:\B.ARJ)", R"(-HTC:\DEST" A)", "B.TXT"}));
    EXPECT_EQ(parseBatchLine(R"(P a\\"b c" d\\\"e C:\ *.*)").arguments,
              (QStringList{R"(a\b c)", R"(d\"e)", R"(C:\)", "*.*"}));
}

TEST(BatchLine, RedirectionsWithAndWithoutBlanks)
{
    const BatchLine listing =
        parseBatchLine(R"(C:\ARJ.EXE L "C:\A B\X.ARJ" *.* > C:\VALDOROTEMP\LIST.LLL)");
    EXPECT_EQ(listing.arguments, (QStringList{"L", R"(C:\A B\X.ARJ)", "*.*"}));
    ASSERT_EQ(listing.redirections.size(), 1);
    EXPECT_EQ(listing.redirections[0].handle, 1);
    EXPECT_FALSE(listing.redirections[0].append);
    EXPECT_EQ(listing.redirections[0].target, R"(C:\VALDOROTEMP\LIST.LLL)");

    const BatchLine glued = parseBatchLine(R"(ARJ.EXE V  "D:\B.ARJ" *.* >C:\TEMP\LIST.LLL)");
    EXPECT_EQ(glued.arguments, (QStringList{"V", R"(D:\B.ARJ)", "*.*"}));
    ASSERT_EQ(glued.redirections.size(), 1);
    EXPECT_EQ(glued.redirections[0].target, R"(C:\TEMP\LIST.LLL)");

    const BatchLine appended = parseBatchLine(R"(ECHO fim>>"C:\Meus Logs\x.log")");
    EXPECT_EQ(appended.command, "ECHO");
    EXPECT_EQ(appended.argumentText, " fim");
    ASSERT_EQ(appended.redirections.size(), 1);
    EXPECT_TRUE(appended.redirections[0].append);
    EXPECT_EQ(appended.redirections[0].target, R"(C:\Meus Logs\x.log)");

    // a ">" inside quotes is text; a redirection may come first
    const BatchLine quoted = parseBatchLine(R"(>OUT.TXT ECHO "a > b" < IN.TXT 2>&1)");
    EXPECT_EQ(quoted.command, "ECHO");
    EXPECT_EQ(quoted.argumentText, R"( "a > b"  )");
    ASSERT_EQ(quoted.redirections.size(), 3);
    EXPECT_EQ(quoted.redirections[0].target, "OUT.TXT");
    EXPECT_EQ(quoted.redirections[1].handle, 0);
    EXPECT_EQ(quoted.redirections[1].target, "IN.TXT");
    EXPECT_EQ(quoted.redirections[2].handle, 2);
    EXPECT_EQ(quoted.redirections[2].duplicateOf, 1);

    // a digit is a handle only at the start of a word
    const BatchLine digits = parseBatchLine("ECHO BKP2>X.TXT 2>NUL");
    EXPECT_EQ(digits.argumentText, " BKP2 ");
    ASSERT_EQ(digits.redirections.size(), 2);
    EXPECT_EQ(digits.redirections[0].handle, 1);
    EXPECT_EQ(digits.redirections[1].handle, 2);
    EXPECT_EQ(digits.redirections[1].target, "NUL");

    // the escape character makes an operator text
    const BatchLine escaped = parseBatchLine("ECHO a ^> b");
    EXPECT_EQ(escaped.argumentText, " a > b");
    EXPECT_TRUE(escaped.redirections.isEmpty());
}

TEST(BatchLine, LinesThatCannotRunSayWhy)
{
    EXPECT_FALSE(parseBatchLine("ECHO x >").error.isEmpty());
    EXPECT_FALSE(parseBatchLine("ECHO x >>   ").error.isEmpty());
    EXPECT_FALSE(parseBatchLine("DIR | MORE").error.isEmpty());
    EXPECT_FALSE(parseBatchLine("ECHO a & ECHO b").error.isEmpty());
    EXPECT_FALSE(parseBatchLine("ECHO a 5>X").error.isEmpty());
    EXPECT_TRUE(parseBatchLine(R"(ECHO "a | b & c")").error.isEmpty());
}

TEST(BatchLine, AtCommentsAndLabels)
{
    const BatchLine silent = parseBatchLine("  @ @ECHO OFF");
    EXPECT_TRUE(silent.silent);
    EXPECT_EQ(silent.command, "ECHO");
    EXPECT_EQ(silent.argumentText, " OFF");

    for (const QString text : {"REM > X.TXT", "rem", "@Rem nada | x", "REM.comentario"}) {
        const BatchLine remark = parseBatchLine(text);
        EXPECT_EQ(remark.kind, Kind::Comment) << text.toStdString();
        EXPECT_TRUE(remark.redirections.isEmpty());
        EXPECT_TRUE(remark.error.isEmpty());
    }
    // REMOVE is a program, not a remark
    EXPECT_EQ(parseBatchLine("REMOVE.EXE x").kind, Kind::Command);

    const BatchLine comment = parseBatchLine(":: nada > X.TXT");
    EXPECT_EQ(comment.kind, Kind::Label);
    EXPECT_TRUE(comment.redirections.isEmpty());
    const BatchLine label = parseBatchLine(":Fim  de tudo");
    EXPECT_EQ(label.kind, Kind::Label);
    EXPECT_EQ(label.label, "Fim");

    EXPECT_EQ(parseBatchLine("").kind, Kind::Empty);
    EXPECT_EQ(parseBatchLine(" \t ").kind, Kind::Empty);
    EXPECT_EQ(parseBatchLine("@").kind, Kind::Empty);
    // a line of redirections alone makes the file
    const BatchLine onlyRedirection = parseBatchLine("> VAZIO.TXT");
    EXPECT_EQ(onlyRedirection.kind, Kind::Command);
    EXPECT_TRUE(onlyRedirection.command.isEmpty());
    EXPECT_EQ(onlyRedirection.redirections.size(), 1);
}

TEST(BatchLine, InternalCommandsMayBeGluedToTheirArgument)
{
    const BatchLine echoDot = parseBatchLine("echo.");
    EXPECT_TRUE(echoDot.internal);
    EXPECT_EQ(echoDot.command, "ECHO");
    EXPECT_EQ(echoDot.argumentText, ".");
    const BatchLine up = parseBatchLine("CD..");
    EXPECT_EQ(up.command, "CD");
    EXPECT_EQ(up.arguments, QStringList{".."});
    EXPECT_EQ(parseBatchLine(R"(cd\VALDOROW)").arguments, QStringList{R"(\VALDOROW)"});
    EXPECT_EQ(parseBatchLine("Rename A B").command, "RENAME");

    // a program whose name starts like a command is still a program
    EXPECT_FALSE(parseBatchLine("ECHOES.EXE").internal);
    EXPECT_FALSE(parseBatchLine("CALLBACK x").internal);
    // quotes make any word a program
    const BatchLine quoted = parseBatchLine(R"("echo" x)");
    EXPECT_FALSE(quoted.internal);
    EXPECT_EQ(quoted.command, "echo");
    // quotes in the middle of a path are taken out of it
    EXPECT_EQ(parseBatchLine(R"(C:\"Meus Programas"\P.EXE a)").command,
              R"(C:\Meus Programas\P.EXE)");
}

TEST(BatchLine, BatchParametersKeepTheirQuotes)
{
    EXPECT_EQ(splitBatchParameters(R"( "a b" c,d;e=f  "")"),
              (QStringList{R"("a b")", "c", "d", "e", "f", R"("")"}));
    EXPECT_TRUE(splitBatchParameters("   ").isEmpty());
}

TEST(BatchLine, PercentsInABatchFile)
{
    PercentContext context;
    context.inBatch = true;
    context.parameters = {R"(C:\JOBS\RUN.BAT)", R"("C:\A B\X.ARJ")", "dois"};
    context.variable = [](const QString& name) {
        return name.compare("DESTINO", Qt::CaseInsensitive) == 0 ? QStringLiteral(R"(D:\BKP)")
                                                                 : QString();
    };
    EXPECT_EQ(expandPercents("ARJ L %1 %2 %3", context), R"(ARJ L "C:\A B\X.ARJ" dois )");
    EXPECT_EQ(expandPercents("%~1|%~n1|%~x1|%~dp0|%~nx0", context),
              R"(C:\A B\X.ARJ|X|.ARJ|C:\JOBS\|RUN.BAT)");
    EXPECT_EQ(expandPercents("%*", context), R"("C:\A B\X.ARJ" dois)");
    EXPECT_EQ(expandPercents("%destino%\\X %NADA%fim 100%% 5%", context), R"(D:\BKP\X fim 100% 5)");

    // on a command line unknown names and lone percents stay
    context.inBatch = false;
    EXPECT_EQ(expandPercents("%destino% %NADA% %1 100%", context), R"(D:\BKP %NADA% %1 100%)");
}

TEST(BatchLine, IfConditions)
{
    IfCondition c;
    ASSERT_TRUE(parseIfCondition(" NOT ERRORLEVEL 1 GOTO ok", c));
    EXPECT_EQ(c.kind, IfCondition::Kind::ErrorLevel);
    EXPECT_TRUE(c.negate);
    EXPECT_EQ(c.left, "1");
    EXPECT_EQ(c.command, "GOTO ok");

    ASSERT_TRUE(parseIfCondition(R"( exist "C:\A B\*.ARJ" DEL "C:\A B\*.ARJ")", c));
    EXPECT_EQ(c.kind, IfCondition::Kind::Exist);
    EXPECT_EQ(c.left, R"(C:\A B\*.ARJ)");
    EXPECT_EQ(c.command, R"(DEL "C:\A B\*.ARJ")");

    ASSERT_TRUE(parseIfCondition(R"( /I "%1"=="" ECHO vazio)", c));
    EXPECT_EQ(c.kind, IfCondition::Kind::Compare);
    EXPECT_TRUE(c.ignoreCase);
    EXPECT_EQ(c.left, R"("%1")");
    EXPECT_EQ(c.right, R"("")");
    ASSERT_TRUE(parseIfCondition(" a == b ECHO x", c));
    EXPECT_EQ(c.left, "a");
    EXPECT_EQ(c.right, "b");

    EXPECT_FALSE(parseIfCondition(" ERRORLEVEL x ECHO", c));
    EXPECT_FALSE(parseIfCondition(" EXIST C:\\X", c)); // no command
    EXPECT_FALSE(parseIfCondition(" a = b ECHO", c));
    EXPECT_FALSE(parseIfCondition("", c));
}

TEST(BatchLine, ForLines)
{
    // the whole line is FOR's: the redirection belongs to the command after DO
    const BatchLine line = parseBatchLine("@for %F in (*.TXT) do TYPE %F >> TUDO.OUT");
    EXPECT_EQ(line.command, "FOR");
    EXPECT_TRUE(line.redirections.isEmpty());

    struct Case
    {
        const char* text;
        QStringList items;
        const char* command; // nullptr: refused
        bool numeric = false;
    };
    const Case cases[] = {
        {R"( %F in (C:\W\*.TXT "a b",c;d) do TYPE %F >> X )",
         {R"(C:\W\*.TXT)", R"("a b")", "c", "d"},
         "TYPE %F >> X "},
        {" %i IN(1) DO (ECHO %i)", {"1"}, "ECHO %i"},
        {" /l %n in (1,2,9) do ECHO %n", {"1", "2", "9"}, "ECHO %n", true},
        {R"x( %q in (")" a) do ECHO %q)x", {R"x(")")x", "a"}, "ECHO %q"},
        {" /F %l in (x) do ECHO", {"x"}, "ECHO"},
        {" %%F in (x) do ECHO", {}, nullptr},
        {" %F on (x) do ECHO", {}, nullptr},
        {" %F in (x do ECHO", {}, nullptr},
        {" %F in (x) ECHO", {}, nullptr},
        {" %F in (x) do (ECHO", {}, nullptr},
        {" %F in (x) do ", {}, nullptr},
    };
    for (const Case& c : cases) {
        const ForCommand loop = parseForCommand(QString::fromUtf8(c.text));
        EXPECT_EQ(loop.error.isEmpty(), c.command != nullptr) << c.text;
        if (!c.command)
            continue;
        EXPECT_EQ(loop.items, c.items) << c.text;
        EXPECT_EQ(loop.command, c.command) << c.text;
        EXPECT_EQ(loop.numeric, c.numeric) << c.text;
    }
    EXPECT_TRUE(parseForCommand(" /X %F in (x) do ECHO").error.contains("/X"));

    const auto full = [](const QString& path) { return "C:\\JOBS\\" + path; };
    EXPECT_EQ(
        substituteForVariable("%F %f %~nF %~dpnxF %~F %% %~z 100%", u'F', R"("a b.txt")", full),
        R"("a b.txt" %f a b C:\JOBS\a b.txt a b.txt %% %~z 100%)");
    // a variable named like a modifier
    EXPECT_EQ(substituteForVariable("%~nxn|%~n", u'n', "x.y", full), "x.y|x.y");
}

} // namespace
} // namespace navlor::cmd

namespace navlor::cmd {
namespace {

TEST(BatchSyntax, ChainsSplitWhereCmdSplitsThem)
{
    using Link = ChainPart::Link;
    struct Case
    {
        const char* text;
        QList<std::pair<Link, QString>> parts;
    };
    const Case cases[] = {
        {"A & B", {{Link::Always, "A "}, {Link::Always, " B"}}},
        {"A&&B||C|D",
         {{Link::Always, "A"}, {Link::IfSuccess, "B"}, {Link::IfFailure, "C"}, {Link::Pipe, "D"}}},
        {"ECHO \"a&b\" ^& c 2>&1", {{Link::Always, "ECHO \"a&b\" ^& c 2>&1"}}},
        {"(A & B) > F & C", {{Link::Always, "(A & B) > F "}, {Link::Always, " C"}}},
        {"IF 1==1 A & B", {{Link::Always, "IF 1==1 A & B"}}},
        {"X & FOR %a IN (1) DO A & B",
         {{Link::Always, "X "}, {Link::Always, " FOR %a IN (1) DO A & B"}}},
        {"REM a | b", {{Link::Always, "REM a | b"}}},
        {"A\n\nB", {{Link::Always, "A"}, {Link::Always, "B"}}},
        {"&&", {}},
    };
    for (const Case& c : cases) {
        QList<std::pair<Link, QString>> parts;
        for (const ChainPart& part : splitCommandChain(QString::fromUtf8(c.text)))
            parts.append({part.link, part.text});
        EXPECT_EQ(parts, c.parts) << c.text;
    }
}

TEST(BatchSyntax, LogicalLinesJoinCaretsAndOpenBlocks)
{
    struct Case
    {
        QStringList lines;
        QString first;
        qsizetype next;
    };
    const Case cases[] = {
        {{"COPY A ^", " B", "X"}, "COPY A  B", 2},
        {{"ECHO \"^\"", "X"}, "ECHO \"^\"", 1},
        {{"IF 1==1 (", "ECHO a", ") ELSE (", "ECHO b", ")", "X"},
         "IF 1==1 (\nECHO a\n) ELSE (\nECHO b\n)",
         5},
        {{"ECHO (x", "X"}, "ECHO (x", 1},
        {{"FOR %%a IN (1) DO (", "ECHO (x)", ")", "X"}, "FOR %%a IN (1) DO (\nECHO (x)", 2},
        {{"(", "ECHO a"}, "(\nECHO a", 2},
    };
    for (const Case& c : cases) {
        qsizetype next = 0;
        EXPECT_EQ(readLogicalLine(c.lines, next), c.first) << c.lines.join('|').toStdString();
        EXPECT_EQ(next, c.next) << c.lines.join('|').toStdString();
    }
}

TEST(BatchSyntax, VariableSubstringsAndReplacements)
{
    const struct
    {
        const char* operation;
        const char* result; // nullptr: not an operation
    } cases[] = {
        {"~0,4", "2024"}, {"~-2", "15"},   {"~4,-2", "03"},     {"~20", ""},
        {"~-20,2", "20"}, {"~1,-20", ""},  {"0=X", "2X24X315"}, {"*3=Y", "Y15"},
        {"~x", nullptr},  {"=a", nullptr}, {"*=a", nullptr},
    };
    for (const auto& c : cases) {
        QString result;
        const bool ok = applyVariableOperation("20240315", c.operation, result);
        EXPECT_EQ(ok, c.result != nullptr) << c.operation;
        if (ok)
            EXPECT_EQ(result, c.result) << c.operation;
    }
}

TEST(BatchSyntax, ForFileOptionsAndTokens)
{
    const struct
    {
        const char* options;
        const char* line;
        QStringList tokens;
    } cases[] = {
        {"", "  a b c", {"a"}},
        {"tokens=2,3", "a b", {"b", ""}},
        {"tokens=1-2* delims=,", ",a,,b,c d", {"a", "b", "c d"}},
        {"tokens=* delims= ", "  x y ", {"x y "}},
        {"delims=;, tokens=3", "a;b,c", {"c"}},
        {"tokens=4", "a b", {}},
    };
    for (const auto& c : cases) {
        const ForFileOptions options = parseForFileOptions(c.options);
        EXPECT_TRUE(options.error.isEmpty()) << c.options;
        EXPECT_EQ(forFileTokens(c.line, options), c.tokens) << c.options;
    }
    const ForFileOptions more = parseForFileOptions("usebackq skip=2 eol=#");
    EXPECT_TRUE(more.backQuotes);
    EXPECT_EQ(more.skip, 2);
    EXPECT_EQ(more.endOfLine, u'#');
    EXPECT_FALSE(parseForFileOptions("tokens=0").error.isEmpty());
    EXPECT_FALSE(parseForFileOptions("lines=2").error.isEmpty());
}

} // namespace
} // namespace navlor::cmd

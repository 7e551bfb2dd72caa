#include "compat/cmd/batch_line.h"

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
        {" /F %l in (x) do ECHO", {}, nullptr},
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
    EXPECT_TRUE(parseForCommand(" /R %F in (x) do ECHO").error.contains("/R"));

    const auto full = [](const QString& path) { return "C:\\JOBS\\" + path; };
    EXPECT_EQ(
        substituteForVariable("%F %f %~nF %~dpnxF %~F %% %~z 100%", u'F', R"("a b.txt")", full),
        R"("a b.txt" %f a b C:\JOBS\a b.txt a b.txt %% %~z 100%)");
    // a variable named like a modifier
    EXPECT_EQ(substituteForVariable("%~nxn|%~n", u'n', "x.y", full), "x.y|x.y");
}

} // namespace
} // namespace navlor::cmd

#include "tests/compat/cmd/cmd_fixture.h"

namespace navlor::test {
namespace {

using Interpreter = CmdTest;

TEST_F(Interpreter, EchoWritesWindowsTextAndRedirectsToWindowsPaths)
{
    prefix.mkdir("C:\\VALDOROTEMP");
    const CmdRun r = runBatch({
        QString::fromUtf8("ECHO ação > c:\\ValDoroTemp\\List.lll"),
        "ECHO.>>C:\\VALDOROTEMP\\LIST.LLL",
        "echo   dois  espaços>>\"C:\\VALDOROTEMP\\list.LLL\"",
        "ECHO ninguém vê > NUL",
        "ECHO",
        "ECHO ON",
        "ECHO",
        "@ECHO na tela",
    });
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    // the file is made in the existing directory, under the name as written
    EXPECT_TRUE(QFileInfo::exists(prefix.root() + "/drive_c/VALDOROTEMP/List.lll"));
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\LIST.LLL"),
              QByteArray("a\xe7\xe3o \r\n\r\n  dois  espa\xe7os\r\n"));
    EXPECT_EQ(r.lines(), (QStringList{QString::fromUtf8("ECHO está desativado."), "C:\\JOBS>ECHO",
                                      QString::fromUtf8("ECHO está ativado."), "na tela"}));
}

TEST_F(Interpreter, CommandsAreEchoedWhileEchoIsOn)
{
    batch("C:\\JOBS\\ECO.BAT",
          {"ECHO um", "@ECHO dois", "REM nota", ":rotulo", "", "ECHO OFF", "ECHO tres"});
    const CmdRun r = run({"/C", "ECO.BAT"});
    EXPECT_EQ(r.lines(), (QStringList{"C:\\JOBS>ECHO um", "um", "dois", "C:\\JOBS>REM nota",
                                      "C:\\JOBS>ECHO OFF", "tres"}));
}

TEST_F(Interpreter, ProgramsGetTheirArgumentsExactly)
{
    install("C:\\VALDOROW\\EXE\\ARJ.EXE", NAVLOR_CMD_PROBE);
    const CmdRun r = runBatch({
        R"("C:\VALDOROW\EXE\ARJ.EXE" report C:\OUT.TXT A "D:\VLDRBKPA\BKP 00.ARJ" )"
        R"("C:\Meus Dados"  *.DB *.MB -U -R   -X*.ARJ "a\"b" C:\ )",
    });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList report = QString::fromUtf8(prefix.read("C:\\OUT.TXT")).split('\n');
    EXPECT_EQ(report.value(0), "program=C:\\VALDOROW\\EXE\\ARJ.EXE");
    EXPECT_EQ(report.value(1), "cwd=" + QFileInfo(prefix.host("C:\\JOBS")).canonicalFilePath());
    EXPECT_EQ(report.mid(4), (QStringList{"arg=A", R"(arg=D:\VLDRBKPA\BKP 00.ARJ)",
                                          R"(arg=C:\Meus Dados)", "arg=*.DB", "arg=*.MB", "arg=-U",
                                          "arg=-R", "arg=-X*.ARJ", "arg=a\"b", R"(arg=C:\)",
                                          // the line as written, for a program that splits it
                                          R"(line=C:\VALDOROW\EXE\ARJ.EXE report C:\OUT.TXT A )"
                                          R"("D:\VLDRBKPA\BKP 00.ARJ" "C:\Meus Dados"  *.DB *.MB )"
                                          R"(-U -R   -X*.ARJ "a\"b" C:\ )",
                                          ""}));
}

TEST_F(Interpreter, ProgramOutputGoesWhereTheLineRedirectsIt)
{
    prefix.mkdir("C:\\VALDOROTEMP");
    install("C:\\VALDOROW\\EXE\\ARJ.EXE");
    prefix.write("C:\\JOBS\\ENTRADA.TXT", "lido\r\n");
    const CmdRun r = runBatch({
        R"(C:\VALDOROW\EXE\ARJ.EXE L "C:\A B.arj" *.* > C:\VALDOROTEMP\LIST.LLL)",
        R"(C:\VALDOROW\EXE\ARJ.EXE V  "C:\A B.arj" *.* >C:\VALDOROTEMP\LIST2.LLL)",
        R"(C:\VALDOROW\EXE\ARJ.EXE mais >> C:\VALDOROTEMP\LIST2.LLL)",
        R"(C:\VALDOROW\EXE\ARJ.EXE err 2>C:\VALDOROTEMP\ERROS.TXT >NUL)",
        R"(C:\VALDOROW\EXE\ARJ.EXE err 1>C:\VALDOROTEMP\TUDO.TXT 2>&1)",
        R"(C:\VALDOROW\EXE\ARJ.EXE stdin < ENTRADA.TXT > C:\VALDOROTEMP\COPIA.TXT)",
        R"(C:\VALDOROW\EXE\ARJ.EXE na tela)",
    });
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\LIST.LLL"), "L\nC:\\A B.arj\n*.*\n");
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\LIST2.LLL"), "V\nC:\\A B.arj\n*.*\nmais\n");
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\ERROS.TXT"), "erro\n");
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\TUDO.TXT"), "err\nerro\n");
    EXPECT_EQ(prefix.read("C:\\VALDOROTEMP\\COPIA.TXT"), "stdin\nlido\r\n");
    // the handles are back after each line
    EXPECT_EQ(r.out, "na\ntela\n");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(Interpreter, RedirectionThatCannotBeOpenedStopsTheLine)
{
    install("C:\\BIN\\P.EXE");
    const CmdRun r = runBatch({"C:\\BIN\\P.EXE x > C:\\NAO\\EXISTE\\LIST.LLL", "ECHO %ERRORLEVEL%",
                               "ECHO y > Q:\\LIST.LLL", "ECHO fim"});
    EXPECT_EQ(r.lines(), (QStringList{"1", "fim"}));
    EXPECT_EQ(
        r.err.count(QString::fromUtf8("O sistema não pode encontrar o caminho especificado.")), 2);
}

TEST_F(Interpreter, ProgramsAreFoundInTheCurrentDirectoryThenOnPath)
{
    install("C:\\JOBS\\LOCAL.EXE");
    install("C:\\WINDOWS\\SYSTEM32\\NOPATH.EXE");
    install("C:\\WINDOWS\\COMANDO.COM");
    install("C:\\JOBS\\AMBOS.EXE");
    install("C:\\WINDOWS\\AMBOS.COM", NAVLOR_CMD_PROBE); // would exit 2 with these arguments
    prefix.write("C:\\WINDOWS\\SYSTEM32\\ROTINA.BAT", "@ECHO rotina %1\r\n");
    const CmdRun r = runBatch({"local um", "NoPath.exe dois", "comando tres", "ambos quatro",
                               "CALL rotina cinco", "ECHO %ERRORLEVEL%"});
    EXPECT_EQ(r.lines(), (QStringList{"um", "dois", "tres", "quatro", "rotina cinco", "0"}));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    // PATH set by the batch is the one searched
    prefix.mkdir("C:\\OUTRO");
    install("C:\\OUTRO\\LONGE.EXE");
    const CmdRun path = runBatch({"SET PATH=C:\\OUTRO;%PATH%", "LONGE cinco"});
    EXPECT_EQ(path.lines(), QStringList{"cinco"});
}

TEST_F(Interpreter, MissingProgramSaysSoAndFails)
{
    const CmdRun r = runBatch({"NADA.EXE a b", "ECHO %ERRORLEVEL%"});
    EXPECT_EQ(r.lines(), QStringList{"9009"});
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("'NADA.EXE' não é reconhecido como um comando "
                                                 "interno ou externo")))
        << r.err.toStdString();
    EXPECT_EQ(r.exitCode, 9009 % 256); // as Windows hands it to a POSIX parent

    // a file that is there but is no program the host can run
    prefix.write("C:\\JOBS\\VELHO.EXE", "MZ\x90");
    const CmdRun old = run({"/C", "VELHO.EXE"});
    EXPECT_NE(old.exitCode, 0);
    EXPECT_FALSE(old.err.isEmpty());
}

TEST_F(Interpreter, ExitCodeIsThatOfTheLastProgramOrExit)
{
    install("C:\\BIN\\P.EXE");
    EXPECT_EQ(runBatch({"C:\\BIN\\P.EXE exit 7", "ECHO depois"}).exitCode, 7);
    EXPECT_EQ(runBatch({"C:\\BIN\\P.EXE exit 7", "C:\\BIN\\P.EXE exit 0"}).exitCode, 0);
    const CmdRun exit = runBatch({"C:\\BIN\\P.EXE exit 7", "EXIT 3", "ECHO nunca"});
    EXPECT_EQ(exit.exitCode, 3);
    EXPECT_TRUE(exit.lines().isEmpty());
    EXPECT_EQ(run({"/C", "C:\\BIN\\P.EXE", "exit", "12"}).exitCode, 12);
    EXPECT_EQ(run({"/C", "EXIT 300"}).exitCode, 300 % 256);
}

TEST_F(Interpreter, BatchWithoutCallDoesNotReturnAndCallDoes)
{
    batch("C:\\JOBS\\FILHO.BAT", {"@ECHO filho %1 %~2", "@EXIT /B 4", "@ECHO nunca"});
    batch("C:\\JOBS\\OUTRO.BAT", {"@ECHO outro %0"});
    const CmdRun r = runBatch(
        {"CALL FILHO.BAT um \"dois tres\"", "ECHO volta %ERRORLEVEL%", "outro", "ECHO nunca"});
    EXPECT_EQ(r.lines(), (QStringList{"filho um dois tres", "volta 4", "outro outro"}));
    EXPECT_EQ(r.exitCode, 4);
}

TEST_F(Interpreter, GotoIfAndSet)
{
    prefix.write("C:\\JOBS\\EXISTE.TXT", "x");
    install("C:\\BIN\\P.EXE");
    const CmdRun r = runBatch({
        "SET DESTINO=C:\\JOBS",
        "IF EXIST %DESTINO%\\EXISTE.TXT ECHO existe",
        "IF NOT EXIST %DESTINO%\\NADA.TXT ECHO falta",
        "IF EXIST %DESTINO%\\NUL ECHO pasta",
        "C:\\BIN\\P.EXE exit 2 > NUL",
        "IF ERRORLEVEL 2 GOTO erro",
        "ECHO nunca",
        ":erro",
        "IF /I \"%DESTINO%\"==\"c:\\jobs\" ECHO igual",
        "IF \"%DESTINO%\"==\"c:\\jobs\" ECHO nunca",
        "IF DEFINED DESTINO ECHO definido > C:\\JOBS\\SET.TXT",
        "SET DESTINO=",
        "IF NOT DEFINED DESTINO ECHO apagado",
        "CALL :sub um",
        "GOTO :EOF",
        ":sub",
        "ECHO sub %1",
        "GOTO :EOF",
    });
    EXPECT_EQ(r.lines(), (QStringList{"existe", "falta", "pasta", "igual", "apagado", "sub um"}));
    EXPECT_EQ(fileLines("C:\\JOBS\\SET.TXT").value(0), "definido ");
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();

    const CmdRun missing = runBatch({"GOTO fim", "ECHO nunca"});
    EXPECT_TRUE(missing.lines().isEmpty());
    EXPECT_TRUE(missing.err.contains("fim"));
}

TEST_F(Interpreter, BatchFilesInWindowsTextWithAnyLineEnd)
{
    prefix.write("C:\\JOBS\\MISTO.BAT",
                 "@ECHO OFF\nECHO \xe1gua > C:\\JOBS\\A.TXT\r\nECHO fim\n\x1a"
                 "ECHO lixo\r\n");
    const CmdRun r = run({"/C", "MISTO.BAT"});
    EXPECT_EQ(r.lines(), QStringList{"fim"});
    EXPECT_EQ(prefix.read("C:\\JOBS\\A.TXT"), "\xe1gua \r\n");
}

TEST_F(Interpreter, CalledWithTheHostPathOfABatchAndItsParameters)
{
    batch("C:\\JOBS\\PARAM.BAT", {"@ECHO %~1/%2/%0"});
    const CmdRun r = run({"/C", prefix.host("C:\\JOBS\\PARAM.BAT"), "\"a b\" c"}, "C:\\");
    EXPECT_EQ(r.lines(), QStringList{"a b/c/C:\\JOBS\\PARAM.BAT"});
    // and by a Windows path, without /C
    EXPECT_EQ(run({"C:\\JOBS\\PARAM.BAT", "x", "y"}, "C:\\").lines(),
              QStringList{"x/y/C:\\JOBS\\PARAM.BAT"});
}

TEST_F(Interpreter, PromptReadsCommandsUntilExit)
{
    const CmdRun r = run({}, "C:\\JOBS", "CD ..\nECHO ola\nEXIT 2\nECHO nunca\n");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.lines(), (QStringList{"C:\\JOBS>", "C:\\>ola", "C:\\>"}));
    // the end of the input ends it too
    const CmdRun eof = run({}, "C:\\JOBS", "ECHO OFF\nECHO x");
    EXPECT_EQ(eof.exitCode, 0);
    EXPECT_EQ(eof.lines(), (QStringList{"C:\\JOBS>x"}));
    // PAUSE without a terminal does not wait, and takes no input away
    const CmdRun pause = run({"/K", "PAUSE"}, "C:\\JOBS", "ECHO OFF\nECHO depois\n");
    EXPECT_EQ(pause.lines(), (QStringList{"C:\\JOBS>depois"}));
}

TEST_F(Interpreter, OperatorsJoinCommandsOnOneLine)
{
    const CmdRun r = runBatch({"ECHO a | ECHO b", "ECHO a & ECHO b", "ECHO fim"});
    EXPECT_EQ(r.lines(), (QStringList{"b", "a ", "b", "fim"}));
    EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
}

TEST_F(Interpreter, UsageIsShownForSlashQuestionMarkAndNothingRuns)
{
    for (const char* ask : {"/?", "--help"}) {
        const CmdRun r = run({ask});
        EXPECT_EQ(r.exitCode, 0);
        EXPECT_TRUE(fromAnsi(r.out).contains("/K      executa a linha de comando e fica no prompt"))
            << ask;
        EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
    }
}

TEST_F(Interpreter, ForRunsItsCommandForEachItem)
{
    install("C:\\BIN\\P.EXE");
    for (const char* name : {"b.txt", "A.TXT", "C.LOG", ".OCULTO.TXT"})
        prefix.write(QString("C:\\W\\") + name, QByteArray(name) + "\r\n");
    prefix.mkdir("C:\\W\\PASTA.TXT");
    batch("C:\\JOBS\\UM.BAT", {"@ECHO um %1"});
    struct Case
    {
        QStringList lines;
        QStringList out;
    };
    const Case cases[] = {
        // files only, in the directory's order, each to a program
        {{"FOR %%F IN (C:\\W\\*.TXT) DO C:\\BIN\\P.EXE %%F"}, {"C:\\W\\A.TXT", "C:\\W\\b.txt"}},
        {{"CD \\W", "for %%f in (*.txt c.*) do TYPE %%f"}, {"A.TXT", "b.txt", "C.LOG"}},
        // the redirection is made anew for each item
        {{"FOR %%F IN (C:\\W\\*.TXT) DO ECHO %%~nxF> %%~nF.OUT", "TYPE A.OUT", "TYPE b.OUT"},
         {"A.TXT", "b.txt"}},
        {{"FOR %%f IN (\"a b\",c;d) DO ECHO [%%f] %%~f"}, {"[\"a b\"] a b", "[c] c", "[d] d"}},
        {{"FOR %%V IN (1 2) DO CALL UM.BAT %%V"}, {"um 1", "um 2"}},
        {{"FOR %%V IN (0 5) DO C:\\BIN\\P.EXE exit %%V", "ECHO %ERRORLEVEL%"}, {"5"}},
        // the line's percents first, then the variable; %%a is not %%A
        {{"SET X=1", "FOR %%a IN (a) DO ECHO %X%%%a%%A 100%%"}, {"1a%A 100%"}},
        {{"FOR %%A IN (1 2) DO FOR %%B IN (x y) DO ECHO %%A%%B"}, {"1x", "1y", "2x", "2y"}},
        {{"FOR /L %%I IN (5,-2,1) DO ECHO %%I"}, {"5", "3", "1"}},
        {{"FOR %%V IN (1 2 3) DO IF %%V==2 GOTO fim", "ECHO nunca", ":fim", "ECHO fim"}, {"fim"}},
        {{"FOR /F %%L IN (x) DO ECHO %%L", "ECHO %ERRORLEVEL%"}, {"1"}},
        // an open parenthesis takes the lines after it; never closed, nothing of it runs
        {{"FOR %%V IN (x DO ECHO", "ECHO nunca"}, {}},
    };
    for (const Case& c : cases) {
        const CmdRun r = runBatch(c.lines);
        EXPECT_EQ(r.lines(), c.out) << c.lines.join(" / ").toStdString();
    }
    // at the prompt the variable has one percent
    EXPECT_EQ(run({"/C", "FOR %V IN (C:\\W\\*.LOG) DO ECHO %V"}).lines(),
              QStringList{"C:\\W\\C.LOG"});
}

TEST_F(Interpreter, StartReturnsAtOnceUnlessToldToWait)
{
    install("C:\\BIN\\P.EXE");
    prefix.mkdir("C:\\W");
    // the started program waits for a file the batch makes only after START has returned
    const CmdRun r = runBatch({
        "C:\\BIN\\P.EXE exit 2 > NUL",
        "START \"titulo\" /MIN /D C:\\W C:\\BIN\\P.EXE waitfile GO.TXT depois > C:\\JOBS\\S.OUT",
        "ECHO %ERRORLEVEL%",
        "ECHO x > C:\\W\\GO.TXT",
        "START /B /WAIT C:\\BIN\\P.EXE exit 3 > NUL",
        "ECHO %ERRORLEVEL%",
        "START NADA.EXE",
        "ECHO %ERRORLEVEL%",
        "CD",
    });
    // START without /WAIT leaves the error level as it was
    EXPECT_EQ(r.lines(), (QStringList{"2", "3", "9059", "C:\\JOBS"}));
    EXPECT_TRUE(waitUntil([&] { return prefix.read("C:\\JOBS\\S.OUT").contains("depois"); }));
    EXPECT_EQ(prefix.read("C:\\JOBS\\S.OUT"), "waitfile\nGO.TXT\ndepois\n");
}

TEST_F(Interpreter, VerShowsTheVersionThePrefixReports)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"", QString::fromUtf8("Microsoft Windows XP [versão 5.1.2600]")},
        {"[version]\nplatformid=1\nmajor=4\nminor=10\nbuild=67766446\n",
         QString::fromUtf8("Windows 98 [Versão 4.10.2222]")},
        {"[version]\nmajor=6\nminor=1\nbuild=7601\n",
         QString::fromUtf8("Microsoft Windows [versão 6.1.7601]")},
    };
    for (const auto& [ini, line] : cases) {
        QFile file(prefix.root() + "/system.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        EXPECT_EQ(run({"/C", "VER"}).lines(), QStringList{line});
    }
}

} // namespace
} // namespace navlor::test

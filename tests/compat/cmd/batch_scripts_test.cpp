// Whole batches as an operator writes them, run through navlor-cmd on a prefix: what they
// print, their exit status and the files they leave. Expected results are those of the
// Windows XP command interpreter; "UnsureOnXp" marks cases where that is not certain.

#include "tests/compat/cmd/cmd_fixture.h"

#include <utility>

namespace navlor::test {
namespace {

const QByteArray kDirectory = "<pasta>"; // the path is a folder
const QByteArray kAbsent = "<ausente>";  // the path is not there

struct Script
{
    const char* name;
    QStringList lines; // after "@ECHO OFF"
    QString arguments;
    QStringList out; // standard output's lines that are not empty
    int exitCode;
    QList<std::pair<QString, QByteArray>> files;
};

// Each command after a failure, then the error level it leaves.
QStringList afterFailure(const QStringList& commands)
{
    QStringList lines;
    for (const QString& command : commands)
        lines << "CALL :falha" << command << "ECHO %ERRORLEVEL%";
    return lines << "GOTO :EOF"
                 << ":falha"
                 << "EXIT /B 1";
}

const Script kScripts[] = {
    {"SuccessClearsTheErrorLevel",
     afterFailure({"COPY C:\\DADOS\\*.TXT C:\\OUT\\ >NUL", "DIR C:\\DADOS >NUL",
                   "TYPE C:\\DADOS\\A.TXT >NUL", "DEL C:\\OUT\\A.TXT", "REN C:\\OUT\\B.TXT B2.TXT",
                   "CD C:\\DADOS", "MD C:\\OUT\\NOVA", "MOVE C:\\OUT\\B2.TXT C:\\OUT\\NOVA >NUL",
                   "PUSHD C:\\OUT"}),
     "",
     {"0", "0", "0", "0", "0", "0", "0", "0", "0"},
     0,
     {{"C:\\OUT\\NOVA\\B2.TXT", "dois\r\n"}, {"C:\\OUT\\A.TXT", kAbsent}}},
    {"OtherCommandsKeepTheErrorLevel",
     afterFailure({"ECHO x >NUL", "SET V=1", "IF 1==1 REM", "FOR %%a IN (1) DO REM %%a", "REM nada",
                   "SHIFT", "PUSHD C:\\ & POPD", "CLS", "TITLE x"}),
     "",
     {"1", "1", "1", "1", "1", "1", "0", "1", "1"}, // PUSHD in that line clears it
     1,
     {}},
    {"TheLeftErrorLevelFailsTheCopyCheckNoMore",
     {"TYPE C:\\NAOHA.TXT 2>NUL", "COPY C:\\DADOS\\A.TXT C:\\OUT\\E1.TXT >NUL",
      "IF ERRORLEVEL 1 ECHO COPIA FALHOU"},
     "",
     {},
     0,
     {{"C:\\OUT\\E1.TXT", "um\r\n"}}},
    {"EmptyFilesFromNul",
     {"TYPE NUL > C:\\OUT\\VAZIO.LOG", "COPY NUL C:\\OUT\\VAZIO2.LOG", "ECHO %ERRORLEVEL%"},
     "",
     {"        1 arquivo(s) copiado(s).", "0"},
     0,
     {{"C:\\OUT\\VAZIO.LOG", ""}, {"C:\\OUT\\VAZIO2.LOG", ""}}},
    {"CopyIntoAQuotedFolderEndingInBackslash",
     {"MD \"C:\\OUT\\BKP DIR\"",
      "FOR %%F IN (C:\\DADOS\\*.TXT) DO COPY %%F \"C:\\OUT\\BKP DIR\\\" >NUL"},
     "",
     {},
     0,
     {{"C:\\OUT\\BKP DIR\\A.TXT", "um\r\n"}, {"C:\\OUT\\BKP DIR\\B.TXT", "dois\r\n"}}},
    {"BlocksOverSeveralLines",
     {"IF EXIST C:\\DADOS\\A.TXT (", "  ECHO tem", "  ECHO mesmo", ") ELSE (", "  ECHO falta", ")",
      "IF NOT EXIST C:\\DADOS\\A.TXT (", "  ECHO tem", ") ELSE (", "  ECHO falta", ")",
      "FOR %%F IN (A B) DO (", "  ECHO [%%F]", "  IF %%F==B ECHO fim", ")"},
     "",
     {"tem", "mesmo", "falta", "[A]", "[B]", "fim"},
     0,
     {}},
    {"IfComparesNumbersAsNumbers",
     {"IF 10 GTR 9 ECHO numeros", "IF \"10\" GTR \"9\" (ECHO texto) ELSE ECHO texto-nao",
      "IF 2 LSS 10 ECHO lss", "IF 5 LEQ 5 ECHO leq", "IF 5 GEQ 6 (ECHO x) ELSE (ECHO geq-nao)",
      "IF abc EQU ABC (ECHO eq) ELSE (ECHO eq-nao)", "IF /I abc EQU ABC ECHO eq-i",
      "IF /I \"Sim\"==\"SIM\" ECHO sim", "IF 1 NEQ 2 ECHO neq"},
     "",
     {"numeros", "texto-nao", "lss", "leq", "geq-nao", "eq-nao", "eq-i", "sim", "neq"},
     0,
     {}},
    {"ModifiersSizeShortNameAndMissingExtension",
     {"ECHO [%~z1] x2=[%~x2] n2=[%~n2]", "ECHO %~s0",
      "FOR %%F IN (\"C:\\Meus Arquivos\\Relatorio Mensal.txt\") DO ECHO %%~zF %%~sF"},
     "\"C:\\DADOS\\A.TXT\" C:\\DADOS\\SEMPONTO",
     {"[4] x2=[] n2=[SEMPONTO]", "C:\\JOBS\\RUN.BAT", "10 C:\\MEUSAR~1\\RELATO~1.TXT"},
     0,
     {}},
    {"CopyJoinsBinaryFiles",
     {"copy /b C:\\DADOS\\A.TXT + C:\\DADOS\\B.TXT C:\\OUT\\AB.TXT"},
     "",
     {"C:\\DADOS\\A.TXT", "C:\\DADOS\\B.TXT", "        1 arquivo(s) copiado(s)."},
     0,
     {{"C:\\OUT\\AB.TXT", "um\r\ndois\r\n"}}},
    {"CopyJoinsTextFilesWithAnEndMark_UnsureOnXp",
     {"COPY C:\\DADOS\\A.TXT+C:\\DADOS\\B.TXT C:\\OUT\\AB2.TXT >NUL"},
     "",
     {},
     0,
     {{"C:\\OUT\\AB2.TXT", "um\r\ndois\r\n\x1a"}}},
    {"DirRecursiveAndByAttribute",
     {"DIR /S /B C:\\DADOS", "DIR /AD /B C:\\DADOS", "DIR /S/B /AD C:\\DADOS",
      "DIR /A-D /B C:\\DADOS"},
     "",
     {"C:\\DADOS\\A.TXT", "C:\\DADOS\\B.TXT", "C:\\DADOS\\SUB", "C:\\DADOS\\SUB\\C.DB",
      "C:\\DADOS\\SUB\\VAZIA", "SUB", "C:\\DADOS\\SUB", "C:\\DADOS\\SUB\\VAZIA", "A.TXT", "B.TXT"},
     0,
     {}},
    {"CaretContinuesTheLine",
     {"COPY C:\\DADOS\\A.TXT ^", " C:\\OUT\\CARET.TXT >NUL", "ECHO um ^", "dois"},
     "",
     {"um dois"},
     0,
     {{"C:\\OUT\\CARET.TXT", "um\r\n"}}},
    {"SetKeepsBlanks",
     {"SET A=x  ", "SET B = y", "ECHO [%A%][%B%][%B %]"},
     "",
     {"[x  ][][ y]"},
     0,
     {}},
    {"SetlocalAndEndlocal",
     {"SET V=fora", "SETLOCAL", "SET V=dentro", "SET W=novo", "ECHO %V% %W%", "ENDLOCAL",
      "ECHO %V% [%W%]"},
     "",
     {"dentro novo", "fora []"},
     0,
     {}},
    {"SubstringsAndReplacements",
     {"SET D=20240315", "ECHO %D:~0,4%-%D:~4,2%-%D:~-2%", "ECHO %D:~2% %D:~-4,2% %D:~0,-2%",
      "SET P=C:\\VALDORO\\DADOS", "ECHO %P:\\=/% %P:*\\=% %P:dados=BKP%"},
     "",
     {"2024-03-15", "240315 03 202403", "C:/VALDORO/DADOS VALDORO\\DADOS C:\\VALDORO\\BKP"},
     0,
     {}},
    {"AmpersandsAndBars",
     {"ECHO a& ECHO b", "TYPE C:\\NAOHA.TXT 2>NUL && ECHO nao || ECHO falhou",
      "COPY C:\\DADOS\\A.TXT C:\\OUT\\OK.TXT >NUL && ECHO copiou",
      "(ECHO x & ECHO y) > C:\\OUT\\BLOCO.TXT", "ECHO 1^&2"},
     "",
     {"a", "b", "falhou", "copiou", "1&2"},
     0,
     {{"C:\\OUT\\BLOCO.TXT", "x \r\ny\r\n"}}},
    {"ForOverLinesStringsAndCommands",
     {"FOR /F \"tokens=1,2* delims= \" %%a IN (C:\\LISTA.TXT) DO ECHO [%%a][%%b][%%c]",
      "FOR /F \"skip=1 eol=; tokens=*\" %%L IN (C:\\LISTA.TXT) DO ECHO {%%L}",
      "FOR /F \"tokens=2 delims=,\" %%x IN (\"um,dois,tres\") DO ECHO %%x",
      "FOR /F %%L IN ('TYPE C:\\DADOS\\B.TXT') DO ECHO cmd:%%L"},
     "",
     {"[banana][][]", "[Abacaxi][][]", "[cereja][3][x y]", "{Abacaxi}", "{cereja 3 x y}", "dois",
      "cmd:dois"},
     0,
     {}},
    {"ForOverFoldersAndTrees",
     {"FOR /D %%D IN (C:\\DADOS\\*) DO ECHO pasta %%D",
      "FOR /R C:\\DADOS %%F IN (*.DB *.TXT) DO ECHO %%F"},
     "",
     {"pasta C:\\DADOS\\SUB", "C:\\DADOS\\A.TXT", "C:\\DADOS\\B.TXT", "C:\\DADOS\\SUB\\C.DB"},
     0,
     {}},
    {"PipesIntoFindSortAndMore",
     {"TYPE C:\\LISTA.TXT | FIND \"an\"", "TYPE C:\\LISTA.TXT | FIND /I /C \"A\"",
      "TYPE C:\\LISTA.TXT | FIND /V /N \"an\"", "TYPE C:\\LISTA.TXT | SORT",
      "TYPE C:\\LISTA.TXT | SORT /R | MORE", "FIND \"dois\" C:\\DADOS\\B.TXT C:\\DADOS\\A.TXT",
      "ECHO %ERRORLEVEL%", "ECHO x | FIND \"y\" >NUL", "ECHO %ERRORLEVEL%"},
     "",
     {"banana", "4", "[2]Abacaxi", "[3];comentario", "[4]cereja 3 x y", ";comentario", "Abacaxi",
      "banana", "cereja 3 x y", "cereja 3 x y", "banana", "Abacaxi", ";comentario",
      "---------- C:\\DADOS\\B.TXT", "dois", "---------- C:\\DADOS\\A.TXT", "0", "1"},
     1,
     {}},
    {"XcopyTrees",
     {"XCOPY C:\\DADOS C:\\OUT\\XC /S /I /Q", "XCOPY C:\\DADOS C:\\OUT\\XE /E /I /Q >NUL",
      "XCOPY C:\\DADOS\\A.TXT C:\\OUT\\XC\\ /D /Y",
      "XCOPY C:\\DADOS\\*.TXT C:\\OUT\\XD\\ /D:1-1-2000 /Q",
      "XCOPY C:\\DADOS\\*.TXT C:\\OUT\\XF\\ /D:1-1-2100 /Q"},
     "",
     {"3 arquivo(s) copiado(s)", "0 arquivo(s) copiado(s)", "2 arquivo(s) copiado(s)",
      "0 arquivo(s) copiado(s)"},
     0,
     {{"C:\\OUT\\XC\\SUB\\C.DB", "tres"},
      {"C:\\OUT\\XC\\SUB\\VAZIA", kAbsent},
      {"C:\\OUT\\XE\\SUB\\VAZIA", kDirectory},
      {"C:\\OUT\\XD\\B.TXT", "dois\r\n"},
      {"C:\\OUT\\XF\\A.TXT", kAbsent}}},
    {"ExitBEndsOnlyTheCalledBatchOrLabel",
     {"CALL :sub", "ECHO sub %ERRORLEVEL%", "CALL FILHO.BAT", "ECHO filho %ERRORLEVEL%",
      "FOR %%a IN (1 2) DO IF %%a==2 EXIT /B 3", ":sub", "EXIT /B 5"},
     "",
     {"sub 5", "filho 7"},
     3,
     {}},
    {"UnknownCommandIs9009AndExits49",
     {"NAOEXISTE 2>NUL", "ECHO %ERRORLEVEL%", "NAOEXISTE 2>NUL"},
     "",
     {"9009"},
     49,
     {}},
};

class BatchScripts : public CmdTest
{
protected:
    BatchScripts()
    {
        prefix.write("C:\\DADOS\\A.TXT", "um\r\n");
        prefix.write("C:\\DADOS\\B.TXT", "dois\r\n");
        prefix.write("C:\\DADOS\\SUB\\C.DB", "tres");
        prefix.mkdir("C:\\DADOS\\SUB\\VAZIA");
        prefix.mkdir("C:\\OUT");
        prefix.write("C:\\LISTA.TXT", "banana\r\nAbacaxi\r\n;comentario\r\ncereja 3 x y\r\n");
        prefix.write("C:\\Meus Arquivos\\Relatorio Mensal.txt", "0123456789");
        batch("C:\\JOBS\\FILHO.BAT", {"@IF 1==1 (EXIT /B 7)", "@ECHO nunca"});
    }
};

TEST_F(BatchScripts, RunAsWindowsXpRunsThem)
{
    for (const Script& s : kScripts) {
        batch("C:\\JOBS\\RUN.BAT", QStringList{"@ECHO OFF"} + s.lines);
        const CmdRun r = run({"/C", "RUN.BAT " + s.arguments});
        EXPECT_EQ(r.lines().join(" | ").toStdString(), s.out.join(" | ").toStdString())
            << s.name << "\n"
            << r.err.toStdString();
        EXPECT_EQ(r.exitCode, s.exitCode) << s.name;
        for (const auto& [path, content] : s.files) {
            const QFileInfo info(prefix.host(path));
            if (content == kAbsent)
                EXPECT_FALSE(info.exists()) << s.name << " " << path.toStdString();
            else if (content == kDirectory)
                EXPECT_TRUE(info.isDir()) << s.name << " " << path.toStdString();
            else
                EXPECT_EQ(prefix.read(path), content) << s.name << " " << path.toStdString();
        }
    }
}

} // namespace
} // namespace navlor::test

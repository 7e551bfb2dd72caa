#include "tests/compat/cmd/cmd_fixture.h"

namespace navlor::test {
namespace {

using FileCommands = CmdTest;

TEST_F(FileCommands, DirectoriesAndDrives)
{
    prefix.addDrive('d');
    prefix.mkdir("D:\\VLDRBKPA\\Velho");
    prefix.mkdir("C:\\VALDOROW\\Dados");
    const CmdRun r = runBatch({
        "MD Novo\\Sub",
        "CD Novo",
        "CD",
        "CD..",
        "cd c:\\valdorow\\dados",
        "CD",
        "CD D:\\vldrbkpa", // another drive: its directory changes, not the current one
        "CD",
        "CD D:",
        "D:",
        "CD",
        "CD Velho",
        "C:",
        "CD",
        "D:",
        "CD",
        "CD \\",
        "CD",
        "CD /D C:\\JOBS",
        "CD",
        "CD NAO\\EXISTE",
        "Q:",
        "CD",
    });
    EXPECT_EQ(r.lines(),
              (QStringList{"C:\\JOBS\\Novo", "C:\\VALDOROW\\Dados", "C:\\VALDOROW\\Dados",
                           "D:\\VLDRBKPA", "D:\\VLDRBKPA", "C:\\VALDOROW\\Dados",
                           "D:\\VLDRBKPA\\Velho", "D:\\", "C:\\JOBS", "C:\\JOBS"}));
    EXPECT_TRUE(QFileInfo(prefix.host("C:\\JOBS\\NOVO\\SUB")).isDir());
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("caminho especificado")));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("unidade especificada")));
}

TEST_F(FileCommands, MakeAndRemoveDirectories)
{
    prefix.write("C:\\JOBS\\CHEIO\\A.TXT", "a");
    prefix.write("C:\\JOBS\\ARVORE\\X\\Y\\B.TXT", "b");
    const CmdRun r = runBatch({
        "MD \"Com Espaco\" Outro",
        "MD Outro",
        "ECHO %ERRORLEVEL%",
        "RD \"Com Espaco\"",
        "RD CHEIO",
        "RD NADA",
        "RD /S /Q ARVORE",
    });
    EXPECT_TRUE(exists("C:\\JOBS\\OUTRO"));
    EXPECT_FALSE(exists("C:\\JOBS\\Com Espaco"));
    EXPECT_TRUE(exists("C:\\JOBS\\CHEIO\\A.TXT"));
    EXPECT_FALSE(exists("C:\\JOBS\\ARVORE"));
    EXPECT_EQ(r.lines(), QStringList{"1"});
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Já existe uma subpasta ou um arquivo Outro.")));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("O diretório não está vazio.")));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("não pode encontrar o arquivo")));
}

TEST_F(FileCommands, DeleteTakesWindowsMasksAndFilesOnly)
{
    for (const char* name :
         {"A.TMP", "b.tmp", "C.TMPX", "D.TXT", "SEMEXT", ".OCULTO.TMP", "SUB\\E.TMP", "SUB\\F.TXT"})
        prefix.write(QString("C:\\W\\") + name, "x");
    prefix.mkdir("C:\\W\\PASTA.TMP");
    const CmdRun r = runBatch({
        "DEL C:\\W\\*.TMP",
        "DEL C:\\w\\*.",
        "ERASE C:\\W\\NADA.*",
        "DEL /S C:\\W\\*.TXT",
    });
    const QStringList left =
        QDir(prefix.host("C:\\W"))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left, (QStringList{".OCULTO.TMP", "C.TMPX", "PASTA.TMP", "SUB"}));
    EXPECT_TRUE(exists("C:\\W\\SUB\\E.TMP"));
    EXPECT_FALSE(exists("C:\\W\\SUB\\F.TXT"));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("Não foi possível encontrar C:\\W\\NADA.*")));
    // DEL /S names what it deleted
    EXPECT_TRUE(r.lines().contains(QString::fromUtf8("Arquivo excluído - C:\\W\\SUB\\F.TXT")));
}

TEST_F(FileCommands, DeleteLeavesFilesItMayNotDelete)
{
    prefix.write("C:\\W\\RO.DB", "x");
    prefix.write("C:\\W\\RW.DB", "x");
    ASSERT_TRUE(QFile::setPermissions(prefix.host("C:\\W\\RO.DB"), QFileDevice::ReadOwner));
    const CmdRun r = runBatch({"DEL C:\\W\\*.DB"});
    EXPECT_TRUE(exists("C:\\W\\RO.DB"));
    EXPECT_FALSE(exists("C:\\W\\RW.DB"));
    EXPECT_TRUE(r.err.contains("Acesso negado - C:\\W\\RO.DB"));
}

TEST_F(FileCommands, CopyFilesToFilesAndDirectories)
{
    prefix.write("C:\\DADOS\\A.DB", "aaa");
    prefix.write("C:\\DADOS\\B.db", "bb");
    prefix.write("C:\\DADOS\\C.TXT", "c");
    prefix.mkdir("C:\\DESTINO");
    prefix.write("C:\\DESTINO\\A.DB", "velho");
    const CmdRun r = runBatch({
        "COPY C:\\DADOS\\A.DB C:\\DADOS\\A.BAK",
        "COPY C:\\DADOS\\*.DB c:\\destino",
        "COPY C:\\DADOS\\C.TXT C:\\NOVA\\",
        "COPY C:\\DADOS\\C.TXT",
        "COPY C:\\DADOS\\*.DB C:\\DADOS\\*.OLD",
        "COPY C:\\DADOS\\C.TXT C:\\DADOS\\c.txt",
        "COPY C:\\DADOS\\NADA.TXT C:\\DESTINO",
        "ECHO %ERRORLEVEL%",
    });
    EXPECT_EQ(prefix.read("C:\\DADOS\\A.BAK"), "aaa");
    EXPECT_EQ(prefix.read("C:\\DESTINO\\A.DB"), "aaa"); // replaced without asking in a batch
    EXPECT_EQ(prefix.read("C:\\DESTINO\\B.db"), "bb");
    EXPECT_FALSE(exists("C:\\NOVA")); // a missing directory is not made
    EXPECT_EQ(prefix.read("C:\\JOBS\\C.TXT"), "c");
    EXPECT_EQ(prefix.read("C:\\DADOS\\A.OLD"), "aaa");
    EXPECT_EQ(prefix.read("C:\\DADOS\\B.OLD"), "bb");
    EXPECT_EQ(prefix.read("C:\\DADOS\\C.TXT"), "c");
    const QStringList out = r.lines();
    EXPECT_EQ(out.count("        1 arquivo(s) copiado(s)."), 2);
    EXPECT_EQ(out.count("        2 arquivo(s) copiado(s)."), 2);
    EXPECT_EQ(out.count("        0 arquivo(s) copiado(s)."), 3);
    EXPECT_EQ(out.last(), "1");
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("não pode ser copiado sobre ele mesmo")));
    // no temporary file is left behind by the replacement
    EXPECT_EQ(QDir(prefix.host("C:\\DESTINO")).entryList(QDir::Files),
              (QStringList{"A.DB", "B.db"}));
}

TEST_F(FileCommands, CopyOfSeveralFilesToOneFileJoinsThem)
{
    prefix.write("C:\\DADOS\\1.TXT", "um\r\n");
    prefix.write("C:\\DADOS\\2.TXT", "dois\r\n");
    runBatch({"COPY C:\\DADOS\\*.TXT C:\\TUDO.TXT"});
    EXPECT_EQ(prefix.read("C:\\TUDO.TXT"), "um\r\ndois\r\n");
}

TEST_F(FileCommands, RenameTypeAndDir)
{
    prefix.write("C:\\W\\BKP.ARJ", "arj");
    prefix.write("C:\\W\\LIST.LLL", "ARJ 3\r\n001) A.DB\r\n");
    prefix.write("C:\\W\\X1.LOG", "1");
    prefix.write("C:\\W\\X2.LOG", "2");
    const CmdRun r = runBatch({
        "REN C:\\W\\BKP.ARJ BKP_OLD.ARJ",
        "RENAME C:\\W\\*.LOG *.OLD",
        "REN C:\\W\\NADA.ARJ X.ARJ",
        "TYPE C:\\W\\LIST.LLL",
        "DIR /B C:\\W\\*.OLD",
    });
    EXPECT_TRUE(exists("C:\\W\\BKP_OLD.ARJ"));
    EXPECT_FALSE(exists("C:\\W\\BKP.ARJ"));
    EXPECT_EQ(prefix.read("C:\\W\\X2.OLD"), "2");
    EXPECT_EQ(r.lines(), (QStringList{"ARJ 3", "001) A.DB", "X1.OLD", "X2.OLD"}));
    EXPECT_FALSE(r.err.isEmpty());

    const CmdRun dir = runBatch({"DIR C:\\W"});
    EXPECT_TRUE(dir.lines().contains(" Pasta de C:\\W"));
    EXPECT_TRUE(dir.lines().filter("BKP_OLD.ARJ").value(0).contains("             3 BKP_OLD.ARJ"));
}

TEST_F(FileCommands, RedirectionAloneMakesAnEmptyFile)
{
    prefix.write("C:\\JOBS\\CHEIO.TXT", "conteudo");
    runBatch({"> VAZIO.TXT", "> CHEIO.TXT", "REM > NAOFAZ.TXT"});
    EXPECT_TRUE(exists("C:\\JOBS\\VAZIO.TXT"));
    EXPECT_EQ(prefix.read("C:\\JOBS\\CHEIO.TXT"), "");
    EXPECT_FALSE(exists("C:\\JOBS\\NAOFAZ.TXT"));
}

TEST_F(FileCommands, MoveFilesAndDirectories)
{
    for (const char* name : {"A.DB", "b.db", "C.TXT", "RO.TXT", "SUB\\D.DB"})
        prefix.write(QString("C:\\DADOS\\") + name, name);
    prefix.write("C:\\DESTINO\\A.DB", "velho");
    prefix.write("C:\\DESTINO\\RO.TXT", "fica");
    ASSERT_TRUE(QFile::setPermissions(prefix.host("C:\\DESTINO\\RO.TXT"), QFileDevice::ReadOwner));
    prefix.mkdir("C:\\PASTA\\INTERNA");
    const CmdRun r = runBatch({
        "MOVE C:\\DADOS\\*.DB C:\\DESTINO",             // A.DB replaced without asking
        "MOVE C:\\DESTINO\\b.db C:\\destino\\B.DB",     // the case only
        "MOVE /Y C:\\DADOS\\C.TXT C:\\DADOS\\NOVO.TXT", // a new name
        "MOVE C:\\DADOS\\RO.TXT C:\\DESTINO",           // read-only there: both stay
        "ECHO %ERRORLEVEL%",
        "MOVE C:\\DADOS\\NOVO.TXT,C:\\DESTINO\\A.DB C:\\UM.TXT", // several files to one
        "MOVE C:\\PASTA C:\\DESTINO",                            // a directory into another
        "MOVE C:\\DESTINO\\PASTA C:\\DESTINO\\Outra",            // and renamed
        "ECHO %ERRORLEVEL%",
        "MOVE C:\\NADA.* C:\\DESTINO",
    });
    const auto names = [&](const char* dir) {
        return QDir(prefix.host(dir)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    };
    EXPECT_EQ(names("C:\\DESTINO"), (QStringList{"A.DB", "B.DB", "Outra", "RO.TXT"}));
    EXPECT_EQ(names("C:\\DADOS"), (QStringList{"NOVO.TXT", "RO.TXT", "SUB"}));
    EXPECT_EQ(prefix.read("C:\\DESTINO\\A.DB"), "A.DB");
    EXPECT_EQ(prefix.read("C:\\DESTINO\\RO.TXT"), "fica");
    EXPECT_EQ(prefix.read("C:\\DADOS\\RO.TXT"), "RO.TXT");
    EXPECT_TRUE(exists("C:\\DESTINO\\OUTRA\\INTERNA"));
    EXPECT_FALSE(exists("C:\\UM.TXT"));
    EXPECT_EQ(r.lines(),
              (QStringList{"C:\\DADOS\\A.DB", "C:\\DADOS\\b.db", "        2 arquivo(s) movido(s).",
                           "        1 arquivo(s) movido(s).", "        1 arquivo(s) movido(s).",
                           "        0 arquivo(s) movido(s).", "1",
                           QString::fromUtf8("        1 pasta(s) movida(s)."),
                           QString::fromUtf8("        1 pasta(s) movida(s)."), "0"}));
    EXPECT_TRUE(r.err.contains("Acesso negado - C:\\DADOS\\RO.TXT"));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("vários arquivos para um único arquivo")));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("não pode encontrar o arquivo")));
}

TEST_F(FileCommands, PushdAndPopdAcrossDrives)
{
    prefix.addDrive('d');
    prefix.mkdir("D:\\VLDRBKPA\\Velho");
    const CmdRun r = runBatch({
        "PUSHD d:\\vldrbkpa",
        "CD",
        "PUSHD \"Velho\"",
        "PUSHD",
        "POPD",
        "CD",
        "POPD",
        "CD",
        "POPD",
        "PUSHD Q:\\NADA",
        "CD",
        "CD D:",
    });
    EXPECT_EQ(r.lines(), (QStringList{"D:\\VLDRBKPA", "D:\\VLDRBKPA", "C:\\JOBS", "D:\\VLDRBKPA",
                                      "C:\\JOBS", "C:\\JOBS", "D:\\VLDRBKPA"}));
    EXPECT_TRUE(r.err.contains(QString::fromUtf8("caminho especificado")));
}

} // namespace
} // namespace navlor::test

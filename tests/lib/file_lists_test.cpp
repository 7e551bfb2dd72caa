#include "lib/archiver_location.h"
#include "lib/file_lists.h"
#include "lib/platform/platform.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace navlor {
namespace {

// The directory "Dados" with its own files, two sub-directories and things a walk must pass
// over: hidden files and directories, a link back to a directory, a directory and a pipe
// whose names match the mask.
class FileLists : public ::testing::Test
{
protected:
    FileLists()
    {
        for (const char* path :
             {"C:\\Dados\\b.lck", "C:\\Dados\\A.LCK", "C:\\Dados\\x.db", "C:\\Dados\\.h.lck",
              "C:\\Dados\\Sub\\px.lck", "C:\\Dados\\Sub\\y.db", "C:\\Dados\\Sub\\Deep\\Q.lck",
              "C:\\Dados\\alpha\\Y.LCK", "C:\\Dados\\.Oculta\\X.LCK"})
            prefix.write(path, "x");
        prefix.mkdir("C:\\Dados\\D.LCK");
        const QString dados = prefix.host("C:\\Dados");
        QFile::link(dados + "/Sub", dados + "/Link");
        ::mkfifo(QFile::encodeName(dados + "/F.LCK").constData(), 0600);
    }

    test::TempPrefix prefix;
};

TEST_F(FileLists, WholeTreeDepthFirstOwnFilesFirst)
{
    const QStringList expected{"c:\\dados\\A.LCK", "c:\\dados\\B.LCK", "c:\\dados\\alpha\\Y.LCK",
                               "c:\\dados\\sub\\PX.LCK", "c:\\dados\\sub\\deep\\Q.LCK"};
    EXPECT_EQ(LISTA_ARQUIVOS("C:\\Dados\\*.LCK", FileWalk::Tree), expected);
    // the directory part as given, lower-cased; the names as found, upper-cased
    EXPECT_EQ(LISTA_ARQUIVOS("c:\\DADOS\\*.lck", FileWalk::Tree), expected);
    EXPECT_EQ(LISTA_ARQUIVOS("C:\\Dados\\P*.LCK", FileWalk::Tree),
              QStringList{"c:\\dados\\sub\\PX.LCK"});
}

TEST_F(FileLists, ThisDirectoryOnlyAndFirstMatch)
{
    EXPECT_EQ(LISTA_ARQUIVOS("C:\\Dados\\*.LCK", FileWalk::Directory),
              (QStringList{"c:\\dados\\A.LCK", "c:\\dados\\B.LCK"}));
    EXPECT_TRUE(LISTA_ARQUIVOS("C:\\Dados\\*.PX", FileWalk::Directory).isEmpty());
    EXPECT_EQ(LISTA_ARQUIVOS("C:\\Dados\\*.LCK", FileWalk::FirstElseTree),
              QStringList{"c:\\dados\\A.LCK"});
    // nothing here: every match of the tree below
    EXPECT_EQ(LISTA_ARQUIVOS("C:\\Dados\\Y.*", FileWalk::FirstElseTree),
              (QStringList{"c:\\dados\\alpha\\Y.LCK", "c:\\dados\\sub\\Y.DB"}));

    EXPECT_EQ(PRIMEIRO_ARQUIVO("C:\\\\Dados\\\\Y.*"), "c:\\dados\\alpha\\Y.LCK");
    EXPECT_EQ(PRIMEIRO_ARQUIVO("C:\\Dados\\x.db"), "c:\\dados\\X.DB");
    EXPECT_EQ(PRIMEIRO_ARQUIVO("C:\\Dados\\*.PX"), "");
    EXPECT_EQ(PRIMEIRO_ARQUIVO("C:\\Nada\\*.*"), "");
}

TEST_F(FileLists, AppendsToTheListGiven)
{
    QStringList list{"primeiro"};
    LISTA_ARQUIVOS("C:\\Dados\\*.DB", FileWalk::Tree, list);
    EXPECT_EQ(list, (QStringList{"primeiro", "c:\\dados\\X.DB", "c:\\dados\\sub\\Y.DB"}));
}

// Refuses to delete one file, as Windows refuses one that is read-only or in use.
class RefusesOne : public test::ForwardingPlatform
{
public:
    QString refused;
    QStringList asked;
    bool deleteFile(const QString& path) override
    {
        asked << path;
        return path != refused && ForwardingPlatform::deleteFile(path);
    }
};

TEST_F(FileLists, DeletionCountsTheFilesListedNotDeleted)
{
    {
        // a lock file still held by a database client stays
        QFile held(prefix.host("C:\\Dados\\Sub\\px.lck"));
        ASSERT_TRUE(held.open(QIODevice::ReadOnly));
        EXPECT_EQ(APAGA_ARQUIVOS("C:\\Dados\\Sub\\*.*", FileWalk::Tree), 3);
    }
    EXPECT_TRUE(platform().fileExists("C:\\Dados\\Sub\\px.lck"));
    EXPECT_FALSE(platform().fileExists("C:\\Dados\\Sub\\y.db"));
    EXPECT_FALSE(platform().fileExists("C:\\Dados\\Sub\\Deep\\Q.lck"));

    test::ScopedPlatform<RefusesOne> refusing;
    refusing->refused = "C:\\Dados\\b.lck";
    EXPECT_EQ(APAGA_ARQUIVOS("C:\\DADOS\\*.LCK", FileWalk::Directory), 2);
    // each file at the place found, spelt as on disk
    EXPECT_EQ(refusing->asked, (QStringList{"C:\\Dados\\A.LCK", "C:\\Dados\\b.lck"}));
    EXPECT_FALSE(platform().fileExists("C:\\Dados\\A.LCK"));
    EXPECT_TRUE(platform().fileExists("C:\\Dados\\b.lck"));
    EXPECT_TRUE(platform().fileExists("C:\\Dados\\.h.lck"));
    EXPECT_EQ(APAGA_ARQUIVOS("C:\\PDOXUSRS.NET", FileWalk::Directory), 0);
}

TEST_F(FileLists, DirectoryExists)
{
    EXPECT_TRUE(DIRETORIO_EXISTE("C:\\Dados"));
    EXPECT_TRUE(DIRETORIO_EXISTE("c:\\dados\\sub\\"));
    EXPECT_TRUE(DIRETORIO_EXISTE("C:\\"));
    EXPECT_FALSE(DIRETORIO_EXISTE("C:\\Dados\\x.db"));
    EXPECT_FALSE(DIRETORIO_EXISTE("C:\\Nada"));
    EXPECT_FALSE(DIRETORIO_EXISTE(""));
}

TEST(ArchiverLocation, CandidatesInTheirOrder)
{
    const QString home = QDir::currentPath(); // the host process follows the current drive
    test::TempPrefix prefix;
    prefix.addDrive('d');
    ASSERT_TRUE(platform().setCurrentDirectory("D:\\"));

    EXPECT_EQ(LOCALIZA_ARJ(""), "");
    // each file found makes the one found before it second choice
    prefix.write("C:\\Tools\\Arj\\arj.exe", "x");
    prefix.write("C:\\.Hidden\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "c:\\tools\\arj\\ARJ.EXE");
    prefix.write("C:\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "c:\\ARJ.EXE");
    prefix.write("C:\\VLDRBKP\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "C:\\VLDRBKP\\ARJ.EXE");
    prefix.write("C:\\WINDOWS\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "C:\\WINDOWS\\ARJ.EXE");
    prefix.write("C:\\VALDOROW\\EXE\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "C:\\VALDOROW\\EXE\\ARJ.EXE");
    prefix.write("D:\\SIS\\EXE\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ("D:\\SIS"), "D:\\SIS\\EXE\\ARJ.EXE");
    // "\EXE\ARJ.EXE" is on the current drive
    prefix.write("D:\\EXE\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "\\EXE\\ARJ.EXE");
    EXPECT_EQ(LOCALIZA_ARJ("D:\\SIS"), "\\EXE\\ARJ.EXE");
    prefix.write("C:\\EXE\\ARJ.EXE", "x");
    EXPECT_EQ(LOCALIZA_ARJ(""), "C:\\EXE\\ARJ.EXE");
    EXPECT_EQ(LOCALIZA_ARJ("D:\\SIS"), "\\EXE\\ARJ.EXE");
    QDir::setCurrent(home);
}

// A directory's files in the order Windows lists them: by their upper-cased names, character
// by character ("_" after the letters), twins in case by their own spelling, names alike in
// their first eight characters or outside ASCII among the others.
TEST(FileListsOrder, ByUpperCasedNamesThenSpelling)
{
    test::TempPrefix prefix;
    const QStringList ordered =
        QString::fromUtf8("a.lck LONGNAME0.lck LongName1.lck tabela1.lck TABELA10.lck Tabela1_.lck "
                          "X.LCK x.lck Zeta.lck _x.lck Ção.lck Élan.lck")
            .split(u' ');
    prefix.mkdir("C:\\Ordem");
    for (auto name = ordered.rbegin(); name != ordered.rend(); ++name) {
        QFile file(prefix.host("C:\\Ordem") + u'/' + *name); // the twins too, on disk as given
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QStringList found;
    for (const FoundFile& file : FOUND_FILES("C:\\Ordem\\*.lck", FileWalk::Directory))
        found << file.path.mid(file.path.lastIndexOf(u'\\') + 1);
    EXPECT_EQ(found, ordered);
}

// The start-up clean-up over a tree where a link named like a directory, in another case,
// leads out of it: the stale file inside goes, the one behind the link stays.
TEST(FileListsExact, TreeDeletionTakesThePlacesFoundNeverATwinOrALink)
{
    test::TempPrefix prefix;
    prefix.write("C:\\VALDOROW\\DADOS\\Empresa1\\PARADOX.LCK", "stale");
    prefix.write("C:\\ALHEIO\\PARADOX.LCK", "someone else's");
    ASSERT_TRUE(
        QFile::link(prefix.host("C:\\ALHEIO"), prefix.host("C:\\VALDOROW\\DADOS") + "/empresa1"));
    EXPECT_EQ(APAGA_ARQUIVOS("c:\\valdorow\\*.LCK", FileWalk::Tree), 1);
    EXPECT_FALSE(QFile::exists(prefix.host("C:\\VALDOROW\\DADOS") + "/Empresa1/PARADOX.LCK"));
    EXPECT_TRUE(QFile::exists(prefix.host("C:\\ALHEIO\\PARADOX.LCK")));

    const QList<FoundFile> found = FOUND_FILES("C:\\VALDOROW\\*.*", FileWalk::Tree);
    EXPECT_TRUE(found.isEmpty());
    for (const char* twin : {"/x.lck", "/X.LCK"}) {
        QFile file(prefix.host("C:\\VALDOROW") + twin);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QList<FoundFile> twins = FOUND_FILES("c:\\VALDOROW\\*.lck", FileWalk::Directory);
    ASSERT_EQ(twins.size(), 2);
    EXPECT_EQ(twins[0].text, twins[1].text); // shown alike, kept apart
    EXPECT_TRUE(platform().deleteExactFile(twins[0].path));
    EXPECT_EQ(QDir(prefix.host("C:\\VALDOROW")).entryList(QDir::Files).size(), 1);
    EXPECT_FALSE(platform().deleteExactFile("C:\\VALDOROW\\x.LcK")); // no such spelling
}

} // namespace
} // namespace navlor

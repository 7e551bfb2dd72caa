#include "compat/arj/arj_names.h"

#include <QSet>

#include <gtest/gtest.h>

namespace navlor::arj {
namespace {

// A machine with C:\DADOS, C:\DADOS\EMPRESA and the file C:\DADOS\LEIAME.TXT.
PathKind kindOnSampleMachine(const QString& path)
{
    const QString p = path.toUpper();
    if (p == "C:\\DADOS" || p == "C:\\DADOS\\EMPRESA")
        return PathKind::Directory;
    if (p == "C:\\DADOS\\LEIAME.TXT")
        return PathKind::File;
    return PathKind::Missing;
}

QStringList given(const QList<NamePattern>& patterns)
{
    QStringList result;
    for (const NamePattern& s : patterns)
        result << s.given;
    return result;
}

TEST(ArjAddPatterns, DirectoryArgumentTakesTheMasksThatFollow)
{
    EXPECT_EQ(given(resolveAddPatterns({"C:\\dados", "*.DB", "*.MB"}, "C:\\", kindOnSampleMachine)),
              QStringList({"C:\\dados\\*.DB", "C:\\dados\\*.MB"}));
    // A trailing "\" makes a base directory too; a path mask stands on its own.
    EXPECT_EQ(given(resolveAddPatterns({"C:\\DADOS\\", "*.DB", "C:\\OUTRO\\*.*"}, "C:\\",
                                       kindOnSampleMachine)),
              QStringList({"C:\\DADOS\\*.DB", "C:\\OUTRO\\*.*"}));
    // A directory alone stands for all its files, also when another follows.
    EXPECT_EQ(
        given(resolveAddPatterns({"C:\\DADOS", "C:\\DADOS\\EMPRESA"}, "C:\\", kindOnSampleMachine)),
        QStringList({"C:\\DADOS\\*.*", "C:\\DADOS\\EMPRESA\\*.*"}));
    // Relative names: to the base directory, before any to the current directory.
    EXPECT_EQ(given(resolveAddPatterns({"*.TXT", "C:\\DADOS", "EMPRESA\\*.DB"}, "C:\\DADOS",
                                       kindOnSampleMachine)),
              QStringList({"C:\\DADOS\\*.TXT", "C:\\DADOS\\EMPRESA\\*.DB"}));
    // A file is a file, not a base directory.
    EXPECT_EQ(
        given(resolveAddPatterns({"C:\\DADOS\\LEIAME.TXT", "*.DB"}, "C:\\", kindOnSampleMachine)),
        QStringList({"C:\\DADOS\\LEIAME.TXT", "C:\\*.DB"}));
    EXPECT_EQ(given(resolveAddPatterns({}, "C:\\DADOS", kindOnSampleMachine)),
              QStringList{"C:\\DADOS\\*.*"});
}

TEST(ArjAddPatterns, MissingSourceDirectorySelectsNothingElsewhere)
{
    // The masks belong to the missing directory, not to the current one.
    EXPECT_EQ(given(resolveAddPatterns({"C:\\NADA", "*.DB"}, "C:\\DADOS", kindOnSampleMachine)),
              QStringList{"C:\\NADA\\*.DB"});
}

TEST(ArjEntrySelector, MasksWithoutRegardToCase)
{
    const EntrySelector bare({"*.db"});
    EXPECT_TRUE(bare.selects("DADOS/Empresa/CLIENTES.DB"));
    EXPECT_TRUE(bare.selects("A.Db"));
    EXPECT_FALSE(bare.selects("DADOS/A.DB.BAK"));
    EXPECT_FALSE(bare.selectsEverything());

    // A mask with a directory: that directory only, however it is written.
    const EntrySelector path({"dados\\empresa\\clientes.db"});
    EXPECT_TRUE(path.selects("DADOS/Empresa/CLIENTES.DB"));
    EXPECT_FALSE(path.selects("OUTRO/DADOS/Empresa/CLIENTES.DB"));
    EXPECT_FALSE(path.selects("CLIENTES.DB"));
    EXPECT_TRUE(EntrySelector({"C:\\DADOS\\*.DB"}).selects("DADOS/X.DB"));
    // A "\\" stored in a name divides directories as "/" does.
    EXPECT_TRUE(path.selects("DADOS\\Empresa/CLIENTES.DB"));
    EXPECT_TRUE(path.selects("dados\\empresa\\clientes.db"));
    EXPECT_FALSE(path.selects("DADOS\\Empresa\\X\\CLIENTES.DB"));
    EXPECT_TRUE(bare.selects("DADOS\\Empresa\\A.DB"));

    // A leading "\\" ties a mask to the root.
    EXPECT_TRUE(EntrySelector({"\\a.db"}).selects("A.DB"));
    EXPECT_FALSE(EntrySelector({"\\a.db"}).selects("DADOS/A.DB"));
    EXPECT_FALSE(EntrySelector({"\\a.db"}).selects("DADOS\\A.DB"));

    EXPECT_TRUE(EntrySelector({"*.*"}).selectsEverything());
    EXPECT_TRUE(EntrySelector({}).selects("LEIAME"));
    EXPECT_TRUE(EntrySelector({"VLDR*.*"}).selects("X/vldremp"));
}

TEST(ArjEntrySelector, BareNameOfARootEntryMeansThatEntryForE)
{
    const QStringList stored{"CLIENTES.DB", "DADOS/CLIENTES.DB", "DADOS/VENDAS.DB"};
    EXPECT_EQ(tiedToRootEntries({"clientes.db", "VENDAS.DB", "*.DB", "DADOS\\X.DB"}, stored),
              QStringList({"\\clientes.db", "VENDAS.DB", "*.DB", "DADOS\\X.DB"}));
}

TEST(ArjExclusions, NamesPathsAndDirectories)
{
    const Exclusions exclusions({"*.ARJ", "*_.EXE", "C:\\DADOS\\TEMP", "LOG\\*.TXT"}, "C:\\DADOS");
    EXPECT_TRUE(exclusions.excludes("C:\\DADOS\\SUB", "velho.arj"));
    EXPECT_TRUE(exclusions.excludes("C:\\DADOS", "SETUP_.EXE"));
    EXPECT_FALSE(exclusions.excludes("C:\\DADOS", "SETUP.EXE"));
    EXPECT_TRUE(exclusions.excludes("C:\\Dados\\Temp", "A.DB"));
    EXPECT_TRUE(exclusions.excludes("C:\\DADOS\\TEMP\\X", "A.DB"));
    EXPECT_FALSE(exclusions.excludes("C:\\DADOS\\TEMPO", "A.DB"));
    EXPECT_TRUE(exclusions.excludes("C:\\DADOS\\LOG", "hoje.txt"));
    EXPECT_FALSE(exclusions.excludes("C:\\DADOS\\LOG\\VELHO", "hoje.txt"));
}

TEST(ArjListFile, LastPartWrittenSoArjTakesItLiterally)
{
    EXPECT_EQ(listFileLine("DADOS/A.DB"), "DADOS/A.DB");
    EXPECT_EQ(listFileLine("LEIAME"), "LEIAME");
    EXPECT_EQ(listFileLine("A?.DB"), "A[?].DB");
    EXPECT_EQ(listFileLine("DADOS/*"), "DADOS/[*]");
    EXPECT_EQ(listFileLine("DADOS/[x].db"), "DADOS/[[]x].db");
    // arj takes the directory part literally and trims the line.
    EXPECT_EQ(listFileLine("[d]/ a b "), "[d]/[ ]a b[ ]");
}

TEST(ArjExtractNames, FirstNameIsTheBaseDirectoryWhenItIsOne)
{
    auto kind = [](const QString& p) {
        return p.toUpper() == "C:\\RESTAURA" ? PathKind::Directory : PathKind::Missing;
    };
    ExtractNames n = splitExtractNames({"C:\\", "*.*"}, kind, "C:\\");
    EXPECT_EQ(n.baseDirectory, "C:\\");
    EXPECT_EQ(n.masks, QStringList{"*.*"});
    n = splitExtractNames({"C:\\NOVO", "*.DB"}, kind, "C:\\");
    EXPECT_EQ(n.baseDirectory, "C:\\NOVO");
    n = splitExtractNames({"restaura", "*.DB"}, kind, "C:\\");
    EXPECT_EQ(n.baseDirectory, "restaura");
    // An entry name with its stored path is no directory of this machine.
    n = splitExtractNames({"DADOS\\EMPRESA\\CLIENTES.DB"}, kind, "C:\\");
    EXPECT_TRUE(n.baseDirectory.isEmpty());
    EXPECT_EQ(n.masks, QStringList{"DADOS\\EMPRESA\\CLIENTES.DB"});
}

} // namespace
} // namespace navlor::arj

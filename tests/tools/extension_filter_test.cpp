#include "tools/directory_listing.h"
#include "tools/extension_filter.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

TEST(ExtensionFilterTest, AnExtensionContainedInAnEarlierOneIsLeftOut)
{
    EXPECT_EQ(extensionFilter({"A.DBF", "B.DB", "C.TXT"}),
              "Todos arquivos (*.*)|*.*|Arquivos (*.DBF)|*.DBF|Arquivos (*.TXT)|*.TXT|");
    // the other way round both stay
    EXPECT_EQ(extensionFilter({"b.db", "a.dbf"}),
              "Todos arquivos (*.*)|*.*|Arquivos (*.DB)|*.DB|Arquivos (*.DBF)|*.DBF|");
}

TEST(ExtensionFilterTest, NamesWithoutExtensionAddNothing)
{
    EXPECT_EQ(extensionFilter({}), "Todos arquivos (*.*)|*.*|");
    EXPECT_EQ(extensionFilter({"LEIAME", "PONTO.", "X.lck", "Y.LCK", "dados.old.mb"}),
              "Todos arquivos (*.*)|*.*|Arquivos (*.LCK)|*.LCK|Arquivos (*.MB)|*.MB|");
    EXPECT_EQ(upperExtension("C:\\DIR.X\\LEIAME"), "");
    EXPECT_EQ(upperExtension("tabela.db"), ".DB");
}

TEST(DirectoryListingTest, PathsAreKeptWithoutTrailingSeparatorAndChainFromTheRoot)
{
    EXPECT_EQ(browserDirectory("c:"), "C:\\");
    EXPECT_EQ(browserDirectory("c:\\"), "C:\\");
    EXPECT_EQ(browserDirectory("C:\\DADOS\\\\"), "C:\\DADOS");
    EXPECT_EQ(browserDirectory("d:/dados/empresa"), "D:\\dados\\empresa");
    EXPECT_EQ(pathIn("C:\\", "A.DB"), "C:\\A.DB");
    EXPECT_EQ(pathIn("C:\\DADOS", "A.DB"), "C:\\DADOS\\A.DB");
    EXPECT_EQ(directoryChain("C:\\DADOS\\EMPRESA\\"),
              (QStringList{"C:\\", "C:\\DADOS", "C:\\DADOS\\EMPRESA"}));
    EXPECT_EQ(directoryChain("d:"), QStringList{"D:\\"});
    EXPECT_TRUE(directoryChain("").isEmpty());
}

} // namespace
} // namespace navlor

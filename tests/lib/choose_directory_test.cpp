#include "lib/choose_directory.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <gtest/gtest.h>

namespace navlor {
namespace {

// Also records the directory the browser was opened on.
class FolderDialogs : public test::ScriptedDialogs
{
public:
    QStringList starts;
    QString browseFolder(const QString& title, const QString& start) override
    {
        starts << start;
        return ScriptedDialogs::browseFolder(title, start);
    }
};

TEST(ChooseDirectory, StartAnswerAndCancel)
{
    test::TempPrefix prefix;
    prefix.mkdir("C:\\VALDOROW\\DADOS");
    prefix.write("C:\\VALDOROW\\A.DB", "x");
    auto* folders = new FolderDialogs;
    auto previous = setDialogs(std::unique_ptr<Dialogs>(folders));

    folders->folderAnswers = {"D:\\BKP", "C:\\VALDOROW\\A.DB", "C:\\VALDOROW\\DADOS"};
    // no such drive, a file: treated as cancelled
    EXPECT_EQ(ESCOLHE_DIRETORIO("c:\\valdorow", "Selecionar Diretório"), "c:\\valdorow");
    EXPECT_EQ(ESCOLHE_DIRETORIO("C:\\NADA", ""), "");
    EXPECT_EQ(ESCOLHE_DIRETORIO("C:\\VALDOROW", "Selecione diretório de Destino"),
              "C:\\VALDOROW\\DADOS");
    // cancelled
    EXPECT_EQ(ESCOLHE_DIRETORIO("C:\\VALDOROW\\DADOS", "T"), "C:\\VALDOROW\\DADOS");
    EXPECT_EQ(ESCOLHE_DIRETORIO("C:\\VALDOROW\\A.DB", "T"), "");

    EXPECT_EQ(folders->starts,
              (QStringList{"c:\\valdorow", "", "C:\\VALDOROW", "C:\\VALDOROW\\DADOS", ""}));
    EXPECT_EQ(folders->folderTitles, (QStringList{"Selecionar Diretório", "",
                                                  "Selecione diretório de Destino", "T", "T"}));
    setDialogs(std::move(previous));
}

} // namespace
} // namespace navlor

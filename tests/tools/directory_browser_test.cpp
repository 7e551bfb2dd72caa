#include "tools/directory_browser.h"

#include "lib/platform/platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace navlor {
namespace {

class DirectoryBrowserTest : public ::testing::Test
{
protected:
    DirectoryBrowserTest()
    {
        prefix.write("C:\\DADOS\\A.DBF", "a");
        prefix.write("C:\\DADOS\\B.DB", "b");
        prefix.write("C:\\DADOS\\C.TXT", "c");
        prefix.write("C:\\DADOS\\.oculto", "h");
        prefix.mkdir("C:\\DADOS\\EMPRESA");
        prefix.mkdir("C:\\DADOS\\.git");
        prefix.mkdir("C:\\VAZIO");
    }
    // Changing the Windows current directory moves the test process; it is put back.
    ~DirectoryBrowserTest() override { QDir::setCurrent(m_hostDirectory); }

    std::unique_ptr<Tf_dir> open(const QString& defaultDirectory)
    {
        return std::make_unique<Tf_dir>(nullptr, defaultDirectory);
    }

    template <typename T> static T* control(Tf_dir& window, const char* name)
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static QStringList comboTexts(QComboBox* combo)
    {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        return texts;
    }

    static QStringList treeTexts(QTreeWidget* tree)
    {
        QStringList texts;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            texts << (*it)->text(0);
        return texts;
    }

    static QTreeWidgetItem* treeItem(QTreeWidget* tree, const QString& text)
    {
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            if ((*it)->text(0) == text)
                return *it;
        }
        return nullptr;
    }

    static void select(QListWidget* list, const QString& text)
    {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->setCurrentItem(found.first());
    }

    QString m_hostDirectory = QDir::currentPath();
    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
};

TEST_F(DirectoryBrowserTest, StartsInTheDefaultDirectoryWithItsVisibleContents)
{
    auto window = open("C:\\DADOS");
    EXPECT_EQ(window->windowTitle(), "F_DIR - Seleção de Diretórios");
    EXPECT_EQ(window->directoryLabel(), "C:\\DADOS");
    EXPECT_EQ(window->chosenDirectory(), "C:\\DADOS");
    EXPECT_EQ(window->fileNames(), (QStringList{"A.DBF", "B.DB", "C.TXT"}));
    EXPECT_EQ(treeTexts(control<QTreeWidget>(*window, "DirectoryListBox1")),
              (QStringList{"C:\\", "DADOS", "EMPRESA"}));
    EXPECT_EQ(control<QLineEdit>(*window, "DIR_ARQUIVO")->text(), "*.*");

    auto* drives = control<QComboBox>(*window, "DriveComboBox1");
    EXPECT_EQ(comboTexts(drives), (QStringList{"C:", "Z:"}));
    EXPECT_EQ(drives->currentText(), "C:");
}

TEST_F(DirectoryBrowserTest, FilterOffersTheExtensionsShownAndNarrowsTheList)
{
    auto window = open("C:\\DADOS");
    auto* filter = control<QComboBox>(*window, "FilterComboBox1");
    EXPECT_EQ(comboTexts(filter),
              (QStringList{"Todos arquivos (*.*)", "Arquivos (*.DBF)", "Arquivos (*.TXT)"}));
    filter->setCurrentIndex(2);
    EXPECT_EQ(window->fileNames(), QStringList{"C.TXT"});
    EXPECT_EQ(control<QLineEdit>(*window, "DIR_ARQUIVO")->text(), "*.TXT");

    // a change of directory builds the filter anew from what is shown there
    window->openDirectory("C:\\VAZIO");
    EXPECT_EQ(comboTexts(filter), QStringList{"Todos arquivos (*.*)"});
    EXPECT_TRUE(window->fileNames().isEmpty());
    window->openDirectory("C:\\DADOS");
    EXPECT_EQ(filter->currentIndex(), 0);
    EXPECT_EQ(window->fileNames().size(), 3);
}

TEST_F(DirectoryBrowserTest, WithoutDefaultTheListStartsInTheCurrentDirectory)
{
    ASSERT_TRUE(platform().setCurrentDirectory("C:\\DADOS\\EMPRESA"));
    prefix.write("C:\\DADOS\\EMPRESA\\X.MB", "x");
    for (const QString& unusable : {QString(), QStringLiteral("C:\\NAOEXISTE")}) {
        auto window = open(unusable);
        EXPECT_EQ(window->listDirectory(), "C:\\DADOS\\EMPRESA");
        EXPECT_EQ(window->fileNames(), QStringList{"X.MB"});
        EXPECT_EQ(window->directoryLabel(), "");

        dialogs->onShowModal = [](QWidget* shown) {
            shown->findChild<QPushButton*>("BitBtn1")->click();
            return static_cast<QDialog*>(shown)->result();
        };
        EXPECT_EQ(navlor::showModal(window.get()), QDialog::Accepted);
        EXPECT_EQ(window->choice().resultDirectory, "C:\\DADOS\\EMPRESA");
        EXPECT_EQ(window->choice().resultFileName, "*.*");
        EXPECT_EQ(window->directoryLabel(), "");
    }
}

TEST_F(DirectoryBrowserTest, ChoosingADirectoryInTheListMakesItTheResult)
{
    auto window = open("C:\\DADOS");
    auto* tree = control<QTreeWidget>(*window, "DirectoryListBox1");
    QTreeWidgetItem* empresa = treeItem(tree, "EMPRESA");
    ASSERT_NE(empresa, nullptr);
    emit tree->itemActivated(empresa, 0);
    EXPECT_EQ(window->directoryLabel(), "C:\\DADOS\\EMPRESA");
    EXPECT_EQ(treeTexts(tree), (QStringList{"C:\\", "DADOS", "EMPRESA"}));
    EXPECT_EQ(window->fileNames(), QStringList{});

    // up again through an ancestor, then to the root
    emit tree->itemActivated(treeItem(tree, "DADOS"), 0);
    EXPECT_EQ(window->directoryLabel(), "C:\\DADOS");
    emit tree->itemActivated(treeItem(tree, "C:\\"), 0);
    EXPECT_EQ(window->directoryLabel(), "C:\\");
    EXPECT_TRUE(treeTexts(tree).contains("DADOS"));
    EXPECT_TRUE(treeTexts(tree).contains("WINDOWS"));

    control<QPushButton>(*window, "BitBtn1")->click();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(window->choice().resultDirectory, "C:\\");
}

TEST_F(DirectoryBrowserTest, ChoosingADriveOpensItsRoot)
{
    prefix.addDrive('d');
    prefix.write("D:\\BKP.ARJ", "a");
    auto window = open("C:\\DADOS");
    auto* drives = control<QComboBox>(*window, "DriveComboBox1");
    ASSERT_EQ(comboTexts(drives), (QStringList{"C:", "D:", "Z:"}));
    emit drives->activated(1);
    EXPECT_EQ(window->directoryLabel(), "D:\\");
    EXPECT_EQ(window->fileNames(), QStringList{"BKP.ARJ"});
    EXPECT_EQ(comboTexts(control<QComboBox>(*window, "FilterComboBox1")).last(),
              "Arquivos (*.ARJ)");
}

TEST_F(DirectoryBrowserTest, CancelEmptiesTheResultButKeepsTheLabel)
{
    auto window = open("C:\\DADOS");
    window->openDirectory("C:\\DADOS\\EMPRESA");
    control<QPushButton>(*window, "BitBtn1")->click();
    ASSERT_EQ(window->choice().resultDirectory, "C:\\DADOS\\EMPRESA");
    control<QPushButton>(*window, "SpeedButton2")->click();
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(window->choice().resultDirectory, "");
    EXPECT_EQ(window->directoryLabel(), "C:\\DADOS\\EMPRESA");
}

TEST_F(DirectoryBrowserTest, FileDialogPicksFileAndDirectory)
{
    dialogs->fileAnswers.push_back({"C:\\DADOS\\EMPRESA\\TABELA.DB"});
    auto window = open("C:\\DADOS");
    control<QToolButton>(*window, "SpeedButton1")->click();
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests[0].title, "OpenDialog");
    EXPECT_EQ(dialogs->fileRequests[0].directory, "C:\\DADOS");
    EXPECT_EQ(dialogs->fileRequests[0].fileName, "*.*");
    EXPECT_EQ(control<QLineEdit>(*window, "DIR_ARQUIVO")->text(), "TABELA.DB");
    EXPECT_EQ(window->directoryLabel(), "C:\\DADOS\\EMPRESA\\");

    control<QPushButton>(*window, "BitBtn1")->click();
    EXPECT_EQ(window->choice().resultDirectory, "C:\\DADOS\\EMPRESA\\");
    EXPECT_EQ(window->choice().resultFileName, "TABELA.DB");

    // a cancelled dialog changes nothing
    auto again = open("C:\\DADOS");
    control<QToolButton>(*again, "SpeedButton1")->click();
    EXPECT_EQ(again->directoryLabel(), "C:\\DADOS");
    EXPECT_EQ(control<QLineEdit>(*again, "DIR_ARQUIVO")->text(), "*.*");
}

TEST_F(DirectoryBrowserTest, ExcluirAsksOnlyForAFileThatExists)
{
    auto window = open("C:\\DADOS");
    auto* name = control<QLineEdit>(*window, "DIR_ARQUIVO");
    for (const char* nothing : {"*.*", "NENHUM.DB", "", "EMPRESA"}) {
        name->setText(nothing);
        window->Excluir1->trigger();
    }
    EXPECT_TRUE(dialogs->confirmations.isEmpty());
    EXPECT_EQ(window->fileNames().size(), 3);
}

TEST_F(DirectoryBrowserTest, ExcluirDeletesTheChosenFileAfterConfirmation)
{
    auto window = open("C:\\DADOS");
    auto* files = control<QListWidget>(*window, "FileListBox1");
    select(files, "B.DB");
    EXPECT_EQ(control<QLineEdit>(*window, "DIR_ARQUIVO")->text(), "B.DB");

    dialogs->confirmAnswers = {false};
    window->Excluir1->trigger();
    EXPECT_TRUE(platform().fileExists("C:\\DADOS\\B.DB"));
    ASSERT_EQ(dialogs->confirmations, QStringList{"Confirma Exclusão do arquivo "});
    EXPECT_EQ(dialogs->confirmCaptions, QStringList{"Exclusão"});

    window->Excluir1->trigger(); // OK this time
    EXPECT_FALSE(platform().fileExists("C:\\DADOS\\B.DB"));
    EXPECT_EQ(window->fileNames(), (QStringList{"A.DBF", "", "C.TXT"}));
}

TEST_F(DirectoryBrowserTest, ExcluirOfATypedNameDeletesThatFileOnly)
{
    auto window = open("C:\\DADOS");
    select(control<QListWidget>(*window, "FileListBox1"), "A.DBF");
    control<QLineEdit>(*window, "DIR_ARQUIVO")->setText("c.txt");
    window->Excluir1->trigger();
    EXPECT_FALSE(platform().fileExists("C:\\DADOS\\C.TXT"));
    EXPECT_TRUE(platform().fileExists("C:\\DADOS\\A.DBF"));
    EXPECT_EQ(window->fileNames(), (QStringList{"A.DBF", "B.DB"}));
}

TEST_F(DirectoryBrowserTest, ExcluirKeepsAFileThatCannotBeDeleted)
{
    auto window = open("C:\\DADOS");
    QFile::setPermissions(prefix.host("C:\\DADOS\\A.DBF"), QFile::ReadOwner);
    select(control<QListWidget>(*window, "FileListBox1"), "A.DBF");
    window->Excluir1->trigger();
    EXPECT_EQ(dialogs->confirmations.size(), 1);
    EXPECT_TRUE(platform().fileExists("C:\\DADOS\\A.DBF"));
    EXPECT_EQ(window->fileNames(), (QStringList{"A.DBF", "B.DB", "C.TXT"}));
}

} // namespace
} // namespace navlor

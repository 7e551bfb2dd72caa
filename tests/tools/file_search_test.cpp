#include "tools/file_search.h"
#include "tools/file_search_window.h"

#include "lib/platform/platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"
#include "tools/directory_browser.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace navlor {
namespace {

TEST(SearchPathTest, DriveRootsAndTrailingSeparatorsSearchAlike)
{
    EXPECT_EQ(searchPath("C:\\", "*.LCK"), "C:\\*.LCK");
    EXPECT_EQ(searchPath("C:", "*.LCK"), "C:\\*.LCK");
    EXPECT_EQ(searchPath("C:\\DADOS\\", "*.DB"), "C:\\DADOS\\*.DB");
    EXPECT_EQ(searchPath("C:\\DADOS", "ARJ.EXE"), "C:\\DADOS\\ARJ.EXE");
}

class FileSearchTest : public ::testing::Test
{
protected:
    FileSearchTest()
    {
        prefix.write("C:\\VALDOROW\\PDOXUSRS.LCK", "x");
        prefix.write("C:\\VALDOROW\\DADOS\\Empresa\\paradox.lck", "x");
        prefix.write("C:\\VALDOROW\\DADOS\\Empresa\\CLIENTES.DB", "x");
        prefix.write("C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK", "x");
        prefix.write("C:\\VALDOROW\\DADOS\\.oculto\\X.LCK", "x");
        prefix.write("C:\\VALDOROW\\EXE\\ARJ.EXE", "x");
        prefix.write("C:\\OUTRO.LCK", "x");
    }

    template <typename T> T* control(const char* name)
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void search(const QString& directory, const QString& mask)
    {
        window->setDirectory(directory);
        window->setMask(mask);
        control<QPushButton>("BU_LOCALIZAR")->click();
    }

    void select(int row) { control<QListWidget>("ListBox1")->setCurrentRow(row); }

    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    std::unique_ptr<TF_PESQARQ> window = std::make_unique<TF_PESQARQ>();
};

const QStringList kValdorowLocks{"c:\\valdorow\\PDOXUSRS.LCK", "c:\\valdorow\\dados\\PDOXUSRS.LCK",
                                 "c:\\valdorow\\dados\\empresa\\PARADOX.LCK"};

TEST_F(FileSearchTest, OpensReadyToSearchDriveCForLockFiles)
{
    EXPECT_EQ(window->statusText(), "Clique em \"Diretório\" para selecionar o local de Pesquisa");
    EXPECT_EQ(window->directory(), "C:");
    EXPECT_EQ(window->mask(), "*.LCK");
    EXPECT_EQ(window->countText(), "00");
    EXPECT_FALSE(control<QPushButton>("BU_EXCLUI")->isEnabled());
}

TEST_F(FileSearchTest, ListsTheWholeTreeOwnFilesFirst)
{
    search("C:\\VALDOROW", "*.LCK");
    EXPECT_EQ(window->entries(), kValdorowLocks);
    EXPECT_EQ(window->countText(), "3");
    EXPECT_EQ(window->statusText(), "LOCALIZAÇÃO CONCLUÍDA");
    EXPECT_EQ(dialogs->busyDepth, 0);

    // the same with a trailing separator, and again after a search elsewhere
    search("C:\\VALDOROW\\", "*.LCK");
    EXPECT_EQ(window->entries(), kValdorowLocks);
    search("C:\\VALDOROW\\EXE", "*.LCK");
    EXPECT_EQ(window->countText(), "0");
    EXPECT_TRUE(window->entries().isEmpty());
}

TEST_F(FileSearchTest, DriveRootSearchesTheWholeDrive)
{
    search("C:\\", "*.LCK");
    const QStringList fromRoot = window->entries();
    EXPECT_EQ(fromRoot.first(), "c:\\OUTRO.LCK");
    EXPECT_EQ(fromRoot.size(), 4);
    search("C:", "*.LCK");
    EXPECT_EQ(window->entries(), fromRoot);
}

TEST_F(FileSearchTest, MissingDirectoryFindsNothing)
{
    search("C:\\NAOEXISTE", "*.*");
    EXPECT_EQ(window->countText(), "0");
    EXPECT_TRUE(window->entries().isEmpty());
    EXPECT_EQ(window->statusText(), "LOCALIZAÇÃO CONCLUÍDA");
}

TEST_F(FileSearchTest, DirectoryIsKeptInCapitals)
{
    window->setDirectory("c:\\valdorow");
    EXPECT_EQ(window->directory(), "C:\\VALDOROW");
    auto* edit = control<QLineEdit>("E_DIRETORIO");
    edit->end(false);
    edit->insert("\\dados");
    EXPECT_EQ(edit->text(), "C:\\VALDOROW\\DADOS");
    EXPECT_EQ(edit->cursorPosition(), edit->text().size());
}

TEST_F(FileSearchTest, EnterInTheMaskBoxSearches)
{
    window->setDirectory("C:\\VALDOROW");
    window->setMask("*.DB");
    // as a person presses it: the key goes to the focused combo box, press and release
    window->show();
    QComboBox* masks = control<QComboBox>("E_ARQUIVO");
    masks->setFocus();
    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent enter(type, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(masks, &enter);
    }
    EXPECT_EQ(window->entries(), QStringList{"c:\\valdorow\\dados\\empresa\\CLIENTES.DB"});
    EXPECT_EQ(masks->count(), 8); // nothing added to the list
    window->setMask("*.LCK");
    QKeyEvent edited(QEvent::KeyPress, Qt::Key_Enter, Qt::KeypadModifier);
    QCoreApplication::sendEvent(masks->lineEdit(), &edited);
    EXPECT_EQ(window->entries().size(), 3);
}

// The automatic backup looks for the archiver this way, with the window never shown.
TEST_F(FileSearchTest, DrivenWithoutBeingShown)
{
    TF_PESQARQ hidden;
    hidden.findChild<QLineEdit*>("E_DIRETORIO")->setText("C:\\VALDOROW");
    hidden.findChild<QComboBox*>("E_ARQUIVO")->setCurrentText("ARJ.EXE");
    hidden.BU_LOCALIZARClick();
    EXPECT_EQ(hidden.findChild<QLabel*>("LA_CONTA")->text(), "1");
    ASSERT_EQ(hidden.findChild<QListWidget*>("ListBox1")->count(), 1);
    EXPECT_EQ(hidden.findChild<QListWidget*>("ListBox1")->item(0)->text(),
              "c:\\valdorow\\exe\\ARJ.EXE");
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_TRUE(dialogs->modalWindows.isEmpty());
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(FileSearchTest, DeletingNeedsAChosenEntryAndAConfirmation)
{
    search("C:\\VALDOROW", "*.LCK");
    control<QPushButton>("BU_EXCLUI")->setEnabled(true);
    control<QPushButton>("BU_EXCLUI")->click();
    EXPECT_EQ(dialogs->messages, QStringList{"Deve selecionar 1 item para a Exclusão"});
    EXPECT_TRUE(dialogs->confirmations.isEmpty());

    select(1);
    EXPECT_TRUE(control<QPushButton>("BU_EXCLUI")->isEnabled());
    dialogs->confirmAnswers = {false, true};
    control<QPushButton>("BU_EXCLUI")->click();
    EXPECT_TRUE(platform().fileExists("C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK"));
    EXPECT_EQ(window->entries(), kValdorowLocks);

    control<QPushButton>("BU_EXCLUI")->click();
    EXPECT_EQ(dialogs->confirmations,
              QStringList(2, "Exclusão do arquivo: c:\\valdorow\\dados\\PDOXUSRS.LCK"));
    EXPECT_EQ(dialogs->confirmCaptions, QStringList(2, "Confirma Exclusão"));
    EXPECT_FALSE(platform().fileExists("C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK"));
    EXPECT_TRUE(platform().fileExists("C:\\VALDOROW\\PDOXUSRS.LCK"));
    EXPECT_EQ(window->entries(), (QStringList{kValdorowLocks[0], kValdorowLocks[2]}));
    EXPECT_EQ(window->countText(), "3"); // the number found, as it was

    // a new search starts with nothing chosen
    search("C:\\VALDOROW", "*.LCK");
    EXPECT_FALSE(control<QPushButton>("BU_EXCLUI")->isEnabled());
}

TEST_F(FileSearchTest, AFileThatCannotBeDeletedStaysListed)
{
    QFile::setPermissions(prefix.host("C:\\VALDOROW\\PDOXUSRS.LCK"), QFile::ReadOwner);
    search("C:\\VALDOROW", "*.LCK");
    select(0);
    control<QPushButton>("BU_EXCLUI")->click();
    EXPECT_TRUE(platform().fileExists("C:\\VALDOROW\\PDOXUSRS.LCK"));
    EXPECT_EQ(window->entries(), kValdorowLocks);
    EXPECT_TRUE(window->statusText().contains(kValdorowLocks[0]));
}

TEST_F(FileSearchTest, AHostNameWithWildcardsDeletesThatFileOnly)
{
    prefix.write("C:\\HOST\\A*.LCK", "x");
    prefix.write("C:\\HOST\\AB.LCK", "x");
    search("C:\\HOST", "*.LCK");
    ASSERT_EQ(window->entries(), (QStringList{"c:\\host\\A*.LCK", "c:\\host\\AB.LCK"}));
    select(0);
    control<QPushButton>("BU_EXCLUI")->click();
    EXPECT_FALSE(QFile::exists(prefix.root() + "/drive_c/HOST/A*.LCK"));
    EXPECT_TRUE(platform().fileExists("C:\\HOST\\AB.LCK"));
    EXPECT_EQ(window->entries(), QStringList{"c:\\host\\AB.LCK"});
}

// Each entry deletes its own file: not its twin in another case, not "FOO" for "FOO.", not
// the file behind a link whose name differs only in case from a listed directory.
TEST_F(FileSearchTest, DeletingAnEntryTakesExactlyItsFile)
{
    // Written by host path: twins in case would be one file through the drive's matching.
    const QString t = prefix.root() + "/drive_c/T";
    QDir().mkpath(t + "/Sub");
    for (const char* name : {"a.lck", "A.LCK", "FOO", "FOO.", "Sub/IN.LCK"}) {
        QFile file(t + '/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(name);
    }
    prefix.write("C:\\FORA\\IN.LCK", "outside");
    ASSERT_TRUE(QFile::link(prefix.host("C:\\FORA"), prefix.host("C:\\T") + "/sub"));
    // The twins show as one text; whichever is chosen goes, and only it.
    const std::pair<const char*, const char*> choices[] = {
        {"*.LCK", "c:\\t\\A.LCK"},
        {"*.LCK", "c:\\t\\A.LCK"},
        {"FOO.", "c:\\t\\FOO."},
        {"*.LCK", "c:\\t\\sub\\IN.LCK"},
    };
    QStringList left{"T/a.lck", "T/A.LCK", "T/FOO", "T/FOO.", "T/Sub/IN.LCK", "FORA/IN.LCK"};
    for (const auto& [mask, chosen] : choices) {
        SCOPED_TRACE(chosen);
        search("C:\\T", mask);
        const int row = int(window->entries().indexOf(chosen));
        ASSERT_GE(row, 0) << window->entries().join(' ').toStdString();
        select(row);
        const QString place =
            control<QListWidget>("ListBox1")->item(row)->data(Qt::UserRole).toString();
        const QString gone = place.mid(3).replace(u'\\', u'/');
        ASSERT_TRUE(left.contains(gone)) << place.toStdString();
        dialogs->confirmAnswers = {true};
        control<QPushButton>("BU_EXCLUI")->click();
        left.removeOne(gone);
        for (const QString& file : left)
            EXPECT_TRUE(QFile::exists(prefix.root() + "/drive_c/" + file)) << file.toStdString();
        EXPECT_FALSE(QFile::exists(prefix.root() + "/drive_c/" + gone));
    }
    EXPECT_EQ(left, QStringList({"T/FOO", "FORA/IN.LCK"}));
}

TEST_F(FileSearchTest, DirectoryComesFromTheBrowserOnlyWhenChosen)
{
    // OK after moving to a directory: that directory is searched
    dialogs->onShowModal = [](QWidget* shown) {
        auto* browser = qobject_cast<Tf_dir*>(shown);
        browser->openDirectory("C:\\VALDOROW\\DADOS");
        browser->findChild<QPushButton*>("BitBtn1")->click();
        return browser->result();
    };
    control<QPushButton>("SpeedButton1")->click();
    EXPECT_EQ(dialogs->modalWindows, QStringList{"f_dir"});
    EXPECT_EQ(window->directory(), "C:\\VALDOROW\\DADOS");

    // "Cancelar" after moving elsewhere changes nothing
    dialogs->onShowModal = [](QWidget* shown) {
        auto* browser = qobject_cast<Tf_dir*>(shown);
        browser->openDirectory("C:\\VALDOROW\\EXE");
        browser->findChild<QPushButton*>("SpeedButton2")->click();
        return browser->result();
    };
    control<QPushButton>("SpeedButton1")->click();
    EXPECT_EQ(window->directory(), "C:\\VALDOROW\\DADOS");

    // OK without a directory in the label changes nothing either
    dialogs->onShowModal = [](QWidget* shown) {
        shown->findChild<QPushButton*>("BitBtn1")->click();
        return qobject_cast<QDialog*>(shown)->result();
    };
    control<QPushButton>("SpeedButton1")->click();
    EXPECT_EQ(window->directory(), "C:\\VALDOROW\\DADOS");
    EXPECT_EQ(f_dir, nullptr); // the browser is gone once read
}

} // namespace
} // namespace navlor

#include "lib/qt_dialogs.h"

#include "tests/support/temp_prefix.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace navlor {
namespace {

// Acts on the modal window that the code under test opens next.
void whenModal(std::function<void(QWidget*)> act)
{
    QTimer::singleShot(0, [act] {
        if (QWidget* modal = QApplication::activeModalWidget())
            act(modal);
    });
}

TEST(QtDialogsTest, FilterPairsBecomeQtFilters)
{
    EXPECT_EQ(
        qtNameFilters(QString::fromUtf8(
            "Todos Arquivos|*.*|Arq. de configuração *.GBL|*.gbl|Arquivos de rede "
            "*.LCK|p*.lck")),
        QStringList({"Todos Arquivos (*)", QString::fromUtf8("Arq. de configuração *.GBL (*.gbl)"),
                     "Arquivos de rede *.LCK (p*.lck)"}));
    EXPECT_EQ(qtNameFilters("Tabelas|*.DB;*.MB"), QStringList({"Tabelas (*.DB *.MB)"}));
    EXPECT_TRUE(qtNameFilters("").isEmpty());
    EXPECT_TRUE(qtNameFilters("sem par").isEmpty());
}

TEST(QtDialogsTest, MessageBreaksLinesAtCarriageReturns)
{
    QtDialogs dialogs;
    QString shown;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        shown = box ? box->text() : QString();
        modal->close();
    });
    dialogs.message("Linha 1\rLinha 2");
    EXPECT_EQ(shown, "Linha 1\nLinha 2");
}

TEST(QtDialogsTest, ConfirmAnswersOkAndCancel)
{
    QtDialogs dialogs;
    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_TRUE(dialogs.confirm("Continuar?"));
    whenModal([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_FALSE(dialogs.confirm("Continuar?"));
}

TEST(QtDialogsTest, ConfirmCarriesItsCaption)
{
    QtDialogs dialogs;
    QStringList captions;
    const auto answer = [&](QWidget* modal) {
        captions << modal->windowTitle();
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
    };
    whenModal(answer);
    EXPECT_TRUE(dialogs.confirm("Exclusão do arquivo: c:\\A.LCK", "Confirma Exclusão"));
    whenModal(answer);
    EXPECT_TRUE(dialogs.confirm("Continuar?"));
    ASSERT_EQ(captions.size(), 2);
    EXPECT_EQ(captions[0], "Confirma Exclusão");
    EXPECT_EQ(captions[1], QGuiApplication::applicationDisplayName());
}

TEST(QtDialogsTest, FileDialogSpeaksWindowsPaths)
{
    test::TempPrefix prefix;
    prefix.write("C:\\WINDOWS\\NAVLOR.GBL", "x");
    prefix.write("C:\\WINDOWS\\OUTRO.TXT", "x");
    QtDialogs dialogs;
    FileDialogRequest request;
    request.directory = "C:\\WINDOWS";
    request.filter = "Todos Arquivos|*.*|Configuração|*.gbl";
    request.filterIndex = 2;
    request.multiSelect = true;

    QString startDirectory;
    QString selectedFilter;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        startDirectory = dialog->directory().absolutePath();
        selectedFilter = dialog->selectedNameFilter();
        dialog->selectFile(prefix.host("C:\\WINDOWS\\NAVLOR.GBL"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const QStringList chosen = dialogs.openFiles(request);
    EXPECT_EQ(startDirectory, QDir(prefix.host("C:\\WINDOWS")).absolutePath());
    EXPECT_EQ(selectedFilter, "Configuração (*.gbl)");
    EXPECT_EQ(chosen, QStringList({"C:\\WINDOWS\\NAVLOR.GBL"}));

    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_TRUE(dialogs.openFiles(request).isEmpty());
}

TEST(QtDialogsTest, ShowModalReturnsDialogResultAndWaitsForPlainWindows)
{
    QtDialogs dialogs;
    QDialog dialog;
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_EQ(dialogs.showModal(&dialog), QDialog::Accepted);

    QWidget window;
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = window.isVisible() && window.isModal();
        window.close();
    });
    EXPECT_EQ(dialogs.showModal(&window), QDialog::Rejected);
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(window.isVisible());
}

TEST(QtDialogsTest, BusyCursorNestsAndNeverOverRestores)
{
    QtDialogs dialogs;
    dialogs.setBusyCursor(true);
    dialogs.setBusyCursor(true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    dialogs.setBusyCursor(false);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    dialogs.setBusyCursor(false);
    dialogs.setBusyCursor(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace navlor

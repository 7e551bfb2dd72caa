#include "lib/widgets/qt_dialogs.h"
#include "lib/widgets/qt_translations.h"

#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

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

TEST(QtDialogsTest, StandardButtonsSpeakPortuguese)
{
    QTranslator* translator = installQtTranslations(*qApp);
    ASSERT_NE(translator, nullptr) << "Qt's Portuguese translations are not installed";
    QtDialogs dialogs;
    QStringList texts;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        texts << box->button(QMessageBox::Ok)->text() << box->button(QMessageBox::Cancel)->text();
        box->button(QMessageBox::Cancel)->click();
    });
    dialogs.confirm("Continuar?");
    QCoreApplication::removeTranslator(translator);
    delete translator;
    EXPECT_EQ(texts.value(1).remove(u'&'), "Cancelar");
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

// Acts on the file dialog opened next; whatever is still open afterwards is cancelled.
void withFileDialog(std::function<void(QFileDialog*)> act)
{
    whenModal([act](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal))
            act(dialog);
        if (modal->isVisible())
            qobject_cast<QDialog*>(modal)->reject();
    });
}

QString standsIn(QFileDialog* dialog)
{
    return platform().fromHostPath(dialog->directory().absolutePath());
}

// Types in the name box and presses Enter; the text of a box that comes up, which is closed.
QString typeAndEnter(QFileDialog* dialog, const QString& text, bool* enabled = nullptr)
{
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    edit->setText(text);
    if (enabled)
        *enabled =
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Open)->isEnabled();
    auto shown = std::make_shared<QString>();
    QTimer::singleShot(0, [shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *shown = box->text();
            box->close();
        }
    });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    return *shown;
}

// The entries of the "look in" box the operator can pick.
QStringList lookInPlaces(QFileDialog* dialog)
{
    auto* combo = dialog->findChild<QComboBox*>("lookInCombo");
    combo->showPopup();
    auto* view = qobject_cast<QListView*>(combo->view());
    QStringList places;
    for (int row = 0; row < combo->count(); ++row) {
        if (!view->isRowHidden(row))
            places << combo->itemText(row);
    }
    combo->hidePopup();
    return places;
}

TEST(QtDialogsTest, FileDialogOpensAtWindowsDirectoriesAmongTheDrives)
{
    test::TempPrefix prefix;
    prefix.addDrive('d');
    prefix.mkdir("C:\\VALDOROW\\DADOS");
    prefix.mkdir("D:\\VLDRBKPB");
    const struct
    {
        QString requested;
        QString opened;
        QStringList places;
    } rows[] = {
        {"c:\\valdorow\\dados",
         "C:\\VALDOROW\\DADOS",
         {"C:\\VALDOROW\\DADOS", "C:\\VALDOROW", "C:\\"}},
        {"D:\\VLDRBKPB\\", "D:\\VLDRBKPB", {"D:\\VLDRBKPB", "D:\\"}},
        {"D:\\", "D:\\", {"D:\\"}},
        {"", "C:\\WINDOWS", {"C:\\WINDOWS", "C:\\"}},
        {"C:\\NAO\\EXISTE", "C:\\WINDOWS", {"C:\\WINDOWS", "C:\\"}},
    };
    QtDialogs dialogs;
    for (const auto& row : rows) {
        FileDialogRequest request;
        request.title = "Abrir arquivo";
        request.directory = row.requested;
        QString opened, title, lookIn;
        QStringList places, drives;
        bool upEnabled = false;
        withFileDialog([&](QFileDialog* dialog) {
            opened = standsIn(dialog);
            title = dialog->windowTitle();
            lookIn = dialog->findChild<QComboBox*>("lookInCombo")->currentText();
            places = lookInPlaces(dialog);
            upEnabled = dialog->findChild<QToolButton*>("toParentButton")->isEnabled();
            // Each place of the sidebar: its name, then where it leads.
            const QList<QUrl> urls = dialog->sidebarUrls();
            auto* names = dialog->findChild<QListView*>("sidebar")->model();
            for (int i = 0; i < names->rowCount(); ++i)
                drives << names->index(i, 0).data().toString() + ' ' +
                              platform().fromHostPath(urls.value(i).toLocalFile());
        });
        dialogs.openFiles(request);
        EXPECT_EQ(opened, row.opened) << row.requested.toStdString();
        EXPECT_EQ(title, request.title + " - " + row.opened);
        EXPECT_EQ(lookIn, row.opened);
        EXPECT_EQ(places, row.places);
        EXPECT_EQ(upEnabled, row.opened.size() > 3) << row.opened.toStdString();
        EXPECT_EQ(drives, QStringList({"C: C:\\", "D: D:\\", "Z: Z:\\"}));
    }
}

TEST(QtDialogsTest, FileDialogTakesTypedWindowsPaths)
{
    test::TempPrefix prefix;
    prefix.addDrive('d');
    prefix.write("D:\\VLDRBKPB\\EMPRESA1.ARJ", "x");
    prefix.write("C:\\VALDOROW\\DADOS\\CLIENTES.DB", "x");
    const QStringList backup{"D:\\VLDRBKPB\\EMPRESA1.ARJ"};
    const struct
    {
        QString typed;
        QStringList chosen;
        QString entered; // where the dialog stands when it stays open
        bool found;
    } rows[] = {
        {"d:\\vldrbkpb\\empresa1.ARJ", backup, {}, true},
        {"D:/VLDRBKPB/EMPRESA1.ARJ", backup, {}, true},
        {"dados\\clientes.db", {"C:\\VALDOROW\\DADOS\\CLIENTES.DB"}, {}, true},
        {"c:\\valdorow\\DADOS\\", {}, "C:\\VALDOROW\\DADOS", true},
        {"\\", {}, "C:\\", true},
        {"D:\\VLDRBKPB\\NADA.ARJ", {}, "C:\\VALDOROW", false},
    };
    QtDialogs dialogs;
    FileDialogRequest request;
    request.directory = "C:\\VALDOROW";
    for (const auto& row : rows) {
        bool enabled = false;
        QString box, entered;
        withFileDialog([&](QFileDialog* dialog) {
            box = typeAndEnter(dialog, row.typed, &enabled);
            if (dialog->isVisible())
                entered = standsIn(dialog);
        });
        EXPECT_EQ(dialogs.openFiles(request), row.chosen) << row.typed.toStdString();
        EXPECT_EQ(entered, row.entered) << row.typed.toStdString();
        EXPECT_EQ(enabled, row.found) << row.typed.toStdString();
        // Qt's own "not found" box, naming what was typed.
        EXPECT_EQ(box.contains(row.typed), !row.found) << row.typed.toStdString();
    }
}

TEST(QtDialogsTest, FolderDialogTakesATypedWindowsDirectory)
{
    test::TempPrefix prefix;
    prefix.addDrive('d');
    prefix.mkdir("D:\\VLDRBKPB");
    QtDialogs dialogs;
    QString opened;
    bool enabled = false;
    QString completed;
    withFileDialog([&](QFileDialog* dialog) {
        opened = standsIn(dialog);
        // The name box completes Windows paths too.
        QCompleter* completer = dialog->findChild<QLineEdit*>("fileNameEdit")->completer();
        completer->setCompletionPrefix("d:\\vld");
        completed = completer->pathFromIndex(
            dialog->findChild<QFileSystemModel*>()->index(prefix.host("D:\\VLDRBKPB")));
        typeAndEnter(dialog, "d:\\vldrbkpb", &enabled);
    });
    EXPECT_EQ(dialogs.browseFolder("Pasta de origem", ""), "D:\\VLDRBKPB");
    EXPECT_EQ(opened, "C:\\WINDOWS");
    EXPECT_TRUE(enabled);
    EXPECT_EQ(completed, "D:\\VLDRBKPB");
}

TEST(QtDialogsTest, FolderDialogOffersToCreateATypedDirectoryThatIsNotThere)
{
    test::TempPrefix prefix;
    prefix.addDrive('d');
    prefix.mkdir("D:\\VLDRBKPB");
    QtDialogs dialogs;
    const struct
    {
        QString typed;
        bool create;
        QString chosen;
    } rows[] = {
        {"D:\\NADA", false, ""},
        {"d:\\Novo\\Bkp", true, "D:\\Novo\\Bkp"},     // both levels, as typed
        {"EMPRESA1", true, "D:\\VLDRBKPB\\EMPRESA1"}, // a plain name, where the dialog stands
    };
    for (const auto& row : rows) {
        QString asked;
        withFileDialog([&](QFileDialog* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            edit->setText(row.typed);
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                asked = box ? box->text() : QString();
                if (box)
                    box->button(row.create ? QMessageBox::Ok : QMessageBox::Cancel)->click();
            });
            QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(edit, &enter);
        });
        EXPECT_EQ(dialogs.browseFolder("Destino", "D:\\VLDRBKPB"), row.chosen)
            << row.typed.toStdString();
        EXPECT_TRUE(asked.contains(row.typed.section(u'\\', -1))) << asked.toStdString();
        EXPECT_EQ(platform().directoryExists(row.chosen), row.create) << row.typed.toStdString();
    }
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

    // Windows shown through the seam in use: QtDialogs shows them, the headless seam closes
    // them unseen.
    auto previous = setDialogs(std::make_unique<QtDialogs>());
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_EQ(showModal(&dialog), QDialog::Accepted);
    setDialogs(nullptr);
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    EXPECT_EQ(showModal(&dialog), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    setDialogs(std::move(previous));
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

TEST(QtDialogsTest, UnattendedGuardsNestAndRestore)
{
    ASSERT_EQ(unattendedBoxSeconds(), 0);
    {
        UnattendedBoxes outer(5);
        {
            UnattendedBoxes inner;
            EXPECT_EQ(unattendedBoxSeconds(), kUnattendedBoxSeconds);
            UnattendedBoxes negative(-3);
            EXPECT_EQ(unattendedBoxSeconds(), 0);
        }
        EXPECT_EQ(unattendedBoxSeconds(), 5);
    }
    EXPECT_EQ(unattendedBoxSeconds(), 0);
}

TEST(QtDialogsTest, UnattendedBoxesCountDownAndCloseWithTheHarmlessAnswer)
{
    QtDialogs dialogs;
    const int closedBefore = unattendedBoxesClosed();
    UnattendedBoxes guard(2);
    QStringList countdown;
    whenModal([&](QWidget* modal) {
        QPointer<QMessageBox> box = qobject_cast<QMessageBox*>(modal);
        countdown << box->informativeText();
        QTimer::singleShot(1300, [&countdown, box] {
            if (box)
                countdown << box->informativeText();
        });
    });
    EXPECT_FALSE(dialogs.confirm("Continuar?"));
    ASSERT_EQ(countdown.size(), 2);
    EXPECT_FALSE(countdown[1].isEmpty());
    EXPECT_NE(countdown[0], countdown[1]);
    UnattendedBoxes shorter(1);
    dialogs.message("Backup concluído.");
    EXPECT_EQ(unattendedBoxesClosed(), closedBefore + 2);

    // Without a display nobody could ever answer: no box is shown, the same answer comes at once.
    {
        UnattendedBoxes headless(kUnattendedBoxSeconds, true);
        QElapsedTimer elapsed;
        elapsed.start();
        EXPECT_FALSE(dialogs.confirm("Tentar novamente?"));
        dialogs.message("Origem inexistente.");
        EXPECT_LT(elapsed.elapsed(), 1000);
    }
    EXPECT_FALSE(unattendedBoxesAnswerAtOnce());
    EXPECT_EQ(unattendedBoxesClosed(), closedBefore + 4);
}

TEST(QtDialogsTest, AnOperatorStillAnswersAndWithoutTheGuardNothingClosesByItself)
{
    QtDialogs dialogs;
    const int closedBefore = unattendedBoxesClosed();
    const auto clickLater = [](int ms, QMessageBox::StandardButton which, bool* open) {
        whenModal([=](QWidget* modal) {
            QPointer<QMessageBox> box = qobject_cast<QMessageBox*>(modal);
            QTimer::singleShot(ms, [=] {
                *open = box && box->isVisible();
                if (*open)
                    box->button(which)->click();
            });
        });
    };
    bool open = false;
    {
        UnattendedBoxes guard(kUnattendedBoxSeconds);
        clickLater(0, QMessageBox::Ok, &open);
        EXPECT_TRUE(dialogs.confirm("Continuar?"));
    }
    // Past the shortest count-down a guard could set, the box is still there.
    clickLater(1100, QMessageBox::Cancel, &open);
    EXPECT_FALSE(dialogs.confirm("Continuar?"));
    EXPECT_TRUE(open);
    EXPECT_EQ(unattendedBoxesClosed(), closedBefore);
}

// The pass's unit tests must see the answers a real unattended run gets.
TEST(QtDialogsTest, ScriptedBoxesAnswerAsUnattendedRealOnes)
{
    test::ScriptedDialogs scripted;
    const int closedBefore = unattendedBoxesClosed();
    EXPECT_TRUE(scripted.confirm("a"));
    {
        UnattendedBoxes guard(7);
        scripted.confirmAnswers = {true};
        EXPECT_TRUE(scripted.confirm("b"));  // an operator who is there
        EXPECT_FALSE(scripted.confirm("c")); // nobody: the box times out
        scripted.message("m");
    }
    EXPECT_TRUE(scripted.confirm("d"));
    EXPECT_EQ(unattendedBoxesClosed(), closedBefore + 2);
    EXPECT_EQ(scripted.confirmSeconds, QList<int>({0, 7, 7, 0}));
    EXPECT_EQ(scripted.messageSeconds, QList<int>({7}));
}

} // namespace
} // namespace navlor

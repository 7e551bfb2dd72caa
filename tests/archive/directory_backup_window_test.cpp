#include "archive/directory_backup_window.h"

#include "lib/registry_settings.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kStoreArj = QStringLiteral("C:\\VALDOROW\\EXE\\ARJ.EXE");

// An archiver that is there but writes nothing: every run leaves no archive behind.
class DirectoryWindow : public ::testing::Test
{
protected:
    DirectoryWindow() { prefix.write(kStoreArj, "not a program"); }

    template <typename T> T* control(const char* name)
    {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(name);
        return found;
    }
    QString text(const char* name) { return control<QLineEdit>(name)->text(); }
    void open() { window = std::make_unique<TF_BKPDIR>(); }

    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    std::unique_ptr<TF_BKPDIR> window;
};

TEST_F(DirectoryWindow, FirstUseOffersAnEmptyMoveThatStopsOnTheDefaultDirectory)
{
    open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("F_BKPDIR - BKP de Diretórios"));
    EXPECT_EQ(window->ARQ_ARJ(), kStoreArj);
    EXPECT_EQ(control<QTabWidget>("PC_GERAL")->currentWidget()->objectName(), "TS_BKP");
    EXPECT_EQ(text("E_B_DIRORIGEM"), "");
    EXPECT_EQ(text("E_B_DIRDESTINO"), "C:\\VLDRBKPB");
    EXPECT_EQ(text("E_NOMEARQ"), ".ARJ");
    EXPECT_EQ(control<QComboBox>("CB_B_OPERACAO")->currentText(), "M");
    EXPECT_TRUE(control<QCheckBox>("CB_B_SUBDIR")->isChecked());
    EXPECT_FALSE(control<QCheckBox>("CB_REMOVEDIR")->isChecked());
    EXPECT_EQ(control<QComboBox>("CB_R_OPERACAO")->currentText(),
              QStringLiteral("X - Restaurar no diretório ORIGINAL"));
    EXPECT_EQ(control<QComboBox>("CB_EXECUTAR")->count(), 0);

    control<QPushButton>("BU_B_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages,
              QStringList{QStringLiteral(
                  "Diretório de ORIGEM não pode ser o diretório atual do sistema- ")});
    EXPECT_EQ(control<QComboBox>("CB_EXECUTAR")->currentText(), kStoreArj + "#M#");
}

TEST_F(DirectoryWindow, CreationAppliesTheLastEntryAndPickingAnotherAppliesIt)
{
    GRAVA_PROGRAMA("BKPDIR", "BKP0", "C:\\ARJ.EXE#A#C:\\BKP\\EMPRESA.ARJ#C:\\DADOS\\EMPRESA\\*.*#");
    GRAVA_PROGRAMA("BKPDIR", "BKP2", "C:\\ARJ.EXE#M#D:\\B\\NOTAS.ARJ#C:\\NOTAS\\*.TXT#-R#");
    open();
    auto* history = control<QComboBox>("CB_EXECUTAR");
    EXPECT_EQ(history->count(), 2);
    EXPECT_EQ(text("E_B_DIRORIGEM"), "C:\\DADOS\\EMPRESA");
    EXPECT_EQ(text("E_B_DIRDESTINO"), "C:\\BKP\\");
    EXPECT_EQ(text("E_NOMEARQ"), "\\EMPRESA.ARJ");
    EXPECT_EQ(control<QComboBox>("CB_B_OPERACAO")->currentText(), "A");
    EXPECT_FALSE(control<QCheckBox>("CB_B_SUBDIR")->isChecked());
    EXPECT_EQ(text("E_R_ORIGEM"), "C:\\BKP\\EMPRESA.ARJ");
    EXPECT_EQ(text("E_R_DESTINO"), "C:\\DADOS\\EMPRESA\\");

    // A name typed by hand lasts until the next change of a directory.
    control<QLineEdit>("E_NOMEARQ")->setText("\\OUTRO.ARJ");
    history->setCurrentIndex(1);
    emit history->textActivated(history->currentText());
    EXPECT_EQ(text("E_B_DIRORIGEM"), "C:\\NOTAS");
    EXPECT_EQ(text("E_NOMEARQ"), "\\NOTAS.ARJ");
    EXPECT_TRUE(control<QCheckBox>("CB_B_SUBDIR")->isChecked());
    EXPECT_EQ(text("E_R_DESTINO"), "C:\\NOTAS\\");
}

TEST_F(DirectoryWindow, StoreWithoutAnArchiveRecordsNothing)
{
    GRAVA_PROGRAMA("BKPDIR", "BKP0", "C:\\ARJ.EXE#A#C:\\BKP\\EMPRESA.ARJ#C:\\DADOS\\EMPRESA\\*.*#");
    prefix.write("C:\\DADOS\\EMPRESA\\A.DB", "a");
    prefix.mkdir("C:\\BKP");
    open();
    control<QComboBox>("CB_B_OPERACAO")->setEditText("M");
    dialogs->confirmAnswers = {true};
    control<QPushButton>("BU_B_EXECUTAR")->click();

    EXPECT_EQ(dialogs->confirmCaptions, QStringList{QStringLiteral("Exclusão de Arquivos")});
    EXPECT_EQ(dialogs->messages,
              QStringList{QStringLiteral("ERRO - ARQUIVO DE DESTINO NÃO CRIADO - ") +
                          "C:\\BKP\\\\EMPRESA.ARJ"});
    EXPECT_EQ(control<QLabel>("la_exec")->text(),
              "C:\\VALDOROW\\EXE\\ARJ.EXE M C:\\BKP\\EMPRESA.ARJ C:\\DADOS\\EMPRESA\\*.* ");
    EXPECT_EQ(LE_PROGRAMA("BKPDIR", "BKP0"),
              "C:\\ARJ.EXE#A#C:\\BKP\\EMPRESA.ARJ#C:\\DADOS\\EMPRESA\\*.*#");
    EXPECT_EQ(control<QComboBox>("CB_EXECUTAR")->count(), 1);
    EXPECT_EQ(prefix.read("C:\\DADOS\\EMPRESA\\A.DB"), "a");
}

TEST_F(DirectoryWindow, StoreStopsOnMissingPlacesAndOnARefusedMove)
{
    open();
    control<QComboBox>("CB_B_OPERACAO")->setEditText("A");
    control<QLineEdit>("E_B_DIRDESTINO")->setText("C:\\NAOHA");
    control<QPushButton>("BU_B_EXECUTAR")->click();
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_EQ(dialogs->messages.last(),
              QStringLiteral("Diretório de DESTINO não localizado - C:\\NAOHA"));
    ASSERT_EQ(dialogs->fileRequests.size(), 1) << "the file dialog opens at the destination";
    EXPECT_EQ(dialogs->fileRequests.last().directory, "C:\\NAOHA");

    prefix.mkdir("C:\\BKP");
    control<QLineEdit>("E_B_DIRDESTINO")->setText("C:\\BKP");
    control<QLineEdit>("E_B_DIRORIGEM")->setText("C:\\SUMIU");
    control<QPushButton>("BU_B_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages.last(),
              QStringLiteral("Diretório de Origem não localizado - C:\\SUMIU"));
    EXPECT_EQ(dialogs->folderTitles.size(), 1) << "the origin chooser opens";
    EXPECT_EQ(control<QComboBox>("CB_EXECUTAR")->currentText(),
              kStoreArj + "#A#C:\\BKP\\SUMIU.ARJ#");

    prefix.write("C:\\DADOS\\A.DB", "a");
    control<QLineEdit>("E_B_DIRORIGEM")->setText("C:\\DADOS");
    control<QComboBox>("CB_B_OPERACAO")->setEditText("M");
    dialogs->confirmAnswers = {false};
    control<QPushButton>("BU_B_EXECUTAR")->click();
    EXPECT_EQ(dialogs->confirmations.size(), 1);
    EXPECT_EQ(dialogs->messages.size(), 2) << "nothing more after the refusal";
    EXPECT_EQ(control<QLabel>("la_exec")->text(), "___");
}

TEST_F(DirectoryWindow, CreateDirectoryReportsEachOutcome)
{
    open();
    control<QLineEdit>("E_B_DIRDESTINO")->setText("C:\\NOVO");
    control<QPushButton>("BU_B_CRIADIR")->click();
    control<QPushButton>("BU_B_CRIADIR")->click();
    control<QLineEdit>("E_B_DIRDESTINO")->setText("C:\\FALTA\\NOVO");
    control<QPushButton>("BU_B_CRIADIR")->click();
    EXPECT_EQ(dialogs->messages,
              (QStringList{QStringLiteral("Diretório Criado com sucesso: C:\\NOVO"),
                           QStringLiteral("Diretório já Existe: C:\\NOVO"),
                           QStringLiteral("Erro na criação do Diretório: C:\\FALTA\\NOVO")}));
}

TEST_F(DirectoryWindow, RestoreChecksStopBeforeTheArchiverRuns)
{
    prefix.write("C:\\BKP\\E.ARJ", "arj");
    prefix.write("C:\\DADOS\\SUB\\A.DB", "a");
    open();
    auto* archive = control<QLineEdit>("E_R_ORIGEM");
    auto* target = control<QLineEdit>("E_R_DESTINO");
    auto* operation = control<QComboBox>("CB_R_OPERACAO");

    archive->setText("C:\\BKP\\NADA.ARJ");
    dialogs->fileAnswers = {{"C:\\bkp\\e.arj"}};
    control<QPushButton>("BU_R_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages.last(),
              QStringLiteral("Arquivo de Origem não localizado - C:\\BKP\\NADA.ARJ"));
    EXPECT_EQ(dialogs->fileRequests.last().filterIndex, 2);
    EXPECT_EQ(dialogs->fileRequests.last().directory, "C:\\BKP\\");
    EXPECT_EQ(archive->text(), "C:\\BKP\\E.ARJ");

    // Files only below the target also count.
    target->setText("C:\\DADOS");
    control<QPushButton>("BU_R_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages.last(),
              QStringLiteral("------ OPERAÇÃO CANCELADA ------\rDIRETÓRIO DE DESTINO JÁ EXISTE "
                             "E CONTEM ARQUIVOS\rC:\\DADOS"));

    operation->setEditText("E - Restaurar no diretório ESPECIFICADO");
    target->setText("C:\\NOVO");
    control<QPushButton>("BU_R_EXECUTAR")->click();
    EXPECT_EQ(dialogs->messages.last(),
              QStringLiteral("DIRETÓRIO DE DESTINO NÃO EXISTE\rC:\\NOVO"));

    target->setText("C:\\DADOS");
    dialogs->confirmAnswers = {false};
    control<QPushButton>("BU_R_EXECUTAR")->click();
    EXPECT_EQ(dialogs->confirmCaptions, QStringList{QStringLiteral("DIRETÓRIO DE DESTINO")});
    EXPECT_EQ(dialogs->messages.size(), 3);
    EXPECT_FALSE(control<QComboBox>("CB_EXECUTAR")->currentText().contains("#E#"));
}

TEST_F(DirectoryWindow, MenuAndTopBarSwitchTabs)
{
    open();
    auto* tabs = control<QTabWidget>("PC_GERAL");
    control<QPushButton>("BU_RESTAURAR")->click();
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TS_RESTORE");
    control<QPushButton>("BU_DIRETORIOS")->click(); // cancelled file dialog: nothing listed
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TS_CONTEUDO");
    EXPECT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests.last().filter,
              "Todos arquivos|*.*|Compactados *.ARJ|*.ARJ|Base de Dados *.DB|*.DB");
    window->findChild<QAction*>("Guardar1")->trigger();
    EXPECT_EQ(tabs->currentWidget()->objectName(), "TS_BKP");
    window->findChild<QAction*>("Diretorios1")->trigger();
    EXPECT_EQ(dialogs->folderTitles, QStringList{QString()});
}

} // namespace
} // namespace navlor

#include "backup/backup_window.h"

#include "ui_backup_window.h"

#include "app/main_window.h"
#include "backup/job_batch_text.h"
#include "backup/job_field_check.h"
#include "backup/schedule.h"
#include "lib/param_store.h"
#include "tests/backup/backup_fakes.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/pass_wait.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>

#include <gtest/gtest.h>

#include <memory>

namespace navlor {
namespace {

const QString kWindowDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");

QStringList itemsOf(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

class BackupWindow : public ::testing::Test
{
protected:
    BackupWindow()
    {
        prefix.mkdir(kWindowDataDir);
        prefix.mkdir("C:\\VALDOROW\\DADOS");
        prefix.addDrive('d');
        prefix.write("C:\\VALDOROW\\ARJ.EXE", "archiver");
        paths->programPathValue = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
    }

    // The console as started with "/N", then the backup window.
    void open()
    {
        main = std::make_unique<TF_NAVLOR>(QStringList{"/N"});
        window = std::make_unique<TF_BKPA>(main.get());
        ui = window->form();
    }

    BackupJob storedJob(int number, bool active, const QString& title = {})
    {
        BackupJob job;
        job.numberText = jobNumberText(number);
        loadJob(job, kWindowDataDir, "C:\\VALDOROW");
        job.title = title;
        job.active = active;
        job.source = "C:\\VALDOROW\\DADOS";
        job.destination = "D:\\VLDRBKPA";
        EXPECT_TRUE(saveJob(job, kWindowDataDir));
        return job;
    }

    void focusOut(QWidget* widget)
    {
        QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(widget, &event);
    }

    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    test::ScopedPlatform<test::FakeArchiver> platform;
    test::ScopedDialogs shown;
    std::unique_ptr<TF_NAVLOR> main;
    std::unique_ptr<TF_BKPA> window;
    Ui::TF_BKPA* ui = nullptr;
};

// ---- layout ------------------------------------------------------------------------------

TEST_F(BackupWindow, OpensOnTheMenuWithJob00AndTheListOfAll51Jobs)
{
    storedJob(3, true, "Fiscal - mensal");
    open();
    EXPECT_EQ(window->objectName(), "F_BKPA");
    EXPECT_EQ(window->windowTitle(), "F_BKPA - BKP Automático");
    EXPECT_EQ(F_BKPA, window.get());
    EXPECT_EQ(ui->PC_GERAL->currentWidget(), ui->TS_MENU);
    QStringList tabs;
    for (int i = 0; i < ui->PC_GERAL->count(); ++i) {
        if (ui->PC_GERAL->isTabVisible(i))
            tabs << ui->PC_GERAL->tabText(i);
    }
    EXPECT_EQ(tabs, QStringList({"Menu", "Texto"}));

    EXPECT_EQ(ui->E_ITEM->text(), "00");
    EXPECT_EQ(ui->E_NOMEARQ->text(), "BKP00");
    EXPECT_EQ(ui->LA_DIRPARAM->text(), kWindowDataDir + "\\VD_BKPA_xx");
    ASSERT_EQ(ui->LIST->count(), 51);
    EXPECT_EQ(ui->LIST->item(0)->text(), "00 - ");
    EXPECT_EQ(ui->LIST->item(3)->text(), "03 - Fiscal - mensal");
    EXPECT_EQ(ui->LIST->item(50)->text(), "50 - ");
    EXPECT_EQ(ui->LIST->currentRow(), 0);
}

// The choices offered are the ones the run understands; the fields it computes are not typed.
TEST_F(BackupWindow, ChoicesAreOnlyWhatTheRunAccepts)
{
    open();
    // a period the schedule does not read would never be due
    const QStringList periods = itemsOf(ui->E_PERIODO);
    EXPECT_FALSE(periods.isEmpty());
    for (const QString& period : periods) {
        bool due = false;
        for (int day = 0; day < 31 && !due; ++day)
            due = isDue(period, QDate(2026, 3, 1).addDays(day), QString());
        EXPECT_TRUE(due) << period.toStdString();
    }
    // the run tells the two options by their first character
    QStringList options;
    for (const QString& option : itemsOf(ui->E_OPCOES))
        options << option.left(1);
    EXPECT_EQ(options, (QStringList{"0", "1"}));
    for (const QString& masks : itemsOf(ui->E_TIPOARQ)) {
        for (const QString& exclusions : itemsOf(ui->E_EXCLUIR)) {
            BackupJob job;
            job.masks = masks;
            job.exclusions = exclusions;
            EXPECT_FALSE(commandSyntaxIn(job)) << (masks + " / " + exclusions).toStdString();
        }
    }
    for (QLineEdit* computed : {ui->E_ARQGRA, ui->E_ITEM, ui->E_NOMEARQ})
        EXPECT_TRUE(computed->isReadOnly()) << computed->objectName().toStdString();
    EXPECT_EQ(ui->Sair1->shortcut(), QKeySequence(Qt::Key_F12));
}

TEST_F(BackupWindow, UpperCaseEditsKeepTheirTextInCapitals)
{
    open();
    ui->E_ORIGEM->setText("c:\\valdorow\\dados");
    EXPECT_EQ(ui->E_ORIGEM->text(), "C:\\VALDOROW\\DADOS");
    ui->E_DESTINO->setText("d:\\bkp");
    EXPECT_EQ(ui->E_DESTINO->text(), "D:\\BKP");
}

// ---- the rules of the parameters page ----------------------------------------------------

TEST_F(BackupWindow, BatExecuteSwapsWhichControlsCanBeEdited)
{
    open();
    const QList<QWidget*> generated = {ui->E_TIPOARQ, ui->E_ORIGEM, ui->E_DESTINO, ui->E_EXCLUIR,
                                       ui->CB_SUBDIR};
    EXPECT_FALSE(ui->Memo1->isEnabled());
    for (QWidget* control : generated)
        EXPECT_TRUE(control->isEnabled());

    ui->CB_BATEXECUTE->click();
    EXPECT_TRUE(ui->Memo1->isEnabled());
    for (QWidget* control : generated)
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();

    ui->CB_BATEXECUTE->click();
    EXPECT_FALSE(ui->Memo1->isEnabled());
    EXPECT_TRUE(ui->E_ORIGEM->isEnabled());

    // loading a job that runs its own batch ends with the same rule
    BackupJob own = storedJob(4, true);
    own.runsOwnBatch = true;
    EXPECT_TRUE(saveJob(own, kWindowDataDir));
    saveJobBatch(kWindowDataDir, 4, "ECHO proprio\n");
    ui->LIST->setCurrentRow(4);
    ui->BU_ABRIR->click();
    EXPECT_TRUE(ui->CB_BATEXECUTE->isChecked());
    EXPECT_TRUE(ui->Memo1->isEnabled());
    EXPECT_FALSE(ui->E_DESTINO->isEnabled());
    EXPECT_EQ(ui->Memo1->toPlainText(), "ECHO proprio\n");
}

TEST_F(BackupWindow, ChoosingAPeriodRetitlesAnActiveJobWhoseTitleStartsOtherwise)
{
    open();
    const auto choose = [this](int index) {
        ui->E_PERIODO->setCurrentIndex(index);
        emit ui->E_PERIODO->activated(index);
    };
    ui->CB_ATIVAR->setChecked(true);
    ui->E_TITULO->setText("Dados");
    choose(3);
    EXPECT_EQ(ui->E_TITULO->text(), "3 - Semanal");

    ui->E_TITULO->setText("5 dias");
    choose(5);
    EXPECT_EQ(ui->E_TITULO->text(), "5 dias"); // already starts with the period's digit

    ui->CB_ATIVAR->setChecked(false);
    ui->E_TITULO->setText("Dados");
    choose(0);
    EXPECT_EQ(ui->E_TITULO->text(), "Dados");
}

TEST_F(BackupWindow, LeavingTheDestinationTurnsBlanksIntoUnderscores)
{
    open();
    ui->E_DESTINO->setText("D:\\MEUS BKP\\DIA A DIA");
    focusOut(ui->E_DESTINO);
    EXPECT_EQ(ui->E_DESTINO->text(), "D:\\MEUS_BKP\\DIA_A_DIA");
}

TEST_F(BackupWindow, DirectoryLabelsAskForAFolder)
{
    prefix.mkdir("C:\\OUTROS\\DADOS");
    open();
    shown->folderAnswers = {"C:\\Outros\\Dados", ""};
    window->LA_ORIGEMClick();
    EXPECT_EQ(ui->E_ORIGEM->text(), "C:\\OUTROS\\DADOS");
    EXPECT_EQ(shown->folderTitles, QStringList{"Selecionar Diretório"});

    ui->E_DESTINO->setText("X:\\NAO_HA");
    window->LA_DESTINOClick(); // cancelled over a text that is no directory: kept
    EXPECT_EQ(ui->E_DESTINO->text(), "X:\\NAO_HA");
}

// ---- list, parameters, saving ------------------------------------------------------------

TEST_F(BackupWindow, ListChoiceNamesTheJobAndParametersLoadsIt)
{
    storedJob(7, true, "Contabil");
    open();
    ui->LIST->setCurrentRow(7);
    EXPECT_EQ(ui->E_ITEM->text(), "07");
    EXPECT_EQ(ui->E_TITULO->text(), ""); // still job 00 until "Parâmetros"

    emit ui->LIST->itemDoubleClicked(ui->LIST->item(7));
    EXPECT_EQ(ui->PC_GERAL->currentWidget(), ui->TS_PARAM);
    EXPECT_EQ(ui->E_TITULO->text(), "Contabil");
    EXPECT_EQ(ui->E_NOMEARQ->text(), "BKP07");
    EXPECT_TRUE(ui->CB_ATIVAR->isChecked());

    ui->BU_MENU->click();
    EXPECT_EQ(ui->PC_GERAL->currentWidget(), ui->TS_MENU);
}

TEST_F(BackupWindow, SavingAnUntitledJobStoresThePeriodAsTitleAndRefreshesTheList)
{
    open();
    ui->LIST->setCurrentRow(12);
    ui->BU_ABRIR->click();
    ui->E_PERIODO->setCurrentText("5 - Mensal");
    ui->BU_SALVAR->click();
    EXPECT_EQ(ui->E_TITULO->text(), "5 - Mensal");
    EXPECT_EQ(ui->LIST->item(12)->text(), "12 - 5 - Mensal");
    EXPECT_EQ(ui->LIST->currentRow(), 12);
    const std::optional<ParamFile> saved = readParamFile(jobParFile(kWindowDataDir, 12));
    ASSERT_TRUE(saved);
    EXPECT_EQ((*saved)[kJobTitleLine], "5 - Mensal");
}

TEST_F(BackupWindow, AJobThatCannotBeSavedKeepsWhatWasTypedUntilItCan)
{
    open();
    ui->LIST->setCurrentRow(12);
    ui->BU_ABRIR->click();
    ui->E_PERIODO->setCurrentText("5 - Mensal");
    const QString file = jobParFile(kWindowDataDir, 12);
    prefix.mkdir(file); // a directory where the job file should be
    ui->BU_SALVAR->click();
    ASSERT_FALSE(shown->messages.isEmpty());
    EXPECT_EQ(shown->messages.last(),
              "(GBF_WRITE) - ERRO na tentativa de GRAVAR o Arquivo: " + file);
    EXPECT_EQ(ui->E_TITULO->text(), "");
    EXPECT_EQ(ui->LIST->item(12)->text(), "12 - ");

    ASSERT_TRUE(QDir(prefix.host(file)).removeRecursively());
    ui->BU_SALVAR->click();
    EXPECT_EQ(ui->E_TITULO->text(), "5 - Mensal");
    EXPECT_EQ(ui->LIST->item(12)->text(), "12 - 5 - Mensal");
}

TEST_F(BackupWindow, SavingWithAMissingSourceAsksFirst)
{
    open();
    ui->LIST->setCurrentRow(6);
    ui->BU_ABRIR->click();
    for (const bool saveAnyway : {false, true}) {
        ui->E_ORIGEM->setText("C:\\SUMIU");
        shown->confirmAnswers = {saveAnyway};
        shown->confirmations.clear();
        ui->BU_SALVAR->click();
        EXPECT_EQ(shown->confirmations,
                  QStringList{"O diretório de Origem não existe. Salvar assim mesmo?"});
        EXPECT_EQ(ui->E_ORIGEM->text(), "C:\\SUMIU");
        const std::optional<ParamFile> saved = readParamFile(jobParFile(kWindowDataDir, 6));
        ASSERT_TRUE(saved);
        EXPECT_EQ((*saved)[kJobSourceLine] == "C:\\SUMIU", saveAnyway);
    }
    // an existing source is saved without a question
    ui->E_ORIGEM->setText("C:\\VALDOROW\\DADOS");
    shown->confirmations.clear();
    ui->BU_SALVAR->click();
    EXPECT_TRUE(shown->confirmations.isEmpty());
    const std::optional<ParamFile> saved = readParamFile(jobParFile(kWindowDataDir, 6));
    ASSERT_TRUE(saved);
    EXPECT_EQ((*saved)[kJobSourceLine], "C:\\VALDOROW\\DADOS");
}

TEST_F(BackupWindow, ValuesWithCommandSyntaxAreNeverSaved)
{
    open();
    ui->LIST->setCurrentRow(4);
    ui->BU_ABRIR->click();
    ui->E_EXCLUIR->setCurrentText("*.ARJ & DEL *.*");
    ui->BU_SALVAR->click();
    EXPECT_EQ(shown->messages,
              QStringList{"ERRO - BKP (04) - caractere inválido em Excluir as Extensões: &"});
    EXPECT_FALSE(navlor::platform().fileExists(jobParFile(kWindowDataDir, 4)));

    ui->E_EXCLUIR->setCurrentText("*.ARJ");
    ui->BU_SALVAR->click();
    EXPECT_TRUE(navlor::platform().fileExists(jobParFile(kWindowDataDir, 4)));
}

// ---- running -----------------------------------------------------------------------------

TEST_F(BackupWindow, ExecuteOnAnInactiveJobSaysSo)
{
    open();
    ui->BU_ABRIR->click();
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);
    EXPECT_EQ(shown->messages, QStringList{"O BKP Atual não está ativo"});
    EXPECT_TRUE(platform->runs.isEmpty());
}

TEST_F(BackupWindow, ExecuteRunsTheLoadedJobAndShowsItsStamp)
{
    storedJob(2, true, "Dados");
    open();
    platform->archive = "D:\\VLDRBKPA\\BKP02_04_DIARIO.ARJ";
    ui->LIST->setCurrentRow(2);
    ui->BU_ABRIR->click();
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);

    EXPECT_EQ(platform->runs, QStringList{"D:\\VLDRBKPA\\BKPA.BAT"});
    EXPECT_EQ(ui->E_ARQGRA->text(), "D:\\VLDRBKPA\\BKP02_04_DIARIO.ARJ");
    EXPECT_EQ(ui->E_ULTIMATU->text(), "05/03/26");
    EXPECT_EQ(ui->E_ULTHORA->text(), "10:00:00");
    EXPECT_EQ(
        ui->Memo1->toPlainText(),
        R"(C:\VALDOROW\ARJ.EXE A "D:\VLDRBKPA\BKP02_04_DIARIO.ARJ" "C:\VALDOROW\DADOS"  *.* -U -R )");
    EXPECT_EQ(main->messages(),
              QStringList({"Executando BKP (02) - _DIARIO - Dados", "BKP Concluído (02)"}));
    EXPECT_EQ(ui->LA_MSG->text(), "BKP Concluído (02)");

    // again the same day: not due, so the operator is asked; Cancel runs nothing, OK runs it
    shown->confirmAnswers = {false, true};
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);
    EXPECT_EQ(platform->runs.size(), 1);
    platform->fakeClock().sleep(60000);
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);
    EXPECT_EQ(platform->runs.size(), 2);
    EXPECT_EQ(shown->confirmations,
              QStringList(2, "BKP (02) não está programado para hoje. Executar assim mesmo?"));
    EXPECT_EQ(ui->E_ULTHORA->text(), "10:01:00");
}

// "Cancelar" is the one control while the job runs: the run fails on it, nothing is recorded,
// and the window cannot be closed under it.
TEST_F(BackupWindow, CancelDuringTheRunFailsItAndRecordsNothing)
{
    storedJob(2, true, "Dados");
    open();
    window->show();
    platform->archive = "D:\\VLDRBKPA\\BKP02_04_DIARIO.ARJ";
    platform->writesArchive = false;
    ui->LIST->setCurrentRow(2);
    ui->BU_ABRIR->click();
    bool onlyCancelTakesClicks = false;
    // the operator's clicks, handled by the window while the batch runs on its own thread
    platform->onRun = [&](const QString&) {
        QMetaObject::invokeMethod(
            window.get(),
            [&] {
                onlyCancelTakesClicks = ui->BU_CANCELAR->isEnabled() &&
                                        !ui->BU_EXECUTAR->isEnabled() &&
                                        !ui->BU_SALVAR->isEnabled() && !ui->Sair1->isEnabled();
                ui->BU_EXECUTAR->click(); // not taken in: no second run
                window->close();
                window->reject();
                ui->BU_CANCELAR->click();
            },
            Qt::BlockingQueuedConnection);
    };
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);
    EXPECT_TRUE(onlyCancelTakesClicks);
    EXPECT_EQ(platform->runs.size(), 1);
    EXPECT_TRUE(window->isVisible());
    const QString line = "ERRO - BKP (02) - cancelado pelo operador";
    EXPECT_EQ(main->messages().last(), line);
    EXPECT_EQ(ui->LA_MSG->text(), line);
    EXPECT_EQ(ui->E_ULTIMATU->text(), "");
    EXPECT_EQ(ui->E_ARQGRA->text(), "");
    const std::optional<ParamFile> stored = readParamFile(jobParFile(kWindowDataDir, 2));
    ASSERT_TRUE(stored);
    EXPECT_EQ((*stored)[kJobLastDateLine], "");
    EXPECT_FALSE(ui->BU_CANCELAR->isEnabled());
    EXPECT_TRUE(ui->BU_EXECUTAR->isEnabled());
    ui->BU_SAIR->click();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(BackupWindow, FailedCheckShowsTheMessageLineInABox)
{
    BackupJob job = storedJob(0, true, "Dados");
    job.source = "C:\\SUMIU";
    EXPECT_TRUE(saveJob(job, kWindowDataDir));
    open();
    ui->BU_ABRIR->click();
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);
    const QString text = "Não foi possivel LOCALIZAR o diretório de Origem - BKP CANCELADO - "
                         "C:\\SUMIU   - 00";
    EXPECT_EQ(main->messageText(), text);
    EXPECT_EQ(shown->messages, QStringList{text});
    EXPECT_EQ(ui->LA_MSG->text(), text);
}

TEST_F(BackupWindow, PassRunsActiveJobsAndObeysTheStopFlag)
{
    storedJob(0, true, "A");
    storedJob(1, false, "B");
    storedJob(2, true, "C");
    open();
    platform->onRun = [this](const QString& batch) {
        const QString line = fromAnsi(prefix.read(batch));
        prefix.write(line.section(u'"', 1, 1), "ARJ");
        main->setStopRequested(true); // ticked while the first job runs
    };
    main->startBackupPass();
    test::waitForPass(*main);
    EXPECT_EQ(platform->runs.size(), 1);
    EXPECT_EQ(main->messages(),
              QStringList({"Verificando BKP Automático", "Executando BKP (00) - _DIARIO - A",
                           "BKP Concluído (00)"}));
    EXPECT_EQ(ui->E_ITEM->text(), "00");
}

TEST_F(BackupWindow, ArchiverFoundOnlyByTheFileSearchIsCopiedNextToTheProgram)
{
    ASSERT_TRUE(navlor::platform().deleteFile("C:\\VALDOROW\\ARJ.EXE"));
    prefix.write("C:\\VALDOROW\\UTIL\\ARJ.EXE", "found");
    open();
    storedJob(0, true, "A");
    ui->BU_ABRIR->click();
    platform->archive = "D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ";
    ui->BU_EXECUTAR->click();
    test::waitForRun(*window);
    EXPECT_EQ(prefix.read("C:\\VALDOROW\\ARJ.EXE"), "found");
    EXPECT_TRUE(main->messages().contains("Localizando programa ARJ.EXE"));
    EXPECT_TRUE(main->messages().contains("BKP Concluído (00)"));
}

// ---- the other pages ---------------------------------------------------------------------

TEST_F(BackupWindow, MapListsEveryJobAndFillsTheTitledOnes)
{
    BackupJob first = storedJob(0, true, "Dados");
    first.lastArchive = "D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ";
    first.lastRunDate = "05/03/26";
    EXPECT_TRUE(saveJob(first, kWindowDataDir));
    BackupJob third = storedJob(3, false, "Fiscal");
    third.period = "5 - Mensal";
    EXPECT_TRUE(saveJob(third, kWindowDataDir));
    open();
    ui->LIST->setCurrentRow(9);

    ui->BU_MAPA->click();
    const QTableWidget* grid = ui->GRID_MAPA;
    EXPECT_EQ(ui->PC_GERAL->currentWidget(), ui->TS_MAPA);
    ASSERT_EQ(grid->rowCount() + 1, 52); // the header and jobs 00 to 50
    QStringList header;
    for (int column = 0; column < grid->columnCount(); ++column)
        header << grid->horizontalHeaderItem(column)->text();
    EXPECT_EQ(header, QStringList({"Num", "Data", "Titulo", "Arq.", "Período"}));
    EXPECT_EQ(grid->columnWidth(2), 229);
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 20);

    const auto text = [grid](int row, int column) {
        const QTableWidgetItem* item = grid->item(row, column);
        return item ? item->text() : QString();
    };
    EXPECT_EQ(text(0, 0), "00");
    EXPECT_EQ(text(0, 1), "05/03/26");
    EXPECT_EQ(text(0, 2), "Dados");
    EXPECT_EQ(text(0, 3), "D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ");
    EXPECT_EQ(text(0, 4), "0 - Diário");
    EXPECT_EQ(text(3, 2), "Fiscal");
    EXPECT_EQ(text(3, 4), "5 - Mensal");
    EXPECT_EQ(text(50, 0), "50");
    for (int row : {1, 2, 4, 50}) {
        for (int column = 1; column < 5; ++column)
            EXPECT_EQ(text(row, column), QString()) << row << "," << column;
    }
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsSelectable);
    EXPECT_EQ(ui->E_ITEM->text(), "09");
    EXPECT_EQ(ui->LIST->currentRow(), 9);
}

TEST_F(BackupWindow, RestoreOpensTheExtractWindowOnTheLastArchive)
{
    BackupJob ran = storedJob(5, true, "Dados");
    ran.lastArchive = "D:\\VLDRBKPA\\BKP05_04_DIARIO.ARJ";
    EXPECT_TRUE(saveJob(ran, kWindowDataDir));
    open();
    QStringList origins;
    shown->onShowModal = [&origins](QWidget* extract) {
        origins << extract->findChild<QLineEdit*>("E_EXT_ORIGEM")->text();
        return 0;
    };
    ui->LIST->setCurrentRow(5);
    ui->BU_RESTAURA->click();
    EXPECT_EQ(ui->PC_GERAL->currentWidget(), ui->TS_PARAM);
    ui->LIST->setCurrentRow(6); // never ran
    ui->ExtrairRestaurarArquivos1->trigger();
    EXPECT_EQ(shown->modalWindows, QStringList({"F_BKP_EXTRAI1", "F_BKP_EXTRAI1"}));
    EXPECT_EQ(origins, QStringList({"D:\\VLDRBKPA\\BKP05_04_DIARIO.ARJ", ""}));
}

TEST_F(BackupWindow, TextPageSavesAndRunsTheJobsOwnBatch)
{
    open();
    ui->LIST->setCurrentRow(8);
    ui->Memo1->setPlainText("ECHO um\nECHO dois");
    ui->BU_BAT_EXECUTAR->click(); // nothing saved yet: nothing runs
    EXPECT_TRUE(platform->runs.isEmpty());

    ui->BU_BAT_SALVAR->click();
    EXPECT_EQ(prefix.read(kWindowDataDir + "\\VD_BKPA_08.BAT"), "ECHO um\r\nECHO dois\r\n");
    ui->Memo1->setPlainText("ECHO nao salvo");
    ui->BU_BAT_EXECUTAR->click();
    EXPECT_EQ(platform->runs, QStringList{kWindowDataDir + "\\VD_BKPA_08.BAT"});
    EXPECT_EQ(platform->batches.first(), "ECHO um\r\nECHO dois\r\n");
    EXPECT_FALSE(navlor::platform().fileExists(jobParFile(kWindowDataDir, 8)));
}

TEST_F(BackupWindow, DirectoriesShowsTheDestinationAndExitCloses)
{
    open();
    window->show();
    ui->Diretorios1->trigger();
    ASSERT_EQ(shown->fileRequests.size(), 1);
    EXPECT_EQ(shown->fileRequests.first().directory, ui->E_DESTINO->text());
    ui->BU_SAIR->click();
    EXPECT_FALSE(window->isVisible());
}

// ---- the main window's button ------------------------------------------------------------

TEST_F(BackupWindow, MainWindowButtonCancelsTheStartAndOpensTheWindowModally)
{
    main = std::make_unique<TF_NAVLOR>(QStringList{"/N"});
    auto* button = main->findChild<QPushButton*>("BU_BKPA");
    ASSERT_NE(button, nullptr);
    bool disabledWhileOpen = false;
    bool stopWhileOpen = false;
    shown->onShowModal = [&](QWidget*) {
        disabledWhileOpen = !button->isEnabled();
        stopWhileOpen = main->stopRequested();
        return 0;
    };
    button->click();
    EXPECT_EQ(shown->modalWindows, QStringList{"F_BKPA"});
    EXPECT_TRUE(disabledWhileOpen);
    EXPECT_TRUE(stopWhileOpen);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(F_BKPA, nullptr); // released after closing

    main->findChild<QAction*>("BKPAutomtico1")->trigger();
    EXPECT_EQ(shown->modalWindows.size(), 2);
}

} // namespace
} // namespace navlor

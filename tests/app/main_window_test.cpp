#include "app/main_window.h"
#include "app/usage.h"

#include "lib/dates.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/pass_wait.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace navlor {
namespace {

class MainWindowTest : public ::testing::Test
{
protected:
    std::unique_ptr<TF_NAVLOR> create(const QStringList& arguments = {"/N"})
    {
        return std::make_unique<TF_NAVLOR>(arguments);
    }

    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
};

// ---- creation --------------------------------------------------------------------------------

TEST_F(MainWindowTest, CreatesDataDirectoryOnWindowsDriveWhenNoneExists)
{
    auto window = create();
    EXPECT_EQ(window->dataDirectory(), "C:\\NAVLOR");
    EXPECT_TRUE(platform().directoryExists("C:\\NAVLOR"));
    EXPECT_EQ(F_NAVLOR, window.get());
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(MainWindowTest, PrefersValdoroDataDirectoryAndCreatesNothingThen)
{
    prefix.mkdir("C:\\VALDORO\\NAVLOR");
    auto window = create();
    EXPECT_EQ(window->dataDirectory(), "C:\\VALDORO\\NAVLOR");
    EXPECT_FALSE(platform().directoryExists("C:\\NAVLOR"));
}

TEST_F(MainWindowTest, DataDirectoryFollowsWindowsDriveAndSystemDirectoryTheProgramDrive)
{
    prefix.addDrive('d');
    prefix.mkdir("C:\\VALDOROW");
    prefix.mkdir("D:\\VALDOROW");
    test::ScopedFixedPaths paths(prefix.root());
    paths->windowsDirectoryValue = "D:\\WINNT";
    paths->programPathValue = "c:\\valdorow\\navlor.exe";

    auto window = create();
    EXPECT_EQ(window->windowsDirectory(), "D:\\WINNT");
    EXPECT_EQ(window->dataDirectory(), "D:\\NAVLOR");
    EXPECT_TRUE(platform().directoryExists("D:\\NAVLOR"));
    EXPECT_FALSE(platform().directoryExists("C:\\NAVLOR"));
    EXPECT_EQ(window->programPath(), "C:\\VALDOROW\\NAVLOR.EXE");
    EXPECT_EQ(window->systemDirectory(), "C:\\VALDOROW");
}

TEST_F(MainWindowTest, SystemDirectoryIsStarsWhenMissingOrStartedFromNetwork)
{
    test::ScopedFixedPaths paths(prefix.root());
    paths->programPathValue = "C:\\VALDOROW\\NAVLOR.EXE";
    EXPECT_EQ(create()->systemDirectory(), "**");

    prefix.mkdir("C:\\VALDOROW");
    paths->programPathValue = "\\\\SERVIDOR\\VALDOROW\\NAVLOR.EXE";
    EXPECT_EQ(create()->systemDirectory(), "**");
}

TEST_F(MainWindowTest, ShowingRecomputesSystemDirectoryAndComputerName)
{
    test::ScopedFixedPaths paths(prefix.root());
    paths->programPathValue = "C:\\VALDOROW\\NAVLOR.EXE";
    auto window = create();
    auto* computer = window->findChild<QLabel*>("LA_COMPREDE");
    ASSERT_EQ(window->systemDirectory(), "**");
    computer->setText("Default");

    prefix.mkdir("C:\\VALDOROW");
    window->show();
    EXPECT_EQ(window->systemDirectory(), "C:\\VALDOROW");
    EXPECT_EQ(computer->text(), platform().computerName());
}

TEST_F(MainWindowTest, FillsInformationLabelsAndFixesYearWindow)
{
    setTwoDigitYearWindow(0);
    auto window = create();
    const auto text = [&](const char* name) { return window->findChild<QLabel*>(name)->text(); };
    EXPECT_TRUE(text("LA_WINDOWSVERSION").contains(", Build: "));
    EXPECT_EQ(text("LA_WINDOWS"), platform().windowsDirectory());
    EXPECT_EQ(text("LA_DIRATUAL"), platform().programPath().toUpper());
    EXPECT_EQ(text("LA_COMPREDE"), platform().computerName());
    EXPECT_EQ(text("LA_ARQLCK"), "0");
    EXPECT_EQ(text("LA_ARQQSQ"), "0");
    EXPECT_EQ(twoDigitYearWindow(), 90);
}

TEST_F(MainWindowTest, SlashNInAnyCaseKeepsStartupTimerOff)
{
    EXPECT_FALSE(create({"/n"})->startupTimerActive());
    EXPECT_FALSE(create({"X", "/N"})->startupTimerActive());
    EXPECT_TRUE(create({})->startupTimerActive());
}

TEST(CommandLine, OptionsAreReadWithoutRegardToCaseAndAnyOtherIsRefused)
{
    using Kind = CommandLine::Kind;
    struct Case
    {
        QStringList arguments;
        Kind kind;
        bool startupPass;
        const char* text; // the start of what is printed
    };
    const QList<Case> cases{
        {{}, Kind::Start, true, ""},
        {{"/N"}, Kind::Start, false, ""},
        {{"/n"}, Kind::Start, false, ""},
        {{"EMPRESA", "/n"}, Kind::Start, false, ""},
        {{"EMPRESA"}, Kind::Start, true, ""},
        {{"--HELP"}, Kind::Information, false, "Uso: navlor"},
        {{"/?"}, Kind::Information, false, "Uso: navlor"},
        {{"--Version"}, Kind::Information, false, "navlor "},
        {{"-n"}, Kind::Refused, false, "navlor: opção desconhecida: -n\n\nUso: navlor"},
        {{"/N", "--bogus"}, Kind::Refused, false, "navlor: opção desconhecida: --bogus\n"},
        {{"/N "}, Kind::Refused, false, "navlor: opção desconhecida: /N \n"},
        {{"/NN"}, Kind::Refused, false, "navlor: opção desconhecida: /NN\n"},
    };
    for (const Case& c : cases) {
        const CommandLine line = readCommandLine(c.arguments);
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(line.kind, c.kind) << name;
        EXPECT_EQ(line.startupPass, c.startupPass) << name;
        if (*c.text)
            EXPECT_TRUE(line.text.startsWith(QString::fromUtf8(c.text))) << name;
        else
            EXPECT_TRUE(line.text.isEmpty()) << name;
    }
}

TEST_F(MainWindowTest, StartupTimerTickRunsOnce)
{
    auto window = create({});
    window->TM_GERALTimer();
    test::waitForStartupRun(*window);
    EXPECT_FALSE(window->startupTimerActive());
}

// ---- message line ----------------------------------------------------------------------------

TEST_F(MainWindowTest, AddMsgAppendsAndShowsEveryTextButEmpty)
{
    auto window = create();
    window->ADD_MSG("Deletando arquivos *.LCK = 0");
    window->ADD_MSG("");
    EXPECT_EQ(window->messageText(), "Deletando arquivos *.LCK = 0");
    window->ADD_MSG("CONCLUIDO");
    window->ADD_MSG("CONCLUIDO");
    EXPECT_EQ(window->messages(),
              QStringList({"Deletando arquivos *.LCK = 0", "CONCLUIDO", "CONCLUIDO"}));
    EXPECT_EQ(window->messageText(), "CONCLUIDO");

    window->clearMessageText();
    EXPECT_EQ(window->messageText(), "");
    EXPECT_EQ(window->messages().size(), 3);
    window->ADD_MSG("");
    EXPECT_EQ(window->messageText(), "");
}

// ---- buttons and timers ----------------------------------------------------------------------

TEST_F(MainWindowTest, CancelSetsStopFlagAndShowsTextWithoutListingIt)
{
    auto window = create();
    auto* bkpa = window->findChild<QPushButton*>("BU_BKPA");
    auto* cancel = window->findChild<QPushButton*>("BU_CANCELAR");
    auto* minimise = window->findChild<QCheckBox*>("CB_MINIMIZAR");
    window->ADD_MSG("antes");
    bkpa->setEnabled(false);

    cancel->click();
    EXPECT_TRUE(window->stopRequested());
    EXPECT_FALSE(minimise->isChecked());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(bkpa->isEnabled());
    EXPECT_EQ(window->messageText(), "Parar/Cancelar");
    EXPECT_EQ(window->messages(), QStringList({"antes"}));
}

TEST_F(MainWindowTest, EveryExitClosesTheWindowWithStopFlagSet)
{
    auto window = create();
    for (const char* exit : {"BU_SAIR", "Sair1", "Sair2"}) {
        window->show();
        window->setStopRequested(false);
        if (auto* button = window->findChild<QPushButton*>(exit))
            button->click();
        else
            window->findChild<QAction*>(exit)->trigger();
        EXPECT_FALSE(window->isVisible()) << exit;
        EXPECT_TRUE(window->stopRequested()) << exit;
        EXPECT_FALSE(window->findChild<QCheckBox*>("CB_MINIMIZAR")->isChecked()) << exit;
    }
}

TEST_F(MainWindowTest, AutoCloseOnlyWhenMinimisedAndAskedTo)
{
    auto window = create();
    auto* minimise = window->findChild<QCheckBox*>("CB_MINIMIZAR");
    window->show();
    window->TM_FECHAR.start();
    window->TM_FECHARTimer();
    EXPECT_FALSE(window->TM_FECHAR.isActive());
    EXPECT_TRUE(window->isVisible());

    window->showMinimized();
    minimise->setChecked(false);
    window->TM_FECHARTimer();
    EXPECT_TRUE(window->isVisible());

    minimise->setChecked(true);
    window->TM_FECHARTimer();
    EXPECT_FALSE(window->isVisible());
}

// ---- menu commands done here -----------------------------------------------------------------

TEST_F(MainWindowTest, BrowsingDialogsAreShownAsDescribed)
{
    auto window = create();
    window->findChild<QAction*>("Diretorios1")->trigger();
    window->findChild<QAction*>("ArquivosdeConfiguraoGBL1")->trigger();
    ASSERT_EQ(dialogs->fileRequests.size(), 2);

    const FileDialogRequest& plain = dialogs->fileRequests[0];
    EXPECT_TRUE(plain.filter.isEmpty());
    EXPECT_TRUE(plain.directory.isEmpty());

    const FileDialogRequest& config = dialogs->fileRequests[1];
    EXPECT_EQ(config.directory, window->windowsDirectory());
    EXPECT_EQ(config.filterIndex, 2);
    EXPECT_TRUE(config.multiSelect);
    EXPECT_EQ(config.filter, QString::fromUtf8("Todos Arquivos|*.*|Arq. de configuração *.GBL|"
                                               "*.gbl|Arquivos de rede *.LCK|p*.lck"));
}

TEST_F(MainWindowTest, PrintScreenShowsThePrintDialog)
{
    auto window = create();
    window->findChild<QAction*>("ImprimirTela1")->trigger();
    EXPECT_EQ(dialogs->modalWindows, QStringList({"PDIALOG"}));
}

// ---- layout ----------------------------------------------------------------------------------

TEST_F(MainWindowTest, StartsInTheStateTheRunReadsAndKeepsSairAndTheMessageLineAtTheEdges)
{
    auto window = create();
    auto* minimise = window->findChild<QCheckBox*>("CB_MINIMIZAR");
    auto* stop = window->findChild<QCheckBox*>("CB_PARARBKP");
    auto* bar = window->findChild<QProgressBar*>("BAR");
    auto* message = window->findChild<QComboBox*>("E_MSG");
    auto* sair = window->findChild<QPushButton*>("BU_SAIR");
    ASSERT_TRUE(minimise && stop && bar && message && sair && message->lineEdit());
    EXPECT_TRUE(minimise->isChecked());
    EXPECT_FALSE(stop->isChecked());
    EXPECT_EQ(QList<int>({bar->minimum(), bar->maximum(), bar->value()}), QList<int>({0, 6, 0}));
    EXPECT_TRUE(message->lineEdit()->isReadOnly());
    EXPECT_EQ(message->count(), 0);
    EXPECT_FALSE(window->TM_FECHAR.isActive());

    // Resizable, never below its design; Sair and the message line follow the edges.
    QWidget* area = window->centralWidget();
    const auto gaps = [&] {
        return QList<int>{area->width() - sair->mapTo(area, sair->rect().bottomRight()).x(),
                          area->width() - message->mapTo(area, message->rect().bottomRight()).x(),
                          area->height() - message->mapTo(area, message->rect().bottomRight()).y(),
                          message->mapTo(area, QPoint()).x()};
    };
    const QSize designed = window->size();
    const QList<int> before = gaps();
    EXPECT_EQ(window->minimumSize(), designed);
    EXPECT_GT(window->maximumWidth(), designed.width());
    window->resize(designed + QSize(300, 120));
    EXPECT_EQ(gaps(), before);
    window->resize(designed);
    EXPECT_EQ(gaps(), before);
}

} // namespace
} // namespace navlor

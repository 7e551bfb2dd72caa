#include "app/main_window.h"

#include "app/console_params_dialog.h"
#include "backup/backup_window.h"
#include "lib/param_store.h"
#include "lib/registry_settings.h"
#include "tests/backup/backup_fakes.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/pass_wait.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"
#include "tools/about_box.h"
#include "tools/file_search_window.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace navlor {
namespace {

const QString kRunKey = QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");

// Programs are recorded, not started.
class MenuStartRecorder : public test::ForwardingPlatform
{
public:
    bool startProcess(const QString& commandLine, ShowMode showMode) override
    {
        started << commandLine;
        modes << showMode;
        return true;
    }
    int winExec(const QString& commandLine, ShowMode showMode) override
    {
        executed << commandLine;
        modes << showMode;
        return 33;
    }

    QStringList started;
    QStringList executed;
    QList<ShowMode> modes;
};

// Deletions go on as usual; the cursor each one happened under is noted.
class DeleteWatcher : public test::ForwardingPlatform
{
public:
    bool deleteFile(const QString& path) override
    {
        busyAtDelete << (dialogs ? dialogs->busyDepth : 0);
        return inner().deleteFile(path);
    }

    test::ScriptedDialogs* dialogs = nullptr;
    QList<int> busyAtDelete;
};

class MenuCommands : public ::testing::Test
{
protected:
    MenuCommands() { prefix.addDrive('d'); }

    // The console started with "/N" from `program`, its system directory made first.
    void open(const QString& program, bool withSystemDirectory = true)
    {
        if (withSystemDirectory)
            prefix.mkdir(program.left(program.lastIndexOf(u'\\')));
        paths->programPathValue = program;
        main = std::make_unique<TF_NAVLOR>(QStringList{"/N"});
    }

    void openOnTwoJobs();
    void trigger(const char* item) { main->findChild<QAction*>(item)->trigger(); }

    void touch(const QStringList& files)
    {
        for (const QString& file : files)
            prefix.write(file, "x");
    }
    QStringList existing(const QStringList& files) const
    {
        QStringList there;
        for (const QString& file : files) {
            if (QFile::exists(prefix.host(file)))
                there << file;
        }
        return there;
    }

    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    test::ScopedDialogs dialogs;
    std::unique_ptr<TF_NAVLOR> main;
};

// ---- manual deletions ----------------------------------------------------------------------

TEST_F(MenuCommands, QsqDeletionCoversTheSystemDriveThenDriveC)
{
    open("D:\\VALDOROW\\NAVLOR.EXE");
    const QStringList gone = {"D:\\_QSQ1.DB",         "D:\\VALDOROW\\DADOS\\_QSQ2.DB",
                              "D:\\OUTRO\\_qsq3.db",  "D:\\VALDOROW\\_QSQ9.MB",
                              "C:\\TEMP\\_QSQA.DB",   "C:\\_QSQB.MB",
                              "C:\\A\\B\\C\\_QSQC.MB"};
    const QStringList kept = {"D:\\VALDOROW\\DADOS\\QSQ.DB", "D:\\VALDOROW\\CLIENTES.DB",
                              "D:\\_QSQ1.PX", "C:\\TEMP\\X_QSQ.DB"};
    touch(gone + kept);
    main->ADD_MSG("antes");

    trigger("ExcluiarquivosQSQDB1");
    EXPECT_EQ(
        main->messages(),
        (QStringList{"antes", "Deletando arquivos _QSQ*.DB = 3", "Deletando arquivos _QSQ*.MB = 1",
                     "Deletando arquivos _QSQ*.DB = 1", "Deletando arquivos _QSQ*.MB = 2"}));
    EXPECT_EQ(main->messageText(), "Deletando arquivos _QSQ*.MB = 2");
    EXPECT_EQ(existing(gone), QStringList());
    EXPECT_EQ(existing(kept), kept);
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(MenuCommands, QsqDeletionOnDriveCCountsOnlyWhatResistedTheSecondTime)
{
    open("C:\\VALDOROW\\NAVLOR.EXE");
    touch({"C:\\_QSQ1.DB", "C:\\VALDOROW\\_QSQ2.DB", "C:\\A\\_QSQ3.MB", "C:\\A\\_QSQ4.DB"});
    ASSERT_TRUE(QFile::setPermissions(prefix.host("C:\\A\\_QSQ4.DB"), QFile::ReadOwner));

    trigger("ExcluiarquivosQSQDB1");
    EXPECT_EQ(main->messages(),
              (QStringList{"Deletando arquivos _QSQ*.DB = 3", "Deletando arquivos _QSQ*.MB = 1",
                           "Deletando arquivos _QSQ*.DB = 1", "Deletando arquivos _QSQ*.MB = 0"}));
    EXPECT_EQ(existing({"C:\\_QSQ1.DB", "C:\\A\\_QSQ4.DB"}), QStringList{"C:\\A\\_QSQ4.DB"});
}

TEST_F(MenuCommands, WithoutSystemDirectoryOnlyDriveCIsCleaned)
{
    open("D:\\VALDOROW\\NAVLOR.EXE", false);
    ASSERT_EQ(main->systemDirectory(), "**");
    touch({"C:\\_QSQ1.DB", "D:\\_QSQ2.DB", "C:\\X\\PDOXUSRS.LCK", "D:\\PDOXUSRS.LCK",
           "C:\\PDOXUSRS.NET", "D:\\PDOXUSRS.NET"});

    trigger("ExcluiarquivosQSQDB1");
    EXPECT_EQ(main->messages(),
              (QStringList{"Deletando arquivos _QSQ*.DB = 0", "Deletando arquivos _QSQ*.MB = 0",
                           "Deletando arquivos _QSQ*.DB = 1", "Deletando arquivos _QSQ*.MB = 0"}));
    trigger("ExcluirarquivosPdoxUsrsLck1");
    trigger("ExcluirarquivoPdoxUsrsNet1");
    EXPECT_EQ(existing({"C:\\_QSQ1.DB", "D:\\_QSQ2.DB", "C:\\X\\PDOXUSRS.LCK", "D:\\PDOXUSRS.LCK",
                        "C:\\PDOXUSRS.NET", "D:\\PDOXUSRS.NET"}),
              (QStringList{"D:\\_QSQ2.DB", "D:\\PDOXUSRS.LCK", "D:\\PDOXUSRS.NET"}));
}

TEST_F(MenuCommands, LockDeletionTakesOnlyTheTwoLockNamesOverWholeDrives)
{
    open("D:\\VALDOROW\\NAVLOR.EXE");
    const QStringList gone = {"D:\\PDOXUSRS.LCK", "D:\\VALDOROW\\DADOS\\PARADOX.LCK",
                              "D:\\VALDOROW\\DADOS\\EMP1\\pdoxusrs.lck", "C:\\PARADOX.LCK",
                              "C:\\TEMP\\X\\PDOXUSRS.LCK"};
    const QStringList kept = {"D:\\VALDOROW\\DADOS\\PX.LCK", "D:\\VALDOROW\\DADOS\\CLIENTES.LCK",
                              "D:\\PDOXUSRS.NET", "C:\\PDOXUSRS.NET", "C:\\TEMP\\_QSQ1.DB"};
    touch(gone + kept);
    test::ScopedPlatform<DeleteWatcher> watcher;
    watcher->dialogs = &*dialogs;

    trigger("ExcluirarquivosPdoxUsrsLck1");
    EXPECT_EQ(existing(gone), QStringList());
    EXPECT_EQ(existing(kept), kept);
    EXPECT_EQ(watcher->busyAtDelete, QList<int>(gone.size(), 1)); // under the hourglass
    EXPECT_EQ(dialogs->busyDepth, 0);                             // and back afterwards
    EXPECT_TRUE(main->messages().isEmpty());
}

TEST_F(MenuCommands, NetDeletionTakesOnlyTheControlFileOverWholeDrives)
{
    open("D:\\VALDOROW\\NAVLOR.EXE");
    const QStringList gone = {"D:\\PDOXUSRS.NET", "D:\\VALDOROW\\DADOS\\PDOXUSRS.NET",
                              "C:\\PDOXUSRS.NET", "C:\\REDE\\pdoxusrs.net"};
    const QStringList kept = {"D:\\PDOXUSRS.LCK", "D:\\VALDOROW\\DADOS\\PARADOX.NET",
                              "C:\\PARADOX.LCK"};
    touch(gone + kept);
    test::ScopedPlatform<DeleteWatcher> watcher;
    watcher->dialogs = &*dialogs;

    trigger("ExcluirarquivoPdoxUsrsNet1");
    EXPECT_EQ(existing(gone), QStringList());
    EXPECT_EQ(existing(kept), kept);
    EXPECT_EQ(watcher->busyAtDelete, QList<int>(gone.size(), 1));
    EXPECT_EQ(dialogs->busyDepth, 0);
    EXPECT_TRUE(main->messages().isEmpty());
}

// ---- launchers -----------------------------------------------------------------------------

TEST_F(MenuCommands, BdeAdminIsLookedForAtTheRootOfCThenAllOverIt)
{
    open("D:\\VALDOROW\\NAVLOR.EXE");
    test::ScopedPlatform<MenuStartRecorder> recorder;
    touch({"C:\\ARQUIVOS DE PROGRAMAS\\BORLAND\\COMMON FILES\\BDE\\BDEAdmin.exe",
           "D:\\BDEADMIN.EXE"});

    trigger("ExecutarBDEAdmin1");
    EXPECT_EQ(recorder->started,
              QStringList{"\"c:\\arquivos de programas\\borland\\common files\\bde\\"
                          "BDEADMIN.EXE\" "});
    EXPECT_EQ(recorder->modes, QList<ShowMode>{ShowMode::ShowNormal});

    touch({"C:\\BDEADMIN.EXE"});
    trigger("ExecutarBDEAdmin1");
    EXPECT_EQ(recorder->started.value(1), "c:\\BDEADMIN.EXE ");
}

TEST_F(MenuCommands, BdeToolsAreLookedForUnderTheSystemDirectory)
{
    open("D:\\VALDOROW\\NAVLOR.EXE");
    test::ScopedPlatform<MenuStartRecorder> recorder;
    touch({"D:\\VALDOROW\\BDE\\INSTALL\\DISK1\\SETUP.EXE", "D:\\VALDOROW\\BDE\\DBD32.EXE",
           "D:\\VALDOROW\\BDE\\INSTALL\\DISK2\\SETUP.EXE", "C:\\VALDOROW\\BDE\\DBD32.EXE"});

    trigger("SetupBDE1");
    trigger("ExecutarDBD321");
    EXPECT_EQ(recorder->started, (QStringList{"d:\\valdorow\\bde\\install\\disk1\\SETUP.EXE ",
                                              "d:\\valdorow\\bde\\DBD32.EXE "}));
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(MenuCommands, NothingStartsOrShowsWhenAProgramIsNotFound)
{
    open("D:\\VALDOROW\\NAVLOR.EXE", false);
    test::ScopedPlatform<MenuStartRecorder> recorder;
    // under "**" no path can be found, even where the tools are on C:
    touch({"C:\\VALDOROW\\BDE\\INSTALL\\SETUP.EXE", "C:\\VALDOROW\\BDE\\DBD32.EXE",
           "D:\\BDEADMIN.EXE"});
    trigger("SetupBDE1");
    trigger("ExecutarDBD321");
    trigger("ExecutarBDEAdmin1");
    EXPECT_TRUE(recorder->started.isEmpty());
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_TRUE(main->messages().isEmpty());
}

TEST_F(MenuCommands, PromptStartsTheCommandInterpreterWithoutWaiting)
{
    open("C:\\VALDOROW\\NAVLOR.EXE");
    test::ScopedPlatform<MenuStartRecorder> recorder;
    trigger("PromptdoDOS1");
    EXPECT_EQ(recorder->executed, QStringList{"COMMAND.COM"});
    EXPECT_EQ(recorder->modes, QList<ShowMode>{ShowMode::ShowNormal});
}

// ---- autostart -----------------------------------------------------------------------------

TEST_F(MenuCommands, AutostartSwitchAndParametersDialogWriteTheSameValue)
{
    open("c:\\valdorow\\navlor.exe");
    auto* autorun = main->findChild<QAction*>("AUTORUN1");
    ASSERT_FALSE(autorun->isChecked());

    trigger("AUTORUN1");
    EXPECT_TRUE(autorun->isChecked());
    const auto fromMenu = platform().regReadString(RegRoot::LocalMachine, kRunKey, "NAVLOR");
    EXPECT_EQ(fromMenu, "C:\\VALDOROW\\NAVLOR.EXE");

    trigger("AUTORUN1");
    EXPECT_FALSE(autorun->isChecked());
    EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));

    dialogs->onShowModal = [](QWidget* window) {
        window->findChild<QCheckBox*>("AutoRun2")->setChecked(true);
        window->findChild<QPushButton*>("BU_SALVAR")->click();
        return 1;
    };
    trigger("Parmetros1");
    EXPECT_TRUE(autorun->isChecked());
    EXPECT_EQ(platform().regReadString(RegRoot::LocalMachine, kRunKey, "NAVLOR"), fromMenu);

    // switched off from the menu after the dialog switched it on
    trigger("AUTORUN1");
    EXPECT_FALSE(AUTOSTART_ATIVO("NAVLOR"));
    EXPECT_FALSE(autorun->isChecked());
}

TEST_F(MenuCommands, AutostartMarkFollowsTheRunKeyAlsoWhenItCannotBeWritten)
{
    open("C:\\VALDOROW\\NAVLOR.EXE");
    auto* autorun = main->findChild<QAction*>("AUTORUN1");

    // removed behind the console's back: the click finds nothing to delete, the mark goes
    ASSERT_TRUE(AUTOSTART_LIGA("NAVLOR", "C:\\VALDOROW\\NAVLOR.EXE"));
    autorun->setChecked(true);
    AUTOSTART_DESLIGA("NAVLOR");
    trigger("AUTORUN1");
    EXPECT_FALSE(autorun->isChecked());

    // a Run key that cannot be opened: where its directory should be there is a file
    QTemporaryDir elsewhere;
    QFile blocker(elsewhere.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    test::ScopedEnv xdg("XDG_CONFIG_DIRS", QFile::encodeName(blocker.fileName() + "/xdg"));
    main->toggleAutostart(); // the failure is shown where it happens, nothing is thrown
    EXPECT_TRUE(dialogs->messages.contains("Failed to set data for 'NAVLOR'"));
    EXPECT_FALSE(autorun->isChecked());
}

// ---- windows -------------------------------------------------------------------------------

TEST_F(MenuCommands, AboutBoxOpensFromTheMenuAndTheLogoWithTheProgramsDescription)
{
    open("C:\\VALDOROW\\NAVLOR.EXE");
    QStringList status;
    dialogs->onShowModal = [&](QWidget* window) {
        EXPECT_EQ(window, F_SOBRE);
        EXPECT_EQ(window->parentWidget(), main.get());
        status << static_cast<TF_SOBRE*>(window)->findChild<QLabel*>("LA_MSG")->text();
        return 0;
    };
    trigger("Sobre1");
    EXPECT_EQ(F_SOBRE, nullptr); // released after closing

    QWidget* logo = main->findChild<QLabel*>("Image1");
    const QPointF at(5, 5);
    QMouseEvent release(QEvent::MouseButtonRelease, at, logo->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(logo, &release);

    EXPECT_EQ(dialogs->modalWindows, (QStringList{"F_SOBRE", "F_SOBRE"}));
    EXPECT_EQ(status, (QStringList(2, "NAVLOR - Servidor de Sistema - Backup/Restore")));
}

TEST_F(MenuCommands, FileSearchOpensModallyAndIsReleased)
{
    open("C:\\VALDOROW\\NAVLOR.EXE");
    bool existed = false;
    dialogs->onShowModal = [&](QWidget* window) {
        existed = window == F_PESQARQ;
        return 0;
    };
    trigger("PesquisaArquivoseSubdiretrios1");
    EXPECT_EQ(dialogs->modalWindows, QStringList{"F_PESQARQ"});
    EXPECT_TRUE(existed);
    EXPECT_EQ(F_PESQARQ, nullptr);
}

// ---- "Sair" during the automatic backup ----------------------------------------------------

// Two active jobs of the installation, the console open on it.
void MenuCommands::openOnTwoJobs()
{
    const QString data = QStringLiteral("C:\\NAVLOR");
    prefix.mkdir(data);
    prefix.mkdir("C:\\VALDOROW\\DADOS");
    prefix.write("C:\\VALDOROW\\ARJ.EXE", "archiver");
    for (int number : {0, 1}) {
        BackupJob job;
        job.numberText = jobNumberText(number);
        loadJob(job, data, "C:\\VALDOROW");
        job.title = QStringLiteral("JOB %1").arg(number);
        job.active = true;
        job.source = "C:\\VALDOROW\\DADOS";
        job.destination = "D:\\VLDRBKPA";
        ASSERT_TRUE(saveJob(job, data));
    }
    open("C:\\VALDOROW\\NAVLOR.EXE");
    ASSERT_EQ(main->dataDirectory(), data);
    main->show();
}

TEST_F(MenuCommands, ExitDuringTheBackupPassKeepsTheNextJobFromStarting)
{
    openOnTwoJobs();
    test::ScopedPlatform<test::FakeArchiver> archiver;
    archiver->onRun = [this](const QString& batch) {
        const QString line = fromAnsi(prefix.read(batch));
        prefix.write(line.section(u'"', 1, 1), "ARJ");
        // the operator's click, handled by the window while the batch runs
        QMetaObject::invokeMethod(main->findChild<QPushButton*>("BU_SAIR"), &QPushButton::click,
                                  Qt::BlockingQueuedConnection);
    };
    // the start-up pass as the program runs it, past its count-down (on the fake clock)
    main->TM_GERALTimer();
    test::waitForStartupRun(*main);

    EXPECT_EQ(archiver->runs.size(), 1);
    EXPECT_TRUE(main->stopRequested());
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(main->messages().contains("BKP Concluído (00)"));
    EXPECT_FALSE(main->messages().join(u'|').contains("(01)"));
}

TEST_F(MenuCommands, TheWindowsOwnLoopRunsWhileABatchRunsAndNothingPumpsIt)
{
    openOnTwoJobs();
    test::ScopedPlatform<test::FakeArchiver> archiver;
    QList<bool> onWindowThread;
    QList<bool> windowAnswered;
    archiver->onRun = [&](const QString& batch) {
        prefix.write(fromAnsi(prefix.read(batch)).section(u'"', 1, 1), "ARJ");
        onWindowThread << (QThread::currentThread() == main->thread());
        // Blocking here would freeze a window that only answers when something pumps it.
        QSemaphore handled;
        QMetaObject::invokeMethod(
            main.get(), [&handled] { handled.release(); }, Qt::QueuedConnection);
        windowAnswered << handled.tryAcquire(1, 10000);
    };
    main->TM_GERALTimer();
    EXPECT_TRUE(main->startupRunGoing()); // the timer's slot returned; the run goes on
    test::waitForStartupRun(*main);

    EXPECT_EQ(onWindowThread, QList<bool>({false, false}));
    EXPECT_EQ(windowAnswered, QList<bool>({true, true}));
    EXPECT_EQ(main->messages().last(), "CONCLUIDO");
    EXPECT_EQ(main->exitStatus(), 0);
}

} // namespace
} // namespace navlor

// The start-up run on a sample installation, on virtual time: the waits take no time, so the
// operator's clicks are posted before the run and land at a chosen second of the count-down.

#include "app/main_window.h"

#include "backup/backup_job.h"
#include "lib/ansi_text.h"
#include "lib/param_store.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/pass_wait.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace navlor {
namespace {

const QString kDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");

// Files the clean-up deletes with every flag set, and files it must leave.
const QStringList kLockFiles = {"C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK",
                                "C:\\VALDOROW\\DADOS\\EMPRESA1\\paradox.lck"};
const QStringList kQueryTables = {"C:\\VALDOROW\\_QSQ0.DB", "C:\\VALDOROW\\DADOS\\_qsq7.db"};
const QString kQueryMemo = QStringLiteral("C:\\VALDOROW\\_QSQ0.MB");
const QString kNetFile = QStringLiteral("C:\\PDOXUSRS.NET");
const QStringList kKept = {"C:\\VALDOROW\\DADOS\\CLIENTES.DB", "C:\\VALDOROW\\DADOS\\QSQ1.DB",
                           "C:\\OUTROS\\PDOXUSRS.LCK", "C:\\OUTROS\\_QSQ3.DB"};

const QString kNetlog = QStringLiteral("C:\\NETLOG\\NETLOG.EXE");
const QString kNetlogLog = QStringLiteral("C:\\NETLOG\\NETLOG.LOG");

// Records the programs started without waiting, and passes them on.
class StartRecorder : public test::ForwardingPlatform
{
public:
    int winExec(const QString& commandLine, ShowMode showMode) override
    {
        started << commandLine;
        return inner().winExec(commandLine, showMode);
    }
    QStringList started;
};

class StartupRunTest : public ::testing::Test
{
protected:
    StartupRunTest()
    {
        paths->programPathValue = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
        recorder->setClock(std::make_unique<FakeClock>());
        prefix.mkdir(kDataDir);
        prefix.mkdir("C:\\VALDOROW");
    }

    void writeFlags(const QString& flags)
    {
        prefix.write(kDataDir + "\\NAV_LOR",
                     QByteArray("#\r\n").repeated(9) + toAnsi(flags) + "\r\n");
    }

    void makeInstallation()
    {
        for (const QStringList& group : {kLockFiles, kQueryTables, kKept})
            for (const QString& file : group)
                prefix.write(file, "x");
        prefix.write(kQueryMemo, "x");
        prefix.write(kNetFile, "NET");
    }

    void installNetlog()
    {
        const QString link = prefix.host("C:\\") + "/NETLOG/NETLOG.EXE";
        QDir().mkpath(QFileInfo(link).path());
        ASSERT_TRUE(QFile::link(QStringLiteral(NAVLOR_NETLOG_BINARY), link));
    }

    // Job 00, active and due, whose source is missing: the pass posts its failure.
    void saveJobWithMissingSource()
    {
        prefix.write("C:\\VALDOROW\\ARJ.EXE", "arj");
        prefix.mkdir("C:\\BKP");
        BackupJob job;
        loadJob(job, kDataDir, QStringLiteral("C:\\VALDOROW"));
        job.active = true;
        job.title = QStringLiteral("Dados");
        job.source = QStringLiteral("C:\\NADA");
        job.destination = QStringLiteral("C:\\BKP");
        ASSERT_TRUE(saveJob(job, kDataDir));
    }

    std::unique_ptr<TF_NAVLOR> create()
    {
        auto window = std::make_unique<TF_NAVLOR>(QStringList{});
        window->show();
        return window;
    }

    // Posts a click for when the count-down bar reaches `second`; the run's own message
    // handling of that second takes it in.
    template <typename Widget> void clickAtSecond(TF_NAVLOR& window, const char* name, int second)
    {
        auto* bar = window.findChild<QProgressBar*>("BAR");
        auto* target = window.findChild<Widget*>(name);
        ASSERT_TRUE(bar && target);
        QObject::connect(bar, &QProgressBar::valueChanged, target, [=](int value) {
            if (value == second)
                QTimer::singleShot(0, target, [target] { target->click(); });
        });
    }

    bool exists(const QString& path) { return platform().fileExists(path); }
    qint64 slept() { return static_cast<FakeClock&>(platform().clock()).sleptMilliseconds(); }

    void expectNothingDeleted()
    {
        for (const QStringList& group : {kLockFiles, kQueryTables, kKept, {kQueryMemo, kNetFile}})
            for (const QString& file : group)
                EXPECT_TRUE(exists(file)) << file.toStdString();
    }

    // NETLOG runs on its own; its line shows up shortly.
    QByteArray waitForNetlogLog()
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            const QByteArray log = exists(kNetlogLog) ? prefix.read(kNetlogLog) : QByteArray();
            if (log.endsWith("\r\n"))
                return log;
            QThread::msleep(20);
        }
        return {};
    }

    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    test::ScopedPlatform<StartRecorder> recorder;
    test::ScopedDialogs dialogs;
};

TEST_F(StartupRunTest, FullRunCleansUpStartsNetlogRunsBackupAndClosesLater)
{
    makeInstallation();
    installNetlog();
    saveJobWithMissingSource();
    writeFlags("SSS SS              ");
    auto window = create();

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    EXPECT_EQ(window->messages(),
              QStringList({"Deletando arquivos *.LCK = 2", "Deletando arquivo - C:\\PDOXUSRS.NET",
                           "Deletando arquivos _QSQ*.DB* = 2", "Deletando arquivos _QSQ*.MB = 1",
                           QString::fromUtf8("Verificando BKP Automático"),
                           QString::fromUtf8("Não foi possivel LOCALIZAR o diretório de Origem - "
                                             "BKP CANCELADO - C:\\NADA   - 00"),
                           "CONCLUIDO"}));
    EXPECT_EQ(window->messageText(), "CONCLUIDO");
    // one second, the six of the count-down, two before the backup: nothing else waited
    EXPECT_EQ(slept(), 9000);

    for (const QStringList& group : {kLockFiles, kQueryTables, {kQueryMemo, kNetFile}})
        for (const QString& file : group)
            EXPECT_FALSE(exists(file)) << file.toStdString();
    for (const QString& file : kKept)
        EXPECT_TRUE(exists(file)) << file.toStdString();

    EXPECT_EQ(recorder->started, QStringList{kNetlog});
    const QString log = fromAnsi(waitForNetlogLog());
    EXPECT_TRUE(
        QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d NETLOG iniciado em " +
                           QRegularExpression::escape(platform().computerName()) + "\r\n$")
            .match(log)
            .hasMatch())
        << log.toStdString();

    EXPECT_TRUE(window->findChild<QProgressBar*>("BAR")->isHidden());
    EXPECT_TRUE(window->findChild<QPushButton*>("BU_CANCELAR")->isHidden());
    EXPECT_TRUE(window->findChild<QPushButton*>("BU_BKPA")->isEnabled());
    EXPECT_TRUE(window->findChild<QPushButton*>("BU_SAIR")->isEnabled());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->TM_FECHAR.isActive());

    window->TM_FECHARTimer();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StartupRunTest, CancelDuringCountDownTouchesNothing)
{
    makeInstallation();
    installNetlog();
    saveJobWithMissingSource();
    writeFlags("SSS SS              ");
    const QByteArray job = prefix.read(jobParFile(kDataDir, 0));
    auto window = create();
    clickAtSecond<QPushButton>(*window, "BU_CANCELAR", 4);

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    EXPECT_EQ(slept(), 5000); // ended in the fourth second of the count-down
    EXPECT_EQ(window->messageText(), "Parar/Cancelar");
    EXPECT_TRUE(window->messages().isEmpty());
    expectNothingDeleted();
    EXPECT_TRUE(recorder->started.isEmpty());
    EXPECT_EQ(prefix.read(jobParFile(kDataDir, 0)), job);
    EXPECT_TRUE(dialogs->messages.isEmpty());

    auto* cancel = window->findChild<QPushButton*>("BU_CANCELAR");
    EXPECT_TRUE(window->findChild<QProgressBar*>("BAR")->isHidden());
    EXPECT_FALSE(cancel->isHidden());
    EXPECT_FALSE(cancel->isEnabled());
    EXPECT_TRUE(window->findChild<QPushButton*>("BU_BKPA")->isEnabled());
    EXPECT_TRUE(window->findChild<QCheckBox*>("CB_PARARBKP")->isChecked());
    EXPECT_FALSE(window->findChild<QCheckBox*>("CB_MINIMIZAR")->isChecked());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->TM_FECHAR.isActive());
}

TEST_F(StartupRunTest, BackupButtonDuringCountDownCancelsAndOpensTheBackupWindow)
{
    makeInstallation();
    writeFlags("SSS SS              ");
    auto window = create();
    clickAtSecond<QPushButton>(*window, "BU_BKPA", 2);
    QStringList filesWhileOpen;
    dialogs->onShowModal = [&](QWidget*) {
        filesWhileOpen << (exists(kLockFiles[0]) ? "lock" : "") << (exists(kNetFile) ? "net" : "");
        return 0;
    };

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    EXPECT_EQ(dialogs->modalWindows, QStringList{"F_BKPA"});
    EXPECT_EQ(filesWhileOpen, QStringList({"lock", "net"}));
    EXPECT_EQ(slept(), 3000);
    expectNothingDeleted();
    EXPECT_TRUE(window->messages().isEmpty());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(window->TM_FECHAR.isActive());
}

TEST_F(StartupRunTest, StopBackupTickedDuringCountDownSkipsOnlyTheBackup)
{
    makeInstallation();
    saveJobWithMissingSource();
    writeFlags("SSS SN              ");
    const QByteArray job = prefix.read(jobParFile(kDataDir, 0));
    auto window = create();
    clickAtSecond<QCheckBox>(*window, "CB_PARARBKP", 3);

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    EXPECT_EQ(window->messages(),
              QStringList({"Deletando arquivos *.LCK = 2", "Deletando arquivo - C:\\PDOXUSRS.NET",
                           "Deletando arquivos _QSQ*.DB* = 2", "Deletando arquivos _QSQ*.MB = 1",
                           "CONCLUIDO"}));
    EXPECT_FALSE(exists(kLockFiles[0]));
    EXPECT_EQ(prefix.read(jobParFile(kDataDir, 0)), job);
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_FALSE(window->findChild<QCheckBox*>("CB_PARARBKP")->isChecked());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(window->TM_FECHAR.isActive());
    EXPECT_TRUE(recorder->started.isEmpty()); // flag 6 "N"
}

// What a pass says of an installation without a single job file.
QString noJobs(const TF_NAVLOR& window)
{
    return QStringLiteral("ERRO - nenhum BKP configurado em ") + window.dataDirectory();
}

TEST_F(StartupRunTest, BlankFlagsDeleteOnlyTheNetFileAndStartNetlog)
{
    makeInstallation();
    installNetlog();
    auto window = create(); // no parameter file: 20 blanks

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    EXPECT_EQ(window->messages(),
              QStringList({"Deletando arquivo - C:\\PDOXUSRS.NET", noJobs(*window), "CONCLUIDO"}));
    EXPECT_EQ(window->exitStatus(), 2); // nothing to back up is no good pass
    EXPECT_FALSE(exists(kNetFile));
    EXPECT_TRUE(exists(kLockFiles[0]));
    EXPECT_TRUE(exists(kQueryTables[0]));
    EXPECT_TRUE(exists(kQueryMemo));
    EXPECT_EQ(recorder->started, QStringList{kNetlog});
    EXPECT_FALSE(waitForNetlogLog().isEmpty());
    EXPECT_TRUE(dialogs->messages.isEmpty());

    EXPECT_TRUE(window->isMinimized());
    window->TM_FECHARTimer();
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StartupRunTest, FlagsNoLeaveNetFileAndNetlogAndKeepTheWindowOpen)
{
    makeInstallation();
    installNetlog();
    writeFlags("NNN NN");
    auto window = create();

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    EXPECT_EQ(window->messages(), QStringList({noJobs(*window), "CONCLUIDO"}));
    expectNothingDeleted();
    EXPECT_TRUE(recorder->started.isEmpty());
    EXPECT_FALSE(window->findChild<QCheckBox*>("CB_MINIMIZAR")->isChecked());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->TM_FECHAR.isActive());

    window->TM_FECHARTimer(); // fires and does nothing
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->TM_FECHAR.isActive());
}

TEST_F(StartupRunTest, RestoredWindowStaysOpenAfterTheRun)
{
    writeFlags("NNS NN");
    auto window = create();
    window->TM_GERALTimer();
    test::waitForStartupRun(*window);
    ASSERT_TRUE(window->isMinimized());

    window->showNormal();
    window->TM_FECHARTimer();
    EXPECT_TRUE(window->isVisible());
}

TEST_F(StartupRunTest, MissingSystemDirectoryCountsNothingAndDeletesNothingElsewhere)
{
    QDir(prefix.host("C:\\VALDOROW")).removeRecursively();
    prefix.write("C:\\OUTROS\\PDOXUSRS.LCK", "x");
    prefix.write("C:\\_QSQ1.DB", "x");
    writeFlags("SSS NN");
    auto window = create();
    ASSERT_EQ(window->systemDirectory(), "**");

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);

    // first it says where the installation was looked for, and how to show it one
    const QStringList messages = window->messages();
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.first().startsWith(QString::fromUtf8("Instalação não encontrada em ")))
        << messages.first().toStdString();
    EXPECT_TRUE(messages.first().contains("NAVLOR_PREFIX"));
    // nothing to clean, nothing to copy, and a status no monitor takes for a good pass
    EXPECT_EQ(messages.mid(1), QStringList({"CONCLUIDO"}));
    EXPECT_EQ(window->exitStatus(), 2);
    EXPECT_TRUE(exists("C:\\OUTROS\\PDOXUSRS.LCK"));
    EXPECT_TRUE(exists("C:\\_QSQ1.DB"));
}

TEST_F(StartupRunTest, LockFileHeldOpenByAClientIsCountedButStays)
{
    makeInstallation();
    writeFlags("SNS NN");
    // A database client that did not let go of its lock file.
    QProcess client;
    client.setStandardInputFile(prefix.host(kLockFiles[1]));
    client.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(client.waitForStarted());
    auto window = create();

    window->TM_GERALTimer();

    test::waitForStartupRun(*window);
    client.kill();
    client.waitForFinished();

    EXPECT_EQ(window->messages().value(0), "Deletando arquivos *.LCK = 2");
    EXPECT_FALSE(exists(kLockFiles[0]));
    EXPECT_TRUE(exists(kLockFiles[1]));
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_EQ(window->messages().last(), "CONCLUIDO");
}

} // namespace
} // namespace navlor

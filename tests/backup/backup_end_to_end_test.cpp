// The start-up pass against the real command interpreter and archiver stand-ins, in a prefix
// laid out like an installation: the archive is judged by what the archiver wrote.

#include "backup/backup_window.h"

#include "ui_backup_window.h"

#include "app/main_window.h"
#include "backup/backup_log.h"
#include "lib/ansi_text.h"
#include "lib/param_store.h"
#include "tests/platform/platform_fixture.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/pass_wait.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kEndToEndDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");
const QString kEndToEndArchive = QStringLiteral("D:\\VLDRBKPA\\BKP00_06_DIARIO.ARJ");
const QString kMasks = QStringLiteral("*.DB *.MB *.FDB *.GDB *.EXE");

// The files the job's masks select, with their bytes: names in any case, subdirectories too.
// The tables (empty here) are real ones, written in the fixture: every backup opens them again.
const QList<std::pair<QString, QByteArray>> kSelected{
    {QStringLiteral("C:\\VALDOROW\\DADOS\\CLIENTES.DB"), {}},
    {QStringLiteral("C:\\VALDOROW\\DADOS\\Vendas.db"), {}},
    {QStringLiteral("C:\\VALDOROW\\DADOS\\SISTEMA.EXE"), QByteArray("MZ program")},
    {QStringLiteral("C:\\VALDOROW\\DADOS\\SUB\\clientes.MB"), QByteArray(500, 'm')},
};

class BackupEndToEnd : public ::testing::Test
{
protected:
    BackupEndToEnd()
    {
        paths->programPathValue = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
        prefix.mkdir(kEndToEndDataDir);
        prefix.addDrive('d');
        installArchiver(QStringLiteral(NAVLOR_ARJ_BINARY));

        for (const auto& [path, bytes] : kSelected) {
            if (!bytes.isEmpty()) {
                prefix.write(path, bytes);
                continue;
            }
            prefix.mkdir(path.left(path.lastIndexOf(u'\\')));
            QProcess tables;
            tables.start(QStringLiteral(NAVLOR_SAMPLE_TABLES_BINARY),
                         {QStringLiteral("write"), prefix.host(path), QStringLiteral("300")});
            tables.waitForFinished();
        }
        for (const auto& entry : kSelected)
            selected << std::pair(entry.first, prefix.read(entry.first));
        // no mask selects these, or an exclusion leaves them out
        prefix.write("C:\\VALDOROW\\DADOS\\NOTAS.TXT", "not archived");
        prefix.write("C:\\VALDOROW\\DADOS\\ANTIGO.ARJ", "an old archive");
        prefix.write("C:\\VALDOROW\\DADOS\\SUB\\SETUP_.EXE", "an installer");
    }

    // The installation's archiver, brought next to the program by the run.
    void installArchiver(const QString& program)
    {
        const QString arj = prefix.host("C:\\VALDOROW") + "/EXE/ARJ.EXE";
        QDir().mkpath(QFileInfo(arj).path());
        QFile::remove(arj);
        QFile::link(program, arj);
        QFile::remove(prefix.host("C:\\VALDOROW\\ARJ.EXE")); // the copy an earlier run made
    }

    void saveDailyJob(const QString& masks,
                      const QString& source = QStringLiteral("C:\\VALDOROW\\DADOS"))
    {
        BackupJob job;
        loadJob(job, kEndToEndDataDir, QStringLiteral("C:\\VALDOROW"));
        job.title = QStringLiteral("Dados");
        job.active = true;
        job.subdirectories = true;
        job.masks = masks;
        job.exclusions = QStringLiteral("*.ARJ *_.EXE");
        job.source = source;
        job.destination = QStringLiteral("D:\\VLDRBKPA");
        ASSERT_TRUE(saveJob(job, kEndToEndDataDir));
    }

    QByteArray jobFile() const { return prefix.read(jobParFile(kEndToEndDataDir, 0)); }

    // The start-up pass as the console runs it after its count-down.
    QStringList startupPass()
    {
        TF_NAVLOR console({QStringLiteral("/N")});
        console.startBackupPass();
        test::waitForPass(console);
        return console.messages();
    }

    QStringList jobLines() const
    {
        return fromAnsi(prefix.read(jobParFile(kEndToEndDataDir, 0))).split(QStringLiteral("\r\n"));
    }

    // What Debian's arj itself finds in an archive.
    QString listing(const QString& archive) const
    {
        QProcess arj;
        arj.start(QStringLiteral("arj"), {QStringLiteral("v"), prefix.host(archive)});
        arj.waitForFinished(60000);
        return QString::fromLocal8Bit(arj.readAllStandardOutput());
    }

    // The names the listing holds, one per entry ("001) VALDOROW/DADOS/Vendas.db").
    QStringList storedNames(const QString& archive) const
    {
        static const QRegularExpression entry(QStringLiteral("^\\d{3}\\) (.+)$"),
                                              QRegularExpression::MultilineOption);
        QStringList names;
        for (auto it = entry.globalMatch(listing(archive)); it.hasNext();)
            names << it.next().captured(1).trimmed();
        names.sort();
        return names;
    }

    // The archiver run as a program of the prefix, as an operator restores by hand.
    int runArchiver(const QStringList& arguments) const
    {
        QProcess arj;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("NAVLOR_PREFIX"), prefix.root());
        arj.setProcessEnvironment(environment);
        arj.start(QStringLiteral(NAVLOR_ARJ_BINARY), arguments);
        arj.waitForFinished(60000);
        return arj.exitStatus() == QProcess::NormalExit ? arj.exitCode() : -1;
    }

    FakeClock& clock() { return static_cast<FakeClock&>(platform().clock()); }

    QList<std::pair<QString, QByteArray>> selected; // with the bytes on disk

    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    test::ScopedDialogs shown;
    test::ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_CMD_BINARY};
};

TEST_F(BackupEndToEnd, DailyJobWritesTheRotatingArchiveOfTheSelectedFilesAndIsStamped)
{
    saveDailyJob(kMasks);
    clock().set(QDateTime(QDate(2026, 12, 7), QTime(8, 0, 0)));

    const QStringList messages = startupPass();
    EXPECT_EQ(messages,
              QStringList({"Verificando BKP Automático", "Executando BKP (00) - _DIARIO - Dados",
                           "BKP Concluído (00)"}));
    EXPECT_TRUE(shown->messages.isEmpty()) << shown->messages.join('\n').toStdString();

    // yesterday's day number; exactly the selected files, excluded and unmatched names absent
    ASSERT_TRUE(platform().fileExists(kEndToEndArchive));
    EXPECT_EQ(storedNames(kEndToEndArchive),
              QStringList({"VALDOROW/DADOS/CLIENTES.DB", "VALDOROW/DADOS/SISTEMA.EXE",
                           "VALDOROW/DADOS/SUB/clientes.MB", "VALDOROW/DADOS/Vendas.db"}))
        << listing(kEndToEndArchive).toStdString();

    // the archiver was brought next to the program, and the line ran from BKPA.BAT
    EXPECT_TRUE(platform().fileExists("C:\\VALDOROW\\ARJ.EXE"));
    EXPECT_EQ(prefix.read("D:\\VLDRBKPA\\BKPA.BAT"),
              R"(C:\VALDOROW\ARJ.EXE A "D:\VLDRBKPA\BKP00_06_DIARIO.ARJ" "C:\VALDOROW\DADOS"  )"
              "*.DB *.MB *.FDB *.GDB *.EXE -U -R   -X*.ARJ -X*_.EXE\r\n");

    const QStringList lines = jobLines();
    EXPECT_EQ(lines.at(16), kEndToEndArchive);
    EXPECT_EQ(lines.at(18), "07/12/26");
    EXPECT_EQ(lines.at(19), "08:00:02"); // after the clean-up's two seconds

    // the same day again: not due, nothing runs
    const QByteArray stamped = jobFile();
    const QByteArray archived = prefix.read(kEndToEndArchive);
    EXPECT_EQ(startupPass(), QStringList{"Verificando BKP Automático"});
    EXPECT_EQ(jobFile(), stamped);
    EXPECT_EQ(prefix.read(kEndToEndArchive), archived);

    // the next day: the next archive of the rotation
    clock().set(QDateTime(QDate(2026, 12, 8), QTime(7, 30, 0)));
    EXPECT_EQ(startupPass().last(), "BKP Concluído (00)");
    EXPECT_TRUE(platform().fileExists("D:\\VLDRBKPA\\BKP00_07_DIARIO.ARJ"));
    EXPECT_TRUE(platform().fileExists(kEndToEndArchive));
    EXPECT_EQ(jobLines().at(18), "08/12/26");
}

TEST_F(BackupEndToEnd, ArchiveRestoredIntoAFreshDriveGivesTheSameBytes)
{
    saveDailyJob(kMasks);
    ASSERT_EQ(startupPass().last(), "BKP Concluído (00)");

    prefix.addDrive('e');
    ASSERT_EQ(runArchiver({"X", kEndToEndArchive, "E:\\", "-Y"}), 0);
    for (const auto& [path, bytes] : selected) {
        const QString restored = "E:" + path.mid(2);
        EXPECT_EQ(prefix.read(restored), bytes) << restored.toStdString();
    }
    for (const char* absent : {"E:\\VALDOROW\\DADOS\\NOTAS.TXT", "E:\\VALDOROW\\DADOS\\ANTIGO.ARJ",
                               "E:\\VALDOROW\\DADOS\\SUB\\SETUP_.EXE"})
        EXPECT_FALSE(platform().fileExists(absent)) << absent;
}

TEST_F(BackupEndToEnd, ArchiveUpToDateAlreadyIsACompleteRun)
{
    saveDailyJob(kMasks);
    ASSERT_EQ(startupPass().last(), "BKP Concluído (00)");
    const QByteArray archived = prefix.read(kEndToEndArchive);
    const QDateTime written = QFileInfo(prefix.host(kEndToEndArchive)).lastModified();

    // due again the same day: "-U" finds nothing newer and leaves the archive as it was
    BackupJob job;
    loadJob(job, kEndToEndDataDir, QStringLiteral("C:\\VALDOROW"));
    job.lastRunDate.clear();
    ASSERT_TRUE(saveJob(job, kEndToEndDataDir));
    clock().set(clock().now().addSecs(3600));
    EXPECT_EQ(startupPass().last(), "BKP Concluído (00)");
    EXPECT_EQ(prefix.read(kEndToEndArchive), archived);
    EXPECT_EQ(QFileInfo(prefix.host(kEndToEndArchive)).lastModified(), written);
    EXPECT_EQ(jobLines().at(18), clock().now().toString("dd/MM/yy"));
}

TEST_F(BackupEndToEnd, MissingSourceIsPostedAndLeavesTheJobFileAsItWas)
{
    saveDailyJob(kMasks, QStringLiteral("C:\\VALDOROW\\NAO_HA"));
    const QByteArray before = jobFile();

    const QString text = "Não foi possivel LOCALIZAR o diretório de Origem - BKP CANCELADO - "
                         "C:\\VALDOROW\\NAO_HA   - 00";
    EXPECT_EQ(startupPass().last(), text);
    EXPECT_EQ(shown->messages, QStringList{text});
    EXPECT_EQ(jobFile(), before);
    EXPECT_FALSE(platform().fileExists(kEndToEndArchive));
}

TEST_F(BackupEndToEnd, ArchiveTheArchiverDidNotWriteIsNoSuccess)
{
    // nothing matches, so the archiver creates no archive
    saveDailyJob(QStringLiteral("*.FDB"));
    const QByteArray before = jobFile();

    QStringList messages = startupPass();
    EXPECT_EQ(messages.last(), "ERRO - ARQUIVO DE BKP NÃO GERADO - " + kEndToEndArchive);
    EXPECT_FALSE(messages.contains("BKP Concluído (00)"));
    EXPECT_EQ(jobFile(), before);

    // an archiver that fails without writing anything
    saveDailyJob(kMasks);
    const QByteArray due = jobFile();
    installArchiver(QStringLiteral("/bin/false"));
    messages = startupPass();
    EXPECT_EQ(messages.last(), "ERRO - ARQUIVO DE BKP NÃO GERADO - " + kEndToEndArchive);
    EXPECT_FALSE(messages.contains("BKP Concluído (00)"));
    EXPECT_EQ(jobFile(), due);
    EXPECT_FALSE(platform().fileExists(kEndToEndArchive));
}

TEST_F(BackupEndToEnd, JunkInTheWayIsLeftAloneAndTheRunFails)
{
    saveDailyJob(kMasks);
    prefix.write(kEndToEndArchive, "half a copy of something else");
    const QByteArray before = jobFile();

    const QStringList messages = startupPass();
    EXPECT_EQ(messages.last(), "ERRO - ARQUIVO DE BKP NÃO GERADO - " + kEndToEndArchive);
    EXPECT_TRUE(messages.at(messages.size() - 2).startsWith("ERRO - BKP (00) - o teste"));
    EXPECT_EQ(jobFile(), before);
    EXPECT_EQ(prefix.read(kEndToEndArchive), "half a copy of something else");
    EXPECT_TRUE(
        fromAnsi(prefix.read(backupLogPath(kEndToEndDataDir)))
            .contains(" BKP 00 ERRO " + kEndToEndArchive + " - o teste do arquivo de BKP falhou"));
}

// An archive left as it was is judged by its listing: a file new to the source but with an old
// time stamp (copied with its times), or one changed since, must be in it as it is on disk.
TEST_F(BackupEndToEnd, ArchiveThatLacksOrHoldsAnOlderSelectedFileIsNoBackup)
{
    saveDailyJob(kMasks);
    ASSERT_EQ(startupPass().last(), "BKP Concluído (00)");
    // An archiver that cannot add, as on a full disk, but still tests and lists.
    const QString script = prefix.root() + QStringLiteral("/full-disk-arj");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ncase \"$1\" in [Aa]) exit 2;; esac\nexec " NAVLOR_ARJ_BINARY
                   " \"$@\"\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    installArchiver(script);
    const QDateTime old = QDateTime::currentDateTime().addDays(-30);
    auto rerun = [&] {
        BackupJob job;
        loadJob(job, kEndToEndDataDir, QStringLiteral("C:\\VALDOROW"));
        job.lastRunDate.clear();
        EXPECT_TRUE(saveJob(job, kEndToEndDataDir));
        return startupPass();
    };

    prefix.write("C:\\VALDOROW\\DADOS\\SUB\\RESTAURADO.DB", "copied with its old time");
    QFile restored(prefix.host("C:\\VALDOROW\\DADOS\\SUB\\RESTAURADO.DB"));
    ASSERT_TRUE(restored.open(QIODevice::Append));
    ASSERT_TRUE(restored.setFileTime(old, QFileDevice::FileModificationTime));
    restored.close();
    QStringList messages = rerun();
    EXPECT_EQ(messages.at(messages.size() - 2),
              "ERRO - BKP (00) - 1 arquivo fora do BKP, o primeiro: "
              "C:\\VALDOROW\\DADOS\\SUB\\RESTAURADO.DB")
        << messages.join('\n').toStdString();
    EXPECT_TRUE(jobLines().at(18).isEmpty() || jobLines().at(18) == "#");

    ASSERT_TRUE(platform().deleteFile("C:\\VALDOROW\\DADOS\\SUB\\RESTAURADO.DB"));
    clock().set(clock().now().addSecs(60));
    prefix.write("C:\\VALDOROW\\DADOS\\CLIENTES.DB", QByteArray(3100, 'n'));
    messages = rerun();
    EXPECT_EQ(messages.at(messages.size() - 2),
              "ERRO - BKP (00) - 1 arquivo desatualizado no BKP, o primeiro: "
              "C:\\VALDOROW\\DADOS\\CLIENTES.DB")
        << messages.join('\n').toStdString();
}

// A slow archiver: the window repaints with the batch's progress, takes a click on "Parar BKP
// Aut" at once and none that would start something else, and the next job does not start.
TEST_F(BackupEndToEnd, WhileTheArchiverRunsTheWindowLivesAndTakesOnlyTheStopClick)
{
    saveDailyJob(kMasks);
    BackupJob second;
    second.numberText = "01";
    loadJob(second, kEndToEndDataDir, QStringLiteral("C:\\VALDOROW"));
    second.active = true;
    second.source = QStringLiteral("C:\\VALDOROW\\DADOS");
    ASSERT_TRUE(saveJob(second, kEndToEndDataDir));
    const QString script = prefix.root() + QStringLiteral("/slow-arj");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\ncase \"$1\" in [Aa]) sleep 2;; esac\nexec " NAVLOR_ARJ_BINARY
                   " \"$@\"\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    installArchiver(script);

    TF_NAVLOR console({QStringLiteral("/N")});
    console.show();
    auto* stop = qobject_cast<QAbstractButton*>(console.stopControl());
    auto* other = console.findChild<QAbstractButton*>("BU_BKPA");
    ASSERT_TRUE(stop && other);
    other->setEnabled(true);
    bool otherClicked = false;
    QObject::connect(other, &QAbstractButton::clicked, [&] { otherClicked = true; });
    struct Seen : QObject
    {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override
        {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } seen;
    QStringList progress;
    auto click = [](QWidget* target) {
        const QPointF at(4, 4);
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(target, &event);
        }
    };
    QTimer during;
    during.setInterval(700);
    QObject::connect(&during, &QTimer::timeout, [&] {
        progress << console.messageText();
        console.installEventFilter(&seen);
        for (QWidget* child : console.findChildren<QWidget*>())
            child->installEventFilter(&seen);
        if (!stop->isChecked()) {
            click(other);
            click(stop);
        }
    });
    during.start();
    console.startBackupPass();
    test::waitForPass(console);
    during.stop();

    ASSERT_FALSE(progress.isEmpty()) << "no tick while the archiver ran";
    EXPECT_TRUE(progress.first().startsWith("Executando BKP (00) - 1 de 2 - 00:0"))
        << progress.first().toStdString();
    EXPECT_TRUE(progress.first().endsWith(" KB"));
    EXPECT_GT(seen.paints, 0);
    EXPECT_FALSE(otherClicked);
    EXPECT_TRUE(console.messages().filter("Executando BKP (01)").isEmpty());
    EXPECT_EQ(console.messages().last(), "BKP Concluído (00)");
}

// "Cancelar" while the archiver works: the batch's whole family ends, the stand-in removes its
// work directory, and the earlier archive and the job file stay as they were.
TEST_F(BackupEndToEnd, CancelEndsTheArchiverAndLeavesTheEarlierBackupAsItWas)
{
    saveDailyJob(kMasks);
    clock().set(QDateTime(QDate(2026, 12, 7), QTime(8, 0, 0)));
    ASSERT_EQ(startupPass().last(), "BKP Concluído (00)");
    const QByteArray archive = prefix.read(kEndToEndArchive);
    const QByteArray stamped = jobFile();

    // Debian's arj, slow to start: the sleeping part of the family says who it is.
    const QString pidFile = prefix.root() + QStringLiteral("/slow-arj.pid");
    const QString script = prefix.root() + QStringLiteral("/slow-host-arj");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nsleep 60 &\necho $! > '" + pidFile.toLocal8Bit() +
                   "'\nwait $!\nexec arj \"$@\"\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    test::ScopedEnv slow{"NAVLOR_HOST_ARJ", script.toLocal8Bit()};

    TF_NAVLOR console({QStringLiteral("/N")});
    TF_BKPA window(&console);
    Ui::TF_BKPA* ui = window.form();
    ui->BU_ABRIR->click();
    QTimer during;
    during.setInterval(200);
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (QFile::exists(pidFile) && ui->BU_CANCELAR->isEnabled())
            ui->BU_CANCELAR->click();
    });
    during.start();
    shown->confirmAnswers = {true}; // ran today already
    QElapsedTimer elapsed;
    elapsed.start();
    ui->BU_EXECUTAR->click();
    test::waitForRun(window);
    during.stop();

    EXPECT_LT(elapsed.elapsed(), 20000);
    const QString line = QStringLiteral("ERRO - BKP (00) - cancelado pelo operador");
    EXPECT_EQ(console.messages().last(), line) << console.messages().join('\n').toStdString();
    EXPECT_EQ(ui->LA_MSG->text(), line);
    EXPECT_TRUE(fromAnsi(prefix.read(kEndToEndDataDir + "\\NAVLOR.LOG")).contains(line.mid(18)));
    EXPECT_EQ(prefix.read(kEndToEndArchive), archive);
    EXPECT_EQ(jobFile(), stamped);
    EXPECT_EQ(QDir(prefix.host("D:\\VLDRBKPA"))
                  .entryList({QStringLiteral("ARJTEMP*")}, QDir::AllEntries | QDir::Hidden),
              QStringList());
    const QByteArray pid = QFile(pidFile).exists() ? prefix.read("C:\\..\\slow-arj.pid") : "";
    QFile pidText(pidFile);
    ASSERT_TRUE(pidText.open(QIODevice::ReadOnly));
    const QByteArray sleeper = pidText.readAll().trimmed();
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        QFile stat("/proc/" + sleeper + "/stat");
        gone = !stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z ");
        if (!gone)
            QThread::msleep(50);
    }
    EXPECT_TRUE(gone) << "the archiver's child " << sleeper.constData() << " outlived the cancel";
}

} // namespace
} // namespace navlor

// The real program's unattended pass when backups fail: nothing failed is recorded, the log
// says what happened, the exit status says that something did, and the pass never stops.

#include "tests/e2e/notification_listener.h"
#include "tests/e2e/pass_jobs.h"
#include "tests/e2e/sample_installation.h"
#include "tests/support/scoped_env.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <unistd.h>

namespace navlor::e2e {
namespace {

TEST(UnattendedFailures, FailedJobsAreLoggedNeverRecordedAndSetTheExitStatus)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    // job 00: a file that is no archive lies where today's archive goes
    const QString junk = dailyArchive(QStringLiteral("D:\\VLDRBKPA"), 0);
    writeBytes(sample.host(junk), "half a copy of something else");
    // job 05: the masks would redirect the archiver's output over the console's parameters
    writeJob(sample, 5, "SSN", "*.DB >C:\\VALDORO\\NAVLOR\\NAV_LOR", "C:\\VALDOROW\\DADOS",
             "D:\\VLDRBKPC");
    // job 07: a read-only BKPA.BAT planted in its destination
    writeJob(sample, 7, "SSN", "*.DB", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPB");
    const QString planted = sample.host("D:\\VLDRBKPB\\BKPA.BAT");
    writeBytes(planted, "DEL C:\\VALDOROW\\DADOS\\PARAMS.DB\r\n");
    QFile::setPermissions(planted, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    // the weekly job 03 had its last good copy ten days ago
    const QString tenDaysAgo = QDate::currentDate().addDays(-10).toString("dd/MM/yy");
    writeBytes(
        sample.host(kData + "\\NAVLOR.LOG"),
        (tenDaysAgo + " 08:00:00 BKP 03 OK D:\\VLDRBKPA\\BKP03_01_SEMANAL.ARJ\r\n").toLatin1());
    // what kills in the middle of writing parameter files left behind
    for (int i = 0; i < 3; ++i) {
        const QString leftover = sample.host(kData) + QStringLiteral("/.NAV_LOR.navlor-k%1").arg(i);
        writeBytes(leftover, "half");
        QFile file(leftover);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                         QFileDevice::FileModificationTime);
    }
    const QByteArray consoleParameters = sample.read(kData + "\\NAV_LOR");
    // A desktop on a session bus of its own, to be told of the failure.
    NotificationListener desktop;
    ASSERT_TRUE(desktop.error().isEmpty()) << desktop.error().toStdString();
    const test::ScopedEnv bus("DBUS_SESSION_BUS_ADDRESS", desktop.address().toLatin1());

    EXPECT_EQ(runPass(sample, 100), 1) << sample.output().toStdString();

    for (int failed : {0, 5, 7})
        EXPECT_FALSE(stampedToday(sample, failed)) << failed;
    EXPECT_TRUE(stampedToday(sample, 3)); // the pass went on to the good job
    EXPECT_EQ(sample.read(junk), "half a copy of something else");
    EXPECT_EQ(sample.read(kData + "\\NAV_LOR"), consoleParameters);
    EXPECT_TRUE(sample.exists("C:\\VALDOROW\\DADOS\\PARAMS.DB")); // the planted line never ran
    EXPECT_TRUE(sample.names(kData, ".*.navlor-*").isEmpty());

    const QString log = backupLog(sample);
    for (const QString& line :
         {QStringLiteral(" BKP 00 ERRO ") + junk + QStringLiteral(" - o teste do arquivo de BKP"),
          QStringLiteral(" BKP 05 ERRO - - caractere inv\xe1lido em Tipo de Arquivos: >"),
          QStringLiteral(" BKP 07 ERRO ") + dailyArchive("D:\\VLDRBKPB", 7) +
              QStringLiteral(" - n\xe3o foi poss\xedvel gravar D:\\VLDRBKPB\\BKPA.BAT"),
          QStringLiteral(" BKP 03 OK D:\\VLDRBKPA\\BKP03_"),
          QStringLiteral(" FIM BKP AUTOMATICO - 1 OK, 3 ERRO\r\n")})
        EXPECT_TRUE(log.contains(line)) << line.toStdString() << "\n" << log.toStdString();
    EXPECT_TRUE(sample.output().contains(
        QString::fromUtf8("ATENÇÃO - BKP (03) sem cópia válida desde ") + tenDaysAgo))
        << sample.output().toStdString();

    EXPECT_EQ(desktop.received(),
              QStringList(QString::fromUtf8("NAVLOR: BKP automático com erro | ATENÇÃO - último "
                                            "BKP automático com erro em ") +
                          QDate::currentDate().toString("dd/MM/yy") +
                          ": BKP (00), BKP (05), BKP (07) | 2"));

    // Whoever opens the console afterwards, even without the pass, is told.
    QProcess console;
    sample.start(console, kProgram, {"/n"});
    const QString told = QString::fromUtf8("ATENÇÃO - último BKP automático com erro em ") +
                         QDate::currentDate().toString("dd/MM/yy") +
                         ": BKP (00), BKP (05), BKP (07)";
    EXPECT_TRUE(waitUntil([&] { return sample.output().contains(told); }, 15000))
        << sample.output().toStdString();
    console.kill();
    console.waitForFinished();
}

// A new file copied with its old time stamp, then a destination disk that fills up: the
// archiver fails, the archive stays as it was without the file, and that is no backup.
TEST(UnattendedFailures, FullDiskLeavesTheNewFileOutAndTheJobUndone)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs as the backup disk";
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    const QString disk = sample.prefix() + QStringLiteral("/small-disk");
    ASSERT_TRUE(QDir().mkpath(disk));
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", disk}) != 0)
        GTEST_SKIP() << "this machine does not let a tmpfs be mounted";
    const auto unmount = qScopeGuard([&] { QProcess::execute("umount", {disk}); });
    const QString drive = sample.prefix() + QStringLiteral("/dosdevices/d:");
    ASSERT_TRUE(QFile::remove(drive));
    ASSERT_TRUE(QFile::link(disk, drive));
    writeJob(sample, 3, "NSN", "*.*", "C:\\VALDOROW", "D:\\VLDRBKPA"); // only job 00 runs

    // yesterday's run left a good archive
    const QString archive = dailyArchive(QStringLiteral("D:\\VLDRBKPA"), 0);
    QDir().mkpath(disk + "/VLDRBKPA");
    QProcess arj;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("NAVLOR_PREFIX", sample.prefix());
    arj.setProcessEnvironment(environment);
    arj.start(sample.host("C:\\VALDOROW\\EXE\\ARJ.EXE"),
              {"A", archive, "C:\\VALDOROW\\DADOS", "*.DB", "*.MB", "*.FDB", "*.GDB", "-U", "-R"});
    ASSERT_TRUE(arj.waitForFinished(60000));
    ASSERT_EQ(arj.exitCode(), 0) << arj.readAll().toStdString();

    // a restored table with its old time, and a disk with no room for it
    QByteArray table(600 * 1024, Qt::Uninitialized);
    for (char& c : table)
        c = static_cast<char>(QRandomGenerator::global()->bounded(256));
    const QString restored = sample.host("C:\\VALDOROW\\DADOS\\RESTAURADO.DB");
    writeBytes(restored, table);
    {
        QFile file(restored);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.setFileTime(QDateTime::currentDateTime().addDays(-40),
                         QFileDevice::FileModificationTime);
    }
    QFile filler(disk + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
    while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) {
    }
    filler.close();
    QFile::resize(disk + "/filler", filler.size() - 64 * 1024); // room for BKPA.BAT only

    EXPECT_EQ(runPass(sample, 100), 1) << sample.output().toStdString();
    EXPECT_FALSE(stampedToday(sample, 0));
    const QString log = backupLog(sample);
    EXPECT_TRUE(log.contains(QStringLiteral(" BKP 00 ERRO ") + archive)) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("RESTAURADO.DB"))) << log.toStdString();
}

} // namespace
} // namespace navlor::e2e

// The real program's pass beside its neighbours: another pass, a signal, what a killed
// archiver left, names the archiver cannot store, links another user plants, a log that
// cannot be written. None of them may turn into an OK that is not true or a file written
// that nobody meant.

#include "tests/e2e/pass_jobs.h"
#include "tests/e2e/sample_installation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace navlor::e2e {
namespace {

const QString kDestination = QStringLiteral("D:\\VLDRBKPA");

// Random bytes in a file, so the archiver takes its time over them.
void writeRandom(const QString& hostPath, int megabytes)
{
    QDir().mkpath(QFileInfo(hostPath).path());
    ASSERT_EQ(
        QProcess::execute(
            "sh",
            {"-c", QStringLiteral("head -c %1M /dev/urandom > '%2'").arg(megabytes).arg(hostPath)}),
        0);
}

// The processes started with this installation's prefix: the program and its children.
QList<int> processesOf(const SampleInstallation& sample, const QString& command = {})
{
    const QByteArray marker = "NAVLOR_PREFIX=" + QFile::encodeName(sample.prefix());
    QList<int> found;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = entry.toInt(&number);
        if (!number || pid == ::getpid())
            continue;
        QFile environ(QStringLiteral("/proc/%1/environ").arg(pid));
        if (!environ.open(QIODevice::ReadOnly) || !environ.readAll().split('\0').contains(marker))
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        if (command.isEmpty() || (comm.open(QIODevice::ReadOnly) &&
                                  QString::fromLatin1(comm.readAll()).trimmed() == command))
            found << pid;
    }
    return found;
}

int waitForExit(QProcess& process, int seconds)
{
    if (!process.waitForFinished(seconds * 1000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(PassNeighbours, TwoPassesAtOnceRunEachJobOnceAndLoseNoLogLine)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    // Two jobs into one destination, six more each into its own, over data that takes time.
    writeRandom(sample.host("C:\\VALDOROW\\DADOS\\GRANDE.DAT"), 24);
    const QList<int> jobs{0, 3, 10, 11, 12, 13, 14, 15};
    for (const int job : jobs) {
        const QByteArray destination =
            job < 10 ? "D:\\VLDRBKPA" : "D:\\VLDRBKP" + QByteArray::number(job);
        writeJob(sample, job, "SSN", "*.DAT *.DB *.MB", "C:\\VALDOROW\\DADOS", destination);
    }

    QProcess first;
    QProcess second;
    sample.start(first, kProgram, {}, QStringLiteral("first"));
    ::usleep(700 * 1000);
    sample.start(second, kProgram, {}, QStringLiteral("second"));
    EXPECT_EQ(waitForExit(first, 170), 0) << sample.output("first").toStdString();
    EXPECT_EQ(waitForExit(second, 170), 0) << sample.output("second").toStdString();

    const QString log = backupLog(sample);
    EXPECT_EQ(log.count(QStringLiteral(" INICIO BKP AUTOMATICO\r\n")), 2) << log.toStdString();
    EXPECT_EQ(log.count(QStringLiteral(" FIM BKP AUTOMATICO - ")), 2) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral(" ERRO "))) << log.toStdString();
    for (const int job : jobs) {
        const QString number = QStringLiteral("%1").arg(job, 2, 10, QLatin1Char('0'));
        EXPECT_EQ(log.count(QStringLiteral(" BKP ") + number + QStringLiteral(" OK ")), 1)
            << job << "\n"
            << log.toStdString();
        EXPECT_TRUE(stampedToday(sample, job)) << job;
    }
    const QString wait = QString::fromUtf8("Aguardando outra execução do NAVLOR...");
    EXPECT_TRUE(sample.output("first").contains(wait) || sample.output("second").contains(wait));
}

TEST(PassNeighbours, SigtermEndsTheArchiverWithTheProgramAndSaysSo)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    writeRandom(sample.host("C:\\VALDOROW\\DADOS\\GRANDE.DAT"), 160);
    writeJob(sample, 0, "SSN", "*.DAT", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPA");
    writeJob(sample, 3, "SSN", "*.DB", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPA");

    QProcess navlor;
    sample.start(navlor, kProgram);
    ASSERT_TRUE(waitUntil([&] { return !processesOf(sample, "arj").isEmpty(); }, 60000))
        << sample.output().toStdString();
    ASSERT_EQ(::kill(static_cast<pid_t>(navlor.processId()), SIGTERM), 0);
    // Whatever the pass started is gone within the archiver's grace.
    EXPECT_TRUE(waitUntil([&] { return processesOf(sample).size() <= 1; }, 3500));
    EXPECT_EQ(waitForExit(navlor, 10), 1) << sample.output().toStdString();
    EXPECT_TRUE(processesOf(sample).isEmpty());

    const QString log = backupLog(sample);
    EXPECT_TRUE(log.contains(QStringLiteral(" BKP 00 ERRO ") + dailyArchive(kDestination, 0) +
                             QStringLiteral(" - interrompido\r\n")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral(" FIM BKP AUTOMATICO - 0 OK, 1 ERRO\r\n")))
        << log.toStdString();
    EXPECT_FALSE(stampedToday(sample, 0));
    EXPECT_FALSE(stampedToday(sample, 3)); // the next job never started
    EXPECT_EQ(sample.names(kDestination, "ARJTEMP*"), QStringList());
}

TEST(PassNeighbours, SigtermBeforeThePassEndsTheProgramWithNothingTouched)
{
    struct Case
    {
        QStringList arguments;
        int exitCode; // the count-down cut short is a pass not done
    };
    for (const Case& c : {Case{{}, 1}, Case{{"/N"}, 0}}) {
        SampleInstallation sample;
        ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
        QProcess navlor;
        sample.start(navlor, kProgram, c.arguments);
        ASSERT_TRUE(navlor.waitForStarted());
        ::usleep(2500 * 1000); // inside the count-down
        ASSERT_EQ(::kill(static_cast<pid_t>(navlor.processId()), SIGTERM), 0);
        EXPECT_EQ(waitForExit(navlor, 5), c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(sample.exists("C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK"));
        EXPECT_TRUE(sample.exists("C:\\PDOXUSRS.NET"));
    }
}

// A destination and a data directory other users may write, as a shared backup folder is.
void openToOthers(const SampleInstallation& sample, const QStringList& directories)
{
    // The prefix and the temporary directory that holds it; nothing above.
    for (const QString& path : {QFileInfo(sample.prefix()).path(), sample.prefix()})
        ::chmod(QFile::encodeName(path).constData(), 0755);
    for (const QString& directory : directories)
        ::chmod(QFile::encodeName(sample.host(directory)).constData(), 01777);
}

TEST(PassNeighbours, LeftoversGoPlantedLinksAreNeverFollowedUnstorableNamesFail)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to plant links as another user";
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    writeJob(sample, 0, "SSN", "*.DB *.MB", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPA");
    writeJob(sample, 3, "NSN", "*.DB", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPA");
    // Job 04 over a name copied from an old disk: Windows-1252 bytes, no UTF-8.
    writeJob(sample, 4, "SSN", "*.TXT", "C:\\VALDOROW\\ANTIGO", "D:\\VLDRBKPB");
    writeBytes(sample.host("C:\\VALDOROW\\ANTIGO\\LEIAME.TXT"), "ok");
    const QByteArray odd =
        QFile::encodeName(sample.host("C:\\VALDOROW\\ANTIGO")) + "/RELAT\xd3RIO.TXT";
    // Qt cannot name it to remove the temporary directory: it goes here.
    const auto removeOdd = qScopeGuard([&] { ::unlink(odd.constData()); });
    {
        const int fd = ::open(odd.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "old", 3), 3);
        ::close(fd);
    }

    // What a killed archiver left an hour ago.
    const QString destination = sample.host(kDestination);
    writeBytes(destination + "/ARJTEMP.$00", QByteArray(4096, 'x'));
    writeBytes(destination + "/ARJTEMP-k3j2h1/BKP00_07_DIARIO.ARJ", "half");
    for (const char* old : {"/ARJTEMP.$00", "/ARJTEMP-k3j2h1/BKP00_07_DIARIO.ARJ"}) {
        QFile file(destination + old);
        ASSERT_TRUE(file.open(QIODevice::Append));
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                         QFileDevice::FileModificationTime);
    }

    // Root's own files that links will point at.
    const QString victims = sample.prefix() + "/victims";
    QDir().mkpath(victims);
    const QStringList names{"batch", "archive", "log", "temp"};
    for (const QString& name : names)
        writeBytes(victims + u'/' + name, "root only: " + name.toLatin1());
    const QString archive =
        destination +
        QFileInfo(sample.host(dailyArchive(kDestination, 0))).fileName().prepend(u'/');
    ASSERT_TRUE(QFile::link(victims + "/batch", destination + "/BKPA.BAT"));
    ASSERT_TRUE(QFile::link(victims + "/archive", archive));
    ASSERT_TRUE(QFile::link(victims + "/log", sample.host(kData + "\\NAVLOR.LOG")));

    // Another user keeps planting links while the pass runs.
    openToOthers(sample, {kDestination, kData});
    QProcess racer;
    racer.start("setpriv",
                {"--reuid=65534", "--regid=65534", "--clear-groups", "sh", "-c",
                 QStringLiteral("cd '%1' && while :; do for n in BKPA.BAT 'ARJTEMP.$00' "
                                "'ARJTEMP.$01'; do ln -sf '%2' \"$n\" 2>/dev/null; done; "
                                "ln -sf '%2' '%3' 2>/dev/null; done")
                     .arg(destination, victims + "/temp", sample.host(kData + "\\NAVLOR.LOG"))});
    ASSERT_TRUE(racer.waitForStarted());
    const auto stopRacer = qScopeGuard([&] {
        racer.kill();
        racer.waitForFinished();
    });

    EXPECT_EQ(runPass(sample, 150), 1) << sample.output().toStdString();
    racer.kill();
    racer.waitForFinished();

    for (const QString& name : names) {
        QFile victim(victims + u'/' + name);
        ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
        EXPECT_EQ(victim.readAll(), "root only: " + name.toLatin1()) << name.toStdString();
    }
    EXPECT_TRUE(stampedToday(sample, 0)) << sample.output().toStdString();
    EXPECT_FALSE(stampedToday(sample, 4));
    EXPECT_FALSE(QFileInfo(archive).isSymLink());
    EXPECT_FALSE(QFileInfo(destination + "/ARJTEMP-k3j2h1").exists());
    // Only the other user's links may be there now.
    EXPECT_TRUE(QFileInfo(destination + "/ARJTEMP.$00").isSymLink() ||
                !QFileInfo::exists(destination + "/ARJTEMP.$00"));

    const QString output = sample.output();
    for (const QString& said :
         {QString::fromUtf8("Removido arquivo temporário abandonado - D:\\VLDRBKPA\\ARJTEMP.$00"),
          QString::fromUtf8("ATENÇÃO - BKP (00) - link removido: ") + dailyArchive(kDestination, 0),
          QString::fromUtf8("ERRO - BKP (04) - arquivo não copiável: C:\\VALDOROW\\ANTIGO\\RELAT")})
        EXPECT_TRUE(output.contains(said)) << said.toStdString() << "\n" << output.toStdString();
}

TEST(PassNeighbours, ALogThatCannotBeWrittenIsSaidOnceAndFailsThePass)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    writeJob(sample, 0, "SSN", "*.DB *.MB", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPA");
    writeJob(sample, 3, "SSN", "*.DB *.MB", "C:\\VALDOROW\\DADOS", "D:\\VLDRBKPA");
    ASSERT_TRUE(QDir().mkpath(sample.host(kData + "\\NAVLOR.LOG")));

    EXPECT_EQ(runPass(sample, 120), 1) << sample.output().toStdString();
    const QString said = QString::fromUtf8("ATENÇÃO - log não gravado: ") + kData + "\\NAVLOR.LOG";
    EXPECT_EQ(sample.output().count(said), 1) << sample.output().toStdString();
    // The archives themselves are good and their runs are stamped.
    EXPECT_TRUE(stampedToday(sample, 0)) << sample.output().toStdString();
    EXPECT_TRUE(stampedToday(sample, 3));
}

} // namespace
} // namespace navlor::e2e

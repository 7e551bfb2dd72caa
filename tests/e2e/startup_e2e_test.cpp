// The real program started at log-on on the sample installation, without "/N": its start-up
// run is judged by what it leaves on disk and by whether it ends by itself. The run's waits
// are real (one second, the six-second count-down, two seconds, and the 20-second close). The
// cancelled run shows its window on a private X server, so a pointer can press the button.

#include "tests/e2e/pass_jobs.h"
#include "tests/e2e/sample_installation.h"
#include "tests/e2e/x_display.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QThread>

#include <gtest/gtest.h>

namespace navlor::e2e {
namespace {

const QString kProgram = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
const QString kBackups = QStringLiteral("D:\\VLDRBKPA");

// What the sample leaves for the clean-up: lock files, temporary tables, the control file.
const QStringList kStale = {"C:\\VALDOROW\\DADOS\\PDOXUSRS.LCK",
                            "C:\\VALDOROW\\DADOS\\EMPRESA1\\PARADOX.LCK",
                            "C:\\VALDOROW\\DADOS\\EMPRESA2\\pdoxusrs.lck",
                            "C:\\VALDOROW\\_QSQ0.DB",
                            "C:\\VALDOROW\\_QSQ0.MB",
                            "C:\\VALDOROW\\DADOS\\EMPRESA1\\_QSQ12.DB",
                            "C:\\PDOXUSRS.NET"};

QStringList jobFile(const SampleInstallation& sample, int number)
{
    return sample.lines(
        QStringLiteral("C:\\VALDORO\\NAVLOR\\VD_BKPA_%1.PAR").arg(number, 2, 10, QLatin1Char('0')));
}

// What Debian's arj finds in an archive.
QString arjListing(const QString& hostArchive)
{
    QProcess arj;
    arj.start(QStringLiteral("arj"), {QStringLiteral("l"), hostArchive});
    arj.waitForFinished(60000);
    return QString::fromLocal8Bit(arj.readAllStandardOutput());
}

// The messages of the message line, as the program echoes them on standard output.
QStringList messages(const QString& output)
{
    QStringList list;
    for (const QString& line : output.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("NAVLOR: ")))
            list << line.mid(8);
    }
    return list;
}

TEST(StartupEndToEnd, UnattendedRunCleansUpBacksUpAndEndsByItself)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    for (const QString& file : kStale)
        ASSERT_TRUE(sample.exists(file)) << file.toStdString();

    QElapsedTimer elapsed;
    elapsed.start();
    QProcess navlor;
    sample.start(navlor, kProgram);
    ASSERT_TRUE(navlor.waitForStarted());
    const bool ended = navlor.waitForFinished(100000);
    if (!ended)
        navlor.kill();
    ASSERT_TRUE(ended) << "still open after 100 s";
    EXPECT_EQ(navlor.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(navlor.exitCode(), 0);
    // It closed itself, not sooner than the run's waits and the 20 s of the close allow.
    EXPECT_GE(elapsed.elapsed(), 29000);

    for (const QString& file : kStale)
        EXPECT_FALSE(sample.exists(file)) << file.toStdString();
    EXPECT_TRUE(sample.exists("C:\\VALDOROW\\DADOS\\EMPRESA1\\CLIENTES.DB"));

    // NETLOG was started and logged it.
    const QString log = QString::fromLatin1(sample.read("C:\\NETLOG\\NETLOG.LOG"));
    EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d NETLOG iniciado "
                                   "em \\S+\r\n$")
                    .match(log)
                    .hasMatch())
        << log.toStdString();

    // The daily archive of today, written by the real archiver, and the job stamped with it.
    const QStringList daily = sample.names(kBackups, "BKP00_*_DIARIO.ARJ");
    ASSERT_EQ(daily.size(), 1) << daily.join(' ').toStdString();
    const QString archive = kBackups + u'\\' + daily.first();
    EXPECT_GT(QFileInfo(sample.host(archive)).size(), 0);
    const QString listing = arjListing(sample.host(archive));
    EXPECT_TRUE(listing.contains("CLIENTES.DB")) << listing.toStdString();
    EXPECT_TRUE(listing.contains("VALDORO.FDB"));
    EXPECT_EQ(jobFile(sample, 0).value(16), archive);
    EXPECT_TRUE(stampedToday(sample, 0));
    // and the weekly job of the whole installation after it
    EXPECT_EQ(sample.names(kBackups, "BKP03_*.ARJ").size(), 1);
    EXPECT_TRUE(stampedToday(sample, 3));

    const QStringList shown = messages(sample.output());
    ASSERT_GE(shown.size(), 6) << sample.output().toStdString();
    EXPECT_EQ(shown.mid(0, 5),
              QStringList({"Deletando arquivos *.LCK = 3", "Deletando arquivo - C:\\PDOXUSRS.NET",
                           "Deletando arquivos _QSQ*.DB* = 2", "Deletando arquivos _QSQ*.MB = 1",
                           QString::fromUtf8("Verificando BKP Automático")}));
    EXPECT_LT(shown.indexOf(QString::fromUtf8("BKP Concluído (00)")),
              shown.indexOf(QString::fromUtf8("BKP Concluído (03)")));
    EXPECT_TRUE(shown.contains(QString::fromUtf8("BKP Concluído (00)")));
    EXPECT_EQ(shown.last(), "CONCLUIDO");
}

TEST(StartupEndToEnd, WithoutCloseFlagTheRunCompletesAndTheProgramStaysOpen)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    sample.setConsoleFlags(QStringLiteral("SSN SS              "));

    QProcess navlor;
    sample.start(navlor, kProgram);
    ASSERT_TRUE(navlor.waitForStarted());
    const bool completed = waitUntil(
        [&] { return messages(sample.output()).contains(QStringLiteral("CONCLUIDO")); }, 70000);
    EXPECT_TRUE(completed) << sample.output().toStdString();
    EXPECT_EQ(sample.names(kBackups, "BKP00_*_DIARIO.ARJ").size(), 1);
    EXPECT_TRUE(stampedToday(sample, 0));
    EXPECT_TRUE(stampedToday(sample, 3));
    EXPECT_FALSE(sample.exists("C:\\PDOXUSRS.NET"));

    // The close timer has long fired; it left the window open.
    if (completed) {
        EXPECT_FALSE(navlor.waitForFinished(25000));
    }
    EXPECT_EQ(navlor.state(), QProcess::Running);
    navlor.kill();
    navlor.waitForFinished();
}

// The operator presses "Parar/Cancelar" in the real window during the count-down: the run stops
// there and the window stays open with everything left as it was.
TEST(StartupEndToEnd, PararCancelarDuringTheCountDownLeavesEveryFileInPlace)
{
    const QStringList missing = PrivateDisplay::missingTools();
    if (!missing.isEmpty())
        GTEST_SKIP() << "not installed: " << missing.join(' ').toStdString();
    PrivateDisplay display;
    ASSERT_TRUE(display.error().isEmpty()) << display.error().toStdString();
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    sample.setDisplay(display.name());

    QProcess navlor;
    // Killed however the test ends, before the display goes.
    const auto close = qScopeGuard([&] {
        navlor.kill();
        navlor.waitForFinished(5000);
    });
    QElapsedTimer elapsed;
    elapsed.start();
    sample.start(navlor, kProgram);
    ASSERT_TRUE(navlor.waitForStarted());
    // The count-down ends about eight seconds after the window shows: one second before the
    // first tick, one blocking second, six counted.
    const QString window = display.waitForWindow(QStringLiteral("NAVLOR - V"), 6000);
    ASSERT_FALSE(window.isEmpty()) << "no window; output: " << sample.output().toStdString();
    // BU_CANCELAR spans x 388-517 and y 4-45 of the area under the menu bar; y 48 of the window
    // is on it for any menu bar from 4 to 43 pixels high.
    ASSERT_TRUE(display.click(window, 452, 48));
    const qint64 clickedAt = elapsed.elapsed();
    ASSERT_LT(clickedAt, 7000) << "clicked too late to fall in the count-down";

    // Long past the count-down, when an uncancelled run has cleaned up already; the window is
    // still open.
    EXPECT_FALSE(navlor.waitForFinished(int(12000 - clickedAt)))
        << "ended; output: " << sample.output().toStdString();
    EXPECT_EQ(navlor.state(), QProcess::Running);

    for (const QString& file : kStale)
        EXPECT_TRUE(sample.exists(file)) << file.toStdString();
    const QStringList backups = sample.names(kBackups, "*");
    EXPECT_TRUE(backups.isEmpty()) << backups.join(' ').toStdString();
    EXPECT_FALSE(stampedToday(sample, 0));
    EXPECT_FALSE(sample.exists("C:\\NETLOG\\NETLOG.LOG"));
    // The button's text goes to the message line only, not to its list: nothing is echoed.
    EXPECT_TRUE(messages(sample.output()).isEmpty()) << sample.output().toStdString();
}

// Asking the program how to use it, or its version, runs nothing; nor does an option it does
// not know, which is refused with 2 before anything is deleted.
TEST(StartupEndToEnd, HelpVersionAndUnknownOptionsRunNothing)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    struct Ask
    {
        QString argument;
        int exitCode;
        QString shown; // on standard output, or on standard error for a refusal
    };
    const QList<Ask> asks{{"--help", 0, "/N"},
                          {"-h", 0, "Uso: navlor"},
                          {"/?", 0, "NAVLOR_PREFIX"},
                          {"--version", 0, "navlor 1."},
                          {"-n", 2, QString::fromUtf8("navlor: opção desconhecida: -n")},
                          {"--bogus", 2, QString::fromUtf8("navlor: opção desconhecida: --bogus")},
                          {"/X", 2, QString::fromUtf8("navlor: opção desconhecida: /X")}};
    for (const Ask& ask : asks) {
        QProcess navlor;
        sample.start(navlor, kProgram, {ask.argument});
        ASSERT_TRUE(navlor.waitForFinished(10000)) << ask.argument.toStdString();
        EXPECT_EQ(navlor.exitCode(), ask.exitCode) << ask.argument.toStdString();
        const QString shown = ask.exitCode == 0 ? sample.output() : sample.output("stdout-err");
        EXPECT_TRUE(shown.contains(ask.shown)) << ask.argument.toStdString() << shown.toStdString();
    }
    // "/n" is "/N": the console opens, and past the count-down nothing has been deleted.
    QProcess console;
    sample.start(console, kProgram, {"/n"});
    ASSERT_TRUE(console.waitForStarted());
    QThread::msleep(9000);
    EXPECT_EQ(console.state(), QProcess::Running);
    console.kill();
    console.waitForFinished();
    for (const QString& file : kStale)
        EXPECT_TRUE(sample.exists(file)) << file.toStdString();
    EXPECT_TRUE(sample.names(kBackups, "*").isEmpty());
}

} // namespace
} // namespace navlor::e2e

// A failure that shows a box in the unattended pass without a display (the service): nobody
// could see it, it is answered at once, and the pass goes on with the next job and ends the
// program.

#include "tests/e2e/sample_installation.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

namespace navlor::e2e {
namespace {

TEST(UnattendedBox, MissingSourceBoxClosesItselfAndTheNextJobRuns)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    // job 00's source is gone
    const QString job = QStringLiteral("C:\\VALDORO\\NAVLOR\\VD_BKPA_00.PAR");
    QByteArray text = sample.read(job);
    text.replace("C:\\VALDOROW\\DADOS\r\n", "C:\\VALDOROW\\SUMIU\r\n");
    QFile file(sample.host(job));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();

    QElapsedTimer elapsed;
    elapsed.start();
    QProcess navlor;
    sample.start(navlor, QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE"));
    ASSERT_TRUE(navlor.waitForStarted());
    const bool ended = navlor.waitForFinished(200000);
    if (!ended)
        navlor.kill();
    ASSERT_TRUE(ended) << "still open after 200 s: " << sample.output().toStdString();
    // No minute waited for nobody: the pass waits some 30 s of its own, 90 s with the box's
    // minute; the room between is for a machine busy with the tests run beside this one.
    EXPECT_LT(elapsed.elapsed(), 60000);
    EXPECT_EQ(navlor.exitCode(), 1);

    const QString today = QDate::currentDate().toString("dd/MM/yy");
    EXPECT_NE(sample.lines(job).value(18), today);
    EXPECT_EQ(sample.lines("C:\\VALDORO\\NAVLOR\\VD_BKPA_03.PAR").value(18), today);
    const QString log = QString::fromLatin1(sample.read("C:\\VALDORO\\NAVLOR\\NAVLOR.LOG"));
    EXPECT_TRUE(log.contains(
        QStringLiteral(" BKP 00 ERRO - - N\xe3o foi possivel LOCALIZAR o diret\xf3rio")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(" BKP 03 OK D:\\VLDRBKPA\\BKP03_")) << log.toStdString();
    EXPECT_TRUE(log.contains(" FIM BKP AUTOMATICO - 1 OK, 1 ERRO\r\n")) << log.toStdString();
}

} // namespace
} // namespace navlor::e2e

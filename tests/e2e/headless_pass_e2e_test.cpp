// "navlor --headless", as the service runs it: no window and no platform plugin, so a display
// that cannot be opened does not matter; a failing job ends the pass quickly with exit 1.

#include "tests/e2e/pass_jobs.h"
#include "tests/e2e/sample_installation.h"

#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

namespace navlor::e2e {
namespace {

TEST(HeadlessPass, RunsWithoutADisplayAndAFailingJobEndsItWithStatusOne)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    // job 05: its source is missing; the box about it is answered at once
    writeJob(sample, 5, "SSN", "*.DB", "C:\\NAO_HA", "D:\\VLDRBKPC");
    // An X display nobody serves: a program that opened a window would end here.
    sample.setDisplay(QStringLiteral(":97"));

    QProcess navlor;
    QElapsedTimer elapsed;
    elapsed.start();
    sample.start(navlor, kProgram, {QStringLiteral("--headless")});
    ASSERT_TRUE(navlor.waitForFinished(90000)) << sample.output().toStdString();
    EXPECT_LT(elapsed.elapsed(), 45000);
    EXPECT_EQ(navlor.exitCode(), 1) << sample.output().toStdString();

    EXPECT_TRUE(stampedToday(sample, 0)); // the good jobs ran
    EXPECT_FALSE(stampedToday(sample, 5));
    const QString output = sample.output();
    for (const char* said : {"NAVLOR: Deletando arquivo - C:\\PDOXUSRS.NET",
                             "NAVLOR: BKP Concluído (00)", "NAVLOR: CONCLUIDO"})
        EXPECT_TRUE(output.contains(QString::fromUtf8(said))) << said << "\n"
                                                              << output.toStdString();
    EXPECT_TRUE(backupLog(sample).contains(QStringLiteral(" BKP 05 ERRO ")))
        << backupLog(sample).toStdString();
}

} // namespace
} // namespace navlor::e2e

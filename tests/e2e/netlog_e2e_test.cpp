// NETLOG.EXE of the sample installation, started by the path of its link as the console starts
// it: every start adds one line to the log beside the link.

#include "tests/e2e/sample_installation.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace navlor::e2e {
namespace {

TEST(NetlogEndToEnd, EachStartAppendsOneLineToTheLogBesideItsLink)
{
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();

    for (int start = 0; start < 2; ++start) {
        QProcess netlog;
        sample.start(netlog, QStringLiteral("C:\\NETLOG\\NETLOG.EXE"));
        ASSERT_TRUE(netlog.waitForFinished(30000));
        EXPECT_EQ(netlog.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(netlog.exitCode(), 0);
    }

    const QString log = QString::fromLatin1(sample.read("C:\\NETLOG\\NETLOG.LOG"));
    const QStringList lines = log.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 3) << log.toStdString(); // two lines, each ended by CR LF
    EXPECT_TRUE(lines[2].isEmpty());
    const QRegularExpression format(
        "^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d NETLOG iniciado em [^\\s\\\\]{1,15}$");
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(format.match(lines[i]).hasMatch()) << lines[i].toStdString();
    EXPECT_EQ(lines[0].mid(20), lines[1].mid(20)); // the same computer both times
}

} // namespace
} // namespace navlor::e2e

// The real program killed while the sample's Firebird database is frozen for its backup: the
// database stays frozen only until the next start, which thaws it and says so.

#include "lib/databases/firebird_tools.h"
#include "tests/e2e/sample_installation.h"
#include "tests/support/firebird_server.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <signal.h>

namespace navlor::e2e {
namespace {

const QString kNavlorExe = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
const QString kDatabase = QStringLiteral("C:\\VALDOROW\\DADOS\\FB\\VALDORO.FDB");

TEST(FrozenDatabase, KilledWhileFrozenTheNextStartThawsIt)
{
    if (const QString why = test::ensureFirebirdServer(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    SampleInstallation sample;
    ASSERT_TRUE(sample.error().isEmpty()) << sample.error().toStdString();
    const QString db = QFileInfo(sample.host(kDatabase)).canonicalFilePath();
    ASSERT_EQ(test::makeServerReachable(QFileInfo(db).path()), QString());
    // An archiver that takes its time, so the kill comes while the database is frozen. It
    // leaves its process id, so that only it is ended, not a sleep of a test run beside this.
    const QString slow = sample.host(QStringLiteral("C:\\VALDOROW\\EXE\\ARJ.EXE"));
    const QString slowPid = sample.prefix() + QStringLiteral("/slow-arj.pid");
    QFile::remove(slow);
    {
        QFile script(slow);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho $$ >'" + slowPid.toLocal8Bit() + "'\nexec sleep 120\n");
    }
    QFile::setPermissions(slow, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess navlor;
    sample.start(navlor, kNavlorExe);
    ASSERT_TRUE(navlor.waitForStarted());
    const bool frozen =
        waitUntil([&] { return readFirebirdState(db) == FirebirdState::Frozen; }, 60000);
    ::kill(pid_t(navlor.processId()), SIGKILL);
    navlor.waitForFinished();
    if (QFile pid(slowPid); pid.open(QIODevice::ReadOnly)) {
        if (const pid_t sleeper = pid_t(pid.readAll().trimmed().toLongLong()); sleeper > 0)
            ::kill(sleeper, SIGKILL);
    }
    ASSERT_TRUE(frozen) << sample.output().toStdString();
    EXPECT_TRUE(QFile::exists(db + QStringLiteral(".delta")));
    EXPECT_TRUE(sample.exists(QStringLiteral("C:\\VALDORO\\NAVLOR\\CONGELADOS.LST")));

    // The next start, even one without the pass, thaws it first.
    QProcess again;
    sample.start(again, kNavlorExe, {QStringLiteral("/N")});
    const QString said =
        QStringLiteral("ATENÇÃO - banco descongelado após BKP interrompido: ") + kDatabase;
    EXPECT_TRUE(waitUntil([&] { return sample.output().contains(said); }, 60000))
        << sample.output().toStdString();
    again.kill();
    again.waitForFinished();
    EXPECT_EQ(readFirebirdState(db), FirebirdState::Normal);
    EXPECT_FALSE(QFile::exists(db + QStringLiteral(".delta")));
    EXPECT_FALSE(sample.exists(QStringLiteral("C:\\VALDORO\\NAVLOR\\CONGELADOS.LST")));
    EXPECT_TRUE(QString::fromLatin1(sample.read(QStringLiteral("C:\\VALDORO\\NAVLOR\\NAVLOR.LOG")))
                    .contains(QStringLiteral("banco descongelado")));
}

} // namespace
} // namespace navlor::e2e

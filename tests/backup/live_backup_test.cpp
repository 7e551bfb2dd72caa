// Backups of databases that clients keep writing, with the real server, archiver and tables:
// Firebird frozen while archived and thawed after, Paradox tables never recorded torn, every
// archive's databases opened again.

#include "backup/backup_run.h"
#include "backup/database_freeze.h"
#include "lib/databases/firebird_tools.h"
#include "lib/databases/paradox_table.h"

#include "tests/backup/backup_fakes.h"
#include "tests/support/firebird_server.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/scoped_env.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include "lib/param_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");
const QString kDados = QStringLiteral("C:\\VALDOROW\\DADOS");
const QString kDatabase = QStringLiteral("C:\\VALDOROW\\DADOS\\FB\\VALDORO.FDB");

// The run as the console does it: the real verdict and test restore.
class LiveConsole : public test::FakeConsole
{
public:
    ArchiveVerdict verifyArchive(const QString& archiver, const QString& archivePath,
                                 const BackupJob& job, int ceiling, bool checkListing,
                                 const std::optional<QList<SelectedFile>>& expected) override
    {
        return BackupConsole::verifyArchive(archiver, archivePath, job, ceiling, checkListing,
                                            expected);
    }
    bool testRestoreWanted() override
    {
        return fromParameterFile ? BackupConsole::testRestoreWanted() : true;
    }
    bool fromParameterFile = false;
};

int runProgram(const QString& program, const QStringList& arguments, QString* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

class LiveBackup : public ::testing::Test
{
protected:
    LiveBackup()
    {
        platform().setClock(std::make_unique<SystemClock>()); // pauses must be real ones
        paths->programPathValue = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
        prefix.mkdir(kDataDir);
        prefix.mkdir(kDados + QStringLiteral("\\FB"));
        prefix.addDrive('d');
        const QString arj = prefix.host(QStringLiteral("C:\\VALDOROW")) + "/EXE/ARJ.EXE";
        QDir().mkpath(QFileInfo(arj).path());
        QFile::link(QStringLiteral(NAVLOR_ARJ_BINARY), arj);
    }

    void table(const QString& name, int rows, const QStringList& options = {})
    {
        QString output;
        ASSERT_EQ(runProgram(QStringLiteral(NAVLOR_SAMPLE_TABLES_BINARY),
                             QStringList{"write", prefix.host(kDados) + u'/' + name,
                                         QString::number(rows)} +
                                 options,
                             &output),
                  0)
            << output.toStdString();
    }

    // A daily job over DADOS that starts a new archive at every run.
    BackupJob job(const QString& masks)
    {
        BackupJob job;
        loadJob(job, kDataDir, QStringLiteral("C:\\VALDOROW"));
        job.title = QStringLiteral("Dados");
        job.active = true;
        job.subdirectories = true;
        job.masks = masks;
        job.source = kDados;
        job.destination = QStringLiteral("D:\\VLDRBKPA");
        job.optionItem = optionItems().at(1);
        return job;
    }

    // The archive's entries matching `masks` taken out by Debian's arj itself.
    QString extracted(const QString& archive, const QString& stored)
    {
        QString output;
        EXPECT_EQ(
            runProgram(QStringLiteral("arj"),
                       {"e", prefix.host(archive), restoreDir.path() + u'/', stored, "-y", "-i"},
                       &output),
            0)
            << output.toStdString();
        return restoreDir.path() + u'/' + QFileInfo(stored).fileName();
    }

    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    test::ScopedDialogs shown;
    test::ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_CMD_BINARY};
    QTemporaryDir restoreDir;
    LiveConsole console;
};

TEST_F(LiveBackup, FirebirdWrittenThroughTheServerIsArchivedFrozenAndRestoresValid)
{
    if (const QString why = test::ensureFirebirdServer(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    // the server's own path to it: Firebird would read "c:" of the prefix's drive as a host
    const QString db = QFileInfo(prefix.host(kDados + QStringLiteral("\\FB"))).canonicalFilePath() +
                       QStringLiteral("/VALDORO.FDB");
    QString error;
    ASSERT_TRUE(test::createFirebirdDatabase(db, 3000, &error)) << error.toStdString();
    ASSERT_EQ(test::makeServerReachable(QFileInfo(db).path()), QString());

    constexpr int kRuns = 20;
    test::FirebirdWriter writer(db, 600);
    ASSERT_TRUE(writer.start()) << writer.output().toStdString();
    FirebirdTools tools;
    for (int run = 1; run <= kRuns; ++run) {
        BackupJob current = job(QStringLiteral("*.FDB"));
        console.messages.clear();
        ASSERT_EQ(runJob(current, QString(), console), RunResult::Recorded)
            << "run " << run << ": " << console.messages.join(u'\n').toStdString();
        EXPECT_TRUE(current.batchText.endsWith(QLatin1String(" -X*.DELTA")));
        // thawed and merged: nothing of the freeze is left
        EXPECT_EQ(readFirebirdState(db), FirebirdState::Normal) << "run " << run;
        EXPECT_FALSE(QFile::exists(db + QStringLiteral(".delta"))) << "run " << run;
        EXPECT_FALSE(QFile::exists(prefix.host(frozenListPath(kDataDir))));
        // what the archive holds, taken out by hand, fixed up and validated on its own
        const QString copy =
            extracted(current.lastArchive, QStringLiteral("VALDOROW/DADOS/FB/VALDORO.FDB"));
        EXPECT_EQ(readFirebirdState(copy), FirebirdState::Frozen) << "run " << run;
        EXPECT_TRUE(tools.fixUp(copy).ok) << "run " << run;
        const DatabaseOutcome valid = tools.validate(copy);
        EXPECT_TRUE(valid.ok) << "run " << run << ": " << valid.reason.toStdString();
        QFile::remove(copy);
    }
    if (!writer.isRunning()) {
        (void)writer.waitForEnd();
        FAIL() << "the writer ended before the runs did: " << writer.output().toStdString();
    }
    ASSERT_TRUE(writer.stop());
    EXPECT_TRUE(writer.sawNoError()) << writer.output().toStdString();
    EXPECT_GT(writer.changes(), 1000);
}

TEST_F(LiveBackup, ParadoxTableRewrittenDuringTheArchiveIsNeverRecordedTorn)
{
    table(QStringLiteral("CLIENTES.DB"), 3000, {"--index", "--memo"});
    table(QStringLiteral("PRODUTOS.DB"), 500, {"--index"});
    const QString clientes = prefix.host(kDados) + QStringLiteral("/CLIENTES.DB");
    struct Case
    {
        const char* writer;
        int quietMs; // after each whole rewrite
        int runs;
    };
    // A client that never stops, and one that saves now and then.
    for (const Case c : {Case{"never quiet", 0, 1}, Case{"saves now and then", 1500, 3}}) {
        QProcess churn;
        churn.start(QStringLiteral(NAVLOR_SAMPLE_TABLES_BINARY),
                    {"churn", clientes, "3000", "120", QString::number(c.quietMs)});
        ASSERT_TRUE(churn.waitForStarted());
        int recorded = 0;
        for (int run = 1; run <= c.runs; ++run) {
            BackupJob current = job(QStringLiteral("*.DB *.MB *.PX"));
            console.messages.clear();
            if (runJob(current, QString(), console) != RunResult::Recorded) {
                // refused, and for a reason that is true
                const QString said = console.messages.join(u'\n');
                EXPECT_TRUE(said.contains(QStringLiteral("arquivo alterado durante o BKP: ")) ||
                            said.contains(QStringLiteral("banco restaurado com erros: ")))
                    << said.toStdString();
                continue;
            }
            ++recorded;
            for (const char* name : {"CLIENTES.DB", "CLIENTES.MB", "CLIENTES.PX"})
                (void)extracted(current.lastArchive, QStringLiteral("VALDOROW/DADOS/") + name);
            const DatabaseOutcome whole =
                checkParadoxTableFile(restoreDir.path() + QStringLiteral("/CLIENTES.DB"));
            EXPECT_TRUE(whole.ok) << c.writer << ": " << whole.reason.toStdString();
        }
        churn.kill();
        churn.waitForFinished();
        if (c.quietMs > 0) { // a quiet moment is found
            EXPECT_GT(recorded, 0) << c.writer;
        }
    }
}

TEST_F(LiveBackup, ArchiveWhoseTableDoesNotOpenIsNoBackup)
{
    table(QStringLiteral("PRODUTOS.DB"), 200, {"--index"});
    prefix.write(kDados + QStringLiteral("\\VENDAS.DB"), QByteArray(4096, 'x'));
    BackupJob current = job(QStringLiteral("*.DB *.PX"));
    EXPECT_EQ(runJob(current, QString(), console), RunResult::ArchiveNotWritten);
    EXPECT_TRUE(console.messages.last().startsWith(QStringLiteral(
        "ERRO - BKP (00) - banco restaurado com erros: C:\\VALDOROW\\DADOS\\VENDAS.DB (")))
        << console.messages.join(u'\n').toStdString();
    EXPECT_TRUE(current.lastRunDate.isEmpty()); // not stamped: still due
    // the test restore's directory is gone
    EXPECT_EQ(QDir(prefix.host(QStringLiteral("D:\\VLDRBKPA")))
                  .entryList({"NAVLOR-TESTE-*"}, QDir::AllEntries | QDir::Hidden),
              QStringList());

    // Turned off in the parameter file, the same archive counts.
    prefix.write(QStringLiteral("C:\\VALDORO\\NAVLOR\\NAV_LOR"),
                 QByteArray("#\r\n").repeated(12) + "N\r\n");
    console.fromParameterFile = true;
    EXPECT_EQ(runJob(current, QString(), console), RunResult::Recorded)
        << console.messages.join(u'\n').toStdString();
}

} // namespace
} // namespace navlor

// The start-up pass against the real command interpreter and archiver stand-ins, in a prefix
// laid out like an installation: the archive is judged by what the archiver wrote.

#include "backup/backup_window.h"

#include "app/main_window.h"
#include "lib/ansi_text.h"
#include "lib/param_store.h"
#include "tests/platform/platform_fixture.h"
#include "tests/support/fixed_paths_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");

class BackupEndToEnd : public ::testing::Test
{
protected:
    BackupEndToEnd()
    {
        paths->programPathValue = QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE");
        prefix.mkdir(kDataDir);
        prefix.addDrive('d');
        const QString arj = prefix.host("C:\\VALDOROW") + "/EXE/ARJ.EXE";
        QDir().mkpath(QFileInfo(arj).path());
        QFile::link(QStringLiteral(NAVLOR_ARJ_BINARY), arj);

        prefix.write("C:\\VALDOROW\\DADOS\\CLIENTES.DB", QByteArray(3000, 'c'));
        prefix.write("C:\\VALDOROW\\DADOS\\CLIENTES.MB", "memo");
        prefix.write("C:\\VALDOROW\\DADOS\\NOTAS.TXT", "not archived");
        prefix.write("C:\\VALDOROW\\DADOS\\EMPRESA1\\vendas.db", QByteArray(500, 'v'));
        GB_LINHAS.clear();
    }

    void saveDailyJob(const QString& masks)
    {
        BackupJob job;
        loadJob(job, kDataDir, QStringLiteral("C:\\VALDOROW"));
        job.E_TITULO = QStringLiteral("Dados");
        job.CB_ATIVAR = true;
        job.E_TIPOARQ = masks;
        job.E_ORIGEM = QStringLiteral("C:\\VALDOROW\\DADOS");
        job.E_DESTINO = QStringLiteral("D:\\VLDRBKPA");
        saveJob(job, kDataDir);
    }

    // The start-up pass on a hidden backup window, as the console runs it.
    QStringList startupPass()
    {
        TF_NAVLOR console({QStringLiteral("/N")});
        {
            TF_BKPA window(&console);
            window.runAllActiveJobs();
        }
        return console.messages();
    }

    QStringList jobLines() const
    {
        return fromAnsi(prefix.read(jobParFile(kDataDir, 0))).split(QStringLiteral("\r\n"));
    }

    // What Debian's arj itself finds in an archive.
    QString listing(const QString& archive) const
    {
        QProcess arj;
        arj.start(QStringLiteral("arj"), {QStringLiteral("v"), prefix.host(archive)});
        arj.waitForFinished(60000);
        return QString::fromLocal8Bit(arj.readAllStandardOutput());
    }

    FakeClock& clock() { return static_cast<FakeClock&>(platform().clock()); }

    test::TempPrefix prefix;
    test::ScopedFixedPaths paths{prefix.root()};
    test::ScopedDialogs shown;
    test::ScopedEnv interpreter{"NAVLOR_CMD", NAVLOR_CMD_BINARY};
};

TEST_F(BackupEndToEnd, DailyJobWritesTheRotatingArchiveAndIsStamped)
{
    saveDailyJob(QStringLiteral("*.DB *.MB"));
    clock().set(QDateTime(QDate(2026, 12, 7), QTime(8, 0, 0)));

    const QStringList messages = startupPass();
    EXPECT_EQ(messages,
              QStringList({"Verificando BKP Automático", "Executando BKP (00) - _DIARIO - Dados",
                           "BKP Concluído (00)"}));
    EXPECT_TRUE(shown->messages.isEmpty()) << shown->messages.join('\n').toStdString();

    const QString archive = QStringLiteral("D:\\VLDRBKPA\\BKP00_06_DIARIO.ARJ");
    ASSERT_TRUE(platform().fileExists(archive));
    const QString contents = listing(archive);
    EXPECT_TRUE(contents.contains("CLIENTES.DB")) << contents.toStdString();
    EXPECT_TRUE(contents.contains("CLIENTES.MB"));
    EXPECT_TRUE(contents.contains("vendas.db")); // masks match any case, subdirectories too
    EXPECT_FALSE(contents.contains("NOTAS.TXT"));

    // the archiver was brought next to the program, and the line ran from BKPA.BAT
    EXPECT_TRUE(platform().fileExists("C:\\VALDOROW\\ARJ.EXE"));
    EXPECT_EQ(prefix.read("D:\\VLDRBKPA\\BKPA.BAT"),
              R"(C:\VALDOROW\ARJ.EXE A "D:\VLDRBKPA\BKP00_06_DIARIO.ARJ" "C:\VALDOROW\DADOS"  )"
              "*.DB *.MB -U -R \r\n");

    const QStringList lines = jobLines();
    EXPECT_EQ(lines.at(16), archive);
    EXPECT_EQ(lines.at(18), "07/12/26");
    EXPECT_EQ(lines.at(19), "08:00:00");

    // the same day again: not due; the next day: the next archive of the rotation
    EXPECT_EQ(startupPass(), QStringList{"Verificando BKP Automático"});
    clock().set(QDateTime(QDate(2026, 12, 8), QTime(7, 30, 0)));
    EXPECT_EQ(startupPass().last(), "BKP Concluído (00)");
    EXPECT_TRUE(platform().fileExists("D:\\VLDRBKPA\\BKP00_07_DIARIO.ARJ"));
    EXPECT_TRUE(platform().fileExists(archive));
    EXPECT_EQ(jobLines().at(18), "08/12/26");
}

TEST_F(BackupEndToEnd, ArchiveTheArchiverDidNotWriteIsNoSuccess)
{
    // nothing matches, so the archiver creates no archive
    saveDailyJob(QStringLiteral("*.FDB"));
    const QByteArray before = prefix.read(jobParFile(kDataDir, 0));

    const QStringList messages = startupPass();
    EXPECT_EQ(messages.last().toStdString(),
              "ERRO - ARQUIVO DE BKP NÃO GERADO - D:\\VLDRBKPA\\BKP00_06_DIARIO.ARJ");
    EXPECT_FALSE(messages.contains("BKP Concluído (00)"));
    EXPECT_EQ(prefix.read(jobParFile(kDataDir, 0)), before);
}

} // namespace
} // namespace navlor

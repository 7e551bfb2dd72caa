#include "backup/backup_job.h"
#include "backup/job_batch_text.h"
#include "lib/ansi_text.h"
#include "lib/param_store.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kDataDir = QStringLiteral("C:\\VALDORO\\NAVLOR");
// Not on C:, so a default that ignores the system drive shows.
const QString kSystemDir = QStringLiteral("E:\\VALDOROW");

class Jobs : public ::testing::Test
{
protected:
    void SetUp() override { prefix.mkdir(kDataDir); }

    // The job file as its lines, CR LF taken off.
    QStringList fileLines(int number) const
    {
        const QString text = fromAnsi(prefix.read(jobParFile(kDataDir, number)));
        QStringList lines = text.split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    void writeJob(int number, const QStringList& lines) const
    {
        prefix.write(jobParFile(kDataDir, number), toAnsi(lines.join("\r\n") + "\r\n"));
    }
    BackupJob loaded(const QString& item) const
    {
        BackupJob job;
        job.numberText = item;
        EXPECT_TRUE(loadJob(job, kDataDir, kSystemDir));
        return job;
    }

    test::TempPrefix prefix;
    test::ScopedDialogs shown;
};

TEST_F(Jobs, FilesAreNamedByTheTwoDigitNumberInTheDataDirectory)
{
    EXPECT_EQ(jobParFile(kDataDir, 3), QStringLiteral("C:\\VALDORO\\NAVLOR\\VD_BKPA_03.PAR"));
    EXPECT_EQ(jobBatFile(kDataDir, 50), QStringLiteral("C:\\VALDORO\\NAVLOR\\VD_BKPA_50.BAT"));
    EXPECT_EQ(jobFilePattern(kDataDir), QStringLiteral("C:\\VALDORO\\NAVLOR\\VD_BKPA_xx"));
    EXPECT_EQ(jobNumber(QStringLiteral("07")), 7);
    EXPECT_EQ(jobNumber(QStringLiteral("50")), 50);
    EXPECT_EQ(jobNumber(QStringLiteral("51")), std::nullopt);
    EXPECT_EQ(jobNumber(QStringLiteral("-1")), std::nullopt);
    EXPECT_EQ(jobNumber(QString()), std::nullopt);
}

TEST_F(Jobs, AJobWithoutAFileLoadsTheDefaults)
{
    BackupJob job;
    job.batchText = QStringLiteral("REM kept");
    job.title = QStringLiteral("previous job");
    job.active = true;
    job.lastRunDate = QStringLiteral("01/01/26");
    ASSERT_TRUE(loadJob(job, kDataDir, kSystemDir));

    EXPECT_EQ(job.paramFileBase, QStringLiteral("C:\\VALDORO\\NAVLOR\\VD_BKPA_xx"));
    EXPECT_EQ(job.title, QString());
    EXPECT_EQ(job.period, QStringLiteral("0 - Diário"));
    EXPECT_EQ(job.masks, QStringLiteral("*.*"));
    EXPECT_EQ(job.source, kSystemDir);
    EXPECT_EQ(job.destination, QStringLiteral("E:\\VLDRBKPA"));
    EXPECT_EQ(job.archiveBaseName, QStringLiteral("BKP00"));
    EXPECT_FALSE(job.active);
    EXPECT_TRUE(job.subdirectories);
    EXPECT_FALSE(job.runsOwnBatch);
    EXPECT_EQ(job.optionItem, QStringLiteral("0 - Manter os arquivos existentes no BKP ANTERIOR."));
    EXPECT_EQ(job.exclusions, QString());
    EXPECT_EQ(job.lastArchive, QString());
    EXPECT_EQ(job.lastRunDate, QString());
    EXPECT_EQ(job.lastRunTime, QString());
    // Without a batch file of its own the batch text stays as it was.
    EXPECT_EQ(job.batchText, QStringLiteral("REM kept"));
    EXPECT_TRUE(shown->messages.isEmpty());
    EXPECT_TRUE(prefix.read(jobParFile(kDataDir, 0)).isEmpty()) << "loading writes nothing";
}

TEST_F(Jobs, SavingANewJobWritesItsTwentyOneLines)
{
    BackupJob job = loaded(QStringLiteral("00"));
    ASSERT_TRUE(saveJob(job, kDataDir));

    QStringList expected = {QStringLiteral("0 - Diário")};
    for (int n = 2; n <= 9; ++n)
        expected << "#";
    expected << QStringLiteral("NSN") + QString(17, u' ') << QStringLiteral("0 - Diário") << "*.*"
             << kSystemDir << "E:\\VLDRBKPA"
             << "BKP00";
    for (int n = 16; n <= 20; ++n)
        expected << "#";
    expected << QStringLiteral("0 - Manter os arquivos existentes no BKP ANTERIOR.");
    EXPECT_EQ(fileLines(0), expected);
    // The window shows the title it stored.
    EXPECT_EQ(job.title, QStringLiteral("0 - Diário"));
    EXPECT_TRUE(shown->messages.isEmpty());
}

TEST_F(Jobs, SavingKeepsTheLinesTheWindowDoesNotOwn)
{
    QStringList lines;
    for (int n = 1; n <= 25; ++n)
        lines << QStringLiteral("line %1").arg(n);
    lines[kJobFlagsLine - 1] = QStringLiteral("NNSxyz");
    writeJob(4, lines);

    BackupJob job = loaded(QStringLiteral("04"));
    job.title = QStringLiteral("Contabilidade");
    job.active = true;
    job.subdirectories = false;
    job.runsOwnBatch = false;
    job.period = QStringLiteral("3 - Semanal");
    ASSERT_TRUE(saveJob(job, kDataDir));

    const QStringList saved = fileLines(4);
    ASSERT_EQ(saved.size(), 25);
    for (int n : {2, 3, 4, 5, 6, 7, 8, 9, 18, 22, 23, 24, 25})
        EXPECT_EQ(saved.at(n - 1), QStringLiteral("line %1").arg(n)) << "line " << n;
    EXPECT_EQ(saved.at(kJobTitleLine - 1), QStringLiteral("Contabilidade"));
    // Positions 4 to 20 of the flags are kept as found, filled to 20.
    EXPECT_EQ(saved.at(kJobFlagsLine - 1), QStringLiteral("SNNxyz") + QString(14, u' '));
    EXPECT_EQ(saved.at(kJobPeriodLine - 1), QStringLiteral("3 - Semanal"));
    EXPECT_EQ(saved.at(kJobBaseNameLine - 1), QStringLiteral("BKP04"));
}

TEST_F(Jobs, TheFlagsLineIsAlwaysTwentyCharacters)
{
    writeJob(1, {"T", "", "", "", "", "", "", "", "", "SSS4567890123456789012345"});
    BackupJob job = loaded(QStringLiteral("01"));
    EXPECT_TRUE(job.active);
    EXPECT_TRUE(job.subdirectories);
    EXPECT_TRUE(job.runsOwnBatch);
    job.runsOwnBatch = false;
    ASSERT_TRUE(saveJob(job, kDataDir));
    EXPECT_EQ(fileLines(1).at(kJobFlagsLine - 1), QStringLiteral("SSN45678901234567890"));
}

TEST_F(Jobs, FlagsAreReadPositionByPosition)
{
    struct Case
    {
        const char* flags;
        bool active, subdirs, ownBatch;
    };
    const Case cases[] = {
        {"", false, true, false},    // no flags line: subdirectories on
        {"S", true, true, false},    // blank second position reads as on
        {"SN", true, false, false},  //
        {"N S", false, true, true},  //
        {"sss", false, false, false} // only a capital S is yes
    };
    for (const Case& c : cases) {
        writeJob(2, {"T", "", "", "", "", "", "", "", "", QString::fromLatin1(c.flags)});
        const BackupJob job = loaded(QStringLiteral("02"));
        EXPECT_EQ(job.active, c.active) << '"' << c.flags << '"';
        EXPECT_EQ(job.subdirectories, c.subdirs) << '"' << c.flags << '"';
        EXPECT_EQ(job.runsOwnBatch, c.ownBatch) << '"' << c.flags << '"';
    }
}

// Paths come in capitals, as the window gives them to "Executar".
TEST_F(Jobs, LoadRepairsDestinationAndBaseNameAndKeepsTheRest)
{
    writeJob(5, {"Fiscal",
                 "",
                 "",
                 "",
                 "",
                 "",
                 "",
                 "",
                 "",
                 "S",
                 "5 - Mensal",
                 "*.DB *.MB",
                 "c:\\dados",
                 "d:\\meus bkp",
                 "OUTRO",
                 "*.ARJ",
                 "d:\\meus_bkp\\BKP05_02_MENSAL.ARJ",
                 "kept",
                 "05/03/26",
                 "14:07:09",
                 "1 - Limpar o arquivo de BKP antes de atualizar."});
    BackupJob job = loaded(QStringLiteral("05"));
    EXPECT_EQ(job.title, QStringLiteral("Fiscal"));
    EXPECT_EQ(job.period, QStringLiteral("5 - Mensal"));
    EXPECT_EQ(job.masks, QStringLiteral("*.DB *.MB"));
    EXPECT_EQ(job.source, QStringLiteral("C:\\DADOS"));
    EXPECT_EQ(job.destination, QStringLiteral("D:\\MEUS_BKP"));
    EXPECT_EQ(job.archiveBaseName, QStringLiteral("BKP05"));
    EXPECT_EQ(job.exclusions, QStringLiteral("*.ARJ"));
    EXPECT_EQ(job.lastArchive, QStringLiteral("D:\\MEUS_BKP\\BKP05_02_MENSAL.ARJ"));
    EXPECT_EQ(job.lastRunDate, QStringLiteral("05/03/26"));
    EXPECT_EQ(job.lastRunTime, QStringLiteral("14:07:09"));
    EXPECT_EQ(job.optionItem, QStringLiteral("1 - Limpar o arquivo de BKP antes de atualizar."));

    ASSERT_TRUE(saveJob(job, kDataDir));
    const QStringList saved = fileLines(5);
    EXPECT_EQ(saved.at(kJobDestinationLine - 1), QStringLiteral("D:\\MEUS_BKP"));
    EXPECT_EQ(saved.at(kJobBaseNameLine - 1), QStringLiteral("BKP05"));
    EXPECT_EQ(saved.at(17), QStringLiteral("kept"));
}

TEST_F(Jobs, AnEmptyTitleIsSavedAsThePeriodText)
{
    BackupJob job = loaded(QStringLiteral("06"));
    job.period = QStringLiteral("4 - Quinzenal");
    ASSERT_TRUE(saveJob(job, kDataDir));
    EXPECT_EQ(job.title, QStringLiteral("4 - Quinzenal"));
    EXPECT_EQ(fileLines(6).first(), QStringLiteral("4 - Quinzenal"));
}

TEST_F(Jobs, RecordingARunStampsArchiveDateAndTime)
{
    prefix.clock().set(QDateTime(QDate(2026, 3, 5), QTime(14, 7, 9)));
    BackupJob job = loaded(QStringLiteral("03"));
    job.title = QStringLiteral("Semanal");
    job.active = true;
    ASSERT_TRUE(recordRun(job, kDataDir, QStringLiteral("D:\\VLDRBKPA\\BKP03_04_DIARIO.ARJ")));

    EXPECT_EQ(job.lastArchive, QStringLiteral("D:\\VLDRBKPA\\BKP03_04_DIARIO.ARJ"));
    EXPECT_EQ(job.lastRunDate, QStringLiteral("05/03/26"));
    EXPECT_EQ(job.lastRunTime, QStringLiteral("14:07:09"));
    const QStringList saved = fileLines(3);
    ASSERT_EQ(saved.size(), 21);
    EXPECT_EQ(saved.at(kJobLastArchiveLine - 1),
              QStringLiteral("D:\\VLDRBKPA\\BKP03_04_DIARIO.ARJ"));
    EXPECT_EQ(saved.at(kJobLastDateLine - 1), QStringLiteral("05/03/26"));
    EXPECT_EQ(saved.at(kJobLastTimeLine - 1), QStringLiteral("14:07:09"));
    // Everything else is saved as it stands.
    EXPECT_EQ(saved.at(kJobTitleLine - 1), QStringLiteral("Semanal"));
    EXPECT_EQ(saved.at(kJobFlagsLine - 1).left(3), QStringLiteral("SSN"));
}

// Every write fails, however the disk is.
class RefusedWrites : public test::ForwardingPlatform
{
public:
    bool writeFile(const QString&, const QByteArray&) override { return false; }
};

TEST_F(Jobs, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas)
{
    writeJob(2, {"Antigo", "#", "#", "#", "#", "#", "#", "#", "#", "SSN"});
    const QByteArray before = prefix.read(jobParFile(kDataDir, 2));
    BackupJob job = loaded(QStringLiteral("02"));
    job.title = QStringLiteral("Novo");
    {
        test::ScopedPlatform<RefusedWrites> refused;
        EXPECT_FALSE(saveJob(job, kDataDir));
        EXPECT_FALSE(recordRun(job, kDataDir, QStringLiteral("D:\\X.ARJ")));
    }
    EXPECT_EQ(prefix.read(jobParFile(kDataDir, 2)), before);
    ASSERT_FALSE(shown->messages.isEmpty());
    EXPECT_EQ(shown->messages.last(),
              QStringLiteral("(GBF_WRITE) - ERRO na tentativa de GRAVAR o Arquivo: ") +
                  jobParFile(kDataDir, 2));

    // On the real disk: a directory where the job file should be.
    prefix.mkdir(jobParFile(kDataDir, 3));
    job.numberText = QStringLiteral("03");
    EXPECT_FALSE(saveJob(job, kDataDir));
    EXPECT_TRUE(QFileInfo(prefix.host(jobParFile(kDataDir, 3))).isDir());
}

TEST_F(Jobs, NumbersAboveFiftyAreNeverReadOrWritten)
{
    writeJob(0, {"zero"});
    BackupJob job;
    job.numberText = QStringLiteral("51");
    job.title = QStringLiteral("untouched");
    EXPECT_FALSE(loadJob(job, kDataDir, kSystemDir));
    EXPECT_EQ(job.title, QStringLiteral("untouched"));
    EXPECT_FALSE(saveJob(job, kDataDir));
    EXPECT_FALSE(recordRun(job, kDataDir, QStringLiteral("D:\\X.ARJ")));
    EXPECT_TRUE(prefix.read(kDataDir + QStringLiteral("\\VD_BKPA_51.PAR")).isEmpty());
}

TEST_F(Jobs, TheListHasFiftyOneItemsNumberedFromZero)
{
    writeJob(0, {"Diário geral"});
    writeJob(3, {"Fiscal - Notas - 2026"});
    writeJob(50, {"Último"});
    const QStringList items = jobListItems(kDataDir);
    ASSERT_EQ(items.size(), kJobCount);
    EXPECT_EQ(items.at(0), QStringLiteral("00 - Diário geral"));
    EXPECT_EQ(items.at(1), QStringLiteral("01 - "));
    EXPECT_EQ(items.at(3), QStringLiteral("03 - Fiscal - Notas - 2026"));
    EXPECT_EQ(items.at(50), QStringLiteral("50 - Último"));
    for (int n = 0; n < items.size(); ++n)
        EXPECT_TRUE(items.at(n).startsWith(jobNumberText(n) + " - ")) << n;
    EXPECT_TRUE(prefix.read(kDataDir + QStringLiteral("\\VD_BKPA_51.PAR")).isEmpty());
}

TEST_F(Jobs, TheJobsOwnBatchReplacesTheBatchTextOnLoad)
{
    prefix.write(jobBatFile(kDataDir, 7), "@ECHO OFF\r\nREM Ações\xE7\r\nCOPY A B\r\n");
    BackupJob job;
    job.numberText = QStringLiteral("07");
    job.batchText = QStringLiteral("old text");
    ASSERT_TRUE(loadJob(job, kDataDir, kSystemDir));
    EXPECT_EQ(job.batchText.section(u'\n', 0, 0), QStringLiteral("@ECHO OFF"));
    EXPECT_EQ(job.batchText.section(u'\n', 2), QStringLiteral("COPY A B\n"));
}

TEST(BatchText, RoundTripsThroughTheFileWithCrLf)
{
    EXPECT_EQ(batchFileBytes(QStringLiteral("A\nB")), QByteArray("A\r\nB\r\n"));
    EXPECT_EQ(batchFileBytes(QStringLiteral("A\nB\n")), QByteArray("A\r\nB\r\n"));
    EXPECT_EQ(batchFileBytes(QStringLiteral("A\n\nB")), QByteArray("A\r\n\r\nB\r\n"));
    EXPECT_EQ(batchFileBytes(QString()), QByteArray());
    EXPECT_EQ(batchFileBytes(QStringLiteral("É")), QByteArray("\xC9\r\n"));
    EXPECT_EQ(batchTextFromFile("A\r\nB\rC\nD"), QStringLiteral("A\nB\nC\nD"));
    EXPECT_EQ(batchFileBytes(batchTextFromFile("X\r\n\r\nY\r\n")), QByteArray("X\r\n\r\nY\r\n"));
}

TEST_F(Jobs, SavingTheBatchTextReplacesTheJobsBatchFile)
{
    prefix.write(jobBatFile(kDataDir, 8), "OLD\r\nOLDER\r\n");
    ASSERT_TRUE(saveJobBatch(kDataDir, 8, QStringLiteral("@ECHO OFF\nCD \\")));
    EXPECT_EQ(prefix.read(jobBatFile(kDataDir, 8)), QByteArray("@ECHO OFF\r\nCD \\\r\n"));
    EXPECT_EQ(readJobBatch(kDataDir, 8), QStringLiteral("@ECHO OFF\nCD \\\n"));
    EXPECT_EQ(readJobBatch(kDataDir, 9), std::nullopt);
}

} // namespace
} // namespace navlor

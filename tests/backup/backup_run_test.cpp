#include "backup/backup_pass.h"
#include "backup/backup_run.h"

#include "backup/backup_log.h"
#include "backup/job_batch_text.h"
#include "backup/schedule.h"
#include "lib/param_store.h"
#include "lib/platform/interruption.h"
#include "tests/backup/backup_fakes.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QElapsedTimer>
#include <QFile>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kExampleLine =
    QStringLiteral(R"(C:\NAVLOR\ARJ.EXE A "D:\VLDRBKPA\BKP00_04_DIARIO.ARJ" "C:\DADOS"  )"
                   R"(*.DB *.MB *.FDB *.GDB -U -R   -X*.ARJ -X*_.EXE)");
const QString kArchive = QStringLiteral("D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ");

BackupJob exampleJob()
{
    BackupJob job;
    job.numberText = QStringLiteral("00");
    job.title = QStringLiteral("Dados da empresa");
    job.active = true;
    job.subdirectories = true;
    job.period = QStringLiteral("0 - Diário");
    job.masks = QStringLiteral("*.DB *.MB *.FDB *.GDB");
    job.source = QStringLiteral("C:\\DADOS");
    job.destination = QStringLiteral("D:\\VLDRBKPA");
    job.archiveBaseName = QStringLiteral("BKP00");
    job.exclusions = QStringLiteral("*.ARJ *_.EXE");
    job.optionItem = optionItems().at(0);
    return job;
}

class BackupRun : public ::testing::Test
{
protected:
    BackupRun()
    {
        prefix.mkdir(console.data);
        prefix.mkdir("C:\\VALDOROW");
        prefix.mkdir("C:\\DADOS");
        prefix.addDrive('d');
        prefix.write("C:\\NAVLOR\\ARJ.EXE", "archiver");
        platform->archive = kArchive;
    }

    QByteArray jobFile(int number) const { return prefix.read(jobParFile(console.data, number)); }
    QStringList jobLines(int number) const
    {
        return fromAnsi(jobFile(number)).split(QStringLiteral("\r\n"));
    }
    bool exists(const QString& path) const { return navlor::platform().fileExists(path); }
    // Writes the file with the given modification time.
    void writeAged(const QString& path, const QDateTime& modified) const
    {
        prefix.write(path, path.toLatin1());
        QFile file(prefix.host(path));
        ASSERT_TRUE(file.open(QIODevice::Append));
        ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }

    test::TempPrefix prefix;
    test::ScopedDialogs shown;
    test::ScopedPlatform<test::FakeArchiver> platform;
    test::FakeConsole console;
};

// ---- the command line --------------------------------------------------------------------

TEST_F(BackupRun, ExampleJobWritesTheDocumentedLineToBkpaBatAndRunsIt)
{
    EXPECT_EQ(backupCommandLine("C:\\NAVLOR\\ARJ.EXE", "", kArchive, exampleJob()), kExampleLine);

    BackupJob job = exampleJob();
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(platform->runs, QStringList{"D:\\VLDRBKPA\\BKPA.BAT"});
    EXPECT_EQ(prefix.read("D:\\VLDRBKPA\\BKPA.BAT"), toAnsi(kExampleLine) + "\r\n");
    EXPECT_EQ(job.batchText, kExampleLine);
}

TEST_F(BackupRun, DestinationEndingInItsSeparatorGivesOnePathForBatchAndArchive)
{
    BackupJob job = exampleJob();
    job.destination += u'\\';
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(platform->runs, QStringList{"D:\\VLDRBKPA\\BKPA.BAT"});
    EXPECT_EQ(job.batchText, kExampleLine);
    EXPECT_EQ(job.lastArchive, kArchive);
}

TEST_F(BackupRun, BlankMasksAndExclusionsAndSubdirectoriesShapeTheLineEnd)
{
    BackupJob job = exampleJob();
    job.masks = QStringLiteral("   ");
    job.exclusions.clear();
    EXPECT_TRUE(backupCommandLine("ARJ.EXE", "", kArchive, job)
                    .endsWith(QStringLiteral(R"("C:\DADOS"  -U -R )")));

    job.subdirectories = false;
    EXPECT_TRUE(backupCommandLine("ARJ.EXE", "", kArchive, job)
                    .endsWith(QStringLiteral(R"("C:\DADOS"  -U )")));

    // blanks only: one blank more and no switch
    job.exclusions = QStringLiteral("   ");
    EXPECT_TRUE(backupCommandLine("ARJ.EXE", "", kArchive, job)
                    .endsWith(QStringLiteral(R"("C:\DADOS"  -U  )")));

    // masks are passed as typed; two blanks between exclusions give a bare -X
    job.masks = QStringLiteral(" *.DB ");
    job.exclusions = QStringLiteral(" *.ARJ  *.TMP ");
    EXPECT_TRUE(backupCommandLine("ARJ.EXE", "", kArchive, job)
                    .endsWith(QStringLiteral(R"("C:\DADOS"   *.DB  -U   -X*.ARJ -X -X*.TMP)")));
    EXPECT_EQ(exclusionSwitches(QStringLiteral("*.ARJ *_.EXE")), " -X*.ARJ -X*_.EXE");
    EXPECT_EQ(exclusionSwitches(QStringLiteral(" \t ")), QString());
}

TEST_F(BackupRun, ArchiverOptionIsGluedToTheArchiveInsideTheQuotes)
{
    EXPECT_TRUE(
        backupCommandLine("C:\\NAVLOR\\ARJ.EXE", "-HF1", kArchive, exampleJob())
            .startsWith(QStringLiteral(
                R"(C:\NAVLOR\ARJ.EXE A "-HF1D:\VLDRBKPA\BKP00_04_DIARIO.ARJ" "C:\DADOS" )")));

    prefix.write("C:\\VALDORO\\NAVLOR\\NAV_LOR", "#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n"
                                                 "SSN                 \r\n-HF2\r\n");
    EXPECT_EQ(readArchiverOption(console.data), "-HF2");
    BackupJob job = exampleJob();
    runJob(job, readArchiverOption(console.data), console);
    EXPECT_TRUE(fromAnsi(prefix.read("D:\\VLDRBKPA\\BKPA.BAT"))
                    .contains(QStringLiteral(R"( A "-HF2D:\VLDRBKPA\BKP00_04_DIARIO.ARJ" )")));
}

// ---- finding the archiver ----------------------------------------------------------------

struct SearchCase
{
    const char* name;
    QStringList present;    // ARJ.EXE files of the machine (the program's own one removed)
    const char* expected;   // the archiver used, empty when none
    const char* copiedFrom; // the file copied next to the program, or empty
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.name;
}

class ArchiverSearch : public BackupRun, public ::testing::WithParamInterface<SearchCase>
{
};

TEST_P(ArchiverSearch, FollowsTheInstallationThenTheSystemThenTheFileSearch)
{
    const SearchCase& c = GetParam();
    ASSERT_TRUE(navlor::platform().deleteFile("C:\\NAVLOR\\ARJ.EXE"));
    for (const QString& path : c.present)
        prefix.write(path, path.toLatin1()); // each file holds its own name

    const QString found = locateArchiver(console);
    EXPECT_EQ(found, QString::fromLatin1(c.expected));
    if (*c.copiedFrom)
        EXPECT_EQ(prefix.read("C:\\NAVLOR\\ARJ.EXE"), QByteArray(c.copiedFrom));
    else
        EXPECT_FALSE(exists("C:\\NAVLOR\\ARJ.EXE"));

    const bool searched = !console.searches.isEmpty();
    EXPECT_EQ(searched, console.messages.contains("Localizando programa ARJ.EXE"));
    if (found.isEmpty()) {
        const QString failure =
            "Não foi possivel LOCALIZAR o programa ARJ.EXE - BKP Diário CANCELADO";
        EXPECT_EQ(console.messages.last(), failure);
        EXPECT_EQ(shown->messages, QStringList{failure});
    } else {
        EXPECT_TRUE(shown->messages.isEmpty());
    }
}

const QString kHome = QStringLiteral("C:\\NAVLOR\\ARJ.EXE");

INSTANTIATE_TEST_SUITE_P(
    Order, ArchiverSearch,
    ::testing::Values(
        SearchCase{"installation EXE before the others",
                   {"C:\\VALDOROW\\EXE\\ARJ.EXE", "C:\\VLDRBKP\\ARJ.EXE", "C:\\ARJ.EXE"},
                   "C:\\NAVLOR\\ARJ.EXE",
                   "C:\\VALDOROW\\EXE\\ARJ.EXE"},
        SearchCase{"VLDRBKP on the system drive before the one in the system directory",
                   {"C:\\VALDOROW\\VLDRBKP\\ARJ.EXE", "C:\\VLDRBKP\\ARJ.EXE"},
                   "C:\\NAVLOR\\ARJ.EXE",
                   "C:\\VLDRBKP\\ARJ.EXE"},
        SearchCase{"VLDRBKP in the system directory",
                   {"C:\\VALDOROW\\VLDRBKP\\ARJ.EXE", "C:\\WINDOWS\\ARJ.EXE"},
                   "C:\\NAVLOR\\ARJ.EXE",
                   "C:\\VALDOROW\\VLDRBKP\\ARJ.EXE"},
        SearchCase{"system copies are used where they are",
                   {"C:\\WINDOWS\\SYSTEM\\ARJ.EXE", "C:\\WINDOWS\\ARJ.EXE"},
                   "C:\\WINDOWS\\ARJ.EXE",
                   ""},
        SearchCase{"root of C: first of the system copies",
                   {"C:\\WINDOWS\\ARJ.EXE", "C:\\ARJ.EXE"},
                   "C:\\ARJ.EXE",
                   ""},
        SearchCase{"the file search over the system directory is the last resort",
                   {"C:\\VALDOROW\\TOOLS\\OLD\\ARJ.EXE", "C:\\OUTRO\\ARJ.EXE"},
                   "C:\\NAVLOR\\ARJ.EXE",
                   "C:\\VALDOROW\\TOOLS\\OLD\\ARJ.EXE"},
        SearchCase{"nowhere", {"C:\\OUTRO\\ARJ.EXE"}, "", ""}));

TEST_F(BackupRun, ArchiverNextToTheProgramIsUsedWithoutLookingFurther)
{
    // an older one in the installation is not taken
    writeAged("C:\\VALDOROW\\EXE\\ARJ.EXE", QDateTime::currentDateTime().addYears(-1));
    EXPECT_EQ(locateArchiver(console), kHome);
    EXPECT_EQ(prefix.read(kHome), "archiver");
    EXPECT_TRUE(console.searches.isEmpty());
}

TEST_F(BackupRun, ACopyNextToTheProgramIsRefreshedFromANewerInstalledArchiver)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString home = "C:\\NAVLOR\\ARJ.EXE";
    const QString installed = "C:\\VALDOROW\\EXE\\ARJ.EXE";
    writeAged(home, now.addDays(-10));
    writeAged(installed, now.addDays(-20)); // older: the copy stays
    EXPECT_EQ(locateArchiver(console), home);
    EXPECT_EQ(prefix.read(home), home.toLatin1());

    writeAged(installed, now.addDays(-1)); // upgraded since the copy was made
    EXPECT_EQ(locateArchiver(console), home);
    EXPECT_EQ(prefix.read(home), installed.toLatin1());
    EXPECT_EQ(fileStamp(home), fileStamp(installed));
    EXPECT_EQ(locateArchiver(console), home); // and then it is the same
}

TEST_F(BackupRun, MissingArchiverEndsTheRunWithoutTouchingTheJob)
{
    ASSERT_TRUE(navlor::platform().deleteFile(kHome));
    BackupJob job = exampleJob();
    ASSERT_TRUE(saveJob(job, console.data));
    const QByteArray before = jobFile(0);

    EXPECT_EQ(runJob(job, "", console), RunResult::ArchiverMissing);
    EXPECT_TRUE(platform->runs.isEmpty());
    EXPECT_FALSE(exists("D:\\VLDRBKPA\\BKPA.BAT"));
    EXPECT_EQ(jobFile(0), before);
}

// ---- destination and source --------------------------------------------------------------

TEST_F(BackupRun, MissingDestinationIsCreatedOnceWithoutWaiting)
{
    BackupJob job = exampleJob();
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_TRUE(navlor::platform().directoryExists("D:\\VLDRBKPA"));
    EXPECT_EQ(platform->fakeClock().sleptMilliseconds(), 0);
    EXPECT_TRUE(platform->executed.isEmpty());
}

TEST_F(BackupRun, UnreachableDestinationIsRetriedOnTheClockAndAskedAboutEvery31Rounds)
{
    BackupJob job = exampleJob();
    job.destination = QStringLiteral("Q:\\VLDRBKPA");
    ASSERT_TRUE(saveJob(job, console.data));
    const QByteArray before = jobFile(0);
    shown->confirmAnswers = {true, false};

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(runJob(job, "", console), RunResult::DestinationGivenUp);

    // two prompts, each after 31 rounds of two seconds of the fake clock
    EXPECT_EQ(platform->fakeClock().sleptMilliseconds(), 2 * 31 * 2000);
    EXPECT_LT(elapsed.elapsed(), 20000); // virtual time: nowhere near the two minutes
    const QString question = "Não foi possivel CRIAR/GRAVAR no diretório de Destino, ou o Terminal "
                             "da rede não está Conectado - Q:\\VLDRBKPA - Tentar novamente ?";
    EXPECT_EQ(shown->confirmations, QStringList({question, question}));
    EXPECT_EQ(shown->confirmCaptions.first(), "ERRO NO DIRETÓRIO DE DESTINO");
    EXPECT_EQ(platform->executed.size(), 62);
    EXPECT_EQ(platform->executed.first(), "Q:\\AAAA.EXE");
    EXPECT_EQ(console.messages.last(),
              "Não foi possivel CRIAR o diretório de Destino - Q:\\VLDRBKPA");
    EXPECT_TRUE(shown->messages.isEmpty()); // given up without an OK box
    EXPECT_TRUE(platform->runs.isEmpty());
    EXPECT_EQ(jobFile(0), before);
}

TEST_F(BackupRun, DestinationThatAnswersAfterAFewKnocksIsUsed)
{
    BackupJob job = exampleJob();
    job.destination = QStringLiteral("Q:\\VLDRBKPA");
    platform->archive = QStringLiteral("Q:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ");
    // the network drive wakes up at the third knock
    platform->onExec = [this](int knocks) {
        if (knocks == 3) {
            prefix.addDrive('q');
            prefix.mkdir("Q:\\VLDRBKPA");
        }
    };
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(platform->fakeClock().sleptMilliseconds(), 3 * 2000);
    EXPECT_TRUE(shown->confirmations.isEmpty());
}

TEST_F(BackupRun, MissingSourceIsPostedAndShownAndNothingRuns)
{
    BackupJob job = exampleJob();
    job.numberText = QStringLiteral("07");
    job.source = QStringLiteral("C:\\NAO_HA");
    EXPECT_EQ(runJob(job, "", console), RunResult::SourceMissing);
    const QString text = "Não foi possivel LOCALIZAR o diretório de Origem - BKP CANCELADO - "
                         "C:\\NAO_HA   - 07";
    EXPECT_EQ(console.messages, QStringList{text});
    EXPECT_EQ(shown->messages, QStringList{text});
    EXPECT_FALSE(exists("D:\\VLDRBKPA\\BKPA.BAT"));
    EXPECT_FALSE(exists(jobParFile(console.data, 7)));
}

// ---- the run -----------------------------------------------------------------------------

TEST_F(BackupRun, SuccessfulRunPostsItsMessagesAndStampsTheJobFile)
{
    BackupJob job = exampleJob();
    platform->fakeClock().set(QDateTime(QDate(2026, 3, 5), QTime(23, 4, 5)));
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(console.messages, QStringList({"Executando BKP (00) - _DIARIO - Dados da empresa",
                                             "BKP Concluído (00)"}));
    const QStringList lines = jobLines(0);
    EXPECT_EQ(lines.at(16), kArchive);
    EXPECT_EQ(lines.at(18), "05/03/26");
    EXPECT_EQ(lines.at(19), "23:04:05");
    EXPECT_EQ(job.lastArchive, kArchive);
    EXPECT_EQ(job.lastRunDate, "05/03/26");
}

TEST_F(BackupRun, OptionOneStartsANewArchiveAndOptionZeroUpdatesTheOldOne)
{
    prefix.write(kArchive, "old archive");
    BackupJob job = exampleJob();
    runJob(job, "", console);
    EXPECT_EQ(platform->archiveExistedAtRun, QList<bool>{true});
    EXPECT_TRUE(prefix.read(kArchive).startsWith("old archive"));

    job.optionItem = optionItems().at(1);
    runJob(job, "", console);
    EXPECT_EQ(platform->archiveExistedAtRun, QList<bool>({true, false}));
    EXPECT_FALSE(prefix.read(kArchive).contains("old archive"));

    // no archive yet: nothing to delete, the run goes on
    ASSERT_TRUE(navlor::platform().deleteFile(kArchive));
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
}

TEST_F(BackupRun, StaleBkpaBatIsReplacedByTheNewLine)
{
    prefix.write("D:\\VLDRBKPA\\BKPA.BAT", "ECHO stale\r\nECHO lines\r\n");
    BackupJob job = exampleJob();
    runJob(job, "", console);
    EXPECT_EQ(platform->batches.first(), kExampleLine + "\r\n");
}

TEST_F(BackupRun, BatExecuteRunsTheJobsOwnBatchAndRecordsTheComputedArchive)
{
    BackupJob job = exampleJob();
    job.runsOwnBatch = true;
    saveJobBatch(console.data, 0, "XCOPY C:\\DADOS D:\\COPIA\nREM fim\n");
    platform->writesArchive = false; // the own batch makes no archive of ours

    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(platform->runs, QStringList{"C:\\VALDORO\\NAVLOR\\VD_BKPA_00.BAT"});
    EXPECT_EQ(prefix.read("D:\\VLDRBKPA\\BKPA.BAT"), toAnsi(kExampleLine) + "\r\n");
    EXPECT_EQ(job.batchText, "XCOPY C:\\DADOS D:\\COPIA\nREM fim\n");
    EXPECT_EQ(jobLines(0).at(16), kArchive);

    // no batch of its own: the runner is still called with its path, which cannot start, so
    // nothing is recorded
    ASSERT_TRUE(navlor::platform().deleteFile(jobBatFile(console.data, 0)));
    job.lastArchive.clear();
    platform->exitCode = -1;
    EXPECT_EQ(runJob(job, "", console), RunResult::BatchFailed);
    EXPECT_EQ(platform->runs.last(), "C:\\VALDORO\\NAVLOR\\VD_BKPA_00.BAT");
    EXPECT_EQ(job.batchText, QString());
    EXPECT_EQ(job.lastArchive, QString());
}

TEST_F(BackupRun, ArchiveNotWrittenIsReportedAndTheJobStaysDue)
{
    BackupJob job = exampleJob();
    ASSERT_TRUE(saveJob(job, console.data));
    const QByteArray before = jobFile(0);
    platform->writesArchive = false;

    EXPECT_EQ(runJob(job, "", console), RunResult::ArchiveNotWritten);
    EXPECT_EQ(console.messages.last(), "ERRO - ARQUIVO DE BKP NÃO GERADO - " + kArchive);
    EXPECT_FALSE(console.messages.contains("BKP Concluído (00)"));
    EXPECT_EQ(jobFile(0), before);
    EXPECT_TRUE(isDue(job.period, QDate(2026, 3, 5), job.lastRunDate));

    // an old archive brought up to date is a success
    prefix.write(kArchive, "last month");
    platform->writesArchive = true;
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(jobLines(0).at(18), "05/03/26");
}

// Each way a run can fail: nothing recorded, the failure on the message line and in the log.
TEST_F(BackupRun, FailuresAreLoggedAndNeverRecorded)
{
    struct Case
    {
        const char* name;
        std::function<void(BackupJob&)> arrange;
        RunResult result;
        QString message; // the last one posted
        int batchRuns;
        QString logged; // the log line after "BKP 00 ERRO "
    };
    const QString notWritten = "ERRO - ARQUIVO DE BKP NÃO GERADO - " + kArchive;
    const std::vector<Case> cases{
        {"redirection in the masks",
         [](BackupJob& job) { job.masks = "*.DB >C:\\VALDORO\\NAVLOR\\NAV_LOR"; },
         RunResult::FieldRefused, "ERRO - BKP (00) - caractere inválido em Tipo de Arquivos: >", 0,
         "- - caractere inválido em Tipo de Arquivos: >"},
        {"pipe in the exclusions", [](BackupJob& job) { job.exclusions = "*.ARJ|X"; },
         RunResult::FieldRefused, "ERRO - BKP (00) - caractere inválido em Excluir as Extensões: |",
         0, "- - caractere inválido em Excluir as Extensões: |"},
        {"percent in the destination", [](BackupJob& job) { job.destination = "D:\\%TEMP%"; },
         RunResult::FieldRefused, "ERRO - BKP (00) - caractere inválido em Destino: %", 0,
         "- - caractere inválido em Destino: %"},
        {"read-only BKPA.BAT",
         [this](BackupJob&) {
             prefix.write("D:\\VLDRBKPA\\BKPA.BAT", "DEL C:\\*.*\r\n");
             QFile::setPermissions(prefix.host("D:\\VLDRBKPA\\BKPA.BAT"), QFile::ReadOwner);
         },
         RunResult::BatchNotWritten,
         "ERRO - BKP (00) - não foi possível gravar D:\\VLDRBKPA\\BKPA.BAT", 0,
         kArchive + " - não foi possível gravar D:\\VLDRBKPA\\BKPA.BAT"},
        {"archive the verdict refuses", [this](BackupJob&) { platform->writesArchive = false; },
         RunResult::ArchiveNotWritten, notWritten, 1, kArchive + " - arquivo de BKP inexistente"},
        {"archiver ended at the ceiling", [this](BackupJob&) { platform->exitCode = kRunTimedOut; },
         RunResult::ArchiveNotWritten,
         "ERRO - BKP (00) - tempo máximo do arquivador esgotado (60 min)", 1,
         kArchive + " - tempo máximo do arquivador esgotado (60 min)"},
        {"own batch that fails",
         [this](BackupJob& job) {
             job.runsOwnBatch = true;
             saveJobBatch(console.data, 0, "XCOPY C:\\DADOS D:\\COPIA\n");
             platform->exitCode = 4;
         },
         RunResult::BatchFailed, "ERRO - BKP (00) - o BAT do BKP terminou com erro (código 4)", 1,
         kArchive + " - o BAT do BKP terminou com erro (código 4)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform->writesArchive = true;
        platform->exitCode = 0;
        platform->runs.clear();
        console.messages.clear();
        navlor::platform().deleteFile(kArchive);
        BackupJob job = exampleJob();
        ASSERT_TRUE(saveJob(job, console.data));
        const QByteArray before = jobFile(0);
        c.arrange(job);

        EXPECT_EQ(runJob(job, "", console), c.result);
        EXPECT_EQ(console.messages.last(), c.message);
        EXPECT_EQ(platform->runs.size(), c.batchRuns);
        EXPECT_EQ(jobFile(0), before);
        const QString log = fromAnsi(prefix.read(backupLogPath(console.data)));
        EXPECT_TRUE(log.endsWith(" BKP 00 ERRO " + c.logged + "\r\n")) << log.toStdString();
        QFile::setPermissions(prefix.host("D:\\VLDRBKPA\\BKPA.BAT"),
                              QFile::ReadOwner | QFile::WriteOwner);
    }
}

TEST_F(BackupRun, RecordedRunIsLoggedAndBoundedByTheCeiling)
{
    BackupJob job = exampleJob();
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(fromAnsi(prefix.read(backupLogPath(console.data))),
              "05/03/26 10:00:00 BKP 00 OK " + kArchive + "\r\n");
    EXPECT_EQ(platform->ceilings, QList<int>{3600});
    EXPECT_EQ(console.verifications, QList<bool>{true});

    // an own batch that wrote the archive of the run has it tested, not listed
    job.runsOwnBatch = true;
    job.lastRunDate.clear();
    EXPECT_EQ(runJob(job, "", console), RunResult::Recorded);
    EXPECT_EQ(console.verifications, QList<bool>({true, false}));
}

// ---- executing and the pass --------------------------------------------------------------

TEST_F(BackupRun, ExecuteRunsOnlyActiveJobsThatAreDue)
{
    BackupJob job = exampleJob();
    job.active = false;
    EXPECT_EQ(executeJob(job, "", console, true), RunResult::NotActive);
    EXPECT_EQ(shown->messages, QStringList{"O BKP Atual não está ativo"});
    EXPECT_EQ(executeJob(job, "", console, false), RunResult::NotActive);
    EXPECT_EQ(shown->messages.size(), 1);

    job.active = true;
    job.lastRunDate = QStringLiteral("05/03/26"); // today
    EXPECT_EQ(executeJob(job, "", console, true), RunResult::NotDue);
    EXPECT_TRUE(platform->runs.isEmpty());

    job.lastRunDate = QStringLiteral("05/02/26"); // the same day number a month ago
    EXPECT_EQ(executeJob(job, "", console, true), RunResult::Recorded);
    EXPECT_EQ(platform->runs.size(), 1);

    // "Executar" asks about a job that is not due; OK runs it as a due one, recorded.
    job.lastRunDate = QStringLiteral("05/03/26");
    shown->confirmAnswers = {false, true};
    platform->fakeClock().sleep(60000);
    EXPECT_EQ(executeJob(job, "", console, true, true), RunResult::NotDue);
    EXPECT_EQ(platform->runs.size(), 1);
    EXPECT_EQ(executeJob(job, "", console, true, true), RunResult::Recorded);
    EXPECT_EQ(platform->runs.size(), 2);
    EXPECT_EQ(shown->confirmations,
              QStringList(2, "BKP (00) não está programado para hoje. Executar assim mesmo?"));
    const std::optional<ParamFile> stamped = readParamFile(jobParFile(console.data, 0));
    ASSERT_TRUE(stamped);
    EXPECT_EQ((*stamped)[kJobLastTimeLine], "10:01:00");
    EXPECT_EQ((*stamped)[kJobLastArchiveLine], kArchive);

    // A last run after today runs the job, and says why.
    job.lastRunDate = QStringLiteral("01/01/31");
    console.messages.clear();
    EXPECT_EQ(executeJob(job, "", console, true), RunResult::Recorded);
    const QString said = QStringLiteral("ATENÇÃO - BKP (00) - data da última execução no futuro");
    EXPECT_EQ(console.messages.value(0), said);
    EXPECT_TRUE(fromAnsi(prefix.read(console.data + "\\NAVLOR.LOG")).contains(said));
}

class Pass : public BackupRun
{
protected:
    void saveActive(int number, bool active)
    {
        BackupJob job = exampleJob();
        job.numberText = jobNumberText(number);
        job.archiveBaseName = "BKP" + job.numberText;
        job.title = "Job " + job.numberText;
        job.active = active;
        ASSERT_TRUE(saveJob(job, console.data));
    }
};

TEST_F(Pass, RunsActiveJobsInNumberOrderAndSkipsTheOthersSilently)
{
    saveActive(3, true);
    saveActive(0, true);
    saveActive(1, false);
    platform->archive.clear();
    // every run writes the archive its batch names
    platform->onRun = [this](const QString& batch) {
        const QString line = fromAnsi(prefix.read(batch));
        const QString archive = line.section(u'"', 1, 1);
        prefix.write(archive, "ARJ");
    };
    BackupJob window;
    runAllActiveJobs(window, "", console);

    EXPECT_EQ(console.messages,
              QStringList({"Verificando BKP Automático", "Executando BKP (00) - _DIARIO - Job 00",
                           "BKP Concluído (00)", "Executando BKP (03) - _DIARIO - Job 03",
                           "BKP Concluído (03)"}));
    EXPECT_TRUE(exists("D:\\VLDRBKPA\\BKP03_04_DIARIO.ARJ"));
    EXPECT_EQ(jobLines(3).at(16), "D:\\VLDRBKPA\\BKP03_04_DIARIO.ARJ");
    EXPECT_FALSE(fromAnsi(jobFile(1)).contains("BKP01_04_DIARIO"));
    EXPECT_EQ(window.numberText, "03");
    EXPECT_TRUE(console.shownJobs.contains("00"));
}

TEST_F(Pass, CountsAndLogsItsJobsAndIgnoresAForeignArchiverOption)
{
    saveActive(0, true);
    saveActive(3, true);
    BackupJob broken = exampleJob();
    broken.numberText = "05";
    broken.active = true;
    broken.source = "C:\\NAO_HA";
    ASSERT_TRUE(saveJob(broken, console.data));
    ParamFile consoleFile;
    consoleFile[11] = "-HF2 & DEL C:\\*.*";
    ASSERT_TRUE(writeParamFile(console.data + "\\NAV_LOR", consoleFile));
    platform->archive.clear();
    platform->onRun = [this](const QString& batch) {
        prefix.write(fromAnsi(prefix.read(batch)).section(u'"', 1, 1), "ARJ");
    };
    BackupJob window;
    {
        UnattendedBoxes unattended;
        const PassResult result =
            runAllActiveJobs(window, readArchiverOption(console.data), console);
        EXPECT_EQ(result.ok, 2);
        EXPECT_EQ(result.failed, 1);
    }
    EXPECT_EQ(console.messages.filter("opção do ARJ").size(), 1);
    const QString ignored = console.messages.value(1);
    EXPECT_EQ(ignored, QStringLiteral("ATENÇÃO - opção do ARJ inválida na linha 11 de NAV_LOR "
                                      "ignorada: -HF2 & DEL C:\\*.*"));
    EXPECT_FALSE(platform->batches.join("").contains("DEL"));
    EXPECT_EQ(shown->messageSeconds, QList<int>{kUnattendedBoxSeconds});
    const QStringList log =
        fromAnsi(prefix.read(backupLogPath(console.data))).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(log.size(), 6);
    EXPECT_TRUE(log.first().endsWith(" INICIO BKP AUTOMATICO"));
    EXPECT_TRUE(log.at(2).endsWith(" BKP 00 OK D:\\VLDRBKPA\\BKP00_04_DIARIO.ARJ"));
    EXPECT_TRUE(log.at(4).contains(" BKP 05 ERRO - - Não foi possivel LOCALIZAR"));
    EXPECT_TRUE(log.last().endsWith(" FIM BKP AUTOMATICO - 2 OK, 1 ERRO"));
}

// The whole start-up pass as the service and the main window run it, with no window at all.
TEST_F(Pass, BackupPassGivesItsMessagesAndTheExitStatus)
{
    const struct
    {
        bool installation;
        QString job; // "" none, "ok", "broken" (its source is missing)
        bool stop;
        int exitStatus;
        QStringList messages; // the first ones
        bool skipped;
    } cases[] = {
        {false, "ok", false, 2, {}, false},
        {true, "", false, 2, {"ERRO - nenhum BKP configurado em " + console.data}, false},
        {true, "ok", true, 0, {}, true},
        {true,
         "ok",
         false,
         0,
         {"Verificando BKP Automático", "Executando BKP (00) - _DIARIO - Job 00"},
         false},
        {true, "broken", false, 1, {"Verificando BKP Automático"}, false},
    };
    platform->archive.clear();
    platform->onRun = [this](const QString& batch) {
        prefix.write(fromAnsi(prefix.read(batch)).section(u'"', 1, 1), "ARJ");
    };
    for (const auto& c : cases) {
        navlor::platform().deleteFile(jobParFile(console.data, 0));
        if (!c.job.isEmpty()) {
            BackupJob job = exampleJob();
            job.title = "Job 00";
            if (c.job == "broken")
                job.source = "C:\\NAO_HA";
            ASSERT_TRUE(saveJob(job, console.data));
        }
        const ConsoleState state{console.program, "C:\\WINDOWS",
                                 c.installation ? console.system : "**", console.data};
        PassHooks hooks;
        hooks.stopRequested = [&] { return c.stop; };
        BackupPass pass(state, hooks);
        QStringList messages;
        bool skipped = false;
        QObject::connect(&pass, &BackupPass::message,
                         [&](const QString& text) { messages << text; });
        QObject::connect(&pass, &BackupPass::backupSkipped, [&] { skipped = true; });
        pass.run(true);
        EXPECT_EQ(pass.exitStatus(), c.exitStatus) << c.job.toStdString();
        EXPECT_EQ(messages.mid(0, c.messages.size()), c.messages);
        EXPECT_EQ(messages.isEmpty(), c.messages.isEmpty()) << messages.join('\n').toStdString();
        EXPECT_EQ(skipped, c.skipped);
    }
}

TEST_F(Pass, StopTickedDuringAJobKeepsTheNextFromStarting)
{
    saveActive(0, true);
    saveActive(3, true);
    console.onMessage = [this](const QString& text) {
        if (text.startsWith("BKP Concluído"))
            console.stop = true;
    };
    BackupJob window;
    runAllActiveJobs(window, "", console);
    EXPECT_EQ(platform->runs.size(), 1);
    EXPECT_TRUE(console.messages.contains("BKP Concluído (00)"));
    EXPECT_FALSE(console.messages.join('\n').contains("(03)"));
}

TEST_F(Pass, StopAlreadyTickedRunsNothingAndPostsNothing)
{
    saveActive(0, true);
    console.stop = true;
    BackupJob window;
    runAllActiveJobs(window, "", console);
    EXPECT_TRUE(console.messages.isEmpty());
    EXPECT_TRUE(platform->runs.isEmpty());
}

// "Cancelar" while the batch runs: the run fails on the cancel, stamps nothing and leaves the
// archive that was there as it was.
TEST_F(BackupRun, CancelledRunFailsAndRecordsNothing)
{
    for (const bool ownBatch : {false, true}) {
        BackupJob job = exampleJob();
        job.runsOwnBatch = ownBatch;
        if (ownBatch) {
            ASSERT_TRUE(saveJobBatch(console.data, 0, "ARJ A X"));
        }
        prefix.write(kArchive, "ARJ old archive");
        platform->writesArchive = false; // ended before it wrote
        console.messages.clear();
        CancelRequest cancel;
        platform->onRun = [&](const QString&) { cancel.cancel(); };
        EXPECT_EQ(runJob(job, "", console), RunResult::Cancelled) << ownBatch;
        EXPECT_EQ(console.messages.last(), "ERRO - BKP (00) - cancelado pelo operador");
        EXPECT_EQ(prefix.read(kArchive), "ARJ old archive");
        EXPECT_TRUE(job.lastRunDate.isEmpty());
        EXPECT_TRUE(job.lastArchive.isEmpty());
        EXPECT_TRUE(jobFile(0).isEmpty()); // never written
        EXPECT_TRUE(fromAnsi(prefix.read(console.data + "\\NAVLOR.LOG"))
                        .contains("cancelado pelo operador"));
        EXPECT_TRUE(runFailed(RunResult::Cancelled));
    }
}

} // namespace
} // namespace navlor

#include "backup/backup_log.h"

#include "backup/backup_job.h"
#include "lib/ansi_text.h"
#include "lib/param_store.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace navlor {
namespace {

const QString kData = QStringLiteral("C:\\VALDORO\\NAVLOR");
const QString kLog = kData + "\\NAVLOR.LOG";
const QString kOld = kData + "\\NAVLOR.OLD";

QByteArray ok(const char* date, const char* job)
{
    return QByteArray(date) + " 22:00:00 BKP " + job + " OK D:\\B\\X.ARJ\r\n";
}

class BackupLogTest : public ::testing::Test
{
protected:
    BackupLogTest()
    {
        prefix.mkdir(kData);
        prefix.clock().set({QDate(2026, 3, 5), QTime(10, 0, 0)});
    }
    // Puts exactly these logs in place; an empty text: no such file.
    void logs(const QByteArray& old, const QByteArray& log) const
    {
        for (const auto& [path, bytes] : {std::pair{kOld, old}, std::pair{kLog, log}}) {
            QFile::remove(prefix.host(path));
            if (!bytes.isEmpty())
                prefix.write(path, bytes);
        }
    }

    test::TempPrefix prefix;
    test::ScopedDialogs shown;
};

TEST_F(BackupLogTest, LinesAreStampedAndAppendedInWindows1252WithCrLf)
{
    EXPECT_EQ(backupLogPath(kData), kLog);
    EXPECT_EQ(backupOldLogPath(kData), kOld);
    logs("", "01/03/26 08:00:00 revis\xE3o"); // typed by hand, no line end
    BackupLog log(kData);
    EXPECT_TRUE(log.passStarted());
    EXPECT_TRUE(log.jobOk("3", "D:\\B\\BKP03_04_DIARIO.ARJ"));
    EXPECT_TRUE(log.jobError("07", "D:\\B\\BKP07.ARJ", "ATENÇÃO"));
    EXPECT_TRUE(log.jobError("50", "", "linha\r\nquebrada"));
    EXPECT_TRUE(log.note("Linha de opção ignorada"));
    prefix.clock().set({QDate(2026, 12, 31), QTime(23, 59, 58)});
    EXPECT_TRUE(log.passEnded(2, 1));
    EXPECT_EQ(prefix.read(kLog),
              "01/03/26 08:00:00 revis\xE3o\r\n"
              "05/03/26 10:00:00 INICIO BKP AUTOMATICO\r\n"
              "05/03/26 10:00:00 BKP 03 OK D:\\B\\BKP03_04_DIARIO.ARJ\r\n"
              "05/03/26 10:00:00 BKP 07 ERRO D:\\B\\BKP07.ARJ - ATEN\xC7\xC3O\r\n"
              "05/03/26 10:00:00 BKP 50 ERRO - - linha  quebrada\r\n"
              "05/03/26 10:00:00 Linha de op\xE7\xE3o ignorada\r\n"
              "31/12/26 23:59:58 FIM BKP AUTOMATICO - 2 OK, 1 ERRO\r\n");
}

TEST_F(BackupLogTest, AFullLogBecomesTheOldOneBeforeTheNextLine)
{
    for (const qsizetype size : {kBackupLogLimit - 1, kBackupLogLimit, kBackupLogLimit + 5}) {
        const QByteArray full = QByteArray(size - 2, 'a') + "\r\n";
        logs("older\r\n", full);
        EXPECT_TRUE(BackupLog(kData).note("x"));
        const bool rotated = size >= kBackupLogLimit;
        EXPECT_EQ(prefix.read(kLog), (rotated ? "" : full) + "05/03/26 10:00:00 x\r\n") << size;
        EXPECT_EQ(prefix.read(kOld), rotated ? full : "older\r\n") << size;
    }
}

TEST_F(BackupLogTest, LastValidBackupIsTheLastOkOfTheJobInTheLogThenTheOldLog)
{
    logs(ok("10/02/26", "07") + ok("11/02/26", "03"),
         ok("01/03/26", "03") + ok("02/03/26", "03") + ok("03/03/26", "04") +
             "03/03/26 22:00:00 BKP 03 ERRO D:\\B\\X.ARJ - falhou\r\nlixo\r\n\r\n\x1A"
             "04/03/26 BKP 03 OK sem hora\r\n32/13/26 22:00:00 BKP 03 OK\r\n"
             "04/03/26 25:00:00 BKP 03 OK\r\n04/03/26 22:00:00 BKP 03 OKAY\r\n"
             "04/03/26 22:00:00 NOTA BKP 03 OK\r\n04/03/26 22:00:00 BKP 03");
    const std::pair<QString, std::optional<QDate>> rows[] = {
        {"03", QDate(2026, 3, 2)}, {"04", QDate(2026, 3, 3)}, {"07", QDate(2026, 2, 10)},
        {"08", std::nullopt},      {"51", std::nullopt},
    };
    for (const auto& [number, date] : rows)
        EXPECT_EQ(lastValidBackup(kData, number), date) << number.toStdString();
}

TEST_F(BackupLogTest, WarnsOfActiveJobsWithoutAValidCopyForLongerThanTheirPeriod)
{
    const QString warning = QStringLiteral("ATENÇÃO - BKP (%1) sem cópia válida desde %2");
    const QByteArray never = "23/02/26 21:00:00 BKP 12 ERRO - - falhou\r\n" + ok("04/03/26", "01");
    const struct
    {
        const char* what;
        const char* job; // lines 10 and 11 of job 12: flags, period
        QByteArray old, log;
        const char* since; // the date warned about; none: no warning
    } rows[] = {
        {"daily, yesterday", "S\r\n0 - Di\xE1rio", "", ok("04/03/26", "12"), nullptr},
        {"daily, 2 days", "S\r\n0", "", ok("03/03/26", "12"), "03/03/26"},
        {"weekly, 7 days", "SSN\r\n3 - Semanal", "", ok("26/02/26", "12"), nullptr},
        {"weekly, 8 days", "SSN\r\n3", "", ok("25/02/26", "12"), "25/02/26"},
        {"inactive", "NSN\r\n0", "", ok("01/01/26", "12"), nullptr},
        {"other code", "S\r\n7", "", ok("01/01/26", "12"), nullptr},
        {"never, log began 10 days ago", "S\r\n0", "", never, "23/02/26"},
        {"never, old log first", "S\r\n0", "lixo\r\n" + ok("01/01/26", "01"), never, "01/01/26"},
        {"copy in the old log", "S\r\n3", ok("01/03/26", "12"), never, nullptr},
        {"no log", "S\r\n0", "", "", nullptr},
    };
    for (const auto& row : rows) {
        prefix.write(jobParFile(kData, 12),
                     "#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n" + QByteArray(row.job));
        logs(row.old, row.log);
        EXPECT_EQ(overdueWarnings(kData, QDate(2026, 3, 5)),
                  row.since ? QStringList{warning.arg("12", row.since)} : QStringList{})
            << row.what;
    }
    // two jobs warned about, in job order; job 03 was never copied since the log began
    logs("", ok("01/03/26", "12"));
    prefix.write(jobParFile(kData, 3), "T\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\n#\r\nS\r\n0\r\n");
    EXPECT_EQ(overdueWarnings(kData, QDate(2026, 3, 5)),
              (QStringList{warning.arg("03", "01/03/26"), warning.arg("12", "01/03/26")}));
}

TEST_F(BackupLogTest, NoLineGoesIntoADirectoryOrThroughALink)
{
    EXPECT_FALSE(BackupLog("C:\\NAO\\EXISTE").passStarted());

    // a directory where the log goes takes nothing
    logs("", "");
    ASSERT_TRUE(QDir().mkpath(prefix.host(kLog)));
    EXPECT_FALSE(BackupLog(kData).jobOk("00", "D:\\B\\X.ARJ"));
    ASSERT_TRUE(QDir().rmdir(prefix.host(kLog)));

    // a link where the log goes: the file it names stays as it was, a new log starts
    prefix.write("C:\\ALVO.TXT", "root only\r\n");
    ASSERT_TRUE(QFile::link(prefix.host("C:\\ALVO.TXT"), prefix.host(kLog)));
    EXPECT_TRUE(BackupLog(kData).note("x"));
    EXPECT_EQ(prefix.read("C:\\ALVO.TXT"), "root only\r\n");
    EXPECT_FALSE(QFileInfo(prefix.host(kLog)).isSymLink());
    const QByteArray started = prefix.read(kLog);
    EXPECT_TRUE(started.startsWith("05/03/26 10:00:00 x\r\n")) << started.constData();
    EXPECT_TRUE(started.contains("link no lugar do log removido")) << started.constData();
}

TEST_F(BackupLogTest, TheLastPassThatEndedWithFailedJobsIsNamedUntilOneEndsWell)
{
    const QByteArray failing = "07/12/26 07:00:00 INICIO BKP AUTOMATICO\r\n"
                               "07/12/26 07:00:05 BKP 00 OK D:\\B\\X.ARJ\r\n"
                               "07/12/26 07:00:09 BKP 04 ERRO - - origem\r\n"
                               "07/12/26 07:00:12 BKP 07 ERRO D:\\B\\Y.ARJ - teste\r\n"
                               "07/12/26 07:00:13 FIM BKP AUTOMATICO - 1 OK, 2 ERRO\r\n";
    const QString said = QString::fromUtf8(
        "ATENÇÃO - último BKP automático com erro em 07/12/26: BKP (04), BKP (07)");
    struct Case
    {
        const char* name;
        QByteArray log;
        std::optional<QString> expected;
    };
    const QList<Case> cases{
        {"no log", {}, std::nullopt},
        {"failed jobs named", failing, said},
        {"a run of \"Executar\" afterwards changes nothing", failing + ok("08/12/26", "04"), said},
        {"a pass that never ended is not the last one",
         failing + "08/12/26 07:00:00 INICIO BKP AUTOMATICO\r\n", said},
        {"a later good pass",
         failing + "08/12/26 07:00:00 INICIO BKP AUTOMATICO\r\n08/12/26 07:00:10 FIM BKP "
                   "AUTOMATICO - 3 OK, 0 ERRO\r\n",
         std::nullopt},
    };
    for (const Case& c : cases) {
        logs("", c.log);
        EXPECT_EQ(lastPassFailure(kData), c.expected) << c.name;
    }
}

} // namespace
} // namespace navlor

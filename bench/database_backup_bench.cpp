// One due job over live databases run the whole way, as the program runs it: a Firebird
// database of about 200 MB that a client keeps writing through the local server, and about
// 100 MB of Paradox tables. The job freezes the database (nbackup -L), runs BKPA.BAT through
// navlor-cmd and navlor-arj, thaws it (nbackup -N), archives again what changed, has the
// archiver test and list the archive, and opens every database again from it (extracted beside
// the archive, nbackup -F, gfix -v -full, each table read with pxlib). Against it: plain
// "arj a" of the same files while the same client writes.
//
//   database_backup_bench [rounds]
//
// The two are run alternately, each round starting with the other, so both see the same load;
// prints the best time of each and the ratio job / arj (target <= 1.6), then where the job's
// time goes, each step run on its own. Needs root or a running local Firebird server; without
// one it says why and measures nothing.

#include "backup/archive_verdict.h"
#include "backup/backup_job.h"
#include "backup/backup_run.h"
#include "backup/schedule.h"
#include "backup/test_restore.h"
#include "bench/backup_bench_support.h"
#include "lib/databases/database_tools.h"
#include "lib/databases/firebird_tools.h"
#include "lib/dates.h"
#include "lib/platform/clock.h"
#include "lib/platform/platform.h"
#include "lib/program_start.h"
#include "tests/support/firebird_server.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace navlor;

constexpr double kTarget = 1.6;
const QString kSource = QStringLiteral("C:\\VALDOROW\\DADOS");
const QString kDatabase = QStringLiteral("C:\\VALDOROW\\DADOS\\FB\\VALDORO.FDB");
const QString kDestination = QStringLiteral("D:\\VLDRBKPA");
const QString kMasks = QStringLiteral("*.FDB *.DB *.MB *.PX");
const QString kArchiver = QStringLiteral("C:\\NAVLOR\\ARJ.EXE");

// The sample's own rows first, for tables and indexes as a client's database has them; then
// sales with a long note each, which fill the file to the size wanted far faster than more
// sample rows would (a second for 30 MB against six).
constexpr int kSampleRows = 200000;
constexpr qint64 kDatabaseBytes = 200000000;
constexpr qint64 kNoteRowBytes = 1450; // what one such sale adds, measured

struct Table
{
    const char* path; // in the source
    int rows;
    bool indexed;
    bool memo;
};
// About 100 MB: two with memo files, which hold most of the bytes, some in a subdirectory.
constexpr Table kTables[] = {
    {"CLIENTES.DB", 100000, true, true},
    {"VENDAS.DB", 120000, true, false},
    {"LOJA2\\PRODUTOS.DB", 50000, true, true},
    {"LOJA2\\ESTOQUE.DB", 30000, false, false},
};

[[noreturn]] void fail(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::exit(1);
}

double secondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// The program's and its children's console output goes to /dev/null while this lives, where
// plain arj's goes, so neither pays for a terminal.
class QuietStdout
{
public:
    QuietStdout()
    {
        std::fflush(stdout);
        m_saved = ::dup(STDOUT_FILENO);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
    ~QuietStdout()
    {
        ::dup2(m_saved, STDOUT_FILENO);
        ::close(m_saved);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int m_saved = -1;
};

struct Ran
{
    bool ok = false;
    QString output;
};

Ran runTool(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted())
        return {false, program + QStringLiteral(" could not be started")};
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0,
            QString::fromLocal8Bit(process.readAll())};
}

qint64 makeTables(const bench::BenchPrefix& prefix)
{
    qint64 bytes = 0;
    for (const Table& table : kTables) {
        const QString path = prefix.host(kSource + u'\\' + QLatin1String(table.path));
        QDir().mkpath(QFileInfo(path).path());
        QStringList arguments{QStringLiteral("write"), path, QString::number(table.rows)};
        if (table.indexed)
            arguments << QStringLiteral("--index");
        if (table.memo)
            arguments << QStringLiteral("--memo");
        const Ran made = runTool(QStringLiteral(NAVLOR_SAMPLE_TABLES_BINARY), arguments);
        if (!made.ok)
            fail(QStringLiteral("cannot write ") + path + u'\n' + made.output);
        const QString base = path.chopped(3);
        for (const char* extension : {".DB", ".MB", ".PX"})
            bytes += QFileInfo(base + QLatin1String(extension)).size();
    }
    return bytes;
}

// Sales with a note of sixteen order lines, each line different, through the server, until the
// file is about kDatabaseBytes.
void growDatabase(const QString& canonicalPath)
{
    const qint64 rows = (kDatabaseBytes - QFileInfo(canonicalPath).size()) / kNoteRowBytes;
    if (rows <= 0)
        return;
    const QString sql = QStringLiteral(R"(SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE I INTEGER = 1;
  DECLARE J INTEGER;
  DECLARE T VARCHAR(4000);
BEGIN
  WHILE (I <= %1) DO BEGIN
    T = '';
    J = 1;
    WHILE (J <= 16) DO BEGIN
      T = T || 'Item ' || J || ' do pedido ' || :I || ': produto ' || MOD(:I * 31 + J * 17, %3) ||
          ' qtd ' || MOD(:I + J * 7, 50) || ' x ' || (MOD(:I * 101 + J * 13, 100000) / 100.00) ||
          ', entrega em ' ||
          DECODE(MOD(:I + J, 4), 0, 'Sao Paulo', 1, 'Florianopolis', 2, 'Maringa', 'Goiania') || '; ';
      J = J + 1;
    END
    INSERT INTO VENDAS (ID, CLIENTE, PRODUTO, QUANTIDADE, VALOR, DATA, OBS)
      VALUES (1000000 + :I, 1 + MOD(:I, %2), 1 + MOD(:I, %3), 1 + MOD(:I, 9),
              MOD(:I * 101, 100000) / 100.00, DATEADD(-MOD(:I, 720) DAY TO DATE '2024-12-31'), :T);
    I = I + 1;
  END
END^
SET TERM ; ^
COMMIT;
)")
                            .arg(rows)
                            .arg(kSampleRows / 5)   // the sample's customers
                            .arg(kSampleRows / 10); // and products
    QTemporaryDir scratch;
    const QString script = scratch.filePath(QStringLiteral("grow.sql"));
    QFile file(script);
    if (!scratch.isValid() || !file.open(QIODevice::WriteOnly) ||
        file.write(sql.toUtf8()) != sql.toUtf8().size())
        fail(QStringLiteral("cannot write the script that grows the database"));
    file.close();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const auto credentials = firebirdCredentials(environment);
    if (!credentials)
        fail(QStringLiteral("no Firebird credentials"));
    environment.insert(QStringLiteral("ISC_USER"), credentials->user);
    environment.insert(QStringLiteral("ISC_PASSWORD"), credentials->password);
    const Ran grown = runTool(QStringLiteral("isql-fb"),
                              {QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("-i"),
                               script, QStringLiteral("localhost:") + canonicalPath},
                              environment);
    if (!grown.ok || grown.output.contains(QLatin1String("SQLSTATE")))
        fail(QStringLiteral("cannot grow the database: ") + grown.output);
}

void saveBenchJob()
{
    BackupJob job;
    loadJob(job, bench::kDataDir, bench::kSystemDir);
    job.title = QStringLiteral("Bancos");
    job.active = true;
    job.subdirectories = true;
    job.period = periodItems().first();
    job.optionItem = optionItems().at(1); // a fresh archive every run
    job.masks = kMasks;
    job.source = kSource;
    job.destination = kDestination;
    job.exclusions.clear();
    if (!saveJob(job, bench::kDataDir))
        fail(QStringLiteral("cannot write the job"));
}

QString jobArchivePath()
{
    BackupJob job;
    loadJob(job, bench::kDataDir, bench::kSystemDir);
    return archiveName(job.period, today(), job.destination, job.archiveBaseName).path;
}

// Where a run stands, from what it asks of the console: the databases are frozen when it shows
// the job before the batch, the batch and the thaw are over when it asks for the verdict, and
// the test restore follows the verdict.
class TimedConsole : public bench::BenchConsole
{
public:
    TimedConsole() { m_clock.start(); }
    void jobChanged(const BackupJob& job) override
    {
        BenchConsole::jobChanged(job);
        if (frozenAt < 0)
            frozenAt = now();
    }
    ArchiveVerdict verifyArchive(const QString& archiver, const QString& archivePath,
                                 const BackupJob& job, int ceiling, bool checkListing,
                                 const std::optional<QList<SelectedFile>>& expected) override
    {
        verdictFrom = now();
        const ArchiveVerdict verdict = BackupConsole::verifyArchive(
            archiver, archivePath, job, ceiling, checkListing, expected);
        verdictTo = now();
        return verdict;
    }
    bool testRestoreWanted() override
    {
        restoreFrom = now();
        return BackupConsole::testRestoreWanted();
    }
    double now() const { return m_clock.nsecsElapsed() / 1e9; }

    double frozenAt = -1;
    double verdictFrom = -1;
    double verdictTo = -1;
    double restoreFrom = -1;

private:
    QElapsedTimer m_clock;
};

struct JobTimes
{
    double total = 0;
    double toFrozen = 0;     // checks, selection, nbackup -L
    double batchAndThaw = 0; // BKPA.BAT, nbackup -N, changed files archived again
    double verdict = 0;      // T and V
    double testRestore = 0;  // X, nbackup -F, gfix, pxlib
};

JobTimes runTheJob(const QString& archive)
{
    BackupJob job;
    loadJob(job, bench::kDataDir, bench::kSystemDir);
    TimedConsole console;
    RunResult result;
    {
        QuietStdout quiet;
        result = runJob(job, QString(), console);
    }
    const double end = console.now();
    if (result != RunResult::Recorded || !platform().fileExists(archive))
        fail(QStringLiteral("the job did not run (result %1):\n").arg(static_cast<int>(result)) +
             console.messages.join(u'\n'));
    if (console.frozenAt < 0 || console.verdictFrom < 0 || console.restoreFrom < 0)
        fail(QStringLiteral("the job skipped a step:\n") + console.messages.join(u'\n'));
    return {end, console.frozenAt, console.verdictFrom - console.frozenAt,
            console.verdictTo - console.verdictFrom, end - console.restoreFrom};
}

// arj a of the same files from the root of C:, as an operator would type it; seconds. The
// job's masks select every file of the source, and "*.*" stands for them: Debian's arj recurses
// only into the first of several wildcards and fails the others.
double runPlainArj(const bench::BenchPrefix& prefix, const QString& archive)
{
    return bench::timePlainArjAdd(prefix,
                                  {archive, QStringLiteral("-i"), QStringLiteral("-y"),
                                   QStringLiteral("-r"), QStringLiteral("VALDOROW/DADOS/*.*")});
}

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

int runArchiver(const QString& line, int ceiling)
{
    QByteArray output;
    return platform().runBounded(line, ShowMode::Hide, {ceiling, &output, {}, {}});
}

void printStep(const char* what, double seconds)
{
    std::printf("  %-48s %7.3f s\n", what, seconds);
}

// The job's steps one after the other, each timed on its own, over a fresh archive; then the
// host arj's test and extraction of plain arj's archive, the yardstick for the archiver's.
void breakDown(const bench::BenchPrefix& prefix, const QString& archive, const QString& database,
               int databases, const QString& plainArchive)
{
    bench::BenchConsole console;
    const int ceiling = console.archiverCeilingSeconds();
    DatabaseTools& tools = databaseTools();
    const QString batch = kDestination + QStringLiteral("\\BKPA.BAT");
    bench::clearArchive(prefix.host(archive));
    std::printf("where the job's time goes, each step alone:\n");

    DatabaseOutcome frozen;
    printStep("nbackup -L (freeze)", secondsOf([&] { frozen = tools.freezeFirebird(database); }));
    if (!frozen.ok)
        fail(QStringLiteral("freeze: ") + frozen.reason);
    int code = 0;
    printStep("BKPA.BAT: navlor-cmd, navlor-arj A", secondsOf([&] {
                  QuietStdout quiet;
                  code = runBatchJudged(batch, ceiling);
              }));
    DatabaseOutcome thawed;
    printStep("nbackup -N (thaw)", secondsOf([&] { thawed = tools.thawFirebird(database); }));
    if (code != 0 || !thawed.ok)
        fail(QStringLiteral("batch %1, thaw: %2").arg(code).arg(thawed.reason));
    const QString archiveCommand = quoted(kArchiver) + QStringLiteral(" %1 ") + quoted(archive);
    printStep("navlor-arj T (test)", secondsOf([&] {
                  code = runArchiver(archiveCommand.arg(QStringLiteral("T")), ceiling);
              }));
    printStep("navlor-arj V (listing)", secondsOf([&] {
                  code |= runArchiver(archiveCommand.arg(QStringLiteral("V")), ceiling);
              }));
    if (code != 0)
        fail(QStringLiteral("the archiver's test or listing failed"));

    TestRestoreOutcome restored;
    printStep("test restore, whole (testRestore)", secondsOf([&] {
                  restored = testRestore(kArchiver, archive, kDestination, kSource.left(2), ceiling,
                                         databases);
              }));
    if (!restored.ok)
        fail(QStringLiteral("test restore: ") + restored.file + u' ' + restored.reason);

    // The same restore taken apart.
    QTemporaryDir work(prefix.host(kDestination) + QStringLiteral("/PARTS-XXXXXX"));
    const QString target = platform().fromHostPath(work.path());
    printStep("  navlor-arj X of the databases", secondsOf([&] {
                  code = runArchiver(quoted(kArchiver) + QStringLiteral(" X ") + quoted(archive) +
                                         u' ' + quoted(target + u'\\') + u' ' +
                                         testRestoreMasks().join(u' ') + QStringLiteral(" -Y"),
                                     ceiling);
              }));
    if (code != 0)
        fail(QStringLiteral("extraction failed"));
    QStringList found;
    for (QDirIterator walk(work.path(), QDir::Files, QDirIterator::Subdirectories); walk.hasNext();)
        found << walk.next();
    found.sort();
    double paradox = 0;
    for (const QString& host : std::as_const(found)) {
        const QString name = host.mid(work.path().size() + 1);
        if (host.endsWith(QLatin1String(".FDB"), Qt::CaseInsensitive)) {
            DatabaseOutcome fixed;
            DatabaseOutcome valid;
            printStep("  nbackup -F (fix up the frozen copy)",
                      secondsOf([&] { fixed = tools.fixUpFirebird(host); }));
            printStep("  gfix -v -full", secondsOf([&] { valid = tools.validateFirebird(host); }));
            if (!fixed.ok || !valid.ok)
                fail(name + QStringLiteral(": ") + fixed.reason + valid.reason);
        } else if (host.endsWith(QLatin1String(".DB"), Qt::CaseInsensitive)) {
            DatabaseOutcome read;
            const double seconds = secondsOf([&] { read = tools.checkParadoxTable(host); });
            paradox += seconds;
            std::printf("  %-48s %7.3f s\n", qPrintable(QStringLiteral("  pxlib reads ") + name),
                        seconds);
            if (!read.ok)
                fail(name + QStringLiteral(": ") + read.reason);
        }
    }
    printStep("  pxlib, every table", paradox);

    // What the host's arj takes for the same reading of plain arj's archive.
    std::printf("for comparison, Debian's arj on the plain archive:\n");
    QTemporaryDir unpacked(prefix.host(kDestination) + QStringLiteral("/PLAIN-XXXXXX"));
    for (const QStringList& arguments :
         {QStringList{QStringLiteral("t"), plainArchive, QStringLiteral("-i")},
          QStringList{QStringLiteral("x"), plainArchive, unpacked.path() + u'/',
                      QStringLiteral("-y"), QStringLiteral("-i")}}) {
        Ran ran;
        printStep(arguments.first() == QLatin1String("t") ? "arj t (test)" : "arj x (extract all)",
                  secondsOf([&] { ran = runTool(bench::hostArj(), arguments); }));
        if (!ran.ok)
            fail(QStringLiteral("arj ") + arguments.first() + QStringLiteral(" failed: ") +
                 ran.output);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    if (rounds < 1)
        fail(QStringLiteral("usage: database_backup_bench [rounds]"));
    if (const QString why = test::ensureFirebirdServer(); !why.isEmpty()) {
        std::printf("not measured: %s\n", qPrintable(why));
        return 0;
    }
    qputenv("NAVLOR_CMD", NAVLOR_CMD_BINARY);

    bench::BenchPrefix prefix(QDateTime(QDate::currentDate(), QTime(10, 0)));
    // The pauses before changed files are archived again must be real ones, as in the program.
    platform().setClock(std::make_unique<SystemClock>());
    prefix.addDrive('d');
    prefix.mkdir(kDestination);
    prefix.link(QStringLiteral(NAVLOR_ARJ_BINARY), kArchiver);
    saveBenchJob();
    if (!bench::BenchConsole().testRestoreWanted())
        fail(QStringLiteral("the console does not want the test restore"));

    // The server's own path to the database: Firebird would read "c:" of the prefix as a host.
    const QString fbDirectory = prefix.host(kDatabase.section(u'\\', 0, -2));
    QDir().mkpath(fbDirectory);
    const QString database =
        QFileInfo(fbDirectory).canonicalFilePath() + u'/' + kDatabase.section(u'\\', -1);
    QString error;
    const double madeIn = secondsOf([&] {
        if (!test::createFirebirdDatabase(database, kSampleRows, &error))
            fail(QStringLiteral("cannot create the database: ") + error);
    });
    const double grownIn = secondsOf([&] { growDatabase(database); });
    if (const QString why = test::makeServerReachable(QFileInfo(database).path()); !why.isEmpty())
        fail(why);
    std::printf("database: %.1f MB, made in %.1f s (%d sample rows) + %.1f s (sales with notes)\n",
                QFileInfo(database).size() / 1e6, madeIn, kSampleRows, grownIn);
    qint64 tableBytes = 0;
    const double tablesIn = secondsOf([&] { tableBytes = makeTables(prefix); });
    std::printf("Paradox tables: %.1f MB in %d tables, made in %.1f s\n", tableBytes / 1e6,
                static_cast<int>(std::size(kTables)), tablesIn);

    const int seconds = 1200 + rounds * 600;
    test::FirebirdWriter writer(database, seconds);
    if (!writer.start())
        fail(QStringLiteral("the writer did not start: ") + writer.output());
    auto writerAlive = [&] {
        if (writer.isRunning())
            return;
        (void)writer.waitForEnd(); // for what it said
        fail(QStringLiteral("the writer ended early: ") + writer.output());
    };

    const QString plainHost = prefix.host(kDestination) + QStringLiteral("/PLAIN.ARJ");
    QString jobArchive;
    double bestJob = 0;
    double bestPlain = 0;
    JobTimes bestTimes;
    for (int round = 1; round <= rounds; ++round) {
        jobArchive = jobArchivePath();
        double plain = 0;
        JobTimes job;
        const bool plainFirst = round % 2;
        if (plainFirst) {
            bench::clearArchive(plainHost);
            plain = runPlainArj(prefix, plainHost);
        }
        bench::clearArchive(prefix.host(jobArchive));
        job = runTheJob(jobArchive);
        if (!plainFirst) {
            bench::clearArchive(plainHost);
            plain = runPlainArj(prefix, plainHost);
        }
        writerAlive();
        std::printf("round %d: arj a %.3f s, job %.3f s (to frozen %.3f, batch+thaw %.3f, "
                    "test+listing %.3f, test restore %.3f)\n",
                    round, plain, job.total, job.toFrozen, job.batchAndThaw, job.verdict,
                    job.testRestore);
        std::fflush(stdout);
        if (round == 1 || job.total < bestJob) {
            bestJob = job.total;
            bestTimes = job;
        }
        bestPlain = round == 1 ? plain : std::min(bestPlain, plain);
    }

    const std::optional<QByteArray> batch =
        platform().readFile(kDestination + QStringLiteral("\\BKPA.BAT"));
    std::printf("BKPA.BAT: %s", batch ? batch->constData() : "(missing)\n");
    const QString jobHost = prefix.host(jobArchive);
    std::printf("entries: arj %d, job %d; archives: arj %lld bytes, job %lld bytes\n",
                bench::archiveEntries(plainHost), bench::archiveEntries(jobHost),
                QFileInfo(plainHost).size(), QFileInfo(jobHost).size());
    const double ratio = bestJob / bestPlain;
    std::printf("best: arj a %.3f s, job %.3f s, ratio %.3f (target <= %.1f): %s\n", bestPlain,
                bestJob, ratio, kTarget, ratio <= kTarget ? "met" : "NOT met");
    std::printf("best job: to frozen %.3f s, batch+thaw %.3f s, test+listing %.3f s, "
                "test restore %.3f s\n",
                bestTimes.toFrozen, bestTimes.batchAndThaw, bestTimes.verdict,
                bestTimes.testRestore);
    std::fflush(stdout);

    breakDown(prefix, jobArchive, database, static_cast<int>(std::size(kTables)) + 1, plainHost);
    writerAlive();

    if (!writer.stop())
        fail(QStringLiteral("the writer did not stop"));
    std::printf("writer: %lld changes committed through the server, %s\n", writer.changes(),
                writer.sawNoError() ? "no error" : "ERRORS");
    if (!writer.sawNoError())
        fail(writer.output());
    std::printf("database after the runs: %.1f MB\n", QFileInfo(database).size() / 1e6);
    return 0;
}

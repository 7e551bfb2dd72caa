// One due job over about 100 MB run the whole way (BKPA.BAT written and run by navlor-cmd, whose
// line starts navlor-arj A with the job's masks -U -R, then the verdict: the archiver's test of
// the archive and its listing checked against the files), against plain "arj a" of the same files,
// in one run: about 100 MB in a few hundred files, half compressible text and half random
// bytes, in ten directories, as bench/arj_bench.sh lays them out.
//
//   backup_job_bench [rounds]
//
// The two are run alternately, each round starting with the other, so both see the same load;
// prints the best time of each and the ratio job / arj (target <= 1.15).

#include "backup/archive_verdict.h"
#include "backup/backup_job.h"
#include "backup/backup_run.h"
#include "backup/schedule.h"
#include "bench/backup_bench_support.h"
#include "lib/arj_headers.h"
#include "lib/dates.h"
#include "lib/platform/platform.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace navlor;

constexpr int kFiles = 300;
constexpr qsizetype kFileBytes = 337000;
const QString kSource = QStringLiteral("C:\\BENCH");
const QString kDestination = QStringLiteral("D:\\VLDRBKPA");
const QString kMasks = QStringLiteral("*.DAT *.MB");
const QString kExclusions = QStringLiteral("*.ARJ *_.EXE");

[[noreturn]] void fail(const QString& text)
{
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::exit(1);
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write ") + path);
}

// Odd files are the text of a sales table, even ones random bytes; returns the bytes written.
qint64 generateData(const bench::BenchPrefix& prefix)
{
    QByteArray text;
    for (int i = 1; i <= 6000; ++i) {
        text +=
            QStringLiteral("%1;CLIENTE %2;RUA DAS FLORES %3;SAO PAULO;SP;VENDAS DO MES;%4,%5\r\n")
                .arg(i, 6, 10, QChar(u'0'))
                .arg(i * 7)
                .arg(i % 900)
                .arg(i * 13 % 99999)
                .arg(i % 100, 2, 10, QChar(u'0'))
                .toLatin1();
    }
    text.truncate(kFileBytes);
    QRandomGenerator random(20260307);
    QByteArray noise(kFileBytes, Qt::Uninitialized);
    qint64 total = 0;
    for (int i = 1; i <= kFiles; ++i) {
        const QString dir = prefix.host(kSource) + QStringLiteral("/DIR") + QString::number(i % 10);
        QDir().mkpath(dir);
        if (i % 2) {
            writeFile(dir + QStringLiteral("/TEXTO") + QString::number(i) + ".DAT", text);
        } else {
            random.fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
            writeFile(dir + QStringLiteral("/DADOS") + QString::number(i) + ".MB", noise);
        }
        total += kFileBytes;
    }
    return total;
}

void saveBenchJob()
{
    BackupJob job;
    loadJob(job, bench::kDataDir, bench::kSystemDir);
    job.title = QStringLiteral("Dados");
    job.active = true;
    job.subdirectories = true;
    job.period = periodItems().first();
    job.masks = kMasks;
    job.source = kSource;
    job.destination = kDestination;
    job.exclusions = kExclusions;
    if (!saveJob(job, bench::kDataDir))
        fail(QStringLiteral("cannot write the job"));
}

// The job as the start-up pass would run it; seconds.
double runTheJob(const QString& archive)
{
    BackupJob job;
    loadJob(job, bench::kDataDir, bench::kSystemDir);
    bench::BenchConsole console;
    // The batch's console output goes where plain arj's goes, so neither pays for a terminal.
    std::fflush(stdout);
    const int savedOut = ::dup(STDOUT_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, STDOUT_FILENO);
    ::close(null);
    QElapsedTimer timer;
    timer.start();
    const RunResult result = runJob(job, QString(), console);
    const double seconds = timer.nsecsElapsed() / 1e9;
    ::dup2(savedOut, STDOUT_FILENO);
    ::close(savedOut);
    if (result != RunResult::Recorded || !platform().fileExists(archive))
        fail(QStringLiteral("the job did not run:\n") + console.messages.join(u'\n'));
    return seconds;
}

// arj a of the same files from the root of C:, as an operator would type it; seconds. The
// job's masks select every file of the data, and "*.*" stands for them: Debian's arj recurses
// only into the first of several wildcards and fails the others.
double runPlainArj(const bench::BenchPrefix& prefix, const QString& archive)
{
    QStringList arguments{archive, QStringLiteral("-i"), QStringLiteral("-y"), QStringLiteral("-r"),
                          QStringLiteral("BENCH/*.*")};
    for (const QString& mask : kExclusions.split(u' '))
        arguments << QStringLiteral("-x") + mask;
    return bench::timePlainArjAdd(prefix, arguments);
}

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

// Where the verdict's time goes on the job's archive, each step alone, the median of `rounds`:
// the archiver's test, the entries from the headers, the archiver's listing they spare, the
// files selected and checked against the entries.
void verdictSplit(const QString& archive, int rounds)
{
    BackupJob job;
    loadJob(job, bench::kDataDir, bench::kSystemDir);
    const QString archiver = QStringLiteral("C:\\NAVLOR\\ARJ.EXE");
    Platform& p = platform();
    const auto archiverRun = [&](const char* command) {
        QByteArray output;
        QElapsedTimer timer;
        timer.start();
        const int code =
            p.runBounded(u'"' + archiver + QStringLiteral("\" ") + QLatin1String(command) +
                             QStringLiteral(" \"") + archive + u'"',
                         ShowMode::Hide, {600, &output, {}, {}});
        if (code != 0)
            fail(QStringLiteral("the archiver's %1 failed").arg(QLatin1String(command)));
        return timer.nsecsElapsed() / 1e9;
    };
    QList<double> test, headers, listing, checks;
    for (int round = 0; round < rounds; ++round) {
        test << archiverRun("T");
        listing << archiverRun("V");
        QElapsedTimer timer;
        timer.start();
        const std::optional<QList<ArjHeaderEntry>> read = readArjHeadersAt(archive);
        if (!read)
            fail(QStringLiteral("the headers of the job's archive were refused"));
        QList<ArjEntry> entries;
        for (const ArjHeaderEntry& entry : *read)
            entries << entry.listed();
        headers << timer.nsecsElapsed() / 1e9;
        timer.restart();
        const QString shortfall = listingShortfall(entries, filesSelectedBy(job, archive));
        checks << timer.nsecsElapsed() / 1e9;
        if (!shortfall.isEmpty())
            fail(QStringLiteral("the verdict found: ") + shortfall);
    }
    std::printf("verdict, median of %d: ARJ T %.3f s, entries from the headers %.4f s (ARJ V "
                "instead: %.3f s), files selected and checked %.4f s\n",
                rounds, medianOf(test), medianOf(headers), medianOf(listing), medianOf(checks));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 3;
    if (rounds < 1)
        fail(QStringLiteral("usage: backup_job_bench [rounds]"));
    // The batch is run by the command interpreter built with this program.
    qputenv("NAVLOR_CMD", NAVLOR_CMD_BINARY);

    bench::BenchPrefix prefix(QDateTime(QDate::currentDate(), QTime(10, 0)));
    prefix.addDrive('d');
    prefix.mkdir(kDestination);
    prefix.link(QStringLiteral(NAVLOR_ARJ_BINARY), QStringLiteral("C:\\NAVLOR\\ARJ.EXE"));
    const qint64 bytes = generateData(prefix);
    saveBenchJob();
    std::printf("data: %lld MB in %d files\n", bytes / 1000000, kFiles);

    BackupJob probe;
    loadJob(probe, bench::kDataDir, bench::kSystemDir);
    const QString jobArchive =
        archiveName(probe.period, today(), probe.destination, probe.archiveBaseName).path;
    const QString jobHost = prefix.host(jobArchive);
    const QString plainHost = prefix.host(kDestination) + QStringLiteral("/PLAIN.ARJ");

    double bestJob = 0;
    double bestPlain = 0;
    QList<double> jobs;
    QList<double> plains;
    for (int round = 1; round <= rounds; ++round) {
        double job = 0;
        double plain = 0;
        const bool plainFirst = round % 2;
        if (plainFirst) {
            bench::clearArchive(plainHost);
            plain = runPlainArj(prefix, plainHost);
        }
        bench::clearArchive(jobHost);
        job = runTheJob(jobArchive);
        if (!plainFirst) {
            bench::clearArchive(plainHost);
            plain = runPlainArj(prefix, plainHost);
        }
        std::printf("round %d: arj a %.3f s, job %.3f s\n", round, plain, job);
        std::fflush(stdout);
        jobs << job;
        plains << plain;
        bestJob = round == 1 ? job : std::min(bestJob, job);
        bestPlain = round == 1 ? plain : std::min(bestPlain, plain);
    }

    const std::optional<QByteArray> batch =
        platform().readFile(kDestination + QStringLiteral("\\BKPA.BAT"));
    std::printf("BKPA.BAT: %s", batch ? batch->constData() : "(missing)\n");
    // Both archives must hold the same files.
    std::printf("entries: arj %d, job %d; archives: arj %lld bytes, job %lld bytes\n",
                bench::archiveEntries(plainHost), bench::archiveEntries(jobHost),
                QFileInfo(plainHost).size(), QFileInfo(jobHost).size());
    std::printf("best: arj a %.3f s, job %.3f s, ratio %.3f (target <= 1.15)\n", bestPlain, bestJob,
                bestJob / bestPlain);
    std::printf("median: arj a %.3f s, job %.3f s, ratio %.3f\n", medianOf(plains), medianOf(jobs),
                medianOf(jobs) / medianOf(plains));
    verdictSplit(jobArchive, rounds);
    return 0;
}

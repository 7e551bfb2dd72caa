// The start-up pass over all 51 jobs when every one is active and none is due: what every start
// of the console costs before anything is archived (each job file read, tested and loaded).
//
//   backup_pass_bench [Google Benchmark options]
//
// Prints the time of one pass and, as "per_job", the time per job of it.

#include "backup/backup_job.h"
#include "backup/backup_run.h"
#include "backup/schedule.h"
#include "bench/backup_bench_support.h"
#include "lib/dates.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace navlor;

// Daily jobs, each stamped today, so the pass loads all of them and runs none.
void writeJobs()
{
    for (int number = kFirstJob; number <= kLastJob; ++number) {
        BackupJob job;
        job.numberText = jobNumberText(number);
        loadJob(job, bench::kDataDir, bench::kSystemDir);
        job.title = QStringLiteral("Dados da filial ") + job.numberText;
        job.active = true;
        job.subdirectories = true;
        job.period = periodItems().first();
        job.masks = QStringLiteral("*.DB *.MB *.FDB *.GDB");
        job.source = QStringLiteral("C:\\DADOS\\FILIAL") + job.numberText;
        job.destination = QStringLiteral("D:\\VLDRBKPA");
        job.exclusions = QStringLiteral("*.ARJ *_.EXE");
        const ArchiveName archive =
            archiveName(job.period, today(), job.destination, job.archiveBaseName);
        if (!saveJob(job, bench::kDataDir) || !recordRun(job, bench::kDataDir, archive.path)) {
            std::fprintf(stderr, "cannot write job %s\n", qPrintable(job.numberText));
            std::exit(1);
        }
    }
}

void BM_PassNothingDue(benchmark::State& state)
{
    bench::BenchConsole console;
    BackupJob job;
    for (auto _ : state) {
        runAllActiveJobs(job, QString(), console);
        benchmark::DoNotOptimize(job);
    }
    // Every job loaded, none run: the pass posts only its opening line.
    const auto passes = static_cast<int>(state.iterations());
    if (console.jobsShown != passes * kJobCount || console.messages.size() != passes) {
        state.SkipWithError("a job ran or was not loaded");
        return;
    }
    state.counters["jobs"] = kJobCount;
    state.counters["per_job"] =
        benchmark::Counter(static_cast<double>(passes) * kJobCount,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    bench::BenchPrefix prefix(QDateTime(QDate::currentDate(), QTime(10, 0)));
    writeJobs();

    benchmark::RegisterBenchmark("BM_PassNothingDue", BM_PassNothingDue)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

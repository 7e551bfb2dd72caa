// LISTA_ARQUIVOS in whole-tree mode over a large installation-like tree, against GNU find on
// the same tree in the same run. The start-up clean-up walks the system directory this way
// for "*.LCK" every morning, and the archiver search may walk a whole drive.
//
//   file_list_bench [--benchmark_repetitions=N] [other Google Benchmark options]
//
// Prints the median wall and processor times of both and their ratios (LISTA_ARQUIVOS / find).

#include "lib/file_lists.h"
#include "lib/platform/posix_platform.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kBranches = 50;     // directories below the drive root
constexpr int kLeaves = 100;      // directories below each of them
constexpr int kFilesPerLeaf = 20; // every tenth a lock file, in either case
constexpr int kFilesPerBranch = 4;

// The tree, generated once, mapped as drive D: of a prefix of its own.
class BenchTree
{
public:
    BenchTree()
    {
        if (!m_dir.isValid()) {
            std::fprintf(stderr, "no temporary directory\n");
            std::exit(1);
        }
        m_tree = m_dir.path() + "/tree";
        generate();
        auto backend = std::make_unique<navlor::PosixPlatform>(m_dir.path() + "/prefix");
        QFile::link(m_tree, m_dir.path() + "/prefix/dosdevices/d:");
        navlor::setPlatform(std::move(backend));
    }

    const QString& hostRoot() const { return m_tree; }
    int directories() const { return m_directories; }
    int files() const { return m_files; }

private:
    void makeDirectory(const QByteArray& path)
    {
        ::mkdir(path.constData(), 0755);
        ++m_directories;
    }
    void makeFile(const QByteArray& path)
    {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0)
            ::close(fd);
        ++m_files;
    }

    void generate()
    {
        const QByteArray root = QFile::encodeName(m_tree);
        makeDirectory(root);
        for (int b = 0; b < kBranches; ++b) {
            const QByteArray branch =
                root + "/Filial" + QByteArray::number(b).rightJustified(2, '0');
            makeDirectory(branch);
            for (int f = 0; f < kFilesPerBranch; ++f)
                makeFile(branch + "/Param" + QByteArray::number(f) + (f == 0 ? ".LCK" : ".PAR"));
            for (int l = 0; l < kLeaves; ++l) {
                const QByteArray leaf =
                    branch + "/Setor" + QByteArray::number(l).rightJustified(3, '0');
                makeDirectory(leaf);
                for (int f = 0; f < kFilesPerLeaf; ++f) {
                    const QByteArray number = QByteArray::number(f).rightJustified(2, '0');
                    const char* extension = f % 10 == 0  ? (f % 20 == 0 ? ".lck" : ".LCK")
                                            : f % 3 == 0 ? ".PX"
                                                         : ".DB";
                    makeFile(leaf + "/Tabela" + number + extension);
                }
            }
        }
    }

    QTemporaryDir m_dir;
    QString m_tree;
    int m_directories = 0;
    int m_files = 0;
};

BenchTree* g_tree = nullptr;

void BM_ListaArquivos(benchmark::State& state)
{
    qsizetype found = 0;
    for (auto _ : state) {
        const QStringList list =
            navlor::LISTA_ARQUIVOS(QStringLiteral("D:\\*.LCK"), navlor::FileWalk::Tree);
        found = list.size();
        benchmark::DoNotOptimize(list);
    }
    state.counters["found"] = static_cast<double>(found);
}

// find, started and read to the end as the listing is built, so both include their output.
// `cpuSeconds` gets the processor time find used.
qsizetype runFind(const QByteArray& root, double& cpuSeconds)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::vector<char*> argv{const_cast<char*>("find"), const_cast<char*>(root.constData()),
                            const_cast<char*>("-iname"), const_cast<char*>("*.lck"), nullptr};
    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, "find", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    qsizetype lines = 0;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        for (ssize_t i = 0; i < n; ++i)
            lines += buffer[i] == '\n';
    }
    ::close(pipeFds[0]);
    if (rc != 0)
        return -1;
    int status = 0;
    struct rusage usage = {};
    ::wait4(pid, &status, 0, &usage);
    cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return lines;
}

void BM_Find(benchmark::State& state)
{
    const QByteArray root = QFile::encodeName(g_tree->hostRoot());
    qsizetype found = 0;
    double cpu = 0;
    for (auto _ : state) {
        double seconds = 0;
        found = runFind(root, seconds);
        cpu += seconds;
    }
    state.counters["found"] = static_cast<double>(found);
    // find works in a process of its own: its processor time is not this process's.
    state.counters["child_cpu_ms"] =
        benchmark::Counter(cpu * 1000, benchmark::Counter::kAvgIterations);
}

// The console report, keeping for each benchmark its median (or only) wall and processor
// time for the ratio.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string& name = run.run_name.function_name;
            if (!median && (run.run_type != Run::RT_Iteration || m_median[name]))
                continue;
            const double toMs = benchmark::GetTimeUnitMultiplier(benchmark::kMillisecond) /
                                benchmark::GetTimeUnitMultiplier(run.time_unit);
            Times& t = m_times[name];
            t.wall = run.GetAdjustedRealTime() * toMs;
            const auto child = run.counters.find("child_cpu_ms");
            t.cpu =
                child != run.counters.end() ? child->second.value : run.GetAdjustedCPUTime() * toMs;
            m_median[name] = median;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio() const
    {
        const auto lista = m_times.find("BM_ListaArquivos");
        const auto find = m_times.find("BM_Find");
        if (lista == m_times.end() || find == m_times.end())
            return;
        const Times& l = lista->second;
        const Times& f = find->second;
        std::printf("\n%-36s %9s %9s\n", "", "wall ms", "cpu ms");
        std::printf("%-36s %9.1f %9.1f\n", "LISTA_ARQUIVOS(\"D:\\*.LCK\", Tree)", l.wall, l.cpu);
        std::printf("%-36s %9.1f %9.1f\n", "find DIR -iname '*.lck'", f.wall, f.cpu);
        std::printf("%-36s %9.2f %9.2f\n", "ratio", l.wall / f.wall, l.cpu / f.cpu);
    }

private:
    struct Times
    {
        double wall = 0;
        double cpu = 0;
    };
    std::map<std::string, Times> m_times;
    std::map<std::string, bool> m_median;
};

} // namespace

int main(int argc, char** argv)
{
    // Unless told otherwise: repeated, the two interleaved, so that what else the machine is
    // doing falls on both alike; the medians are compared.
    std::vector<char*> args(argv, argv + argc);
    bool repetitionsGiven = false;
    for (int i = 1; i < argc; ++i)
        repetitionsGiven |= std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    char repetitions[] = "--benchmark_repetitions=9";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven)
        args.insert(args.begin() + 1, {repetitions, interleaving, aggregatesOnly});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    BenchTree tree;
    g_tree = &tree;
    std::printf("tree: %d directories, %d files\n", tree.directories(), tree.files());
    // The new tree written out and read once by both, so that neither pays for the other.
    ::sync();
    navlor::LISTA_ARQUIVOS(QStringLiteral("D:\\*.LCK"), navlor::FileWalk::Tree);
    double ignored = 0;
    runFind(QFile::encodeName(tree.hostRoot()), ignored);

    benchmark::RegisterBenchmark("BM_ListaArquivos", BM_ListaArquivos)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_Find", BM_Find)->Unit(benchmark::kMillisecond)->UseRealTime();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio();
    benchmark::Shutdown();
    return 0;
}

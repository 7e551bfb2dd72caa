// LISTA_ARQUIVOS in whole-tree mode over a large installation-like tree, against GNU find on
// the same tree in the same run. The start-up clean-up walks the system directory this way
// for "*.LCK" every morning, and the archiver search may walk a whole drive.
//
//   file_list_bench [--files=N] [--dirs=N] [--distinct-files] [--benchmark_repetitions=N]
//                   [other Google Benchmark options]
//   file_list_bench [FILES [DIRS]] [Google Benchmark options]
//
// By default 100,200 files in 5,051 directories. With a size given, the files are spread evenly
// over the directories (two levels below the root, one file in ten a lock file), e.g.
// --files=1000000 --dirs=20000. There each directory's files after the first are hard links to
// it: neither walk looks at a file's inode, and making a million inodes on a disk where
// others create and delete files can take minutes; --distinct-files makes every one with
// open and close. The tree is made under TMPDIR (or /tmp) and removed at the end.
//
// Prints the median wall and processor times of both and their ratios (LISTA_ARQUIVOS / find).

#include "lib/file_lists.h"
#include "lib/platform/posix_platform.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <dirent.h>
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

// The tree asked for on the command line; zero for the default shape.
struct TreeSize
{
    long long files = 0;
    long long directories = 0;
    bool distinctFiles = false; // every file an inode of its own, not a link
};

// The tree, generated once, mapped as drive D: of a prefix of its own.
class BenchTree
{
public:
    explicit BenchTree(const TreeSize& size)
    {
        if (!m_dir.isValid()) {
            std::fprintf(stderr, "no temporary directory\n");
            std::exit(1);
        }
        m_tree = m_dir.path() + "/tree";
        m_distinctFiles = size.distinctFiles;
        if (size.files > 0 || size.directories > 0)
            generateSized(size);
        else
            generate();
        auto backend = std::make_unique<navlor::PosixPlatform>(m_dir.path() + "/prefix");
        QFile::link(m_tree, m_dir.path() + "/prefix/dosdevices/d:");
        navlor::setPlatform(std::move(backend));
    }

    // A million files go faster through unlinkat than through QTemporaryDir's own removal,
    // which then only has the prefix left.
    ~BenchTree()
    {
        const int fd = ::open(QFile::encodeName(m_tree).constData(), O_RDONLY | O_DIRECTORY);
        if (fd >= 0) {
            removeContents(fd);
            ::rmdir(QFile::encodeName(m_tree).constData());
        }
    }
    BenchTree(const BenchTree&) = delete;
    BenchTree& operator=(const BenchTree&) = delete;

    const QString& hostRoot() const { return m_tree; }
    long long directories() const { return m_directories; }
    long long files() const { return m_files; }

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

    // Empties the directory `fd` (closing it): the tree is only a few levels deep.
    static void removeContents(int fd)
    {
        DIR* d = ::fdopendir(fd);
        if (!d) {
            ::close(fd);
            return;
        }
        while (const dirent* e = ::readdir(d)) {
            const char* name = e->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (e->d_type == DT_DIR) {
                const int sub = ::openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
                if (sub >= 0)
                    removeContents(sub);
                ::unlinkat(fd, name, AT_REMOVEDIR);
            } else {
                ::unlinkat(fd, name, 0);
            }
        }
        ::closedir(d);
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

    // FILES spread over DIRS directories (the root among them): branches below the root and
    // leaves below them, about sqrt(DIRS) of each, so that no directory holds thousands of
    // directories. Names as in the default tree; about one file in ten a lock file.
    void generateSized(const TreeSize& size)
    {
        const long long dirs = std::max(1LL, size.directories);
        const long long below = dirs - 1;
        long long branches = 0;
        while ((branches + 1) * (branches + 1) <= below)
            ++branches;
        const long long leaves = branches > 0 ? below - branches : 0;
        const QByteArray root = QFile::encodeName(m_tree);
        std::vector<QByteArray> all;
        all.reserve(static_cast<size_t>(dirs));
        makeDirectory(root);
        all.push_back(root);
        std::vector<QByteArray> branchPaths;
        for (long long b = 0; b < branches; ++b) {
            branchPaths.push_back(root + "/Filial" + QByteArray::number(b).rightJustified(3, '0'));
            makeDirectory(branchPaths.back());
            all.push_back(branchPaths.back());
        }
        for (long long l = 0; l < leaves; ++l) {
            const QByteArray& branch = branchPaths[static_cast<size_t>(l % branches)];
            all.push_back(branch + "/Setor" +
                          QByteArray::number(l / branches).rightJustified(3, '0'));
            makeDirectory(all.back());
        }
        const long long files = std::max(0LL, size.files);
        for (size_t d = 0; d < all.size(); ++d) {
            // The first directories get the remainder, one more each; each file made relative
            // to its directory, without a walk down the path.
            const long long here = files / dirs + (static_cast<long long>(d) < files % dirs);
            const int dirFd = ::open(all[d].constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (dirFd < 0)
                continue;
            QByteArray first;
            for (long long f = 0; f < here; ++f) {
                const char* extension = f % 10 == 0  ? (f % 20 == 0 ? ".lck" : ".LCK")
                                        : f % 3 == 0 ? ".PX"
                                                     : ".DB";
                const QByteArray name =
                    "Tabela" + QByteArray::number(f).rightJustified(2, '0') + extension;
                if (!m_distinctFiles && !first.isEmpty() &&
                    ::linkat(dirFd, first.constData(), dirFd, name.constData(), 0) == 0) {
                    ++m_files;
                    continue;
                }
                const int fd = ::openat(dirFd, name.constData(),
                                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
                if (fd >= 0)
                    ::close(fd);
                first = name;
                ++m_files;
            }
            ::close(dirFd);
        }
    }

    QTemporaryDir m_dir;
    QString m_tree;
    long long m_directories = 0;
    long long m_files = 0;
    bool m_distinctFiles = false;
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

// Takes --files=N, --dirs=N (or FILES and DIRS in that order) out of the arguments, leaving
// the rest to Google Benchmark. False on a size that is no positive number.
bool takeTreeSize(std::vector<char*>& args, TreeSize& size)
{
    int positional = 0;
    for (auto it = args.begin() + 1; it != args.end();) {
        const std::string arg = *it;
        long long* target = nullptr;
        std::string value;
        if (arg.rfind("--files=", 0) == 0) {
            target = &size.files;
            value = arg.substr(8);
        } else if (arg.rfind("--dirs=", 0) == 0) {
            target = &size.directories;
            value = arg.substr(7);
        } else if (!arg.empty() && arg[0] != '-' && positional < 2) {
            target = positional++ == 0 ? &size.files : &size.directories;
            value = arg;
        }
        if (arg == "--distinct-files") {
            size.distinctFiles = true;
            it = args.erase(it);
            continue;
        }
        if (!target) {
            ++it;
            continue;
        }
        char* end = nullptr;
        *target = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || *end != 0 || *target <= 0)
            return false;
        it = args.erase(it);
    }
    // Only the files given: as many per directory as the default tree has.
    if (size.files > 0 && size.directories == 0)
        size.directories = std::max(1LL, size.files / 20);
    if (size.directories > 0 && size.files == 0)
        size.files = size.directories * 20;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Unless told otherwise: repeated, the two interleaved, so that what else the machine is
    // doing falls on both alike; the medians are compared.
    std::vector<char*> args(argv, argv + argc);
    TreeSize size;
    if (!takeTreeSize(args, size)) {
        std::fprintf(stderr, "usage: %s [--files=N] [--dirs=N] [benchmark options]\n", argv[0]);
        return 1;
    }
    bool repetitionsGiven = false;
    for (size_t i = 1; i < args.size(); ++i)
        repetitionsGiven |= std::string(args[i]).rfind("--benchmark_repetitions", 0) == 0;
    char repetitions[] = "--benchmark_repetitions=9";
    char interleaving[] = "--benchmark_enable_random_interleaving=true";
    char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    if (!repetitionsGiven)
        args.insert(args.begin() + 1, {repetitions, interleaving, aggregatesOnly});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    const auto madeFrom = std::chrono::steady_clock::now();
    BenchTree tree(size);
    g_tree = &tree;
    std::printf("tree: %lld directories, %lld files, made in %.1f s\n", tree.directories(),
                tree.files(),
                std::chrono::duration<double>(std::chrono::steady_clock::now() - madeFrom).count());
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

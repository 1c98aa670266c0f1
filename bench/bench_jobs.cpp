// qz-bench-jobs: throughput and memory of the report job over a tree of
// machine folders, against a floor and a peer measured in the same run.
//
//   qz-bench-jobs [--machines N] [--files N] [--file-mib N] [--seed N] [--runs N]
//                 [--cache DIR] [--no-cache-rows | --cache-rows-only]
//
// Generates the tree once (default 8 machines x 32 files x 4 MiB = 1 GiB) in a
// cache folder keyed by the parameters (default /tmp/qz-bench-jobs), reuses it
// afterwards, warms the page cache and then measures:
//   job:        ReportJob with the default worker count, and with one worker;
//   floor:      a memchr line count of the same files (1 MiB reads) on as many
//               threads as the job has workers;
//   peer:       mawk -f count_records.awk, one process per worker thread over
//               disjoint file subsets, computing the same OK/NG counts;
//   memory:     the process's peak resident size (VmHWM, reset before each
//               job) during a job over half the machines and over all of them;
//   progress:   the cost of the per-line progress updates alone (each worker
//               storing to its own counter), the same number of lines on the
//               same threads, with nothing else to do;
//   cache:      on a tree of the same size shaped like a line's records (one
//               file per machine and month, lots of one setting file on all
//               boards; bench/LineShapedRecords.h), the report without the
//               cache, the first report with an empty cache, the repeat
//               report with nothing changed and after appending 1 % of the
//               bytes to a tenth of the files, the option scan without the
//               cache and repeated with it, the cache's size and the peak
//               memory of the cached reports (--no-cache-rows leaves them
//               out, --cache-rows-only measures them alone).
// Throughput is the best of --runs runs, in MB/s (10^6 bytes).

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/LineShapedRecords.h"
#include "bench/RecordGenerator.h"
#include "dates/DateParser.h"
#include "dates/OleDate.h"
#include "facts/CacheLocation.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "jobs/WorkerPool.h"
#include "progress/JobProgress.h"
#include "records/ReportCounts.h"
#include "records/ReportFileCounter.h"
#include "report/DataPaths.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kGoalPeer = 10.0;
constexpr double kGoalFloor = 0.40;  // an aim
constexpr double kGoalScaling = 2.0;
constexpr double kGoalPeakMiB = 64.0;
// A peak that does not grow with the tree: the full tree may need at most this
// much more than half of it.
constexpr double kGrowthSlackMiB = 2.0;

struct Options {
    int machines = 8;
    int files = 32;
    std::uint64_t fileMiB = 4;
    std::uint64_t seed = 1;
    int runs = 3;
    std::string cache = "/tmp/qz-bench-jobs";
    bool cacheRows = true;
    bool onlyCacheRows = false;
};

Options ParseArgs(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (hasValue && arg == "--machines") {
            o.machines = std::max(1, std::stoi(argv[++i]));
        } else if (hasValue && arg == "--files") {
            o.files = std::max(1, std::stoi(argv[++i]));
        } else if (hasValue && arg == "--file-mib") {
            o.fileMiB = std::max<std::uint64_t>(1, std::stoull(argv[++i]));
        } else if (hasValue && arg == "--seed") {
            o.seed = std::stoull(argv[++i]);
        } else if (hasValue && arg == "--runs") {
            o.runs = std::max(1, std::stoi(argv[++i]));
        } else if (hasValue && arg == "--cache") {
            o.cache = argv[++i];
        } else if (arg == "--no-cache-rows") {
            o.cacheRows = false;
        } else if (arg == "--cache-rows-only") {
            o.onlyCacheRows = true;
        } else {
            throw std::invalid_argument(
                "usage: qz-bench-jobs [--machines N] [--files N] [--file-mib N] [--seed N] "
                "[--runs N] [--cache DIR] [--no-cache-rows | --cache-rows-only]");
        }
    }
    return o;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}
double MBps(std::uint64_t bytes, double seconds) {
    return static_cast<double>(bytes) / seconds / 1e6;
}

// CPU seconds (user + system) of this process and of its waited-for children.
double CpuSeconds() {
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        ::getrusage(who, &usage);
        total += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

// The best (shortest) wall time and the least CPU time of runs calls of work.
// On a machine shared with other work the wall times scatter; the CPU time
// says what the work costs whatever the load.
struct Timing {
    double wall = 1e300;
    double cpu = 1e300;
};

Timing BestOf(int runs, const std::function<void()>& work) {
    Timing best;
    for (int r = 0; r < runs; ++r) {
        const double cpuStart = CpuSeconds();
        const auto start = Clock::now();
        work();
        best.wall = std::min(best.wall, Seconds(Clock::now() - start));
        best.cpu = std::min(best.cpu, CpuSeconds() - cpuStart);
    }
    return best;
}

// --- The tree ------------------------------------------------------------------

struct Tree {
    std::string root;                   // holds ReportData/
    std::vector<std::string> machines;  // folder names, ascending
    std::vector<std::string> files;     // every file, machine by machine
    std::uint64_t bytes = 0;
};

std::string MachineName(int m) {
    char name[16];
    std::snprintf(name, sizeof name, "M%02d", m);
    return name;
}

std::uint64_t FileSeed(const Options& o, int machine, int file) {
    return o.seed * 1000003u + static_cast<std::uint64_t>(machine) * 1000u +
           static_cast<std::uint64_t>(file);
}

// The tree of o's machines and files under root: generated once (name gives
// file f's name in its folder, generate writes it), reused by later runs.
Tree MakeTreeAt(
    const std::string& root, const Options& o, const std::function<std::string(int file)>& name,
    const std::function<void(const std::string& path, int machine, int file)>& generate) {
    namespace fs = std::filesystem;
    Tree tree;
    tree.root = root;
    const std::string marker = tree.root + "/complete";
    const bool reuse = fs::exists(marker);
    if (!reuse) {
        std::fprintf(stderr, "generating %s ...\n", tree.root.c_str());
        fs::remove_all(tree.root);
    }
    for (int m = 0; m < o.machines; ++m) {
        tree.machines.push_back(MachineName(m));
        const std::string folder = tree.root + "/ReportData/" + tree.machines.back();
        fs::create_directories(folder);
        for (int f = 0; f < o.files; ++f) {
            const std::string path = folder + "/" + name(f);
            if (!reuse) {
                generate(path, m, f);
            }
            tree.files.push_back(path);
            tree.bytes += fs::file_size(path);
        }
    }
    if (!reuse) {
        std::ofstream(marker) << "ok\n";
    }
    return tree;
}

Tree MakeTree(const Options& o) {
    return MakeTreeAt(
        o.cache + "/m" + std::to_string(o.machines) + "-f" + std::to_string(o.files) + "-" +
            std::to_string(o.fileMiB) + "MiB-s" + std::to_string(o.seed),
        o, [](int f) { return "r" + std::to_string(f) + ".csv"; },
        [&o](const std::string& path, int m, int f) {
            qz::GenerateRecordFile(path, o.fileMiB << 20, FileSeed(o, m, f));
        });
}

// --- The floor -----------------------------------------------------------------

std::uint64_t CountLines(const std::string& path, char* buffer, std::size_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error(path + ": " + std::strerror(errno));
    }
    std::uint64_t lines = 0;
    ssize_t got;
    while ((got = ::read(fd, buffer, size)) > 0) {
        const char* p = buffer;
        const char* const end = buffer + got;
        while ((p = static_cast<const char*>(
                    std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
            ++lines;
            ++p;
        }
    }
    ::close(fd);
    return lines;
}

// Counts the lines of every file on threads threads, each taking the next file.
std::uint64_t CountLinesParallel(const std::vector<std::string>& files, int threads) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> lines{0};
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            constexpr std::size_t kBuffer = std::size_t{1} << 20;
            auto buffer = std::make_unique<char[]>(kBuffer);
            std::uint64_t mine = 0;
            for (std::size_t i; (i = next.fetch_add(1)) < files.size();) {
                mine += CountLines(files[i], buffer.get(), kBuffer);
            }
            lines += mine;
        });
    }
    for (auto& thread : pool) {
        thread.join();
    }
    return lines.load();
}

// --- The peer ------------------------------------------------------------------

struct PeerCounts {
    long long ok = 0;
    long long ng = 0;
};

// Runs one mawk process per subset at once and sums their OK/NG totals.
PeerCounts RunMawk(const std::vector<std::string>& files, int processes) {
    struct Child {
        pid_t pid = 0;
        int out = -1;
    };
    std::vector<Child> children;
    for (int p = 0; p < processes; ++p) {
        std::vector<std::string> args = {"mawk", "-f", QZ_COUNT_RECORDS_AWK};
        for (std::size_t i = static_cast<std::size_t>(p); i < files.size();
             i += static_cast<std::size_t>(processes)) {
            args.push_back(files[i]);
        }
        std::vector<char*> argv;
        for (auto& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        int pipeFds[2];
        if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        Child child;
        const int rc = posix_spawnp(&child.pid, "mawk", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
        if (rc != 0) {
            throw std::runtime_error("cannot start mawk: " + std::string(std::strerror(rc)));
        }
        child.out = pipeFds[0];
        children.push_back(child);
    }
    PeerCounts counts;
    for (const Child& child : children) {
        std::string text;
        char buffer[65536];
        ssize_t got;
        while ((got = ::read(child.out, buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
        ::close(child.out);
        int status = 0;
        ::waitpid(child.pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            throw std::runtime_error("mawk failed");
        }
        std::istringstream lines(text);
        std::string key;
        long long value = 0;
        while (lines >> key) {
            if (key == "OK" && lines >> value) {
                counts.ok += value;
            } else if (key == "NG" && lines >> value) {
                counts.ng += value;
            } else {
                std::getline(lines, key);  // a per-key line
            }
        }
    }
    return counts;
}

// --- Memory --------------------------------------------------------------------

// A field of /proc/self/status in kB, or -1.
long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(field);
    while (std::getline(status, line)) {
        if (line.compare(0, length, field) == 0 && line.size() > length && line[length] == ':') {
            return std::atol(line.c_str() + length + 1);
        }
    }
    return -1;
}

// Sets VmHWM back to the current resident size; false when the kernel refuses.
bool ResetPeak() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

// --- The job -------------------------------------------------------------------

// The report job over the first machines of the tree on workers workers,
// every record date in range.
qz::CReportTotals RunJob(const Tree& tree, std::size_t machines, std::int32_t workers) {
    const qz::DataPaths paths = qz::DataPaths::Under(tree.root + "/");
    qz::ReportRequest request;
    for (std::size_t m = 0; m < machines && m < tree.machines.size(); ++m) {
        request.machineFolders.push_back(paths.MachineFolder(tree.machines[m]));
    }
    request.criteria.dtReportStart = qz::OleDate::FromParts(2000, 1, 1);
    request.criteria.dtReportEnd = qz::OleDate::FromParts(2099, 12, 31);
    request.criteria.dateLocale = qz::DateLocale::FromEnvironment();
    request.workerCount = workers;
    qz::ReportJob job(std::move(request));
    qz::CReportTotals totals = job.Run();
    if (job.Progress().ParsedBytes() != job.Progress().TotalBytes()) {
        throw std::runtime_error("the job did not parse every byte");
    }
    return totals;
}

// The per-line progress updates of lines lines on threads threads, alone: each
// thread a worker storing to its own counter, as the job's workers do.
double ProgressUpdatesSeconds(std::uint64_t lines, int threads, std::uint64_t bytesPerLine) {
    qz::JobProgress progress(static_cast<std::size_t>(threads));
    const auto start = Clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&, t] {
            qz::FileProgress file(progress, static_cast<std::size_t>(t));
            std::uint64_t position = 0;
            for (std::uint64_t i = 0; i < lines / static_cast<std::uint64_t>(threads); ++i) {
                position += bytesPerLine;
                file.AfterLine(position);
            }
        });
    }
    for (auto& thread : pool) {
        thread.join();
    }
    const double seconds = Seconds(Clock::now() - start);
    if (progress.ParsedBytes() != lines / static_cast<std::uint64_t>(threads) *
                                      static_cast<std::uint64_t>(threads) * bytesPerLine) {
        throw std::runtime_error("the progress counters lost an update");
    }
    return seconds;
}

const char* Verdict(bool met) {
    return met ? "met" : "NOT MET";
}

// --- The cache -----------------------------------------------------------------

constexpr double kGoalUnchangedShare = 0.03;
constexpr double kGoalAppendedShare = 0.06;
constexpr double kGoalFirstRunRatio = 1.10;
constexpr double kGoalScanShare = 0.03;
constexpr double kGoalCacheShare = 0.02;

// The line-shaped tree: as many machines, one file per month (as many months
// as the random tree has files per machine), the same size.
int YearOf(int file) {
    return 2020 + file / 12;
}
int MonthOf(int file) {
    return 1 + file % 12;
}

Tree MakeLineTree(const Options& o) {
    return MakeTreeAt(
        o.cache + "/line-m" + std::to_string(o.machines) + "-mo" + std::to_string(o.files) + "-" +
            std::to_string(o.fileMiB) + "MiB-s" + std::to_string(o.seed),
        o,
        [](int f) {
            char name[32];
            std::snprintf(name, sizeof name, "%04d-%02d.csv", YearOf(f), MonthOf(f));
            return std::string(name);
        },
        [&o](const std::string& path, int m, int f) {
            qz::GenerateLineShapedMonth(path, YearOf(f), MonthOf(f), o.fileMiB << 20,
                                        FileSeed(o, m, f));
        });
}

std::vector<std::string> MachineFolders(const Tree& tree) {
    const qz::DataPaths paths = qz::DataPaths::Under(tree.root + "/");
    std::vector<std::string> folders;
    for (const std::string& machine : tree.machines) {
        folders.push_back(paths.MachineFolder(machine));
    }
    return folders;
}

// A report over every machine of tree with cache (empty: none). Throws when
// the cache was not used.
qz::ReportResult RunCachedJob(const Tree& tree, const std::string& cache, std::int32_t workers) {
    qz::ReportRequest request;
    request.machineFolders = MachineFolders(tree);
    request.criteria.dtReportStart = qz::OleDate::FromParts(2000, 1, 1);
    request.criteria.dtReportEnd = qz::OleDate::FromParts(2099, 12, 31);
    request.criteria.dateLocale = qz::DateLocale::FromEnvironment();
    request.workerCount = workers;
    request.cache = qz::CachePlace{cache, true};
    qz::ReportJob job(std::move(request));
    qz::ReportResult result = job.Run();
    if (!result.cacheNote.empty()) {
        throw std::runtime_error(result.cacheNote);
    }
    return result;
}

qz::OptionValues RunCachedScan(const Tree& tree, const std::string& cache, std::int32_t workers) {
    qz::OptionScanRequest request;
    request.machineFolders = MachineFolders(tree);
    request.workerCount = workers;
    request.dateLocale = qz::DateLocale::FromEnvironment();
    request.cache = qz::CachePlace{cache, true};
    qz::OptionScanJob job(std::move(request));
    return job.Run();
}

void RemoveCache(const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path + suffix);
    }
}

void CacheRows(const Options& o, std::int32_t workers) {
    const Tree tree = MakeLineTree(o);
    const std::string cache = o.cache + "/facts-bench.sqlite";
    std::printf("\ncache: line-shaped tree %s\n       %d machines x %d months, %.1f MB\n",
                tree.root.c_str(), o.machines, o.files, static_cast<double>(tree.bytes) / 1e6);
    CountLinesParallel(tree.files, workers);  // warm the page cache

    // Only the counts are kept of a result: a job's peak memory is its own.
    const auto counts = [](const qz::ReportResult& result) {
        return std::make_pair(result.m_nOk, result.m_nNg);
    };
    std::pair<std::int64_t, std::int64_t> plain;
    ResetPeak();
    const Timing full = BestOf(o.runs, [&] { plain = counts(RunCachedJob(tree, "", workers)); });
    const long peakPlain = StatusKiB("VmHWM");
    ResetPeak();
    const Timing first = BestOf(o.runs, [&] {
        RemoveCache(cache);
        RunCachedJob(tree, cache, workers);
    });
    const long peakFirst = StatusKiB("VmHWM");
    // Past the settle time of the files just measured.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ResetPeak();
    std::pair<std::int64_t, std::int64_t> repeated;
    const Timing unchanged =
        BestOf(o.runs, [&] { repeated = counts(RunCachedJob(tree, cache, workers)); });
    const long peakRepeat = StatusKiB("VmHWM");
    const bool same = repeated == plain;

    // A tenth of the files, each appended its share of 1 % of the tree's bytes
    // before every run.
    std::vector<std::size_t> grown;
    for (std::size_t i = 0; i < tree.files.size(); i += 10) {
        grown.push_back(i);
    }
    const std::uint64_t share = tree.bytes / 100 / grown.size();
    std::uint64_t appended = 0;
    int round = 0;
    Timing afterAppend;
    for (int r = 0; r < o.runs; ++r) {
        ++round;
        for (const std::size_t i : grown) {
            const int f = static_cast<int>(i) % o.files;
            appended +=
                qz::AppendLineShapedRecords(tree.files[i], YearOf(f), MonthOf(f), share,
                                            FileSeed(o, 0, f) + static_cast<std::uint64_t>(round));
        }
        const Timing one = BestOf(1, [&] { RunCachedJob(tree, cache, workers); });
        afterAppend.wall = std::min(afterAppend.wall, one.wall);
        afterAppend.cpu = std::min(afterAppend.cpu, one.cpu);
    }
    const Timing scanFull = BestOf(o.runs, [&] { RunCachedScan(tree, "", workers); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    RunCachedScan(tree, cache, workers);
    const Timing scanRepeat = BestOf(o.runs, [&] { RunCachedScan(tree, cache, workers); });

    // The appended files back as generated, for the next run.
    for (const std::size_t i : grown) {
        const int m = static_cast<int>(i) / o.files;
        const int f = static_cast<int>(i) % o.files;
        qz::GenerateLineShapedMonth(tree.files[i], YearOf(f), MonthOf(f), o.fileMiB << 20,
                                    FileSeed(o, m, f));
    }
    std::uint64_t cacheBytes = 0;
    for (const char* suffix : {"", "-wal"}) {
        if (std::filesystem::exists(cache + suffix)) {
            cacheBytes += std::filesystem::file_size(cache + suffix);
        }
    }
    const double unchangedShare = unchanged.wall / full.wall;
    const double appendedShare = afterAppend.wall / full.wall;
    const double firstRatio = first.wall / full.wall;
    const double scanShare = scanRepeat.wall / scanFull.wall;
    const double cacheShare = static_cast<double>(cacheBytes) / static_cast<double>(tree.bytes);
    const double peakMiB = static_cast<double>(std::max(peakFirst, peakRepeat)) / 1024.0;
    const auto row = [&](const char* what, const Timing& t) {
        std::printf("  %-52s %8.3f s  (CPU %.3f s)\n", what, t.wall, t.cpu);
    };
    std::printf("best of %d runs\n", o.runs);
    row("report without the cache", full);
    row("first report, empty cache", first);
    row("repeat report, nothing changed", unchanged);
    row("repeat report, 1 % appended to a tenth of the files", afterAppend);
    row("option scan without the cache", scanFull);
    row("repeat option scan, nothing changed", scanRepeat);
    std::printf(
        "  appended %.1f MB in all; cache %.2f MB; peak memory (VmHWM): without the cache "
        "%.1f MiB, first %.1f MiB, repeat %.1f MiB\n",
        static_cast<double>(appended) / 1e6, static_cast<double>(cacheBytes) / 1e6,
        static_cast<double>(peakPlain) / 1024.0, static_cast<double>(peakFirst) / 1024.0,
        static_cast<double>(peakRepeat) / 1024.0);
    std::printf("  counts: without the cache OK %lld NG %lld, repeated %s\n",
                static_cast<long long>(plain.first), static_cast<long long>(plain.second),
                same ? "the same" : "DIFFER");
    std::printf("goals (cache)\n");
    std::printf("  repeat, unchanged / full   %6.2f %%  (<= %.0f %%)  %s\n", 100 * unchangedShare,
                100 * kGoalUnchangedShare, Verdict(unchangedShare <= kGoalUnchangedShare));
    std::printf("  repeat, appended / full    %6.2f %%  (<= %.0f %%)  %s\n", 100 * appendedShare,
                100 * kGoalAppendedShare, Verdict(appendedShare <= kGoalAppendedShare));
    std::printf("  first with cache / full    %6.3fx   (<= %.2fx)  %s\n", firstRatio,
                kGoalFirstRunRatio, Verdict(firstRatio <= kGoalFirstRunRatio));
    std::printf("  repeat scan / full scan    %6.2f %%  (<= %.0f %%)  %s\n", 100 * scanShare,
                100 * kGoalScanShare, Verdict(scanShare <= kGoalScanShare));
    std::printf("  cache size / data          %6.2f %%  (<= %.0f %%)  %s\n", 100 * cacheShare,
                100 * kGoalCacheShare, Verdict(cacheShare <= kGoalCacheShare));
    std::printf("  peak memory, cached        %6.1f MiB (< %.0f MiB)  %s\n", peakMiB, kGoalPeakMiB,
                Verdict(peakMiB < kGoalPeakMiB));
    if (!same) {
        throw std::runtime_error("the cached report differs from the report without the cache");
    }
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string line;
    std::getline(in, line);
    return line + "\n";
}

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const Options o = ParseArgs(argc, argv);
    const unsigned processors = qz::LogicalProcessorCount();
    const std::int32_t workers = qz::WorkerCountFor(processors);

    if (o.onlyCacheRows) {
        CacheRows(o, workers);
        return 0;
    }
    const Tree tree = MakeTree(o);
    std::printf("tree: %s\n      %d machines x %d files, %.1f MB\n", tree.root.c_str(), o.machines,
                o.files, static_cast<double>(tree.bytes) / 1e6);
    std::printf("threads: %d workers (default for %u logical processors)\n", workers, processors);

    // Warm the page cache (and learn the line count for the progress figure).
    const std::uint64_t lines = CountLinesParallel(tree.files, workers);

    // Memory first, while the process holds nothing else.
    const long baseline = StatusKiB("VmRSS");
    const bool resettable = ResetPeak();
    RunJob(tree, tree.machines.size() / 2 + (tree.machines.size() == 1 ? 1 : 0), workers);
    const long peakHalf = StatusKiB("VmHWM");
    ResetPeak();
    RunJob(tree, tree.machines.size(), workers);
    const long peakFull = StatusKiB("VmHWM");

    qz::CReportTotals totals;
    const Timing jobTime =
        BestOf(o.runs, [&] { totals = RunJob(tree, tree.machines.size(), workers); });
    const long long jobOk = totals.m_nOk;
    const long long jobNg = totals.m_nNg;
    const Timing oneTime = BestOf(o.runs, [&] { RunJob(tree, tree.machines.size(), 1); });
    const Timing floorTime = BestOf(o.runs, [&] { CountLinesParallel(tree.files, workers); });
    PeerCounts peer;
    const Timing peerTime = BestOf(o.runs, [&] { peer = RunMawk(tree.files, workers); });
    const double progressOne = ProgressUpdatesSeconds(lines, 1, tree.bytes / lines);
    const double progressAll = ProgressUpdatesSeconds(lines, workers, tree.bytes / lines);

    const double jobSeconds = jobTime.wall;
    const double job = MBps(tree.bytes, jobTime.wall);
    const double one = MBps(tree.bytes, oneTime.wall);
    const double floor = MBps(tree.bytes, floorTime.wall);
    const double mawk = MBps(tree.bytes, peerTime.wall);
    const double peakMiB = static_cast<double>(peakFull) / 1024.0;
    const double growthMiB = static_cast<double>(peakFull - peakHalf) / 1024.0;

    std::printf("\nbest of %d runs, MB/s = 10^6 bytes/s; CPU = user + system seconds\n", o.runs);
    const auto row = [&](const char* what, const Timing& t) {
        std::printf("  %-52s %8.1f MB/s  (%.3f s, CPU %.3f s = %.0f MB per CPU-second)\n", what,
                    MBps(tree.bytes, t.wall), t.wall, t.cpu, MBps(tree.bytes, t.cpu));
    };
    const std::string w = std::to_string(workers);
    row(("report job, " + w + " workers").c_str(), jobTime);
    row("report job, 1 worker", oneTime);
    row(("floor: memchr line count, " + w + " threads").c_str(), floorTime);
    row(("peer: mawk, " + w + " processes over disjoint file subsets").c_str(), peerTime);
    std::printf("  load average at the end: %s", LoadAverage().c_str());
    std::printf(
        "  peak memory (VmHWM%s): half tree %.1f MiB, full tree %.1f MiB "
        "(resident before: %.1f MiB)\n",
        resettable ? ", reset before each job" : ", NOT reset: process peak",
        static_cast<double>(peakHalf) / 1024.0, peakMiB, static_cast<double>(baseline) / 1024.0);
    std::printf(
        "  progress updates alone, %llu lines: 1 thread %.3f s, %d threads %.3f s "
        "(%.0f%% of the job's time)\n",
        static_cast<unsigned long long>(lines), progressOne, workers, progressAll,
        100.0 * progressAll / jobSeconds);
    std::printf("  counts: job OK %lld NG %lld, mawk OK %lld NG %lld: %s\n", jobOk, jobNg, peer.ok,
                peer.ng, jobOk == peer.ok && jobNg == peer.ng ? "agree" : "DIFFER");

    std::printf("\ngoals\n");
    std::printf("  job / mawk         %6.2fx   (>= %.1fx)   %s   [by CPU time: %.2fx]\n",
                job / mawk, kGoalPeer, Verdict(job / mawk >= kGoalPeer),
                peerTime.cpu / jobTime.cpu);
    std::printf("  job / floor        %6.3f    (>= %.3f)  %s   [by CPU time: %.3f] (an aim)\n",
                job / floor, kGoalFloor, Verdict(job / floor >= kGoalFloor),
                floorTime.cpu / jobTime.cpu);
    std::printf("  job / one worker   %6.2fx   (>= %.1fx)   %s\n", job / one, kGoalScaling,
                Verdict(job / one >= kGoalScaling));
    std::printf("  peak memory        %6.1f MiB (< %.0f MiB)  %s\n", peakMiB, kGoalPeakMiB,
                Verdict(peakMiB < kGoalPeakMiB));
    std::printf("  peak growth, half to full tree  %+.1f MiB (<= %.0f MiB)  %s\n", growthMiB,
                kGrowthSlackMiB, Verdict(resettable && growthMiB <= kGrowthSlackMiB));
    if (o.cacheRows) {
        CacheRows(o, workers);
    }
    return jobOk == peer.ok && jobNg == peer.ng ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Main(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qz-bench-jobs: %s\n", error.what());
        return 2;
    }
}

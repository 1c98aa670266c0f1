// qz-bench-jobs: throughput and memory of the report job over a tree of
// machine folders, against a floor and a peer measured in the same run.
//
//   qz-bench-jobs [--machines N] [--files N] [--file-mib N] [--seed N] [--runs N]
//                 [--cache DIR]
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
//               same threads, with nothing else to do.
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

#include "bench/RecordGenerator.h"
#include "dates/DateParser.h"
#include "dates/OleDate.h"
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
        } else {
            throw std::invalid_argument(
                "usage: qz-bench-jobs [--machines N] [--files N] [--file-mib N] [--seed N] "
                "[--runs N] [--cache DIR]");
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

Tree MakeTree(const Options& o) {
    namespace fs = std::filesystem;
    Tree tree;
    tree.root = o.cache + "/m" + std::to_string(o.machines) + "-f" + std::to_string(o.files) + "-" +
                std::to_string(o.fileMiB) + "MiB-s" + std::to_string(o.seed);
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
            const std::string path = folder + "/r" + std::to_string(f) + ".csv";
            if (!reuse) {
                qz::GenerateRecordFile(path, o.fileMiB << 20,
                                       o.seed * 1000003u + static_cast<std::uint64_t>(m) * 1000u +
                                           static_cast<std::uint64_t>(f));
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

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string line;
    std::getline(in, line);
    return line + "\n";
}

const char* Verdict(bool met) {
    return met ? "met" : "NOT MET";
}

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    const Options o = ParseArgs(argc, argv);
    const unsigned processors = qz::LogicalProcessorCount();
    const std::int32_t workers = qz::WorkerCountFor(processors);

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

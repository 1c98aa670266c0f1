// qz-bench-parse: throughput of the report pass over one file on one thread.
//
//   qz-bench-parse [--size MiB] [--runs N] [--file path]
//
// Generates a record file (default 256 MiB) in a temporary folder, or uses
// --file (generated there when it does not exist), warms the page cache and
// then times, on the same file and in the same run:
//   floor: a plain line count (memchr over 1 MiB reads), the least work any
//          line parser must do;
//   parse: the report pass over one file as the report job makes it: the
//          file counted into its fact rows (CountFileFacts) with one worker's
//          progress, and the rows of a range covering every record date
//          summed into the file's counts.
// Prints the best of N runs of each in MB/s (10^6 bytes), their ratio, and
// whether each goal (>= 1000 MB/s; >= 1/4 of the floor) is met, by wall-clock
// and by thread CPU time.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/RecordGenerator.h"
#include "dates/DateParser.h"
#include "dates/OleDate.h"
#include "facts/ReportFactSums.h"
#include "progress/JobProgress.h"
#include "records/FileFactCounter.h"
#include "records/ReportCounts.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kGoalMBps = 1000.0;
constexpr double kGoalRatio = 0.25;

struct Options {
    std::uint64_t sizeMiB = 256;
    int runs = 5;
    std::string file;
};

Options ParseArgs(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 < argc && arg == "--size") {
            options.sizeMiB = std::stoull(argv[++i]);
        } else if (i + 1 < argc && arg == "--runs") {
            options.runs = std::max(1, std::stoi(argv[++i]));
        } else if (i + 1 < argc && arg == "--file") {
            options.file = argv[++i];
        } else {
            throw std::invalid_argument(
                "usage: qz-bench-parse [--size MiB] [--runs N] [--file path]");
        }
    }
    return options;
}

std::uint64_t FileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

// The floor: every byte read once with big reads, every line end found.
std::uint64_t CountLines(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw std::runtime_error(path + ": " + std::strerror(errno));
    }
    constexpr std::size_t kBuffer = std::size_t{1} << 20;
    auto buffer = std::make_unique<char[]>(kBuffer);
    std::uint64_t lines = 0;
    ssize_t got;
    while ((got = ::read(fd, buffer.get(), kBuffer)) > 0) {
        const char* p = buffer.get();
        const char* const end = p + got;
        while ((p = static_cast<const char*>(
                    std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
            ++lines;
            ++p;
        }
    }
    ::close(fd);
    return lines;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double ThreadCpuSeconds() {
    timespec ts{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Best wall-clock and best CPU time of one contender over several runs.
struct Timing {
    double wall = 1e300;
    double cpu = 1e300;

    template <typename F>
    void Run(F&& run) {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpuSeconds();
        run();
        cpu = std::min(cpu, ThreadCpuSeconds() - cpuStart);
        wall = std::min(wall, Seconds(Clock::now() - start));
    }
};

}  // namespace

int main(int argc, char** argv) {
    try {
        const Options options = ParseArgs(argc, argv);
        std::filesystem::path tempDir;
        std::string path = options.file;
        if (path.empty()) {
            const char* tmp = std::getenv("TMPDIR");
            std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/qz-bench-XXXXXX";
            if (::mkdtemp(pattern.data()) == nullptr) {
                throw std::runtime_error(pattern + ": " + std::strerror(errno));
            }
            tempDir = pattern;
            path = pattern + "/records.csv";
        }
        const std::uint64_t wanted = options.sizeMiB << 20;
        if (FileSize(path) < wanted) {
            std::printf("generating %s (%llu MiB)...\n", path.c_str(),
                        static_cast<unsigned long long>(options.sizeMiB));
            qz::GenerateRecordFile(path, wanted, 1);
        }
        const std::uint64_t size = FileSize(path);
        const double mb = static_cast<double>(size) / 1e6;

        qz::ReportCriteria criteria;
        criteria.dtReportStart = qz::OleDate::FromParts(2000, 1, 1);
        criteria.dtReportEnd = qz::OleDate::FromParts(2099, 12, 31);
        criteria.dateLocale = qz::DateLocale::FromName("en_US.UTF-8");
        qz::CReportCounts counts;
        std::size_t factRows = 0;
        bool complete = true;
        auto parse = [&] {
            qz::JobProgress job(1);
            qz::FileProgress progress(job, 0);
            qz::FileFactCount count;
            const bool ended = qz::CountFileFacts(path, criteria.dateLocale, 0, progress, count);
            counts.Clear();
            qz::SumFactRows(count.facts, qz::SelectFactRows(count.facts, criteria), counts);
            factRows = count.facts.rows.size();
            complete = complete && ended && job.ParsedBytes() == size;
        };

        // Warm the page cache; then alternate the two, so that a change in the
        // machine's load hits both alike.
        std::uint64_t lines = CountLines(path);
        Timing floor, parser;
        for (int i = 0; i < options.runs; ++i) {
            floor.Run([&] { lines = CountLines(path); });
            parser.Run(parse);
        }

        std::printf("file:  %s, %llu bytes, %llu lines\n", path.c_str(),
                    static_cast<unsigned long long>(size), static_cast<unsigned long long>(lines));
        std::printf("count: %lld OK, %lld NG, %zu setting files, %zu machine IDs, %zu fact rows\n",
                    static_cast<long long>(counts.m_nOk), static_cast<long long>(counts.m_nNg),
                    counts.m_settingFiles.Size(), counts.m_machineIds.Size(), factRows);
        std::printf("best of %d runs, MB/s (10^6 bytes)   wall-clock   thread CPU time\n",
                    options.runs);
        std::printf("floor (memchr line count)          %10.1f   %15.1f\n", mb / floor.wall,
                    mb / floor.cpu);
        std::printf("parse (CountFileFacts and sums)    %10.1f   %15.1f\n", mb / parser.wall,
                    mb / parser.cpu);
        const double ratio = floor.wall / parser.wall;
        const double cpuRatio = floor.cpu / parser.cpu;
        std::printf("ratio parse/floor                  %10.3f   %15.3f\n", ratio, cpuRatio);
        // Thread CPU time is the figure to judge on a loaded machine: wall-clock
        // also counts the time other processes held the core.
        const auto verdict = [](bool met) { return met ? "met" : "NOT met"; };
        char goal[64];
        std::snprintf(goal, sizeof goal, "goal 1: parse >= %.0f MB/s", kGoalMBps);
        std::printf("%-35s%10s   %15s\n", goal, verdict(mb / parser.wall >= kGoalMBps),
                    verdict(mb / parser.cpu >= kGoalMBps));
        std::snprintf(goal, sizeof goal, "goal 2: ratio >= %.2f", kGoalRatio);
        std::printf("%-35s%10s   %15s\n", goal, verdict(ratio >= kGoalRatio),
                    verdict(cpuRatio >= kGoalRatio));

        if (!tempDir.empty()) {
            std::filesystem::remove_all(tempDir);
        }
        if (!complete) {
            std::fprintf(stderr, "a parse did not complete or missed bytes\n");
            return 1;
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
}

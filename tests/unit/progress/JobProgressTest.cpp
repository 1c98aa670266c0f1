// Progress and cancel of a job: the per-worker counters as the parsers drive
// them, their sum as a reader sees it, and the whole counting path of a job.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "dates/OleDate.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "progress/JobProgress.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/jobs/JobTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

TEST(JobProgressTest, StartsEmptyWithAtLeastOneCounter) {
    const JobProgress none(0);
    EXPECT_EQ(none.WorkerCount(), 1u);
    JobProgress progress(3);
    EXPECT_EQ(progress.WorkerCount(), 3u);
    EXPECT_EQ(progress.ParsedBytes(), 0u);
    EXPECT_EQ(progress.TotalBytes(), 0u);
    EXPECT_FALSE(progress.IsCancelled());
    progress.SetTotalBytes(std::uint64_t{5} << 32);  // beyond 32 bits
    EXPECT_EQ(progress.TotalBytes(), std::uint64_t{5} << 32);
}

// The files one worker reads one after the other: the read position behind
// each line, then at the end. After each call the sum is exactly the bytes of
// the earlier files plus the position in this one.
TEST(JobProgressTest, ExactAfterEveryLineAndAFileAtItsEndAddsItsSize) {
    const struct {
        const char* what;
        std::vector<std::uint64_t> lineEnds;
        std::uint64_t end;
    } files[] = {
        {"lines", {30, 58, 86}, 86},
        {"header only: everything at the end", {}, 40},
        {"a last line without its line end", {12, 25}, 31},
        {"empty", {}, 0},
        {"beyond 4 GiB",
         {std::uint64_t{1} << 32, (std::uint64_t{1} << 32) + 9},
         (std::uint64_t{1} << 32) + 9},
    };
    JobProgress job(2);
    std::uint64_t before = 0;
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        FileProgress progress(job, 1);
        for (const std::uint64_t position : file.lineEnds) {
            progress.AfterLine(position);
            EXPECT_EQ(job.ParsedBytes(), before + position);
        }
        progress.AfterLine(file.end);
        EXPECT_EQ(job.ParsedBytes(), before + file.end);
        before += file.end;
    }
}

// Workers add up side by side while a reader sums: every reading lies between
// the earlier one and the total, and the last one is the total.
TEST(JobProgressTest, ReadersSeeTheSumOfAllWorkersGrowToTheTotal) {
    constexpr std::size_t kWorkers = 4;
    constexpr std::uint64_t kFiles = 50, kLines = 400, kLineBytes = 31;
    JobProgress job(kWorkers);
    std::atomic<bool> done{false};
    std::uint64_t readings = 0;
    bool ordered = true;
    std::thread reader([&] {
        std::uint64_t last = 0;
        while (!done.load()) {
            const std::uint64_t now = job.ParsedBytes();
            ordered = ordered && now >= last && now <= kWorkers * kFiles * kLines * kLineBytes;
            last = now;
            ++readings;
        }
    });
    std::vector<std::thread> workers;
    for (std::size_t worker = 0; worker < kWorkers; ++worker) {
        workers.emplace_back([&job, worker] {
            for (std::uint64_t file = 0; file < kFiles; ++file) {
                FileProgress progress(job, worker);
                for (std::uint64_t line = 1; line <= kLines; ++line) {
                    progress.AfterLine(line * kLineBytes);
                }
                progress.AfterLine(kLines * kLineBytes);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    done = true;
    reader.join();

    EXPECT_TRUE(ordered);
    EXPECT_GT(readings, 0u);
    EXPECT_EQ(job.ParsedBytes(), kWorkers * kFiles * kLines * kLineBytes);
}

TEST(JobProgressTest, EveryWorkersFileSeesACancelFromAnotherThread) {
    JobProgress job(3);
    const FileProgress first(job, 0);
    const FileProgress last(job, 2);
    EXPECT_FALSE(first.IsCancelled());
    std::thread([&job] { job.Cancel(); }).join();
    EXPECT_TRUE(job.IsCancelled());
    EXPECT_TRUE(first.IsCancelled());
    EXPECT_TRUE(last.IsCancelled());
    EXPECT_TRUE(FileProgress(job, 1).IsCancelled());
}

// --- The counting path of the jobs -----------------------------------------

const std::string kHeader = test::RecordFileText().bytes();

// Lines of varying length, some with CR LF, the last without a line end.
std::string RecordBytes(int lines, int seed) {
    test::RecordFileText file;
    for (int i = 0; i < lines; ++i) {
        file.Eol(i % 4 == 0 ? "\r\n" : "\n")
            .Add({.date = "2018/05/0" + std::to_string(1 + (i + seed) % 9),
                  .cable = "c" + std::to_string(i),
                  .settingFile = "S" + std::to_string((i * 7 + seed) % 13),
                  .machineId = "M" + std::to_string(i % 3),
                  .result = i % 5 == 0 ? "NG" : "OK"});
    }
    return file.Append(test::RecordLine({.cable = "c"}, ""));
}

// The read positions behind each line of bytes, the file's end included.
std::set<std::uint64_t> LineEnds(const std::string& bytes) {
    std::set<std::uint64_t> ends;
    for (std::size_t lf = bytes.find('\n'); lf != std::string::npos;
         lf = bytes.find('\n', lf + 1)) {
        ends.insert(lf + 1);
    }
    ends.insert(bytes.size());
    return ends;
}

ReportCriteria May2018() {
    ReportCriteria criteria;
    criteria.dtReportStart = OleDate::FromParts(2018, 5, 1);
    criteria.dtReportEnd = OleDate::FromParts(2018, 5, 31);
    criteria.dateLocale = DateLocale::FromName("C");  // reads year-first dates
    return criteria;
}

// One worker over one large file while a reader samples: each reading is 0 or
// the position behind one of the file's lines, never a line's middle. A run
// whose readings all fell at the ends proves nothing, so it is repeated.
TEST(JobProgressTest, AReportJobsReadingsFallBehindWholeLines) {
    test::TempDir dir;
    const std::string bytes = RecordBytes(250000, 1);
    const std::string folder = dir.MakeDir("ReportData/A");
    dir.Write("ReportData/A/big.csv", bytes);
    const std::set<std::uint64_t> ends = LineEnds(bytes);

    bool sawMidFile = false;
    for (int attempt = 0; attempt < 5 && !sawMidFile; ++attempt) {
        ReportJob job({{folder}, May2018(), 1});
        std::atomic<bool> done{false};
        std::vector<std::uint64_t> readings;
        std::thread reader([&] {
            while (!done.load()) {
                const std::uint64_t now = job.Progress().ParsedBytes();
                if (readings.empty() || readings.back() != now) {
                    readings.push_back(now);
                }
            }
        });
        {
            test::Watchdog watchdog("a report job", 60s);
            job.Run();
        }
        done = true;
        reader.join();

        ASSERT_EQ(job.Progress().TotalBytes(), bytes.size());
        ASSERT_EQ(job.Progress().ParsedBytes(), bytes.size());
        ASSERT_TRUE(std::is_sorted(readings.begin(), readings.end()));
        for (const std::uint64_t reading : readings) {
            ASSERT_TRUE(reading == 0 || ends.count(reading) != 0) << reading;
            sawMidFile = sawMidFile || (reading > 0 && reading < bytes.size());
        }
    }
    EXPECT_TRUE(sawMidFile);
}

// Both jobs over a tree on several workers: at the end the parsed bytes are
// the measured total. With one worker held in the sink, told of a folder
// between two machines, the files before it are in exactly.
TEST(JobProgressTest, AJobsParsedBytesReachItsTotal) {
    test::TempDir dir;
    std::uint64_t firstMachine = 0, total = 0;
    std::vector<std::string> folders;
    for (int machine = 0; machine < 4; ++machine) {
        const std::string name = "M" + std::to_string(machine);
        folders.push_back(dir.MakeDir("ReportData/" + name));
        for (int file = 0; file < 3; ++file) {
            const std::string bytes = RecordBytes(machine * 900 + file * 50, file);
            dir.Write("ReportData/" + name + "/" + std::to_string(file) + ".csv", bytes);
            total += bytes.size();
            firstMachine += machine == 0 ? bytes.size() : 0;
        }
    }
    dir.Write("ReportData/header-only/1.csv", kHeader);
    total += kHeader.size();
    folders.push_back(dir.path() + "/ReportData/header-only");
    // Between the first machine and the rest: a folder whose one entry fails.
    dir.MakeDir("ReportData/hold/sub");
    folders.insert(folders.begin() + 1, dir.path() + "/ReportData/hold");

    for (const std::int32_t workers : {1, 3}) {
        SCOPED_TRACE(testing::Message() << workers << " workers");
        {
            test::BlockingSink boxes;
            ReportJob job({folders, May2018(), workers, boxes.Sink()});
            test::Watchdog watchdog("a report job", 60s);
            std::thread run([&job] { job.Run(); });
            EXPECT_TRUE(boxes.WaitForBoxes(1, 30s));
            if (workers == 1) {
                EXPECT_EQ(job.Progress().ParsedBytes(), firstMachine);
            }
            boxes.Open();
            run.join();
            EXPECT_EQ(job.Progress().TotalBytes(), total);
            EXPECT_EQ(job.Progress().ParsedBytes(), total);
        }
        {
            test::JobEventRecorder messages;
            OptionScanJob job({folders, workers, messages.Sink()});
            test::Watchdog watchdog("an option scan", 60s);
            job.Run();
            EXPECT_EQ(messages.texts().size(), 1u);
            EXPECT_EQ(job.Progress().TotalBytes(), total);
            EXPECT_EQ(job.Progress().ParsedBytes(), total);
        }
    }
}

}  // namespace
}  // namespace qz

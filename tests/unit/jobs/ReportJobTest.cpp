// The report job and the option scan job over small machine folders: what
// they measure and read, entries that fail, the order of the report's keys,
// and cancels.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "dates/OleDate.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "report/DataPaths.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/jobs/JobTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
using Values = std::vector<std::string>;
using Counts = std::vector<std::pair<std::string, std::int64_t>>;
using CountsByKey = std::map<std::string, std::int64_t>;

constexpr std::int32_t kWorkerCounts[] = {1, 2, 5};

class ReportJobTest : public ::testing::Test {
  protected:
    // Writes a record file into machine's folder; returns its size.
    std::uint64_t Record(const std::string& machine, const std::string& name,
                         const std::string& content) {
        m_dir.Write("ReportData/" + machine + "/" + name, content);
        return content.size();
    }

    std::vector<std::string> Folders(std::initializer_list<const char*> machines) const {
        std::vector<std::string> folders;
        for (const char* machine : machines) {
            folders.push_back(m_paths.MachineFolder(machine));
        }
        return folders;
    }

    static ReportCriteria Year2018() {
        ReportCriteria criteria;
        criteria.dtReportStart = OleDate::FromParts(2018, 1, 1);
        criteria.dtReportEnd = OleDate::FromParts(2018, 12, 31);
        criteria.dateLocale = DateLocale::FromName("C");  // reads year-first dates
        return criteria;
    }

    test::TempDir m_dir;
    DataPaths m_paths = DataPaths::Under(m_dir.path() + "/");
};

bool NothingCounted(const CReportTotals& totals) {
    return totals.m_nOk == 0 && totals.m_nNg == 0 && totals.m_settingFiles.IsEmpty() &&
           totals.m_machineIds.IsEmpty();
}

bool NothingFound(const OptionValues& found) {
    return found.settingFiles.IsEmpty() && found.machineIds.IsEmpty() && found.customers.IsEmpty();
}

TEST_F(ReportJobTest, OptionScanFindsTheUnionOfTheChosenMachinesValues) {
    std::uint64_t total = 0;
    total += Record("A", "1.csv", "h\nd,n,S1,C1,M1\n");
    total += Record("A", "2.csv", "h\nd,n,S2,C1,M1\nd,n,S1,C2,M1\n");
    total += Record("A", "3.csv", "header\n");
    m_dir.MakeDir("ReportData/B");
    Record("C", "1.csv", "h\nd,n,S_unchosen,C_unchosen,M_unchosen\n");
    total += Record("D", "1.csv", "h\nd,n,S3,C1,M2\r\nd,n,S2\n");

    for (const std::int32_t workers : kWorkerCounts) {
        SCOPED_TRACE(testing::Message() << workers << " workers");
        OptionScanJob job({Folders({"A", "B", "D"}), workers});
        test::Watchdog watchdog("an option scan", 60s);
        const OptionValues found = job.Run();

        EXPECT_EQ(test::ToVector(found.settingFiles), (Values{"S1", "S2", "S3"}));
        EXPECT_EQ(test::ToVector(found.customers), (Values{"C1", "C2"}));
        EXPECT_EQ(test::ToVector(found.machineIds), (Values{"M1", "M2"}));
        EXPECT_EQ(job.Progress().TotalBytes(), total);
        EXPECT_EQ(job.Progress().ParsedBytes(), total);
    }
}

// Neither job starts a worker when the chosen machines hold no byte: the
// sub-folder would be shown as a file error if it were handed out.
TEST_F(ReportJobTest, NoBytesNothingReadAndNothingCounted) {
    test::JobEventRecorder messages;
    Record("A", "empty.csv", "");
    m_dir.MakeDir("ReportData/A/sub");
    const std::vector<std::string> folders = Folders({"A", "missing"});

    ReportJob report({folders, Year2018(), 2, messages.Sink()});
    OptionScanJob scan({folders, 2, messages.Sink()});
    test::Watchdog watchdog("jobs without data", 60s);
    const ReportResult result = report.Run();
    EXPECT_TRUE(NothingCounted(result));
    EXPECT_TRUE(NothingFound(scan.Run()));
    // Listed, though nothing is read, so nothing fails.
    EXPECT_EQ(result.filesListed, 2u);
    EXPECT_EQ(result.filesFailed, 0u);

    for (JobProgress* progress : {&report.Progress(), &scan.Progress()}) {
        EXPECT_EQ(progress->TotalBytes(), 0u);
        EXPECT_EQ(progress->ParsedBytes(), 0u);
    }
    EXPECT_TRUE(messages.texts().empty());
}

// Each entry that cannot be read is told once, from its worker, and every
// other file counts; a worker that met one takes the next file. The first
// machine holds only a failing entry, so that a single worker meets it first.
TEST_F(ReportJobTest, FailingEntriesAreShownAndTheOtherFilesCount) {
    m_dir.MakeDir("ReportData/A/sub-first");
    std::uint64_t total = 0;
    total += Record("B", "1.csv", "h\n2018/05/03,n,S1,C,M1,x,OK\n2018/05/03,n,S1,C,M1,x,NG\n");
    total += Record("B", "2.csv", "h\n2018/05/04,n,S2,C,M2,x,OK\n");
    total += Record("B", "empty.csv", "");
    m_dir.MakeDir("ReportData/B/sub");
    const std::string folderB = m_dir.path() + "/ReportData/B/";
    ASSERT_EQ(::mkfifo((folderB + "fifo").c_str(), 0600), 0);
    ASSERT_EQ(::symlink((folderB + "no-such-file").c_str(), (folderB + "dangling").c_str()), 0);
    std::vector<std::string> failing = {"sub-first", "sub", "fifo", "dangling"};
    // The failed files in list order, whichever worker met them first.
    std::vector<std::string> failedInListOrder = {m_dir.path() + "/ReportData/A/sub-first",
                                                  folderB + "dangling", folderB + "fifo"};
    std::uint64_t unreadable = 0;  // measured, but none of it is read
    if (::geteuid() != 0) {        // root reads a file whatever its mode
        unreadable = Record("B", "locked.csv", "h\n2018/05/05,n,S9,C,M9,x,OK\n");
        ASSERT_EQ(::chmod((folderB + "locked.csv").c_str(), 0), 0);
        total += unreadable;
        failing.push_back("locked.csv");
        failedInListOrder.push_back(folderB + "locked.csv");
    }
    failedInListOrder.push_back(folderB + "sub");
    const auto expectShownOnce = [&failing](const std::vector<std::string>& texts) {
        EXPECT_EQ(texts.size(), failing.size());
        for (const std::string& name : failing) {
            EXPECT_EQ(std::count_if(texts.begin(), texts.end(),
                                    [&](const std::string& text) {
                                        return text.find(name + ": ") != std::string::npos;
                                    }),
                      1)
                << name;
        }
    };

    for (const std::int32_t workers : kWorkerCounts) {
        SCOPED_TRACE(testing::Message() << workers << " workers");
        {
            test::JobEventRecorder messages;
            ReportJob job({Folders({"A", "B"}), Year2018(), workers, messages.Sink()});
            test::Watchdog watchdog("a report with failing entries", 60s);
            const ReportResult totals = job.Run();
            EXPECT_EQ(totals.m_nOk, 2);
            EXPECT_EQ(totals.m_nNg, 1);
            // The three files of B that read (one of them empty) and the failing ones.
            EXPECT_EQ(totals.filesListed, 3 + failing.size());
            EXPECT_EQ(totals.filesFailed, failing.size());
            EXPECT_EQ(totals.failedFiles, failedInListOrder);
            EXPECT_EQ(test::ToMap(totals.m_settingFiles, &OkNg::ok),
                      (CountsByKey{{"S1", 1}, {"S2", 1}}));
            EXPECT_EQ(test::ToMap(totals.m_settingFiles, &OkNg::ng),
                      (CountsByKey{{"S1", 1}, {"S2", 0}}));
            EXPECT_EQ(job.Progress().TotalBytes(), total);
            EXPECT_EQ(job.Progress().ParsedBytes(), total - unreadable);
            expectShownOnce(messages.texts());
        }
        {
            test::JobEventRecorder messages;
            OptionScanJob job({Folders({"A", "B"}), workers, messages.Sink()});
            test::Watchdog watchdog("an option scan with failing entries", 60s);
            const OptionValues found = job.Run();
            EXPECT_EQ(test::ToVector(found.settingFiles), (Values{"S1", "S2"}));
            EXPECT_EQ(test::ToVector(found.machineIds), (Values{"M1", "M2"}));
            expectShownOnce(messages.texts());
        }
    }
}

// The first machine's one file is far longer than the others', so with several
// workers the later files are done first. The keys still come in the order a
// single worker reading the files in list order gives.
TEST_F(ReportJobTest, KeysFollowTheFileOrderWhateverWorkerReadWhich) {
    constexpr std::int32_t kLongLines = 200000;
    std::string longFile = "h\n";
    for (std::int32_t i = 0; i < kLongLines; ++i) {
        longFile += "2018/05/03,n,S_A,C,W_A,1,OK\n";
    }
    longFile += "2018/05/03,n,S_SHARED,C,W_SHARED,1,NG\n";
    Record("A", "1.csv", longFile);
    for (const std::string machine : {"B", "C", "D", "E"}) {
        Record(machine, "1.csv",
               "h\n2018/05/03,n,S_SHARED,C,W_SHARED,1,OK\n2018/05/03,n,S_" + machine + ",C,W_" +
                   machine + ",1,NG\n");
    }
    const auto keys = [](const char* prefix, std::int32_t a, std::int32_t shared,
                         std::int32_t other) {
        Counts counts = {{std::string(prefix) + "A", a}, {std::string(prefix) + "SHARED", shared}};
        for (const char* machine : {"B", "C", "D", "E"}) {
            counts.emplace_back(prefix + std::string(machine), other);
        }
        return counts;
    };

    for (const std::int32_t workers : {1, 2, 4, 8}) {
        for (int run = 0; run < 3; ++run) {
            SCOPED_TRACE(testing::Message() << workers << " workers, run " << run);
            ReportJob job({Folders({"A", "B", "C", "D", "E"}), Year2018(), workers});
            test::Watchdog watchdog("a report", 60s);
            const ReportResult totals = job.Run();

            EXPECT_EQ(totals.filesListed, 5u);
            EXPECT_EQ(totals.filesFailed, 0u);
            EXPECT_EQ(totals.m_nOk, kLongLines + 4);
            EXPECT_EQ(totals.m_nNg, 5);
            EXPECT_EQ(test::InOrder(totals.m_settingFiles, &OkNg::ok),
                      keys("S_", kLongLines, 4, 0));
            EXPECT_EQ(test::InOrder(totals.m_settingFiles, &OkNg::ng), keys("S_", 0, 1, 1));
            EXPECT_EQ(test::InOrder(totals.m_machineIds, &OkNg::ok), keys("W_", kLongLines, 4, 0));
            EXPECT_EQ(test::InOrder(totals.m_machineIds, &OkNg::ng), keys("W_", 0, 1, 1));
            // The fact rows too, each with its machine, in file order.
            std::vector<std::string> rows;
            for (const ReportFactRow& row : totals.facts.rows) {
                rows.push_back(totals.facts.texts.At(row.machine) + " " +
                               totals.facts.texts.At(row.settingFile) + " " +
                               std::to_string(row.counts.ok) + "/" + std::to_string(row.counts.ng));
            }
            Values expected = {"A S_A " + std::to_string(kLongLines) + "/0", "A S_SHARED 0/1"};
            for (const std::string machine : {"B", "C", "D", "E"}) {
                expected.push_back(machine + " S_SHARED 1/0");
                expected.push_back(machine + " S_" + machine + " 0/1");
            }
            EXPECT_EQ(rows, expected);
        }
    }
}

// A cancel before the run: the files are measured, none is handed out (the
// failing entry would show a box), nothing is read or counted.
TEST_F(ReportJobTest, ACancelBeforeTheRunReadsNothing) {
    test::JobEventRecorder messages;
    m_dir.MakeDir("ReportData/A/sub");
    const std::uint64_t total = Record("A", "1.csv", "h\n2018/05/03,n,S1,C,M1,x,OK\n");
    const std::vector<std::string> folders = Folders({"A"});

    ReportJob report({folders, Year2018(), 2, messages.Sink()});
    OptionScanJob scan({folders, 2, messages.Sink()});
    report.Progress().Cancel();
    scan.Progress().Cancel();
    test::Watchdog watchdog("cancelled jobs", 60s);
    const ReportResult result = report.Run();
    EXPECT_TRUE(NothingCounted(result));
    EXPECT_TRUE(NothingFound(scan.Run()));
    EXPECT_EQ(result.filesListed, 2u);
    EXPECT_EQ(result.filesFailed, 0u);

    for (JobProgress* progress : {&report.Progress(), &scan.Progress()}) {
        EXPECT_EQ(progress->TotalBytes(), total);
        EXPECT_EQ(progress->ParsedBytes(), 0u);
    }
    EXPECT_TRUE(messages.texts().empty());
}

// Both workers are held in their sink (message boxes the operator has not
// closed) when another thread cancels. The
// cancel does not wait for the boxes; once the operator closes them the job
// ends at once and reads none of the files still to come.
TEST_F(ReportJobTest, ACancelWhileWorkersWaitInMessageBoxesEndsTheJob) {
    m_dir.MakeDir("ReportData/A/sub");
    m_dir.MakeDir("ReportData/B/sub");
    std::uint64_t total = 0;
    for (const char* name : {"1.csv", "2.csv", "3.csv"}) {
        total += Record("C", name, "h\n2018/05/03,n,S1,C,M1,x,OK\n");
    }
    const std::vector<std::string> folders = Folders({"A", "B", "C"});

    for (const bool report : {true, false}) {
        SCOPED_TRACE(report ? "report" : "option scan");
        test::BlockingSink boxes;
        ReportJob reportJob({folders, Year2018(), 2, boxes.Sink()});
        OptionScanJob scanJob({folders, 2, boxes.Sink()});
        JobProgress& progress = report ? reportJob.Progress() : scanJob.Progress();
        bool nothing = false;
        test::Watchdog watchdog("a job cancelled during message boxes", 60s);
        std::thread job([&] {
            nothing = report ? NothingCounted(reportJob.Run()) : NothingFound(scanJob.Run());
        });
        EXPECT_TRUE(boxes.WaitForBoxes(2, 30s));
        std::thread([&progress] { progress.Cancel(); }).join();
        boxes.Open();
        job.join();

        EXPECT_TRUE(nothing);
        EXPECT_EQ(boxes.texts().size(), 2u);
        EXPECT_EQ(progress.TotalBytes(), total);
        EXPECT_EQ(progress.ParsedBytes(), 0u);
    }
}

}  // namespace
}  // namespace qz

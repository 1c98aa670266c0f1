// Faults of a live production line met by the report job: the tree changing
// between the size pass and the parse, files that grow or are cut while they
// are parsed, links that lead nowhere or in a circle, a machine folder that
// goes after it was listed, and a script folder that cannot be written.
// Every run is under a watchdog, so a hang fails the test instead of the suite.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "dates/OleDate.h"
#include "jobs/ReportJob.h"
#include "platform/FolderLock.h"
#include "records/ReportCounts.h"
#include "report/DataPaths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/jobs/JobTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kHeader = test::RecordFileText().bytes();
const std::string kOkLine = test::RecordLine({});

std::string Records(std::size_t lines) {
    return test::RecordFileText().Add({}, lines);
}

std::uint64_t SizeOf(const std::string& path) {
    return fs::file_size(path);
}

class JobFaultTest : public ::testing::Test {
  protected:
    std::string Record(const std::string& machine, const std::string& name,
                       const std::string& content) {
        return m_dir.Write("ReportData/" + machine + "/" + name, content);
    }

    std::vector<std::string> Folders(std::initializer_list<const char*> machines) const {
        std::vector<std::string> folders;
        for (const char* machine : machines) {
            folders.push_back(m_paths.MachineFolder(machine));
        }
        return folders;
    }

    static ReportRequest Request(std::vector<std::string> folders, std::int32_t workers,
                                 JobSink sink) {
        ReportRequest request;
        request.sink = std::move(sink);
        request.machineFolders = std::move(folders);
        request.criteria.dtReportStart = OleDate::FromParts(2018, 1, 1);
        request.criteria.dtReportEnd = OleDate::FromParts(2018, 12, 31);
        request.criteria.dateLocale = DateLocale::FromName("C");  // reads year-first dates
        request.workerCount = workers;
        return request;
    }

    test::TempDir m_dir;
    DataPaths m_paths = DataPaths::Under(m_dir.path() + "/");
    std::string m_data = m_dir.MakeDir("ReportData");
};

// The job lists and measures the files in one pass, then reads them; here the
// tree changes between the two. The only worker is held in the message box of
// a sub-folder in the first machine folder, so the listing is over when the
// files of the second change.
TEST_F(JobFaultTest, TreeChangedBetweenListingAndParse) {
    m_dir.MakeDir("ReportData/A/hold");
    const std::string keep = Record("B", "keep.csv", Records(2));
    const std::string goneBeforeListing = Record("B", "gone-before-listing.csv", Records(3));
    const std::string goneAfterListing = Record("B", "gone-after-listing.csv", Records(4));
    const std::string grows = Record("B", "grows.csv", Records(5));
    const std::string shrinks = Record("B", "shrinks.csv", Records(6));
    const std::uint64_t total =
        SizeOf(keep) + SizeOf(goneAfterListing) + SizeOf(grows) + SizeOf(shrinks);
    fs::remove(goneBeforeListing);

    test::BlockingSink boxes;
    ReportJob job(Request(Folders({"A", "B"}), 1, boxes.Sink()));
    test::Watchdog watchdog("a report job", 60s);
    CReportTotals totals;
    std::thread run([&] { totals = job.Run(); });
    EXPECT_TRUE(boxes.WaitForBoxes(1, 30s));
    EXPECT_EQ(job.Progress().TotalBytes(), total);
    fs::remove(goneAfterListing);
    std::ofstream(grows, std::ios::binary | std::ios::app) << kOkLine << kOkLine;
    fs::resize_file(shrinks, kHeader.size() + kOkLine.size());
    boxes.Open();
    run.join();

    // A file gone before the listing is not handed out; one gone after it is
    // a file error; a grown file counts whole and a cut one as it stands now,
    // so the parsed bytes miss the total in either direction.
    const auto texts = boxes.texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_NE(texts[0].find("hold"), std::string::npos) << texts[0];
    EXPECT_NE(texts[1].find("gone-after-listing.csv"), std::string::npos) << texts[1];
    EXPECT_EQ(totals.m_nOk, 2 + 7 + 1);
    EXPECT_EQ(totals.m_nNg, 0);
    EXPECT_EQ(job.Progress().ParsedBytes(), SizeOf(keep) + SizeOf(grows) + SizeOf(shrinks));
    EXPECT_EQ(job.Progress().TotalBytes(), total);
}

// The record file is changed while its worker is in the middle of it. Nothing
// can hold a worker inside a file, so the change is made as soon as the worker
// has begun, and the run is trusted only when the worker was then still far
// (more than its read-ahead) from the changed part: otherwise it is repeated.
TEST_F(JobFaultTest, FileChangedWhileItIsParsed) {
    // Far larger than the reader's buffer (1 MiB), so a cut at its middle lies
    // beyond what the worker has read when the file is cut.
    constexpr std::size_t kBigLines = 450000;  // about 12 MiB
    constexpr std::size_t kCutLines = 220000;
    const std::size_t kCutInLine = kOkLine.size() - 2;  // "...,3,O"
    constexpr std::uint64_t kReadAhead = std::uint64_t{3} << 20;
    const std::uint64_t kCutAt = kHeader.size() + kCutLines * kOkLine.size() + kCutInLine;
    struct Case {
        const char* what;
        std::function<void(const std::string&)> change;
        std::uint64_t changedFrom;  // the first byte the change touches
        std::int64_t ok, ng;
        std::uint64_t parsed;
        std::uint64_t linesLeftOut;
    } const cases[] = {
        {"cut in the middle of a record",
         [kCutAt](const std::string& path) { fs::resize_file(path, kCutAt); }, kCutAt, kCutLines,
         0,  // the cut record ("...,3,O") ends a file changed just now: left out
         kCutAt, 1},
        {"appended to",
         [](const std::string& path) {
             std::ofstream(path, std::ios::binary | std::ios::app) << kOkLine << kOkLine;
         },
         kHeader.size() + kBigLines * kOkLine.size(), kBigLines + 2, 0,
         kHeader.size() + (kBigLines + 2) * kOkLine.size(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bool trusted = false;
        for (int attempt = 0; attempt < 20 && !trusted; ++attempt) {
            fs::remove_all(m_data);
            const std::string path = Record("A", "big.csv", Records(kBigLines));
            const std::uint64_t size = SizeOf(path);

            test::JobEventRecorder messages;
            ReportJob job(Request(Folders({"A"}), 1, messages.Sink()));
            test::Watchdog watchdog("a report job", 60s);
            CReportTotals totals;
            std::atomic<bool> ended{false};
            std::thread run([&] {
                totals = job.Run();
                ended = true;
            });
            while (job.Progress().ParsedBytes() == 0 && !ended.load()) {
                std::this_thread::yield();
            }
            c.change(path);
            trusted = job.Progress().ParsedBytes() + kReadAhead < c.changedFrom;
            run.join();
            if (!trusted) {
                continue;
            }

            EXPECT_TRUE(messages.texts().empty());
            EXPECT_EQ(totals.m_nOk, c.ok);
            EXPECT_EQ(totals.m_nNg, c.ng);
            EXPECT_EQ(totals.m_linesLeftOut, c.linesLeftOut);
            EXPECT_EQ(job.Progress().ParsedBytes(), c.parsed);
            EXPECT_EQ(job.Progress().TotalBytes(), size);
            EXPECT_EQ(test::ToMap(totals.m_settingFiles, &OkNg::ng),
                      (std::map<std::string, std::int64_t>{{"S1", c.ng}}));
        }
        EXPECT_TRUE(trusted) << "the worker was never caught early in the file";
    }
}

TEST_F(JobFaultTest, LinksThatLeadNowhereAreFileErrors) {
    test::JobEventRecorder messages;
    const std::string real = Record("A", "real.csv", Records(2));
    const std::string folder = m_dir.MakeDir("ReportData/A/sub");
    const struct {
        const char* name;
        std::string target;
        int error;  // 0: no error
    } links[] = {
        {"dangling", m_data + "/A/no-such-file", ENOENT},
        {"loop", m_data + "/A/loop", ELOOP},
        {"to-folder", folder, EISDIR},
        {"to-file", real, 0},
    };
    for (const auto& link : links) {
        ASSERT_EQ(::symlink(link.target.c_str(), (m_data + "/A/" + link.name).c_str()), 0);
    }
    ReportJob job(Request(Folders({"A"}), 3, messages.Sink()));
    CReportTotals totals;
    {
        test::Watchdog watchdog("a report job", 60s);
        totals = job.Run();
    }

    // A link counts as what it leads to: the link to the record file counts
    // its records once more; the others have no size and fail to open.
    EXPECT_EQ(totals.m_nOk, 4);
    EXPECT_EQ(job.Progress().TotalBytes(), 2 * SizeOf(real));
    EXPECT_EQ(job.Progress().ParsedBytes(), 2 * SizeOf(real));
    auto texts = messages.texts();
    EXPECT_EQ(texts.size(), 4u);  // the three links and the sub-folder
    for (const auto& link : links) {
        if (link.error == 0) {
            continue;
        }
        const auto it = std::find_if(texts.begin(), texts.end(), [&](const std::string& text) {
            return text.find(std::string(link.name) + ": ") != std::string::npos;
        });
        ASSERT_NE(it, texts.end()) << link.name;
        EXPECT_NE(it->find(std::strerror(link.error)), std::string::npos) << *it;
    }
}

TEST_F(JobFaultTest, MachineFolderGoneAfterItWasListed) {
    const std::string kept = Record("A", "1.csv", Records(3));
    Record("B", "1.csv", Records(5));
    Record("C", "1.csv", Records(7));
    std::vector<std::string> machines = ScanMachineFolders(m_paths);
    std::sort(machines.begin(), machines.end());
    ASSERT_EQ(machines, (std::vector<std::string>{"A", "B", "C"}));
    std::vector<std::string> folders;
    for (const std::string& machine : machines) {
        folders.push_back(m_paths.MachineFolder(machine));
    }
    // B vanishes; C is replaced by a plain file of the same name.
    fs::remove_all(m_data + "/B");
    fs::remove_all(m_data + "/C");
    m_dir.Write("ReportData/C", "not a folder\n");
    test::JobEventRecorder messages;

    ReportJob job(Request(folders, 2, messages.Sink()));
    CReportTotals totals;
    {
        test::Watchdog watchdog("a report job", 60s);
        totals = job.Run();
    }

    EXPECT_EQ(totals.m_nOk, 3);
    EXPECT_EQ(job.Progress().TotalBytes(), SizeOf(kept));
    EXPECT_EQ(job.Progress().ParsedBytes(), SizeOf(kept));
    EXPECT_TRUE(messages.texts().empty());
}

// Runs the report command where no script can be written: a non-empty folder
// stands in each script's place, which no rename can replace (not even
// root's), so the fault needs no privilege and the test runs everywhere.
TEST_F(JobFaultTest, ScriptsThatCannotBeWrittenExitWithThree) {
    test::HomeRedirect home;
    test::ScopedEnv locale("LC_ALL", "C");
    Record("A", "1.csv", Records(3));
    const std::string out = m_dir.MakeDir("out");
    const char* const scripts[] = {"chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
                                   "tableSummary.js", "tableSettingFile.js", "tableMachineId.js"};
    for (const char* script : scripts) {
        m_dir.Write(std::string("out/") + script + "/keep", "kept");
    }

    const test::ChildResult result =
        test::RunChild({QZ_BATCH_EXECUTABLE, "--root", m_dir.path(), "--from", "2018-05-01", "--to",
                        "2018-05-31", "--out", out},
                       m_dir.path());

    // The totals are still printed.
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.out, "OK: 3\nNG: 0\n");
    // The set is one report's or none: the first script whose place is taken
    // stops it, one message names that script, nothing is renamed and no new
    // file is left (the folder's lock file aside).
    std::set<std::string> expected(std::begin(scripts), std::end(scripts));
    expected.insert(std::string(FolderLock::kLockFileName));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, expected);
    EXPECT_NE(result.err.find(out + "/" + scripts[0]), std::string::npos) << result.err;
    for (const char* script : scripts) {
        EXPECT_EQ(test::ReadFile(out + "/" + script + "/keep"), "kept") << script;
    }
}

}  // namespace
}  // namespace qz

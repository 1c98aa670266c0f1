// Faults of a live production line met by the report job: the tree changing
// between the size pass and the parse, files that grow or are cut while they
// are parsed, links that lead nowhere or in a circle, a machine folder that
// goes after it was listed, and a script folder that cannot be written.
// Every run is under a watchdog, so a hang fails the test instead of the suite.

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "jobs/ParseJobs.h"
#include "progress/ProgressState.h"
#include "jobs/WorkerPool.h"
#include "platform/MessageBox.h"
#include "report/DataPaths.h"
#include "records/ReportCounts.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/parse/ParseTestSupport.h"
#include "tests/unit/reliability/ChildProcess.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::string_view kHeader = "Date,Cable,SettingFile,Customer,MachineID,Port,Result\n";
constexpr std::string_view kOkLine = "2018/05/03,C1,S1,CU,M1,3,OK\n";

std::string Records(std::size_t lines) {
    std::string text(kHeader);
    for (std::size_t i = 0; i < lines; ++i) {
        text += kOkLine;
    }
    return text;
}

std::uint64_t SizeOf(const std::string& path) {
    return fs::file_size(path);
}

// Stands in for the operator: every message box blocks its thread until the
// test lets it go, as a real box blocks its worker until it is closed.
class BlockingMessageBox {
  public:
    BlockingMessageBox() {
        m_previous = SetMessageBoxHandler([this](const std::string& text) {
            std::unique_lock lock(m_mutex);
            m_texts.push_back(text);
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_open; });
        });
    }
    ~BlockingMessageBox() {
        Open();
        SetMessageBoxHandler(m_previous);
    }

    // Waits until `count` boxes came up; false after the limit.
    bool WaitForBoxes(std::size_t count, std::chrono::seconds limit) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] { return m_texts.size() >= count; });
    }
    // Closes every box, now and later.
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    std::vector<std::string> texts() {
        std::lock_guard lock(m_mutex);
        return m_texts;
    }

  private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_texts;
    bool m_open = false;
    MessageBoxHandler m_previous;
};

class JobFaultTest : public ::testing::Test {
  protected:
    void SetUp() override { m_data = m_dir.MakeDir("ReportData"); }
    void TearDown() override { test::ResetJobState("", {}); }

    std::string Record(const std::string& machine, const std::string& name,
                       const std::string& content) {
        return m_dir.Write("ReportData/" + machine + "/" + name, content);
    }

    void RunJob(std::vector<int> rows, std::int32_t workers) {
        ParseJobInput input;
        input.checkedRows = std::move(rows);
        input.workerCount = workers;
        test::Watchdog watchdog("a report job", 60s);
        RunReportJob(input);
    }

    test::TempDir m_dir;
    std::string m_data;
};

TEST_F(JobFaultTest, TreeChangedBetweenSizePassAndParse) {
    test::MessageBoxRecorder messages;
    const std::string keep = Record("A", "keep.csv", Records(2));
    const std::string goneBeforeListing = Record("A", "gone-before-listing.csv", Records(3));
    const std::string goneAfterListing = Record("A", "gone-after-listing.csv", Records(4));
    const std::string grows = Record("A", "grows.csv", Records(5));
    const std::string shrinks = Record("A", "shrinks.csv", Records(6));
    const std::uint64_t total = SizeOf(keep) + SizeOf(goneBeforeListing) +
                                SizeOf(goneAfterListing) + SizeOf(grows) + SizeOf(shrinks);
    test::ResetJobState(m_data, {"A"});

    // The job's steps, with the tree changed between them.
    test::Watchdog watchdog("the report steps", 60s);
    ComputeTotalSize({0});
    ASSERT_EQ(g_totalBytes.load(), total);
    fs::remove(goneBeforeListing);
    std::vector<std::string> files;
    ListMachineFiles(files, m_data + "\\A\\*");
    ASSERT_EQ(files.size(), 4u);
    fs::remove(goneAfterListing);
    std::ofstream(grows, std::ios::binary | std::ios::app) << kOkLine << kOkLine;
    fs::resize_file(shrinks, kHeader.size() + kOkLine.size());
    CParseWorkerPool pool;
    pool.Start(2);
    for (const std::string& path : files) {
        ASSERT_EQ(pool.Dispatch(kModeReport, path), kDispatchOk);
    }
    pool.Stop(kModeReport);

    // A file gone before the listing is not handed out; one gone after it is
    // a file error; a grown file counts whole and a cut one as it stands now,
    // so the parsed bytes miss the total in either direction.
    const auto texts = messages.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("gone-after-listing.csv"), std::string::npos) << texts[0];
    EXPECT_EQ(g_reportTotals.m_nOk, 2 + 7 + 1);
    EXPECT_EQ(g_reportTotals.m_nNg, 0);
    EXPECT_EQ(g_parsedBytes.load(), SizeOf(keep) + SizeOf(grows) + SizeOf(shrinks));
    EXPECT_EQ(g_totalBytes.load(), total);
}

// The record file is changed while its worker is in the middle of it: the
// only worker is first held by the message box of a FIFO in the first machine
// folder (so the size pass is over), then at the progress lock right after it
// started on the record file of the second.
TEST_F(JobFaultTest, FileChangedWhileItIsParsed) {
    // Far larger than the reader's buffer, so a cut at its middle lies beyond
    // what the worker has read when the file is cut.
    constexpr std::size_t kBigLines = 450000;  // about 12 MiB
    constexpr std::size_t kCutLines = 220000;
    constexpr std::size_t kCutInLine = kOkLine.size() - 2;  // "...,3,O"
    struct Case {
        const char* what;
        std::size_t lines;
        std::function<void(const std::string&)> change;
        std::int32_t ok, ng;
        std::uint64_t parsed;
    } const cases[] = {
        {"cut in the middle of a record", kBigLines,
         [](const std::string& path) {
             fs::resize_file(path, kHeader.size() + kCutLines * kOkLine.size() + kCutInLine);
         },
         kCutLines, 1,  // the cut record's result reads "O"
         kHeader.size() + kCutLines * kOkLine.size() + kCutInLine},
        {"appended to", 10,
         [](const std::string& path) {
             std::ofstream(path, std::ios::binary | std::ios::app) << kOkLine << kOkLine;
         },
         12, 0, kHeader.size() + 12 * kOkLine.size()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string fifo = m_data + "/A/fifo";
        fs::remove_all(m_data);
        m_dir.MakeDir("ReportData/A");
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string path = Record("B", "big.csv", Records(c.lines));
        const std::uint64_t size = SizeOf(path);
        test::ResetJobState(m_data, {"A", "B"});

        BlockingMessageBox boxes;
        std::thread job([this] { RunJob({0, 1}, 1); });
        ASSERT_TRUE(boxes.WaitForBoxes(1, 30s));
        {
            std::unique_lock progress(g_progressMutex);
            boxes.Open();
            std::this_thread::sleep_for(300ms);  // the worker opens the file and stops
            c.change(path);
        }
        job.join();

        EXPECT_EQ(boxes.texts().size(), 1u);
        EXPECT_EQ(g_reportTotals.m_nOk, c.ok);
        EXPECT_EQ(g_reportTotals.m_nNg, c.ng);
        EXPECT_EQ(g_parsedBytes.load(), c.parsed);
        EXPECT_EQ(g_totalBytes.load(), size);
        EXPECT_EQ(test::ToMap(g_reportTotals.m_settingFileNg),
                  (std::map<std::string, int>{{"S1", c.ng}}));
    }
}

TEST_F(JobFaultTest, LinksThatLeadNowhereAreFileErrors) {
    test::MessageBoxRecorder messages;
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
    test::ResetJobState(m_data, {"A"});

    RunJob({0}, 3);

    // A link counts as what it leads to: the link to the record file counts
    // its records once more; the others have no size and fail to open.
    EXPECT_EQ(g_reportTotals.m_nOk, 4);
    EXPECT_EQ(g_totalBytes.load(), 2 * SizeOf(real));
    EXPECT_EQ(g_parsedBytes.load(), 2 * SizeOf(real));
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
    g_strReportDataPath = m_data;
    ScanMachineFolders();
    std::vector<std::string> machines = g_machineFolderNames;
    std::sort(machines.begin(), machines.end());
    ASSERT_EQ(machines, (std::vector<std::string>{"A", "B", "C"}));
    // B vanishes; C is replaced by a plain file of the same name.
    fs::remove_all(m_data + "/B");
    fs::remove_all(m_data + "/C");
    m_dir.Write("ReportData/C", "not a folder\n");
    test::ResetJobState(m_data, {"A", "B", "C"});
    test::MessageBoxRecorder messages;

    RunJob({0, 1, 2}, 2);

    EXPECT_EQ(g_reportTotals.m_nOk, 3);
    EXPECT_EQ(g_totalBytes.load(), SizeOf(kept));
    EXPECT_EQ(g_parsedBytes.load(), SizeOf(kept));
    EXPECT_TRUE(messages.texts().empty());
}

// Runs the report command with its script folder read-only: as root through a
// read-only bind mount in a mount namespace of its own (root writes through
// file modes), otherwise through the folder's mode.
TEST_F(JobFaultTest, ReadOnlyScriptFolder) {
    test::HomeRedirect home;
    test::ScopedEnv locale("LC_ALL", "C");
    const std::string root = m_dir.path();
    Record("A", "1.csv", Records(3));
    const std::string out = m_dir.MakeDir("out");
    std::vector<std::string> args = {
        QZ_BATCH_EXECUTABLE, "--root", root, "--from", "2018-05-01", "--to",
        "2018-05-31",        "--out",  out};
    if (::geteuid() == 0) {
        std::string command = "mount --bind \"$0\" \"$0\" && mount -o remount,bind,ro \"$0\" && ";
        command += "exec \"$@\"";
        args.insert(args.begin(), {"unshare", "--mount", "--propagation", "private", "--", "sh",
                                   "-c", command, out});
        const test::ChildResult probe =
            test::RunChild({"unshare", "--mount", "--", "true"}, m_dir.path());
        if (probe.status != 0) {
            GTEST_SKIP() << "no mount namespace here: " << probe.err;
        }
    } else {
        ASSERT_EQ(::chmod(out.c_str(), 0555), 0);
    }

    const test::ChildResult result = test::RunChild(args, m_dir.path());
    ::chmod(out.c_str(), 0755);

    // Every script fails on its own; the totals are still printed.
    EXPECT_EQ(result.status, 3) << result.err;
    EXPECT_EQ(result.out, "OK: 3\nNG: 0\n");
    for (const char* script : {"chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
                               "tableSummary.js", "tableSettingFile.js", "tableMachineId.js"}) {
        EXPECT_NE(result.err.find(script), std::string::npos) << script << "\n" << result.err;
    }
    EXPECT_TRUE(fs::is_empty(out));
}

}  // namespace
}  // namespace qz

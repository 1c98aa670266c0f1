// The dialog application and nightly batch runs share one cache file, the
// data tree's own: a report made the application's way and several batch
// reports and scans, all started at once on it, round after round over a
// changing tree, must each give what the same request gives without the
// cache.
// QZ_CACHE_TEST_SEED replays the rounds, QZ_CACHE_TEST_ROUNDS sets their
// number.

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestSupport.h"
#include "tests/unit/cache/CacheTestSupport.h"
#include "tests/unit/cache/ChangingTree.h"
#include "tests/unit/cache/ReportRuns.h"

namespace fs = std::filesystem;

namespace qz {
namespace {

// One of the runs of a round: its program and request, and where it writes.
struct RoundRun {
    bool guiLike = false;
    std::vector<std::string> request;  // after --root
    std::string folder;                // its scripts below, its output files in it
    test::ReportRun cached;
    test::ReportRun reference;
};

class CacheConcurrencyTest : public ::testing::Test {
  protected:
    test::ReportRun Run(const RoundRun& run, bool cached) {
        std::vector<std::string> args = {
            run.guiLike && cached ? QZ_GUI_LIKE_REPORT : QZ_BATCH_EXECUTABLE, "--root",
            m_folders.root};
        args.insert(args.end(), run.request.begin(), run.request.end());
        // With the cache: the data tree's own, in the user's cache folder,
        // which the application and the batch command find alike.
        if (!cached) {
            const std::vector<std::string> cache = test::WithoutCache();
            args.insert(args.end(), cache.begin(), cache.end());
        }
        test::ReportRun result = test::RunReportProgram(args, run.folder + "/scripts", run.folder);
        if (run.guiLike) {
            // The application tells file errors in message boxes, the batch
            // command on standard error: the scripts and totals are compared.
            result.errors.clear();
        }
        return result;
    }

    // The runs of a round at once with the cache, then each again without it.
    void RunRound(std::vector<RoundRun>& runs) {
        std::vector<std::thread> threads;
        for (RoundRun& run : runs) {
            threads.emplace_back([this, &run] { run.cached = Run(run, true); });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        for (RoundRun& run : runs) {
            run.reference = Run(run, false);
        }
    }

    test::CacheTestFolders m_folders;
    test::ScopedEnv m_locale{"LC_ALL", "en_GB.UTF-8"};
};

TEST_F(CacheConcurrencyTest, ApplicationAndBatchRunsAtOnceOnOneCacheAreExact) {
    const std::uint64_t seed = test::SeedFromEnvironment();
    const std::uint64_t rounds =
        test::NumberFromEnvironment("QZ_CACHE_TEST_ROUNDS", QZ_CACHE_TEST_ROUNDS);
    const std::string replay = test::ReplayText(seed);
    std::cout << rounds << " rounds, " << replay << std::endl;

    test::ChangingTree tree(m_folders.root, m_folders.dir.path() + "/staging", seed);
    tree.Populate();
    std::mt19937_64& random = tree.Random();
    // The report page is copied into a data tree by the first run that finds
    // it missing; runs that start at once on a fresh tree may meet each
    // other's copy half made. This test is about the cache: the page is set
    // up first.
    RoundRun setup;
    setup.request = {"--from", "2018-05-01", "--to", "2018-05-10"};
    setup.folder = m_folders.dir.MakeDir("setup");
    ASSERT_EQ(test::RunFault(Run(setup, false)), "");
    for (std::uint64_t round = 0; round < rounds; ++round) {
        std::string changes;
        if (round % 20 == 10) {
            std::this_thread::sleep_for(test::kRestPause);
            changes += "\n  a pause: every file at rest";
        }
        for (std::uint64_t i = round == 0 ? 0 : 1 + random() % 3; i > 0; --i) {
            changes += "\n  " + tree.Change();
        }
        std::vector<RoundRun> runs(4);
        for (std::size_t i = 0; i < runs.size(); ++i) {
            RoundRun& run = runs[i];
            run.guiLike = i == 0;
            run.folder = m_folders.dir.MakeDir("run" + std::to_string(i));
            if (i == 3 && random() % 2 == 0) {
                run.request = {"--scan", "--format", "json"};
                continue;
            }
            run.request = test::RandomReportArguments(tree.Machines(), random);
            if (!run.guiLike && random() % 2 == 0) {
                run.request.insert(run.request.end(), {"--format", "json"});
            }
        }
        // A round that crossed the moment an open last line stops being left
        // out is made again: its runs read different lines.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const std::vector<bool> before = test::OpenLinesLeftOut(tree.Files());
            RunRound(runs);
            if (test::OpenLinesLeftOut(tree.Files()) == before) {
                break;
            }
        }
        for (const RoundRun& run : runs) {
            // A request of this test is never a bad argument.
            for (const test::ReportRun* result : {&run.reference, &run.cached}) {
                ASSERT_NE(result->status, 2) << replay << "\n"
                                             << testing::PrintToString(run.request) << "\n"
                                             << result->err;
                ASSERT_EQ(test::RunFault(*result), "") << replay << "\n"
                                                       << testing::PrintToString(run.request);
            }
            const std::string difference = test::FirstDifference(run.reference, run.cached);
            ASSERT_EQ(difference, "")
                << replay << "\nround " << round << ", after the changes:" << changes << "\n"
                << (run.guiLike ? "the application's report" : "a batch run") << " of "
                << testing::PrintToString(run.request);
        }
    }
    // The runs did use a cache: the data tree's own was made in the cache
    // folder.
    std::size_t databases = 0;
    for (const auto& entry :
         fs::recursive_directory_iterator(m_folders.dir.path() + "/xdg-cache")) {
        databases += entry.is_regular_file() && entry.path().extension() == ".sqlite";
    }
    EXPECT_EQ(databases, 1u);
}

}  // namespace
}  // namespace qz

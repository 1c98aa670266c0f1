// A seeded random walk over a record tree: after every change, a report and
// an option scan with the cache must give what the same run without it gives,
// byte for byte. Likewise after cached runs killed while they work on a
// larger tree. QZ_CACHE_TEST_SEED replays a walk, QZ_CACHE_TEST_STEPS sets
// its length.

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
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

constexpr int kExitBadArguments = 2;

// Date locales that read the tree's numeric dates each its own way.
const char* const kLocales[] = {"en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8"};

std::string Joined(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& arg : args) {
        text += (text.empty() ? "" : " ") + arg;
    }
    return text;
}

class CacheExactnessTest : public ::testing::Test {
  protected:
    // The outputs of args without the cache and with it; a run that crossed
    // the moment an open last line stops being left out is made again, since
    // the two runs then read different lines.
    std::string Compare(const test::ChangingTree& tree, const std::vector<std::string>& args) {
        for (int attempt = 0;; ++attempt) {
            const std::vector<bool> before = test::OpenLinesLeftOut(tree.Files());
            const test::ReportRun without = Run(args, test::WithoutCache());
            const test::ReportRun with = Run(args, test::WithCache(m_folders.cacheFile));
            m_lastCachedRun = with.took;
            // A request this walk makes is never a bad argument: a run that
            // says so has not compared anything.
            for (const test::ReportRun* run : {&without, &with}) {
                if (run->status == kExitBadArguments) {
                    return "the batch command refused the request:\n" + run->err;
                }
                if (std::string fault = test::RunFault(*run); !fault.empty()) {
                    return fault;
                }
            }
            if (test::OpenLinesLeftOut(tree.Files()) != before && attempt < 3) {
                continue;
            }
            return test::FirstDifference(without, with);
        }
    }

    test::ReportRun Run(std::vector<std::string> args, const std::vector<std::string>& cache) {
        args.insert(args.begin(), {QZ_BATCH_EXECUTABLE, "--root", m_folders.root});
        args.insert(args.end(), cache.begin(), cache.end());
        return test::RunReportProgram(args, m_folders.dir.path() + "/scripts", m_runFolder);
    }

    // A cached report ended by SIGKILL at a random moment of its run: the
    // range is the length of the last cached run, so the kill lands in the
    // cache's reading, the count and the cache's writing alike.
    std::string KilledRun(const test::ChangingTree& tree, std::mt19937_64& random) {
        std::vector<std::string> args = {QZ_BATCH_EXECUTABLE, "--root", m_folders.root};
        const std::vector<std::string> request =
            test::RandomReportArguments(tree.Machines(), random);
        args.insert(args.end(), request.begin(), request.end());
        const std::vector<std::string> cache = test::WithCache(m_folders.cacheFile);
        args.insert(args.end(), cache.begin(), cache.end());
        const std::string out = m_folders.dir.path() + "/killed-scripts";
        fs::create_directories(out);
        args.insert(args.end(), {"--out", out});
        const auto range = std::chrono::duration_cast<std::chrono::microseconds>(m_lastCachedRun);
        const auto delay =
            std::chrono::microseconds(random() % static_cast<std::uint64_t>(range.count() + 1));
        const pid_t pid = test::StartProgram(args);
        if (pid < 0) {
            ADD_FAILURE() << "cannot start " << args[0];
            return "";
        }
        test::KillAfter(pid, delay);
        return "a cached report killed after " + std::to_string(delay.count()) + " us";
    }

    test::CacheTestFolders m_folders;
    std::string m_runFolder = m_folders.dir.MakeDir("runs");  // a run's output files
    test::ScopedEnv m_locale{"LC_ALL", kLocales[0]};
    std::chrono::steady_clock::duration m_lastCachedRun = std::chrono::milliseconds(20);
};

TEST_F(CacheExactnessTest, EveryChangeGivesTheOutputsOfARunWithoutTheCache) {
    const std::uint64_t seed = test::SeedFromEnvironment();
    const std::uint64_t steps =
        test::NumberFromEnvironment("QZ_CACHE_TEST_STEPS", QZ_CACHE_TEST_STEPS);
    const std::string replay = test::ReplayText(seed);
    std::cout << "Random walk of " << steps << " steps, " << replay << std::endl;
    RecordProperty("seed", std::to_string(seed));

    test::ChangingTree tree(m_folders.root, m_folders.dir.path() + "/staging", seed);
    tree.Populate();
    std::mt19937_64& random = tree.Random();
    std::deque<std::string> recent;  // the steps before the one that failed
    const char* locale = kLocales[0];
    for (std::uint64_t step = 0; step < steps; ++step) {
        std::string what;
        const auto kind = random() % 40;
        if (step == 0) {
            what = "the first report";
        } else if (kind == 0) {
            locale = kLocales[random() % std::size(kLocales)];
            ::setenv("LC_ALL", locale, 1);
            what = std::string("date locale ") + locale;
        } else if (kind == 1) {
            // As a user may: the database alone, or with its log files.
            fs::remove(m_folders.cacheFile);
            what = "delete the cache's database";
            if (random() % 2 == 0) {
                fs::remove(m_folders.cacheFile + "-wal");
                fs::remove(m_folders.cacheFile + "-shm");
                what += " and its -wal and -shm files";
            }
        } else if (kind <= 4) {
            what = KilledRun(tree, random);
        } else if (kind == 5 && random() % 4 == 0) {
            std::this_thread::sleep_for(test::kRestPause);
            what = "a pause: every file at rest";
        } else {
            what = tree.Change();
        }
        recent.push_back(what);
        if (recent.size() > 12) {
            recent.pop_front();
        }

        std::vector<std::string> args = random() % 5 == 0
                                            ? std::vector<std::string>{"--scan"}
                                            : test::RandomReportArguments(tree.Machines(), random);
        args.insert(args.end(), {"--format", "json"});
        const std::string difference = Compare(tree, args);
        if (step == 0) {
            ASSERT_TRUE(fs::exists(m_folders.cacheFile)) << "the cached run made no cache";
        }
        if (!difference.empty()) {
            std::string history;
            for (const std::string& earlier : recent) {
                history += "\n  " + earlier;
            }
            FAIL() << replay << "\nstep " << step << " (locale " << locale
                   << "), last changes (the last is this step's):" << history
                   << "\nrequest: " << Joined(args) << "\n"
                   << difference;
        }
    }
}

// Files of a few hundred lines make the cache's work long enough that kills
// land inside its reads and its one transaction of writes, not only around
// them.
TEST_F(CacheExactnessTest, ReportsAfterKilledRunsAreExact) {
    const std::uint64_t seed = test::SeedFromEnvironment();
    const std::uint64_t rounds =
        test::NumberFromEnvironment("QZ_CACHE_TEST_ROUNDS", QZ_CACHE_TEST_ROUNDS);
    const std::string replay = test::ReplayText(seed);
    std::cout << rounds << " rounds, " << replay << std::endl;
    RecordProperty("seed", std::to_string(seed));

    test::ChangingTree tree(m_folders.root, m_folders.dir.path() + "/staging", seed);
    tree.Populate(3, 8, 400);
    std::mt19937_64& random = tree.Random();
    for (std::uint64_t round = 0; round < rounds; ++round) {
        std::string what = round == 0 ? "" : tree.Change();
        for (std::uint64_t kills = 1 + random() % 2; kills > 0; --kills) {
            what += "; " + KilledRun(tree, random);
        }
        std::vector<std::string> args = test::RandomReportArguments(tree.Machines(), random);
        args.insert(args.end(), {"--format", "json"});
        const std::string difference = Compare(tree, args);
        ASSERT_EQ(difference, "") << replay << "\nround " << round << ": " << what
                                  << "\nrequest: " << Joined(args);
    }
}

}  // namespace
}  // namespace qz

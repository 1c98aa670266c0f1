// The worker pool on real threads: which items it hands out, to whom, and how
// a cancel ends it. The items here are plain numbers; the jobs' tests cover
// files.

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <random>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "jobs/WorkerPool.h"
#include "progress/JobProgress.h"
#include "tests/unit/jobs/JobTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;

// Pool sizes by logical processor count: one and a half workers per
// processor plus one, truncated.
constexpr std::pair<unsigned, std::int32_t> kWorkersByProcessors[] = {
    {1, 2},   {2, 4},   {3, 5},   {4, 7},   {5, 8},   {6, 10},  {7, 11},  {8, 13},
    {12, 19}, {13, 20}, {14, 22}, {16, 25}, {24, 37}, {32, 49}, {64, 97}, {128, 193},
};

TEST(WorkerCountTest, ProcessorsTimesOneAndAHalfPlusOneTruncated) {
    for (const auto& [processors, workers] : kWorkersByProcessors) {
        EXPECT_EQ(WorkerCountFor(processors), workers) << processors << " processors";
    }
}

TEST(WorkerCountTest, PoolSizeIsTheRequestElseTheFormulaForThisMachine) {
    const unsigned processors = LogicalProcessorCount();
    EXPECT_GE(processors, 1u);
    if (std::thread::hardware_concurrency() > 0) {
        EXPECT_EQ(processors, std::thread::hardware_concurrency());
    }
    for (const std::int32_t requested : {1, 3, 64}) {
        EXPECT_EQ(PoolSize(requested), static_cast<std::size_t>(requested));
    }
    // This machine's pool size, from the table (a processor count beyond it
    // is its own case: one and a half per processor in whole numbers).
    std::size_t own = processors + processors / 2 + 1;
    for (const auto& [count, workers] : kWorkersByProcessors) {
        if (count == processors) {
            own = static_cast<std::size_t>(workers);
        }
    }
    for (const std::int32_t requested : {0, -1, INT32_MIN}) {
        EXPECT_EQ(PoolSize(requested), own) << requested << ", " << processors << " processors";
    }
}

// What each worker was given, in the order it was given; only the worker
// itself writes its list, so two threads under one worker number would show
// as a data race under ThreadSanitizer and as a wrong count here.
struct HandOuts {
    explicit HandOuts(std::size_t items, std::size_t workers) : calls(items), perWorker(workers) {}

    std::vector<std::atomic<int>> calls;
    std::vector<std::vector<std::size_t>> perWorker;
};

TEST(WorkerPoolTest, EveryItemOnceAndEachWorkersItemsAscending) {
    for (const std::size_t workers : {1u, 2u, 3u, 8u, 17u}) {
        for (const std::size_t items : {0u, 1u, 2u, 7u, 250u}) {
            for (int run = 0; run < 10; ++run) {
                SCOPED_TRACE(testing::Message() << workers << " workers, " << items << " items");
                JobProgress progress(workers);
                HandOuts out(items, workers);
                RunWorkers(items, progress, [&](std::size_t item, std::size_t worker) {
                    ASSERT_LT(item, items);
                    ASSERT_LT(worker, workers);
                    ++out.calls[item];
                    out.perWorker[worker].push_back(item);
                });
                for (std::size_t item = 0; item < items; ++item) {
                    ASSERT_EQ(out.calls[item].load(), 1) << "item " << item;
                }
                for (const std::vector<std::size_t>& taken : out.perWorker) {
                    for (std::size_t i = 1; i < taken.size(); ++i) {
                        ASSERT_LT(taken[i - 1], taken[i]);
                    }
                }
                if (workers == 1) {
                    ASSERT_EQ(out.perWorker[0].size(), items);
                }
            }
        }
    }
}

// Every worker has a thread of its own: items that wait for each other can
// only all be running at once if that is so.
TEST(WorkerPoolTest, WorkersRunSideBySide) {
    constexpr std::size_t kWorkers = 4;
    JobProgress progress(kWorkers);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t running = 0;
    std::set<std::thread::id> threads;
    bool allMet = true;

    test::Watchdog watchdog("workers waiting for each other", 60s);
    RunWorkers(kWorkers, progress, [&](std::size_t, std::size_t) {
        std::unique_lock lock(mutex);
        ++running;
        threads.insert(std::this_thread::get_id());
        changed.notify_all();
        if (!changed.wait_for(lock, 30s, [&] { return running == kWorkers; })) {
            allMet = false;
        }
    });

    EXPECT_TRUE(allMet);
    EXPECT_EQ(threads.size(), kWorkers);
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 0u);
}

// A slow item holds its worker only: the others take every later item.
TEST(WorkerPoolTest, ASlowItemDoesNotHoldUpTheOthers) {
    constexpr std::size_t kItems = 60;
    JobProgress progress(3);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t done = 0;
    bool othersDone = false;

    test::Watchdog watchdog("a slow first item", 60s);
    RunWorkers(kItems, progress, [&](std::size_t item, std::size_t) {
        std::unique_lock lock(mutex);
        if (item == 0) {
            othersDone = changed.wait_for(lock, 30s, [&] { return done == kItems - 1; });
        } else {
            ++done;
            changed.notify_all();
        }
    });

    EXPECT_TRUE(othersDone);
}

TEST(WorkerPoolTest, NothingIsHandedOutOnceCancelledBeforehand) {
    for (const std::size_t workers : {1u, 4u}) {
        JobProgress progress(workers);
        progress.Cancel();
        std::atomic<int> calls{0};
        RunWorkers(100, progress, [&](std::size_t, std::size_t) { ++calls; });
        EXPECT_EQ(calls.load(), 0) << workers << " workers";
    }
}

// Every worker is busy when the cancel comes: each ends with its item, and
// none takes another. The job thread is a thread of its own, as in the program.
TEST(WorkerPoolTest, ACancelWhileEveryWorkerIsBusyEndsThemAfterTheirItems) {
    constexpr std::size_t kWorkers = 3;
    JobProgress progress(kWorkers);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t started = 0;
    bool released = false;

    test::Watchdog watchdog("a cancelled pool", 60s);
    std::thread job([&] {
        RunWorkers(1000, progress, [&](std::size_t, std::size_t) {
            std::unique_lock lock(mutex);
            ++started;
            changed.notify_all();
            changed.wait(lock, [&] { return released; });
        });
    });
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(changed.wait_for(lock, 30s, [&] { return started == kWorkers; }));
    }
    progress.Cancel();
    {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    job.join();

    EXPECT_EQ(started, kWorkers);
}

// A cancel while the workers run freely (here from inside an item, at a drawn
// moment). Reading the flag and taking the next item are two steps, so a
// worker that read it just before the cancel may still begin one item; the
// jobs' per-line poll makes that item count nothing. No worker begins a second
// one, and the worker that cancelled begins none.
TEST(WorkerPoolTest, ACancelStopsEveryWorkerBeforeItsSecondItem) {
    std::mt19937 rng(20180503);
    for (int run = 0; run < 200; ++run) {
        const std::size_t workers = std::size_t{2} << (run % 3);
        constexpr std::size_t kItems = 500;
        const std::size_t cancelAt = std::uniform_int_distribution<std::size_t>(0, 300)(rng);
        SCOPED_TRACE(testing::Message() << workers << " workers, cancel at item " << cancelAt);
        JobProgress progress(workers);
        std::vector<int> beganAfterCancel(workers, 0);  // each written by its worker only
        std::atomic<std::size_t> canceller{workers};

        test::Watchdog watchdog("a pool cancelled from an item", 60s);
        RunWorkers(kItems, progress, [&](std::size_t item, std::size_t worker) {
            if (progress.IsCancelled()) {
                ++beganAfterCancel[worker];
            }
            if (item == cancelAt) {
                progress.Cancel();
                canceller = worker;
            }
        });

        ASSERT_LT(canceller.load(), workers);
        EXPECT_EQ(beganAfterCancel[canceller], 0);
        for (std::size_t worker = 0; worker < workers; ++worker) {
            EXPECT_LE(beganAfterCancel[worker], 1) << "worker " << worker;
        }
    }
}

}  // namespace
}  // namespace qz

#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>

namespace qz {
namespace {

using namespace std::chrono_literals;

TEST(Thread, RunsOnlyAfterResumeAndSignalsItsEnd) {
    std::atomic<int> runs{0};
    Thread thread([&] {
        ++runs;
        return 7u;
    });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(thread.EndedEvent().IsSet());

    thread.Resume();
    EXPECT_TRUE(thread.EndedEvent().WaitFor(10s));
    EXPECT_TRUE(thread.EndedEvent().IsSet()) << "the end stays signalled";
    EXPECT_EQ(thread.ExitCode(), 7u);
    thread.Resume();
    thread.Join();
    EXPECT_EQ(runs, 1);
}

TEST(Thread, EndedEventTakesPartInWaitForAny) {
    Event release(Event::Reset::Manual, false);
    Thread thread([&] {
        release.Wait();
        return 0u;
    });
    Event cancel(Event::Reset::Manual, false);
    Event* events[] = {&cancel, &thread.EndedEvent()};
    thread.Resume();
    EXPECT_EQ(WaitForAnyFor(events, 20ms), kWaitTimeout);
    release.Set();
    EXPECT_EQ(WaitForAnyFor(events, 10s), 1);
}

TEST(Thread, DestructorJoinsARunningThreadAndIgnoresAnUnstartedOne) {
    std::atomic<bool> finished{false};
    {
        Thread unstarted([] { return 0u; });
        Thread running([&] {
            std::this_thread::sleep_for(20ms);
            finished = true;
            return 0u;
        });
        running.Resume();
    }
    EXPECT_TRUE(finished);
}

}  // namespace
}  // namespace qz

#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace qz {
namespace {

using namespace std::chrono_literals;

TEST(Event, AutoResetIsConsumedByOneWait) {
    Event event(Event::Reset::Auto, true);
    EXPECT_TRUE(event.IsSet());
    EXPECT_TRUE(event.IsSet()) << "polling does not consume";
    event.Wait();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(10ms));
}

TEST(Event, AutoResetSetReleasesOneWaiterAtATime) {
    Event event(Event::Reset::Auto, false);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 2; ++i) {
        waiters.emplace_back([&] {
            event.Wait();
            ++released;
        });
    }
    event.Set();
    while (released == 0) {
        std::this_thread::sleep_for(1ms);
    }
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(released, 1);
    event.Set();
    for (auto& waiter : waiters) {
        waiter.join();
    }
    EXPECT_EQ(released, 2);
    EXPECT_FALSE(event.IsSet());
}

TEST(Event, ManualResetStaysSetUntilReset) {
    Event event(Event::Reset::Manual, false);
    EXPECT_FALSE(event.WaitFor(5ms));
    event.Set();
    event.Wait();
    EXPECT_TRUE(event.WaitFor(0ms));
    Event* events[] = {&event};
    EXPECT_EQ(WaitForAny(events), 0);
    EXPECT_TRUE(event.IsSet());
    event.ResetEvent();
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(5ms));
}

TEST(WaitForAny, LowestSignalledIndexWinsAndIsConsumed) {
    Event a(Event::Reset::Auto, false);
    Event b(Event::Reset::Auto, false);
    Event c(Event::Reset::Auto, false);
    const std::array<Event*, 3> events = {&a, &b, &c};
    c.Set();
    b.Set();
    EXPECT_EQ(WaitForAny(events), 1);
    EXPECT_FALSE(b.IsSet());
    EXPECT_TRUE(c.IsSet()) << "only the winner is consumed";
    EXPECT_EQ(WaitForAny(events), 2);
    EXPECT_EQ(WaitForAnyFor(events, 5ms), kWaitTimeout);

    // A manual-reset event at a lower index keeps winning.
    Event cancel(Event::Reset::Manual, true);
    const std::array<Event*, 2> withCancel = {&a, &cancel};
    a.Set();
    EXPECT_EQ(WaitForAny(withCancel), 0);
    EXPECT_EQ(WaitForAny(withCancel), 1);
    EXPECT_EQ(WaitForAny(withCancel), 1);
}

TEST(WaitForAny, WakesOnASetFromAnotherThread) {
    Event a(Event::Reset::Auto, false);
    Event b(Event::Reset::Manual, false);
    const std::array<Event*, 2> events = {&a, &b};
    std::thread setter([&] {
        std::this_thread::sleep_for(20ms);
        b.Set();
    });
    EXPECT_EQ(WaitForAnyFor(events, 10s), 1);
    setter.join();
}

TEST(WaitForAnyFor, TimesOutAfterTheGivenTime) {
    Event a(Event::Reset::Auto, false);
    Event b(Event::Reset::Manual, false);
    const std::array<Event*, 2> events = {&a, &b};
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForAnyFor(events, 30ms), kWaitTimeout);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 30ms);
}

TEST(WaitForAll, ReturnsOnlyWhenAllAreSetAndConsumesAutoOnes) {
    Event work(Event::Reset::Auto, false);
    Event idle(Event::Reset::Manual, false);
    const std::array<Event*, 2> events = {&work, &idle};
    std::atomic<bool> done{false};
    std::thread waiter([&] {
        WaitForAll(events);
        done = true;
    });
    work.Set();
    std::this_thread::sleep_for(30ms);
    EXPECT_FALSE(done);
    EXPECT_TRUE(work.IsSet()) << "a partial wait consumes nothing";
    idle.Set();
    waiter.join();
    EXPECT_TRUE(done);
    EXPECT_FALSE(work.IsSet());
    EXPECT_TRUE(idle.IsSet());
}

}  // namespace
}  // namespace qz

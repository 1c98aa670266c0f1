#include "progress/ProgressState.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace qz {

ProgressCounter g_progressCounter;
alignas(64) std::atomic<std::uint64_t> g_totalBytes{0};
alignas(64) Event g_cancelEvent{Event::Reset::Manual, false};
std::uint64_t g_progressPublishStep = 0;

namespace {

// A short spin, then sleeps of growing length (1 us up to 0.5 ms): the lock is
// held for one addition, so a waiter rarely gets past the spin.
template <typename Until>
bool WaitForLock(CProgressMutex& mutex, Until until) {
    for (int i = 0; i < 64; ++i) {
        if (mutex.try_lock()) {
            return true;
        }
    }
    auto pause = std::chrono::microseconds(1);
    for (;;) {
        if (!until()) {
            return false;
        }
        if (mutex.try_lock()) {
            return true;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::microseconds(500));
    }
}

// Called with g_progressMutex held. Every writer holds the mutex, so a plain
// load and store is enough; readers without the mutex still see whole values.
void AddLocked(std::uint64_t delta) {
    g_parsedBytes.store(g_parsedBytes.load(std::memory_order_relaxed) + delta,
                        std::memory_order_relaxed);
}

}  // namespace

void CProgressMutex::lock() {
    WaitForLock(*this, [] { return true; });
}

bool CProgressMutex::TryLockFor(std::chrono::nanoseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    return WaitForLock(*this, [&] { return std::chrono::steady_clock::now() < deadline; });
}

bool TryAddParsedBytes(std::uint64_t delta) {
    // try_lock first: the common uncontended case must not read the clock, since
    // every record line comes through here.
    if (!g_progressMutex.try_lock() &&
        !g_progressMutex.try_lock_for(std::chrono::milliseconds(1000))) {
        return false;
    }
    AddLocked(delta);
    g_progressMutex.unlock();
    return true;
}

void AddParsedBytes(std::uint64_t delta) {
    std::lock_guard lock(g_progressMutex);
    AddLocked(delta);
}

}  // namespace qz

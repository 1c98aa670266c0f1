#include "parse/ProgressState.h"

#include <chrono>
#include <thread>

#if defined(__SANITIZE_THREAD__)
#define QZ_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define QZ_THREAD_SANITIZER 1
#endif
#endif

namespace qz {

std::atomic<std::uint64_t> g_parsedBytes{0};
std::atomic<std::uint64_t> g_totalBytes{0};
std::timed_mutex g_progressMutex;
Event g_cancelEvent{Event::Reset::Manual, false};

namespace {

// Called with g_progressMutex held. Every writer holds the mutex, so a plain
// load and store is enough; readers without the mutex still see whole values.
void AddLocked(std::uint64_t delta) {
    g_parsedBytes.store(g_parsedBytes.load(std::memory_order_relaxed) + delta,
                        std::memory_order_relaxed);
}

// Waits at most kProgressWait for g_progressMutex.
bool LockProgressWithinTimeLimit() {
    constexpr auto kProgressWait = std::chrono::milliseconds(1000);
#if defined(QZ_THREAD_SANITIZER)
    // ThreadSanitizer does not see a lock taken by try_lock_for (it ends in
    // pthread_mutex_clocklock, which it does not intercept) and then reports the
    // unlock as wrong; a polling wait keeps its checks meaningful.
    const auto deadline = std::chrono::steady_clock::now() + kProgressWait;
    do {
        if (g_progressMutex.try_lock()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
#else
    return g_progressMutex.try_lock_for(kProgressWait);
#endif
}

}  // namespace

bool TryAddParsedBytes(std::uint64_t delta) {
    // try_lock first: the common uncontended case must not read the clock, since
    // every record line comes through here.
    if (!g_progressMutex.try_lock() && !LockProgressWithinTimeLimit()) {
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

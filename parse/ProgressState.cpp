#include "parse/ProgressState.h"

#include <chrono>

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

}  // namespace

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

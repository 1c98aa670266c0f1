#include "parse/ProgressState.h"

namespace qz {

std::atomic<std::uint64_t> g_parsedBytes{0};
std::atomic<std::uint64_t> g_totalBytes{0};
std::timed_mutex g_progressMutex;
Event g_cancelEvent{Event::Reset::Manual, false};

bool TryAddParsedBytes(std::uint64_t delta) {
    std::unique_lock lock(g_progressMutex, std::defer_lock);
    if (!lock.try_lock() && !lock.try_lock_for(std::chrono::milliseconds(1000)))
        return false;
    g_parsedBytes.fetch_add(delta, std::memory_order_relaxed);
    return true;
}

void AddParsedBytes(std::uint64_t delta) {
    std::lock_guard lock(g_progressMutex);
    g_parsedBytes.fetch_add(delta, std::memory_order_relaxed);
}

}  // namespace qz

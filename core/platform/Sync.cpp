#include "platform/Sync.h"

#include <condition_variable>
#include <mutex>

namespace qz {

namespace {

// One lock and one condition for every event: a set wakes all waiters and each
// re-checks its own events. Events change about once per file, so the extra
// wake-ups cost nothing and waits on several events stay exact.
std::mutex& SyncMutex() {
    static std::mutex mutex;
    return mutex;
}

std::condition_variable& SyncCondition() {
    static std::condition_variable condition;
    return condition;
}

}  // namespace

Event::Event(Reset reset, bool initiallySignalled)
    : m_reset(reset), m_signalled(initiallySignalled) {}

void Event::Set() {
    {
        std::lock_guard lock(SyncMutex());
        m_signalled.store(true, std::memory_order_release);
    }
    SyncCondition().notify_all();
}

void Event::ResetEvent() {
    std::lock_guard lock(SyncMutex());
    m_signalled.store(false, std::memory_order_release);
}

bool Event::TryConsumeLocked() {
    if (!m_signalled.load(std::memory_order_relaxed)) {
        return false;
    }
    if (m_reset == Reset::Auto) {
        m_signalled.store(false, std::memory_order_release);
    }
    return true;
}

void Event::Wait() {
    std::unique_lock lock(SyncMutex());
    SyncCondition().wait(lock, [this] { return TryConsumeLocked(); });
}

bool Event::WaitFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(SyncMutex());
    return SyncCondition().wait_for(lock, timeout, [this] { return TryConsumeLocked(); });
}

int WaitForAny(std::span<Event* const> events) {
    std::unique_lock lock(SyncMutex());
    int index = -1;
    SyncCondition().wait(lock, [&] {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i]->TryConsumeLocked()) {
                index = static_cast<int>(i);
                return true;
            }
        }
        return false;
    });
    return index;
}

int WaitForAnyFor(std::span<Event* const> events, std::chrono::milliseconds timeout) {
    std::unique_lock lock(SyncMutex());
    int index = -1;
    const bool signalled = SyncCondition().wait_for(lock, timeout, [&] {
        for (std::size_t i = 0; i < events.size(); ++i) {
            if (events[i]->TryConsumeLocked()) {
                index = static_cast<int>(i);
                return true;
            }
        }
        return false;
    });
    return signalled ? index : kWaitTimeout;
}

void WaitForAll(std::span<Event* const> events) {
    std::unique_lock lock(SyncMutex());
    SyncCondition().wait(lock, [&] {
        for (Event* e : events) {
            if (!e->IsSet()) {
                return false;
            }
        }
        return true;
    });
    for (Event* e : events) {
        e->TryConsumeLocked();
    }
}

}  // namespace qz

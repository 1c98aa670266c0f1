#pragma once
// Events and waits in the manner the parse machinery was designed for:
// manual-reset and auto-reset events, a wait on one, on any (the lowest
// signalled index wins) and on all. A Thread's EndedEvent() is a manual-reset
// event that is signalled when the thread's procedure has returned.
//
// All events share one process-wide mutex and condition variable: a set wakes
// every waiter, which re-checks its own events. Events change rarely (once per
// file), so this keeps the waits simple and exact. IsSet() is a lock-free poll.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <initializer_list>
#include <span>

namespace qz {

class Event {
public:
    enum class Reset { Manual, Auto };

    Event(Reset reset, bool initiallySignalled);
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void ResetEvent();

    // Poll without waiting. Does not consume an auto-reset event.
    bool IsSet() const { return m_signalled.load(std::memory_order_acquire); }

    // Waits until signalled; an auto-reset event is reset by the wait.
    void Wait();
    // False when the time ran out.
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    friend int WaitForAny(std::span<Event* const> events);
    friend void WaitForAll(std::span<Event* const> events);
    friend int WaitForAnyFor(std::span<Event* const> events, std::chrono::milliseconds timeout);

    bool TryConsumeLocked();  // caller holds the shared mutex

    const Reset m_reset;
    std::atomic<bool> m_signalled;
};

// Waits without time-out until one of the events is signalled and returns the
// lowest signalled index; that event is consumed if it is auto-reset.
int WaitForAny(std::span<Event* const> events);
// As WaitForAny, or -1 when the time-out expires (kWaitTimeout).
int WaitForAnyFor(std::span<Event* const> events, std::chrono::milliseconds timeout);
// Waits until all events are signalled at the same time; consumes the
// auto-reset ones together.
void WaitForAll(std::span<Event* const> events);

constexpr int kWaitTimeout = -1;

}  // namespace qz

#pragma once
// Progress and cancel state shared by the parsers, the pool, the job and the
// progress display.
//
// g_parsedBytes is changed only while g_progressMutex is held and may be read
// at any time without it (it is atomic). g_totalBytes is written by the job's
// size pass. g_cancelEvent (manual reset) asks every thread of a job to stop.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

#include "platform/Sync.h"

namespace qz {

extern std::atomic<std::uint64_t> g_totalBytes;
// The lock of g_parsedBytes (a timed lockable, as std::timed_mutex). Every
// worker takes it once per record line and holds it for one addition, so the
// uncontended case is what counts: one atomic exchange to take it and one
// plain store to release it, where a pthread mutex costs two locked operations
// and two calls. A waiter polls, backing off to short sleeps; the lock is held
// for nanoseconds, so a wait is short and rare.
class CProgressMutex {
  public:
    bool try_lock() noexcept {
        return !m_locked.load(std::memory_order_relaxed) &&
               !m_locked.exchange(true, std::memory_order_acquire);
    }
    void unlock() noexcept { m_locked.store(false, std::memory_order_release); }
    void lock();
    template <typename Rep, typename Period>
    bool try_lock_for(const std::chrono::duration<Rep, Period>& timeout) {
        return TryLockFor(std::chrono::duration_cast<std::chrono::nanoseconds>(timeout));
    }

  private:
    bool TryLockFor(std::chrono::nanoseconds timeout);
    std::atomic<bool> m_locked{false};
};

// The counter and its lock in one cache line of their own: a per-line update
// then moves one line between cores, and the cancel flag that every line
// reads is not in it.
struct alignas(64) ProgressCounter {
    CProgressMutex mutex;
    std::atomic<std::uint64_t> parsedBytes{0};
};
extern ProgressCounter g_progressCounter;
inline constexpr CProgressMutex& g_progressMutex = g_progressCounter.mutex;
inline constexpr std::atomic<std::uint64_t>& g_parsedBytes = g_progressCounter.parsedBytes;

extern Event g_cancelEvent;

// Adds delta to g_parsedBytes if g_progressMutex can be taken within 1000 ms
// (an uncontended call costs no clock read and no system call). Returns false
// when the time ran out and nothing was added.
bool TryAddParsedBytes(std::uint64_t delta);
// Adds delta to g_parsedBytes, waiting for the mutex without a time limit.
void AddParsedBytes(std::uint64_t delta);

// How many unreported bytes a parser gathers before it tries to publish them.
// 0, the default, publishes after every line. The benchmark sets a larger step
// to show what the per-line publish costs; set it only while no job runs.
extern std::uint64_t g_progressPublishStep;

// One file's share of g_parsedBytes: the parsers call AfterLine with the read
// position behind each line and AtEnd once the file is read to its end. Bytes
// that a busy mutex kept back go with a later update, so a file read to its
// end adds exactly its size.
class FileProgress {
  public:
    void AfterLine(std::uint64_t position) {
        if (position - m_reported >= m_step && TryAddParsedBytes(position - m_reported)) {
            m_reported = position;
        }
    }
    void AtEnd(std::uint64_t position) {
        AddParsedBytes(position - m_reported);
        m_reported = position;
    }

  private:
    std::uint64_t m_step = g_progressPublishStep;
    std::uint64_t m_reported = 0;
};

}  // namespace qz

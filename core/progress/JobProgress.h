#pragma once
// Progress and cancel of one job, shared by the job's threads and whoever shows
// the progress (a dialog's timer, a command-line bar).
//
// Each worker adds the bytes of every line it has read to a counter of its own,
// alone on its cache line: the per-line update is one store that no other thread
// writes, so workers never contend. A reader sums the counters; the sum is exact
// up to the lines read so far, and a file read to its end has added exactly its
// size. Cancel is one flag, polled once per line. Everything here may be called
// from any thread.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace qz {

class JobProgress {
  public:
    // One counter for each of workerCount workers (at least one).
    explicit JobProgress(std::size_t workerCount);
    JobProgress(const JobProgress&) = delete;
    JobProgress& operator=(const JobProgress&) = delete;

    std::size_t WorkerCount() const { return m_workerCount; }

    // The bytes the job will read; 0 until the job has measured its files.
    std::uint64_t TotalBytes() const { return m_totalBytes.load(std::memory_order_acquire); }
    void SetTotalBytes(std::uint64_t bytes) {
        m_totalBytes.store(bytes, std::memory_order_release);
    }

    // The sum of the workers' counters.
    std::uint64_t ParsedBytes() const;

    void Cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool IsCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

  private:
    friend class FileProgress;

    struct alignas(64) Counter {
        std::atomic<std::uint64_t> bytes{0};
    };

    std::size_t m_workerCount;
    std::unique_ptr<Counter[]> m_counters;
    alignas(64) std::atomic<bool> m_cancelled{false};
    alignas(64) std::atomic<std::uint64_t> m_totalBytes{0};
};

// One file's reading, as seen by one worker's counter and the job's cancel
// flag. The file parsers poll IsCancelled before each line and call AfterLine
// with the read position behind each line (and once more at the end of the
// file). Belongs to the worker's thread.
class FileProgress {
  public:
    FileProgress(JobProgress& job, std::size_t worker)
        : m_counter(job.m_counters[worker].bytes),
          m_cancelled(job.m_cancelled),
          m_base(m_counter.load(std::memory_order_relaxed)) {}

    bool IsCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // position: the bytes of the file read so far. Only this worker writes the
    // counter, so a plain store of the new sum is exact.
    void AfterLine(std::uint64_t position) {
        m_counter.store(m_base + position, std::memory_order_relaxed);
    }
    // Bytes of the file done without reading them (kept from an earlier
    // count): they count at once, and later positions count behind them.
    void AddDone(std::uint64_t bytes) {
        m_base += bytes;
        m_counter.store(m_base, std::memory_order_relaxed);
    }

  private:
    std::atomic<std::uint64_t>& m_counter;
    const std::atomic<bool>& m_cancelled;
    std::uint64_t m_base;
};

}  // namespace qz

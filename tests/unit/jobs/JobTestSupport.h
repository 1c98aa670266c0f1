#pragma once
// Helpers of the pool and job tests: a watchdog that turns a hang into a
// failure, a job sink that holds its thread like an operator who has not yet
// closed a message box, and the results of a job as plain containers.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "jobs/JobSink.h"
#include "records/CountMap.h"
#include "tests/support/CountMapView.h"

namespace qz::test {

// Aborts the test program with a message when it is not destroyed within the
// limit: a run that hangs fails instead of blocking the test suite.
class Watchdog {
  public:
    Watchdog(std::string what, std::chrono::seconds limit);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

// Stands in for the operator: every event blocks its thread until the test
// lets it go, as a message box blocks its worker until it is closed. It must
// outlive the jobs given its Sink().
class BlockingSink {
  public:
    BlockingSink() = default;
    ~BlockingSink();
    BlockingSink(const BlockingSink&) = delete;
    BlockingSink& operator=(const BlockingSink&) = delete;

    JobSink Sink();
    // Waits until `count` boxes came up; false after the limit.
    bool WaitForBoxes(std::size_t count, std::chrono::seconds limit);
    // Closes every box, now and later.
    void Open();
    std::vector<std::string> texts() const;

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_texts;
    bool m_open = false;
};

std::vector<std::string> ToVector(const CValueSet& values);

}  // namespace qz::test

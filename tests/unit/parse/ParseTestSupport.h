#pragma once
// Helpers of the pool and job tests: a watchdog that turns a hang into a
// failure, and the process-wide state a job reads, set to known values.

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "records/CountMap.h"

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

// No cancel, no exclusions, empty totals and found sets, the date range
// 2018-01-01 .. 2018-12-31, the record folder dataPath with the given machines.
void ResetJobState(const std::string& dataPath, std::vector<std::string> machines);

std::map<std::string, std::int32_t> ToMap(const CCountMap& counts);
std::vector<std::string> ToVector(const CValueSet& values);

}  // namespace qz::test

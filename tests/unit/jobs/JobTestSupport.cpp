#include "tests/unit/jobs/JobTestSupport.h"

#include <cstdio>
#include <cstdlib>

namespace qz::test {

Watchdog::Watchdog(std::string what, std::chrono::seconds limit)
    : m_thread([this, what = std::move(what), limit] {
          std::unique_lock lock(m_mutex);
          if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
              std::fprintf(stderr, "Watchdog: %s did not end within %lld s\n", what.c_str(),
                           static_cast<long long>(limit.count()));
              std::abort();
          }
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}

JobSink BlockingSink::Sink() {
    return [this](const FileError& error) {
        std::unique_lock lock(m_mutex);
        m_texts.push_back(error.ShownDescription());
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    };
}

BlockingSink::~BlockingSink() {
    Open();
}

bool BlockingSink::WaitForBoxes(std::size_t count, std::chrono::seconds limit) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, limit, [&] { return m_texts.size() >= count; });
}

void BlockingSink::Open() {
    std::lock_guard lock(m_mutex);
    m_open = true;
    m_changed.notify_all();
}

std::vector<std::string> BlockingSink::texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

std::vector<std::string> ToVector(const CValueSet& values) {
    return {values.begin(), values.end()};
}

}  // namespace qz::test

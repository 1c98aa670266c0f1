#include "batch/BatchProgress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "batch/TerminalText.h"
#include "platform/MessageBox.h"

namespace qz {

namespace {

constexpr int kBarWidth = 40;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

// The bar and the workers' file-error messages share standard error: a message
// clears the bar's line first, and the next poll draws the bar again.
class CTerminalProgress {
  public:
    explicit CTerminalProgress(const JobProgress& progress) : m_progress(progress) {
        m_previous = SetMessageBoxHandler([this](const std::string& text) { Message(text); });
    }
    ~CTerminalProgress() {
        Clear();
        SetMessageBoxHandler(std::move(m_previous));
    }

    void Draw() {
        std::string line = "\r";
        line += ProgressLine(m_progress.ParsedBytes(), m_progress.TotalBytes(), kBarWidth);
        std::lock_guard lock(m_mutex);
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        m_drawn = true;
    }

  private:
    void Message(const std::string& text) {
        std::lock_guard lock(m_mutex);
        ClearLocked();
        std::fputs(TerminalText(text).c_str(), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        ClearLocked();
    }
    void ClearLocked() {
        if (m_drawn) {
            std::fputs("\r\033[K", stderr);
            std::fflush(stderr);
            m_drawn = false;
        }
    }

    const JobProgress& m_progress;
    std::mutex m_mutex;
    bool m_drawn = false;
    MessageBoxHandler m_previous;
};

}  // namespace

std::string ProgressLine(std::uint64_t parsed, std::uint64_t total, int width) {
    std::uint64_t percent = 0;
    if (total > 0) {
        percent = parsed >= total ? 100 : parsed * 100 / total;
    }
    const int filled = static_cast<int>(percent * static_cast<std::uint64_t>(width) / 100);
    std::string line = "[";
    line.append(static_cast<std::size_t>(filled), '#');
    line.append(static_cast<std::size_t>(width - filled), '.');
    line += "] ";
    const std::string number = std::to_string(percent);
    line.append(3 - number.size(), ' ');
    line += number;
    line += '%';
    return line;
}

void RunWithProgress(const JobProgress& progress, const std::function<void()>& run) {
    // The bar takes the message boxes before the job can show one.
    std::optional<CTerminalProgress> bar;
    if (isatty(STDERR_FILENO) != 0) {
        bar.emplace(progress);
    }
    std::packaged_task<void()> task(run);
    std::future<void> done = task.get_future();
    std::thread job;
    try {
        job = std::thread(std::move(task));
    } catch (const std::system_error&) {
        // No thread to spare for the job: run it here, without the bar.
        bar.reset();
        run();
        return;
    }
    while (bar && done.wait_for(kPollInterval) == std::future_status::timeout) {
        bar->Draw();
    }
    job.join();
    bar.reset();
    done.get();
}

}  // namespace qz

#include "batch/BatchProgress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "platform/MessageBox.h"
#include "platform/Thread.h"

namespace qz {

namespace {

constexpr int kBarWidth = 40;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

// The bar and the workers' file-error messages share standard error: a message
// clears the bar's line first, and the next poll draws the bar again.
class CTerminalProgress {
  public:
    CTerminalProgress() {
        m_previous = SetMessageBoxHandler([this](const std::string& text) { Message(text); });
    }
    ~CTerminalProgress() {
        Clear();
        SetMessageBoxHandler(std::move(m_previous));
    }

    void Draw() {
        std::string line = "\r";
        line += ProgressLine(g_parsedBytes.load(), g_totalBytes.load(), kBarWidth);
        std::lock_guard lock(m_mutex);
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
        m_drawn = true;
    }

  private:
    void Message(const std::string& text) {
        std::lock_guard lock(m_mutex);
        ClearLocked();
        std::fputs(text.c_str(), stderr);
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

void RunJobWithProgress(std::int32_t mode, const ParseJobInput& input) {
    // As a progress dialog does when it opens: a previous cancel is forgotten.
    g_cancelEvent.ResetEvent();
    Thread job([mode, &input] {
        return mode == kModeReport ? ReportThreadProc(&input) : OptionScanThreadProc(&input);
    });

    if (isatty(STDERR_FILENO) == 0) {
        job.Resume();
        job.Join();
        return;
    }
    CTerminalProgress progress;
    job.Resume();
    while (!job.EndedEvent().WaitFor(kPollInterval)) {
        progress.Draw();
    }
    job.Join();
}

}  // namespace qz

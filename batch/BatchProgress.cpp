#include "batch/BatchProgress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "batch/TerminalText.h"

namespace qz {

namespace {

constexpr int kBarWidth = 40;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

}  // namespace

void ErrorOutput::Message(std::string_view text) {
    const std::string line = TerminalText(text) + '\n';
    std::lock_guard lock(m_mutex);
    ClearBarLocked();
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

JobSink ErrorOutput::Sink() {
    return [this](const FileError& error) { Message(error.ShownDescription()); };
}

void ErrorOutput::DrawBar(const std::string& line) {
    const std::string text = "\r" + line;
    std::lock_guard lock(m_mutex);
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    m_barDrawn = true;
}

void ErrorOutput::ClearBar() {
    std::lock_guard lock(m_mutex);
    ClearBarLocked();
}

void ErrorOutput::ClearBarLocked() {
    if (m_barDrawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_barDrawn = false;
    }
}

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

void RunWithProgress(const JobProgress& progress, ErrorOutput& errors,
                     const std::function<void()>& run) {
    const bool showBar = isatty(STDERR_FILENO) != 0;
    std::packaged_task<void()> task(run);
    std::future<void> done = task.get_future();
    std::thread job;
    try {
        job = std::thread(std::move(task));
    } catch (const std::system_error&) {
        // No thread to spare for the job: run it here, without the bar.
        run();
        return;
    }
    while (showBar && done.wait_for(kPollInterval) == std::future_status::timeout) {
        errors.DrawBar(ProgressLine(progress.ParsedBytes(), progress.TotalBytes(), kBarWidth));
    }
    job.join();
    errors.ClearBar();
    done.get();
}

}  // namespace qz

#pragma once
// Runs a job on a thread of its own while the calling thread shows its
// progress on standard error (only when standard error is a terminal), and
// the messages that share standard error with the bar.

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "jobs/JobSink.h"
#include "progress/JobProgress.h"

namespace qz {

// Standard error of the batch command. A message clears the bar's line
// first; the next poll draws the bar again. Thread-safe.
class ErrorOutput {
  public:
    // text on lines of its own, its control bytes made visible (a file error
    // names a path from the disk).
    void Message(std::string_view text);
    // A job's sink: each file error as a message.
    JobSink Sink();

    // The bar line, drawn over the previous one until cleared.
    void DrawBar(const std::string& line);
    void ClearBar();

  private:
    void ClearBarLocked();

    std::mutex m_mutex;
    bool m_barDrawn = false;
};

// Calls run on a new thread and returns when it has returned; meanwhile draws
// on errors a bar of progress's parsed bytes against its total bytes. An
// exception thrown by run is thrown again here.
void RunWithProgress(const JobProgress& progress, ErrorOutput& errors,
                     const std::function<void()>& run);

// The bar line for parsed of total bytes, e.g. "[#####.....]  50%" (never
// above 100 %).
std::string ProgressLine(std::uint64_t parsed, std::uint64_t total, int width);

}  // namespace qz

#pragma once
// Runs a job on a thread of its own while the calling thread shows its
// progress on standard error (only when standard error is a terminal).

#include <cstdint>
#include <functional>
#include <string>

#include "progress/JobProgress.h"

namespace qz {

// Calls run on a new thread and returns when it has returned; meanwhile draws
// a bar of progress's parsed bytes against its total bytes. An exception
// thrown by run is thrown again here.
void RunWithProgress(const JobProgress& progress, const std::function<void()>& run);

// The bar line for parsed of total bytes, e.g. "[#####.....]  50%" (never
// above 100 %).
std::string ProgressLine(std::uint64_t parsed, std::uint64_t total, int width);

}  // namespace qz

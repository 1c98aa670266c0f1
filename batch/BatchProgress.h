#pragma once
// Runs a parse job on a thread of its own while the calling thread shows its
// progress on standard error (only when standard error is a terminal).

#include <cstdint>
#include <string>

#include "jobs/ParseJobs.h"

namespace qz {

// mode: kModeReport or kModeOptionScan. Returns when the job has ended.
void RunJobWithProgress(std::int32_t mode, const ParseJobInput& input);

// The bar line for parsed of total bytes, e.g. "[#####.....]  50%" (never
// above 100 %).
std::string ProgressLine(std::uint64_t parsed, std::uint64_t total, int width);

}  // namespace qz

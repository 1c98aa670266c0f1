#pragma once
// The command line of qz8840-report.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dates/OleDate.h"

namespace qz {

// Exit statuses of the command.
constexpr int kExitWritten = 0;
constexpr int kExitNothingToReport = 1;
constexpr int kExitBadArguments = 2;
constexpr int kExitWriteFailed = 3;
// Standard output could not be written; the scripts were still written.
constexpr int kExitOutputFailed = 4;

// Facts: the report's fact rows as CSV (batch/BatchFacts.h); a report only.
enum class OutputFormat { Text, Json, Facts };

struct BatchOptions {
    std::optional<std::string> root;
    std::vector<std::string> machines;  // empty: all
    OleDate from;
    OleDate to;
    std::string fromText;  // the first and last day as YYYY-MM-DD
    std::string toText;
    std::vector<std::string> excludedSettingFiles;
    std::vector<std::string> excludedBoards;
    std::vector<std::string> excludedCustomers;
    std::optional<std::string> out;
    bool scan = false;
    bool printPaths = false;  // print the data tree's paths and end
    OutputFormat format = OutputFormat::Text;
    std::int32_t workers = 0;  // 0: the formula
    // The cache of facts between runs: off, or a file the user named (else
    // the data tree's own in the user's cache folder).
    bool noCache = false;
    std::optional<std::string> cacheFile;
    // --watch: write the report again on changes, at most this often; 0: once.
    std::uint32_t watchSeconds = 0;
    // --days: the range is the last so many days, today included; 0: --from, --to.
    std::int32_t rollingDays = 0;
};

// A date written YYYY-MM-DD, at 00:00:00; invalid for any other text or a
// day that does not exist.
OleDate ParseIsoDate(std::string_view text);
// Today's local date, written YYYY-MM-DD.
std::string TodayText();

// Parses the arguments into options. Returns an exit status when the command
// is to end at once (--help: 0; bad arguments, a first day after the last:
// kExitBadArguments, with the message printed), otherwise nothing.
std::optional<int> ParseBatchOptions(int argc, char** argv, BatchOptions& options);

}  // namespace qz

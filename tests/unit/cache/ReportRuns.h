#pragma once
// Report runs whose outputs can be compared byte for byte: the exit status,
// standard output, the file errors told and every file written to the
// script folder, with the time a report was made left out (it is the only
// part two runs of one request may differ in).

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace qz::test {

struct ReportRun {
    int status = -1;
    int signal = 0;
    std::string out;
    // Standard error's lines, sorted (workers tell file errors in any order),
    // without the lines about the cache itself.
    std::vector<std::string> errors;
    std::string err;  // standard error as it was
    // The script folder's files by name (the folder lock left out).
    std::map<std::string, std::string> files;
    std::chrono::steady_clock::duration took{};
};

// Runs argv with its scripts going to scriptFolder, which is emptied first;
// folder takes its standard output and error.
ReportRun RunReportProgram(std::vector<std::string> argv, const std::string& scriptFolder,
                           const std::string& folder);

// The first difference between two runs, for a failure message; empty when
// there is none.
std::string FirstDifference(const ReportRun& expected, const ReportRun& actual);

// What went wrong with a run as a program, whatever it was asked: ended by a
// signal, an exit status the batch command never gives (a sanitizer's), or a
// sanitizer's report on standard error. Empty when nothing did. Two runs
// that fail alike would otherwise compare equal.
std::string RunFault(const ReportRun& run);

// The text with the time a report was made (in the scope script and in JSON)
// made empty.
std::string WithoutMadeTime(const std::string& text);

// Starts argv with standard input, output and error on /dev/null; returns its
// process id (or -1).
pid_t StartProgram(const std::vector<std::string>& argv);

// Ends pid with SIGKILL after delay (it may have ended already) and reaps it.
void KillAfter(pid_t pid, std::chrono::microseconds delay);

}  // namespace qz::test

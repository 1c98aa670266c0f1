#pragma once
// Runs a program as a child process with a time limit: a child still running
// at the limit is killed and the run fails, so no test can hang on it.

#include <chrono>
#include <string>
#include <vector>

namespace qz::test {

struct ChildResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    int signal = 0;   // the signal that ended it, if one did
    std::string out;  // standard output, unless it went to ChildOptions::stdoutFd
    std::string err;
};

struct ChildOptions {
    // Standard output goes here when >= 0 (a pipe end, say), else to a file.
    int stdoutFd = -1;
    std::chrono::seconds limit = std::chrono::seconds(60);
};

// argv[0] is the program (a path, or a name looked up in PATH). Standard input
// is /dev/null; standard output and error are collected through files in
// folder. SIGPIPE has its default action in the child, whatever this process
// does with it.
ChildResult RunChild(const std::vector<std::string>& argv, const std::string& folder,
                     const ChildOptions& options = {});

}  // namespace qz::test

#pragma once
// Runs a program as a child process with a time limit: a child still running
// at the limit is killed and the run fails, so no test can hang on it.

#include <chrono>
#include <string>
#include <vector>

namespace qz::test {

struct ChildResult {
    int status = -1;  // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// argv[0] is the program's path; output is collected through files in folder.
ChildResult RunChild(const std::vector<std::string>& argv, const std::string& folder,
                     std::chrono::seconds limit = std::chrono::seconds(60));

}  // namespace qz::test

#include "tests/unit/cache/ReportRuns.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

extern char** environ;

namespace fs = std::filesystem;

namespace qz::test {

namespace {

bool IsFolderLock(const std::string& name) {
    return name.starts_with(".qz8840-scripts.");
}

// A message about the cache (why it was not used) belongs to the cached run
// only; every other line must be the same in both runs.
bool IsAboutCache(const std::string& line) {
    std::string lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("cache") != std::string::npos;
}

std::string Excerpt(const std::string& text, std::size_t at) {
    const std::size_t from = at > 120 ? at - 120 : 0;
    return text.substr(from, 240);
}

std::string TextDifference(const std::string& what, const std::string& expected,
                           const std::string& actual) {
    if (expected == actual) {
        return "";
    }
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    const auto at = static_cast<std::size_t>(mismatch.first - expected.begin());
    std::ostringstream text;
    text << what << " differs at byte " << at << ":\n  without the cache: ..."
         << Excerpt(expected, at) << "...\n  with the cache:    ..." << Excerpt(actual, at)
         << "...";
    return text.str();
}

}  // namespace

std::string WithoutMadeTime(const std::string& text) {
    static const std::regex script("'made': '[^']*'");
    static const std::regex json("\"made\":\"[^\"]*\"");
    return std::regex_replace(std::regex_replace(text, script, "'made': ''"), json,
                              "\"made\":\"\"");
}

ReportRun RunReportProgram(std::vector<std::string> argv, const std::string& scriptFolder,
                           const std::string& folder) {
    fs::remove_all(scriptFolder);
    fs::create_directories(scriptFolder);
    argv.push_back("--out");
    argv.push_back(scriptFolder);
    const auto start = std::chrono::steady_clock::now();
    ChildResult child = RunChild(argv, folder);
    ReportRun run;
    run.took = std::chrono::steady_clock::now() - start;
    run.status = child.status;
    run.signal = child.signal;
    run.out = WithoutMadeTime(child.out);
    run.err = child.err;
    std::istringstream lines(child.err);
    for (std::string line; std::getline(lines, line);) {
        if (!IsAboutCache(line)) {
            run.errors.push_back(line);
        }
    }
    std::sort(run.errors.begin(), run.errors.end());
    for (const auto& entry : fs::directory_iterator(scriptFolder)) {
        const std::string name = entry.path().filename().string();
        if (!IsFolderLock(name)) {
            run.files[name] = WithoutMadeTime(ReadFile(entry.path().string()));
        }
    }
    return run;
}

std::string RunFault(const ReportRun& run) {
    if (run.signal != 0) {
        return "ended by signal " + std::to_string(run.signal) + ":\n" + run.err;
    }
    if (run.status < 0 || run.status > 4) {
        return "exit status " + std::to_string(run.status) + ":\n" + run.err;
    }
    if (run.err.find("Sanitizer") != std::string::npos ||
        run.err.find("runtime error:") != std::string::npos) {
        return "a sanitizer's report:\n" + run.err;
    }
    return "";
}

std::string FirstDifference(const ReportRun& expected, const ReportRun& actual) {
    std::ostringstream text;
    if (expected.status != actual.status || expected.signal != actual.signal) {
        text << "exit status " << expected.status << " (signal " << expected.signal
             << ") without the cache, " << actual.status << " (signal " << actual.signal
             << ") with it\n  standard error without the cache:\n"
             << expected.err << "\n  standard error with the cache:\n"
             << actual.err;
        return text.str();
    }
    if (std::string d = TextDifference("standard output", expected.out, actual.out); !d.empty()) {
        return d;
    }
    if (expected.errors != actual.errors) {
        text << "the messages differ:\n  without the cache:";
        for (const std::string& line : expected.errors) {
            text << "\n    " << line;
        }
        text << "\n  with the cache:";
        for (const std::string& line : actual.errors) {
            text << "\n    " << line;
        }
        return text.str();
    }
    for (const auto& [name, bytes] : expected.files) {
        const auto other = actual.files.find(name);
        if (other == actual.files.end()) {
            return name + " was written without the cache only";
        }
        if (std::string d = TextDifference(name, bytes, other->second); !d.empty()) {
            return d;
        }
    }
    for (const auto& [name, bytes] : actual.files) {
        if (!expected.files.contains(name)) {
            return name + " was written with the cache only";
        }
    }
    return "";
}

pid_t StartProgram(const std::vector<std::string>& argv) {
    std::vector<std::string> copies = argv;
    std::vector<char*> pointers;
    for (std::string& arg : copies) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void KillAfter(pid_t pid, std::chrono::microseconds delay) {
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

}  // namespace qz::test

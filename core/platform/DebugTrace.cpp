#include "platform/DebugTrace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace qz {

namespace {

std::mutex g_traceMutex;

}  // namespace

void DebugTrace(std::string_view text) {
    const char* target = std::getenv("QZ_DEBUG_TRACE");
    if (target == nullptr || *target == '\0') {
        return;
    }
    std::string line(text);
    line += '\n';
    const std::string_view where = target;
    std::lock_guard lock(g_traceMutex);
    if (where == "-" || where == "1") {
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
        return;
    }
    // Opened per line so that the file can be watched, moved or removed while
    // the program runs; tracing is for debugging, not speed.
    if (std::FILE* file = std::fopen(target, "a")) {
        std::fwrite(line.data(), 1, line.size(), file);
        std::fclose(file);
    }
}

}  // namespace qz

#include "tests/support/Polling.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qz::test {

bool PollUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return pred();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

bool SomeoneWaitsForFlockOn(const std::string& path) {
    const std::vector<FlockEntry> flocks = FlocksOn(path);
    return std::any_of(flocks.begin(), flocks.end(), [](const FlockEntry& e) { return e.waiting; });
}

int OpenDescriptorsOn(const std::string& path) {
    std::error_code error;
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    if (error) {
        return 0;
    }
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(entry.path(), linkError) == target) {
            ++count;
        }
    }
    return count;
}

}  // namespace qz::test

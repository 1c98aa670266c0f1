#include "tests/support/Polling.h"

#include <algorithm>
#include <string>
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

}  // namespace qz::test

#include "tests/support/AtRest.h"

#include <chrono>
#include <filesystem>

namespace qz::test {

std::string AtRest(const std::string& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) - std::chrono::minutes(1));
    return path;
}

}  // namespace qz::test

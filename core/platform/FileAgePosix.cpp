#include <sys/stat.h>

#include <ctime>

#include "platform/FileAge.h"
#include "platform/Path.h"

namespace qz {

std::optional<std::chrono::milliseconds> TimeSinceChange(const std::string& path) {
    struct stat status {};
    timespec now{};
    if (::stat(ToNativePath(path).c_str(), &status) != 0 ||
        ::clock_gettime(CLOCK_REALTIME, &now) != 0) {
        return std::nullopt;
    }
    const auto since = [](const timespec& time) {
        return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
    };
    return std::chrono::duration_cast<std::chrono::milliseconds>(since(now) -
                                                                 since(status.st_mtim));
}

}  // namespace qz

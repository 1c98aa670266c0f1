#include <cstdint>

#include "platform/FileAge.h"
#include "platform/Path.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

// A FILETIME in 100-nanosecond steps.
std::int64_t Ticks(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

}  // namespace

std::optional<std::chrono::milliseconds> TimeSinceChange(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win::Utf16(ToNativePath(path)).c_str(), GetFileExInfoStandard,
                              &data)) {
        return std::nullopt;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return std::chrono::milliseconds((Ticks(now) - Ticks(data.ftLastWriteTime)) / 10000);
}

}  // namespace qz

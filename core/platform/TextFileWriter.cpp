// What TextFileWriter<System>.cpp share: the replacement files' names, the
// clean-up of those a stopped process left, and ReplaceTextFile.

#include <atomic>
#include <string>
#include <vector>

#include "platform/FolderSearch.h"
#include "platform/Path.h"
#include "platform/ReplacementNames.h"
#include "platform/TextFileWriter.h"

namespace qz {

namespace {

constexpr std::string_view kTempEnd = ".tmp";

// Appended piece by piece: GCC 12 warns (-Wrestrict) on a chain of + here.
std::string ReplacementStart(const std::string& native) {
    std::string start(".");
    start.append(native, FileNameAt(native));
    start += '.';
    return start;
}

}  // namespace

std::size_t FileNameAt(const std::string& native) {
    const std::size_t separator = native.rfind(kPathSeparator);
    return separator == std::string::npos ? 0 : separator + 1;
}

std::string ReplacementPathBeside(const std::string& native, unsigned long process) {
    static std::atomic<unsigned> counter{0};
    return native.substr(0, FileNameAt(native)) + ReplacementStart(native) +
           std::to_string(process) + "." +
           std::to_string(counter.fetch_add(1, std::memory_order_relaxed)) + std::string(kTempEnd);
}

void RemoveLeftoverReplacements(const std::string& path) {
    const std::string native = ToNativePath(path);
    const std::size_t nameAt = FileNameAt(native);
    const std::string folder = nameAt == 0 ? std::string(".") : native.substr(0, nameAt - 1);
    const std::string start = ReplacementStart(native);
    std::vector<std::string> leftovers;
    for (const FolderEntry& entry : SearchFolder(folder + kPathSeparator + "*")) {
        const std::string_view name = entry.name;
        if (!entry.isDirectory && name.size() > start.size() + kTempEnd.size() &&
            name.starts_with(start) && name.ends_with(kTempEnd)) {
            leftovers.push_back(entry.path);
        }
    }
    for (const std::string& leftover : leftovers) {
        RemoveFileQuietly(leftover);
    }
}

void ReplaceTextFile(const std::string& path, std::string_view text) {
    ReplacementFile(path, text).Commit();
}

}  // namespace qz

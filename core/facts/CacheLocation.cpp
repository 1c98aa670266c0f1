#include "facts/CacheLocation.h"

#include <cstdio>
#include <filesystem>

#include "facts/FactCoding.h"
#include "platform/KnownFolders.h"
#include "platform/Path.h"

namespace qz {

std::optional<std::string> DefaultCachePath(const std::string& dataRoot) {
    const auto folder = GetCacheFolder();
    if (!folder) {
        return std::nullopt;
    }
    std::string root = dataRoot;
    while (root.size() > 1 && (root.back() == '/' || root.back() == kPathSeparator)) {
        root.pop_back();
    }
    char name[40];
    std::snprintf(name, sizeof name, "facts-%016llx.sqlite",
                  static_cast<unsigned long long>(StableHash(root)));
    return *folder + kPathSeparator + "qz8840" + kPathSeparator + name;
}

CachePlace DefaultCachePlace(const std::string& dataRoot) {
    const auto path = DefaultCachePath(dataRoot);
    return path ? CachePlace{*path, true} : CachePlace{};
}

bool CreateCacheFolderFor(const std::string& path) {
    const std::size_t cut = path.find_last_of(kPathSeparator);
    if (cut == std::string::npos || cut == 0) {
        return true;
    }
    const std::string folder = path.substr(0, cut);
    std::error_code error;
    std::filesystem::create_directories(FileSystemPath(folder), error);
    return !error;
}

}  // namespace qz

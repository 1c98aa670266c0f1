#include "platform/FolderSearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "platform/Path.h"

namespace qz {

std::vector<FolderEntry> SearchFolder(const std::string& pattern) {
    std::vector<FolderEntry> entries;
    if (pattern.size() < 2 || pattern.back() != '*') {
        return entries;
    }
    const char separator = pattern[pattern.size() - 2];
    if (separator != '\\' && separator != '/') {
        return entries;
    }
    const std::string folder = pattern.substr(0, pattern.size() - 2);
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (dir == nullptr) {
        return entries;
    }
    while (const dirent* item = ::readdir(dir)) {
        FolderEntry entry;
        entry.name = item->d_name;
        entry.path = folder + kPathSeparator + entry.name;
        struct stat info {};
        // stat follows links: a link to a file counts as that file; a dangling
        // link stays a zero-sized non-directory.
        if (::stat(entry.path.c_str(), &info) == 0) {
            entry.isDirectory = S_ISDIR(info.st_mode);
            if (S_ISREG(info.st_mode)) {
                entry.size = static_cast<std::uint64_t>(info.st_size);
            }
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return ListedBefore(a.name, b.name);
    });
    return entries;
}

}  // namespace qz

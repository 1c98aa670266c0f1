#include "platform/FolderSearch.h"

#include <dirent.h>
#include <sys/stat.h>

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
    const std::string nativeFolder = ToNativePath(folder);
    DIR* dir = ::opendir(nativeFolder.empty() ? "/" : nativeFolder.c_str());
    if (dir == nullptr) {
        return entries;
    }
    while (const dirent* item = ::readdir(dir)) {
        FolderEntry entry;
        entry.name = item->d_name;
        entry.path = folder + '\\' + entry.name;
        struct stat info {};
        // stat follows links: a link to a file counts as that file; a dangling
        // link stays a zero-sized non-directory.
        const std::string nativePath = nativeFolder + '/' + entry.name;
        if (::stat(nativePath.c_str(), &info) == 0) {
            entry.isDirectory = S_ISDIR(info.st_mode);
            if (S_ISREG(info.st_mode)) {
                entry.size = static_cast<std::uint64_t>(info.st_size);
            }
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

}  // namespace qz

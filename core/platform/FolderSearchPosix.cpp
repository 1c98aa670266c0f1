#include "platform/FolderSearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/Path.h"

namespace qz {

std::vector<FolderEntry> SearchFolder(const std::string& pattern) {
    std::vector<FolderEntry> entries;
    std::string folder;
    if (!PatternFolder(pattern, folder)) {
        return entries;
    }
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
    SortListed(entries);
    return entries;
}

}  // namespace qz

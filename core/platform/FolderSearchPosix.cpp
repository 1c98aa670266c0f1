#include "platform/FolderSearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>

#include "platform/Path.h"

namespace qz {

namespace {

unsigned char UpperAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

// The order the original platform's file system lists a folder in: names
// compared with ASCII letters upper-cased, byte by byte as unsigned values;
// names that differ in letter case only, by their bytes.
bool ListedBefore(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return UpperAscii(a[i]) < UpperAscii(b[i]);
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

}  // namespace

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

#include "platform/FolderSearch.h"

#include "platform/Path.h"
#include "platform/SystemWin.h"

namespace qz {

std::vector<FolderEntry> SearchFolder(const std::string& pattern) {
    std::vector<FolderEntry> entries;
    std::string folder;
    if (!PatternFolder(pattern, folder)) {
        return entries;
    }
    WIN32_FIND_DATAW found{};
    // The basic information skips the short (8.3) names nobody reads here.
    const HANDLE search =
        FindFirstFileExW(win::Utf16(folder + "\\*").c_str(), FindExInfoBasic, &found,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        FolderEntry entry;
        entry.name = win::Utf8(found.cFileName);
        entry.path = folder + kPathSeparator + entry.name;
        entry.isDirectory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!entry.isDirectory) {
            entry.size = (std::uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
        }
        entries.push_back(std::move(entry));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    // NTFS lists in about this order; other file systems (FAT, network
    // shares) list in theirs: sort, as on every system.
    SortListed(entries);
    return entries;
}

}  // namespace qz

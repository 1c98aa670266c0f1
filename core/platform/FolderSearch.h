#pragma once
// Folder search for a pattern "folder/*" (or "folder\*"): every entry, "." and
// ".." included, in case-insensitive name order (ASCII letters compared as
// upper case, other bytes as unsigned values; names that differ in letter case
// only, by their bytes), the order the records' home platform lists a folder
// in. A missing or unreadable folder yields nothing.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

struct FolderEntry {
    std::string name;        // bare name
    std::string path;        // the pattern's folder part + kPathSeparator + name
    std::uint64_t size = 0;  // bytes of a regular file; 0 for anything else
    bool isDirectory = false;

    bool IsDots() const { return name == "." || name == ".."; }
};

// The pattern must end in "/*" or "\*"; the folder is the text before those
// two characters, used as it is (a '\' inside it is part of a name).
std::vector<FolderEntry> SearchFolder(const std::string& pattern);

// The order of the search: names compared with ASCII letters upper-cased,
// byte by byte as unsigned values; names that differ in letter case only, by
// their bytes. Every system's search sorts with it, so that a folder lists
// alike everywhere.
bool ListedBefore(std::string_view a, std::string_view b);

// What every system's SearchFolder shares: the folder of a pattern ("" for
// "/*"), false for a pattern that is not "<folder>/*" or "<folder>\*"; and
// the entries put in ListedBefore order.
bool PatternFolder(const std::string& pattern, std::string& folder);
void SortListed(std::vector<FolderEntry>& entries);

}  // namespace qz

#pragma once
// Where the facts of a data tree are kept by default: one database per data
// tree, in the program's folder of the user's cache folder
// (platform/KnownFolders.h), named after the tree's path.

#include <optional>
#include <string>

namespace qz {

// Which cache a job uses: none (an empty path), the data tree's own (owned:
// the program's place, where an unreadable file may be replaced), or a file
// the user named.
struct CachePlace {
    std::string path;
    bool owned = false;
};

// The data tree's own cache (none when the user has no cache folder).
CachePlace DefaultCachePlace(const std::string& dataRoot);

// The database of the data tree at dataRoot; nullopt when the user has no
// cache folder. The folder is not created (CreateCacheFolderFor does).
std::optional<std::string> DefaultCachePath(const std::string& dataRoot);

// Creates the folders above the database at path; false when it cannot.
bool CreateCacheFolderFor(const std::string& path);

}  // namespace qz

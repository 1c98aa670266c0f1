#pragma once
// Paths are built with backslashes, as the data-path rules say. The file layer
// accepts both separators and turns them into the native one here.

#include <string>
#include <string_view>

namespace qz {

// On POSIX every '\' becomes '/'; elsewhere the path is returned unchanged.
std::string ToNativePath(std::string_view path);

}  // namespace qz

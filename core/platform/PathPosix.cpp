#include "platform/Path.h"

#include <sys/stat.h>

namespace qz {

std::string ToNativePath(std::string_view path) {
    return std::string(path);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsSameFileName(std::string_view a, std::string_view b) {
    return a == b;
}

}  // namespace qz

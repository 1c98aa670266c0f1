#include "platform/Path.h"

#include <algorithm>

namespace qz {

std::string FromTemplatePath(std::string_view templatePath) {
    std::string native(templatePath);
    std::replace(native.begin(), native.end(), '\\', kPathSeparator);
    return native;
}

std::filesystem::path FileSystemPath(const std::string& path) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(path.begin(), path.end()));
#else
    return std::filesystem::path(path);
#endif
}

}  // namespace qz

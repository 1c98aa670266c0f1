#include "platform/Path.h"

#include <algorithm>

namespace qz {

std::string FromTemplatePath(std::string_view templatePath) {
    std::string native(templatePath);
    std::replace(native.begin(), native.end(), '\\', kPathSeparator);
    return native;
}

// Windows takes '/' as a separator too and allows it in no name: the system's
// own form has '\' only.
std::string ToNativePath(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

}  // namespace qz

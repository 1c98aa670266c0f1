#include "platform/Path.h"

#include <algorithm>

namespace qz {

std::string FromTemplatePath(std::string_view templatePath) {
    std::string native(templatePath);
    std::replace(native.begin(), native.end(), '\\', kPathSeparator);
    return native;
}

}  // namespace qz

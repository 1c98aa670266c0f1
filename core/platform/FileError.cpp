#include "platform/FileError.h"

#include <algorithm>
#include <cstring>

#include "platform/NameText.h"
#include "platform/Path.h"

namespace qz {

FileError::FileError(const std::string& path, int errnum)
    : FileError(path, std::string_view(std::strerror(errnum))) {}

FileError::FileError(const std::string& path, std::string_view reason)
    : std::runtime_error(ToNativePath(path) + ": " + std::string(reason)) {}

FileError::FileError(const std::string& description) : std::runtime_error(description) {}

std::string FileError::ShownDescription() const {
    const std::string_view text = what();
    std::size_t end = 0;
    for (std::size_t shown = 0; shown < kMaxShownChars && end < text.size(); ++shown) {
        // A character is a well-formed UTF-8 sequence, else one byte.
        char32_t codePoint = 0;
        end += std::max<std::size_t>(Utf8SequenceAt(text, end, codePoint), 1);
    }
    return std::string(text.substr(0, end));
}

}  // namespace qz

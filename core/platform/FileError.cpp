#include "platform/FileError.h"

#include <cstring>

#include "platform/Path.h"

namespace qz {

namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 1 when none
// starts there.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0xC2   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF5 ? 4
                                             : 1;
    if (length == 1 || at + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    return length;
}

}  // namespace

FileError::FileError(const std::string& path, int errnum)
    : FileError(path, std::string_view(std::strerror(errnum))) {}

FileError::FileError(const std::string& path, std::string_view reason)
    : std::runtime_error(ToNativePath(path) + ": " + std::string(reason)) {}

FileError::FileError(const std::string& description) : std::runtime_error(description) {}

std::string FileError::ShownDescription() const {
    const std::string_view text = what();
    std::size_t end = 0;
    for (std::size_t shown = 0; shown < kMaxShownChars && end < text.size(); ++shown) {
        end += SequenceLength(text, end);
    }
    return std::string(text.substr(0, end));
}

}  // namespace qz

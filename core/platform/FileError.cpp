#include "platform/FileError.h"

#include <cstring>

namespace qz {

FileError::FileError(const std::string& path, int errnum)
    : std::runtime_error(path + ": " + std::strerror(errnum)) {}

FileError::FileError(const std::string& description) : std::runtime_error(description) {}

std::string FileError::ShownDescription() const {
    std::string_view text = what();
    if (text.size() <= kMaxShownChars) {
        return std::string(text);
    }
    std::size_t cut = kMaxShownChars;
    // Step back over continuation bytes so that the cut lands on the start of
    // a sequence, which is then dropped whole.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return std::string(text.substr(0, cut));
}

}  // namespace qz

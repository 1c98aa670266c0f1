#pragma once
// File errors: the one exception type of the file layer. It carries a readable
// description (the path as the system writes it and the system's reason);
// callers show at most kMaxShownChars characters of it in a message box.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qz {

class FileError : public std::runtime_error {
  public:
    // The description reads "<native path>: <strerror(errnum)>".
    FileError(const std::string& path, int errnum);
    // The description reads "<native path>: <reason>".
    FileError(const std::string& path, std::string_view reason);
    // A description given whole (for failures that have no path).
    explicit FileError(const std::string& description);

    static constexpr std::size_t kMaxShownChars = 255;

    // The description cut to kMaxShownChars characters. A character is a whole
    // UTF-8 sequence; a byte that starts none counts as one character.
    std::string ShownDescription() const;
};

}  // namespace qz

#pragma once
// File errors: the one exception type of the file layer. It carries a readable
// description (the path and the system's reason); callers show at most
// kMaxShownChars characters of it in a message box.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace qz {

class FileError : public std::runtime_error {
public:
    // The description reads "<path>: <strerror(errnum)>".
    FileError(const std::string& path, int errnum);
    // A description given whole (for failures that have no errno).
    explicit FileError(const std::string& description);

    static constexpr std::size_t kMaxShownChars = 255;

    // The description cut to kMaxShownChars bytes, never inside a UTF-8 sequence.
    std::string ShownDescription() const;
};

}  // namespace qz

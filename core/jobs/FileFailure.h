#pragma once
// A record file that failed for another reason than a FileError (out of
// memory above all) is that file's error, told as a file error is.

#include <cerrno>
#include <exception>
#include <new>
#include <string>

#include "platform/FileError.h"

namespace qz {

// "<path>: Cannot allocate memory" for std::bad_alloc, "<path>: <what>" else.
inline FileError FileFailure(const std::string& path, const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return FileError(path, ENOMEM);
    }
    return FileError(path, std::string_view(error.what()));
}

}  // namespace qz

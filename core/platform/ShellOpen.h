#pragma once
// Opens a document with the desktop's default program (POSIX: xdg-open,
// started directly and detached, no shell; Windows: the shell's "open" verb).
// Tests can replace the opener to capture the request.

#include <functional>
#include <string>

namespace qz {

// False when the opener could not be started or reported failure.
bool ShellOpen(const std::string& path);

// A replacement opener; the document counts as opened.
using ShellOpenHandler = std::function<void(const std::string& path)>;
// Installs a replacement (empty restores xdg-open); returns the previous one.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

// The system part: starts the default program for path, whatever handler is
// installed; false when it could not be started or reported failure.
// Implemented once per operating system.
bool OpenWithDefaultProgram(const std::string& path);

}  // namespace qz

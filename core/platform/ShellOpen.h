#pragma once
// Opens a document with the desktop's default program (xdg-open, started
// directly and detached, no shell). The result is ignored by design. Tests can
// replace the opener to capture the request.

#include <functional>
#include <string>

namespace qz {

void ShellOpen(const std::string& path);

using ShellOpenHandler = std::function<void(const std::string& path)>;
// Installs a replacement (empty restores xdg-open); returns the previous one.
ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler);

// The system part: starts the default program for path, whatever handler is
// installed. Implemented once per operating system.
void OpenWithDefaultProgram(const std::string& path);

}  // namespace qz

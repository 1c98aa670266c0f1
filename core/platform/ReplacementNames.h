#pragma once
// The names of the new files ReplacementFile writes beside a file, the same
// on every system: "." + the file's name + "." + process + "." + counter +
// ".tmp" (hidden on POSIX, and told apart from any other writer's).

#include <cstddef>
#include <string>
#include <string_view>

namespace qz {

// Where the file's name starts in native (after its last separator).
std::size_t FileNameAt(const std::string& native);

// A new name beside native for this process; a new one on every call.
std::string ReplacementPathBeside(const std::string& native, unsigned long process);

// Removes the file at native, ignoring any failure (each system's writer).
void RemoveFileQuietly(const std::string& native);

}  // namespace qz

#pragma once
// How long ago a file last changed, by the system's clock: for a reader that
// must tell a file a writer is still appending to from one at rest.

#include <chrono>
#include <optional>
#include <string>

namespace qz {

// The time from the file's last modification to now (negative when the file's
// time lies ahead of the clock); nullopt when the file cannot be looked at.
std::optional<std::chrono::milliseconds> TimeSinceChange(const std::string& path);

}  // namespace qz

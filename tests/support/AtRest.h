#pragma once
// A record file that no machine writes any more: a report counts its
// unterminated last line only once the file has been quiet for a few seconds
// (kQuietTime), so a test that means a file at rest says so.

#include <string>

namespace qz::test {

// Sets path's modification time a minute back; returns path.
std::string AtRest(const std::string& path);

}  // namespace qz::test

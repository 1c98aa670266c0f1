#pragma once
// Whole-file writing: create or truncate, one write, close. Every failure is a
// FileError; a write that fails part-way keeps what was written.

#include <string>
#include <string_view>

namespace qz {

void WriteTextFile(const std::string& path, std::string_view text);

}  // namespace qz

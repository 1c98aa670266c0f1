#pragma once
// Whole-file writing. Every failure is a FileError whose description names
// the path given.

#include <string>
#include <string_view>

namespace qz {

// Creates or truncates path and writes text into it, following a symbolic
// link at path; a write that fails part-way keeps what was written.
void WriteTextFile(const std::string& path, std::string_view text);

// Writes text to a new file beside path and renames it over path, so that a
// reader sees the old content or the new one, never a part. Whatever is at
// path (a file, a symbolic link) is replaced, never followed or written
// through. On failure path is untouched and the new file is removed.
void ReplaceTextFile(const std::string& path, std::string_view text);

}  // namespace qz

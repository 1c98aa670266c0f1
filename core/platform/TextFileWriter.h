#pragma once
// Whole-file writing. Every failure is a FileError whose description names
// the path given.

#include <string>
#include <string_view>

namespace qz {

// A file's new content, written whole to a new file beside it (same folder,
// hidden name) when constructed, and renamed over the file by Commit, so that
// a reader sees the old content or the new one, never a part. Whatever is at
// the path (a file, a symbolic link) is replaced, never followed or written
// through, except a folder, which fails the construction. Until Commit
// succeeds the path is untouched; the new file is removed if Commit fails or
// is never called.
class ReplacementFile {
  public:
    ReplacementFile(std::string path, std::string_view text);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    void Commit();

  private:
    std::string m_path;
    std::string m_tempPath;  // empty once renamed or removed
};

// Removes the new files that ReplacementFile left beside path when a process
// was stopped before it renamed or removed them. Only for a caller that knows
// no other writer of path is at work (one that holds the folder's lock).
void RemoveLeftoverReplacements(const std::string& path);

// ReplacementFile(path, text).Commit().
void ReplaceTextFile(const std::string& path, std::string_view text);

}  // namespace qz

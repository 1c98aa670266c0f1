#pragma once
// An exclusive advisory lock on a folder, held for the object's life, so that
// writers of a set of files in the folder take turns (between processes and
// between threads alike). The constructor waits while another holds the lock.
// A folder that cannot be opened or locked (missing, or a file system without
// locks) is not locked: the writer goes on, and its own file operations report
// what is wrong.

#include <string>

namespace qz {

class FolderLock {
  public:
    explicit FolderLock(const std::string& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    bool Held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};

}  // namespace qz

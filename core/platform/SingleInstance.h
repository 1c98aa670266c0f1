#pragma once
// A per-user single-instance guard named after its name: a lock file under
// $XDG_RUNTIME_DIR (else /tmp/<name>-<uid>.lock) held with flock while the
// guard lives.

#include <string>

namespace qz {

class SingleInstanceGuard {
public:
    explicit SingleInstanceGuard(const std::string& name);
    ~SingleInstanceGuard();
    SingleInstanceGuard(const SingleInstanceGuard&) = delete;
    SingleInstanceGuard& operator=(const SingleInstanceGuard&) = delete;

    // True when another process already holds the guard.
    bool AlreadyExists() const { return m_alreadyExists; }
    void Release();

private:
    int m_fd = -1;
    bool m_alreadyExists = false;
};

}  // namespace qz

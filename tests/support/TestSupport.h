#pragma once
// Fixture helpers shared by the tests: temporary folder trees, environment
// overrides, a redirected home folder and recorders for a job's events and
// shell-open requests. Tests never touch the real home or documents folder.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/JobSink.h"
#include "platform/ShellOpen.h"

namespace qz::test {

// A fresh folder under $TMPDIR (else /tmp), removed with all its content when
// the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Absolute, without a trailing '/'.
    const std::string& path() const { return m_path; }

    // Writes `bytes` to path()/rel, creating parent folders; returns the full path.
    std::string Write(std::string_view rel, std::string_view bytes) const;
    // Creates path()/rel with its parents; returns the full path.
    std::string MakeDir(std::string_view rel) const;

  private:
    std::string m_path;
};

// Sets (or with nullopt unsets) an environment variable; the old state comes
// back when the object goes.
class ScopedEnv {
  public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string m_name;
    std::optional<std::string> m_previous;
};

// Points HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR at empty folders of a
// temporary tree, and unsets XDG_CACHE_HOME (so the cache folder is
// home()/.cache). No user-dirs.dirs exists unless WriteUserDirs is called, so
// the documents folder is home()/Documents (not created).
class HomeRedirect {
  public:
    HomeRedirect();
    ~HomeRedirect() = default;

    const TempDir& tempDir() const { return m_root; }
    const std::string& home() const { return m_home; }
    const std::string& configHome() const { return m_configHome; }
    const std::string& runtimeDir() const { return m_runtimeDir; }
    std::string documents() const { return m_home + "/Documents"; }
    std::string desktop() const { return m_home + "/Desktop"; }

    // Writes configHome()/user-dirs.dirs with the given content.
    void WriteUserDirs(std::string_view content) const;

  private:
    TempDir m_root;
    std::string m_home;
    std::string m_configHome;
    std::string m_runtimeDir;
    ScopedEnv m_homeEnv;
    ScopedEnv m_configEnv;
    ScopedEnv m_runtimeEnv;
    ScopedEnv m_cacheEnv;
};

// A job's sink that records the shown description of every file error it is
// told of (from any thread). It must outlive the jobs given its Sink().
class JobEventRecorder {
  public:
    JobEventRecorder() = default;
    JobEventRecorder(const JobEventRecorder&) = delete;
    JobEventRecorder& operator=(const JobEventRecorder&) = delete;

    JobSink Sink();
    std::vector<std::string> texts() const;

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
};

// Records shell-open requests instead of starting a program, and restores the
// previous opener when it goes.
class ShellOpenRecorder {
  public:
    ShellOpenRecorder();
    ~ShellOpenRecorder();
    ShellOpenRecorder(const ShellOpenRecorder&) = delete;
    ShellOpenRecorder& operator=(const ShellOpenRecorder&) = delete;

    std::vector<std::string> paths() const;

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_paths;
    ShellOpenHandler m_previous;
};

// The whole content of a file; throws std::runtime_error when it cannot be read.
std::string ReadFile(const std::string& path);

// One flock on a file as the kernel lists it in /proc/locks: its owner
// process, and whether it is held or a request still waiting for it.
struct FlockEntry {
    long pid = 0;
    bool waiting = false;
};

// The flocks on path (held and waited for); empty when path does not exist.
// Lets a test see that a thread is blocked in a lock instead of guessing it
// from a pause.
std::vector<FlockEntry> FlocksOn(const std::string& path);

}  // namespace qz::test

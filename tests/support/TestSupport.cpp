#include "tests/support/TestSupport.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace qz::test {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> GetEnv(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
}

void PutEnv(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
    } else {
        ::unsetenv(name.c_str());
    }
}

}  // namespace

TempDir::TempDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    std::string pattern = base + "/qz-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp " + pattern + ": " + std::strerror(errno));
    }
    m_path = fs::canonical(pattern).string();
}

TempDir::~TempDir() {
    std::error_code error;
    // Tests may take permissions away; give them back so that removal works.
    for (auto it = fs::recursive_directory_iterator(m_path, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error) && !it->is_symlink(error)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::remove_all(m_path, error);
}

std::string TempDir::Write(std::string_view rel, std::string_view bytes) const {
    const fs::path full = fs::path(m_path) / rel;
    fs::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + full.string());
    }
    return full.string();
}

std::string TempDir::MakeDir(std::string_view rel) const {
    const fs::path full = fs::path(m_path) / rel;
    fs::create_directories(full);
    return full.string();
}

ScopedEnv::ScopedEnv(std::string name, std::optional<std::string> value)
    : m_name(std::move(name)), m_previous(GetEnv(m_name)) {
    PutEnv(m_name, value);
}

ScopedEnv::~ScopedEnv() {
    PutEnv(m_name, m_previous);
}

HomeRedirect::HomeRedirect()
    : m_home(m_root.MakeDir("home")),
      m_configHome(m_root.MakeDir("home/.config")),
      m_runtimeDir(m_root.MakeDir("runtime")),
      m_homeEnv("HOME", m_home),
      m_configEnv("XDG_CONFIG_HOME", m_configHome),
      m_runtimeEnv("XDG_RUNTIME_DIR", m_runtimeDir),
      m_cacheEnv("XDG_CACHE_HOME", std::nullopt) {}

void HomeRedirect::WriteUserDirs(std::string_view content) const {
    m_root.Write("home/.config/user-dirs.dirs", content);
}

JobSink JobEventRecorder::Sink() {
    return [this](const FileError& error) {
        std::lock_guard lock(m_mutex);
        m_texts.push_back(error.ShownDescription());
    };
}

std::vector<std::string> JobEventRecorder::texts() const {
    std::lock_guard lock(m_mutex);
    return m_texts;
}

ShellOpenRecorder::ShellOpenRecorder() {
    m_previous = SetShellOpenHandler([this](const std::string& path) {
        std::lock_guard lock(m_mutex);
        m_paths.push_back(path);
    });
}

ShellOpenRecorder::~ShellOpenRecorder() {
    SetShellOpenHandler(std::move(m_previous));
}

std::vector<std::string> ShellOpenRecorder::paths() const {
    std::lock_guard lock(m_mutex);
    return m_paths;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<FlockEntry> FlocksOn(const std::string& path) {
    std::vector<FlockEntry> entries;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return entries;
    }
    // Lines such as "1: FLOCK  ADVISORY  WRITE 8656 fe:00:10960899 0 EOF", a
    // waiting request with "->" after the number.
    const std::string inode = ":" + std::to_string(st.st_ino);
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string index, kind, advisory, mode, device;
        fields >> index >> kind;
        const bool waiting = kind == "->";
        if (waiting) {
            fields >> kind;
        }
        long pid = 0;
        fields >> advisory >> mode >> pid >> device;
        if (kind == "FLOCK" && device.size() > inode.size() &&
            device.compare(device.size() - inode.size(), inode.size(), inode) == 0) {
            entries.push_back({pid, waiting});
        }
    }
    return entries;
}

}  // namespace qz::test

#include "platform/KnownFolders.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string_view>

namespace qz {

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// The value of `key` in user-dirs.dirs: a line KEY="value" where value is
// "$HOME/..." or an absolute path. Anything else (relative paths, comments,
// other keys) is ignored, as the XDG tools do.
std::optional<std::string> UserDir(std::string_view key, const std::string& home) {
    const auto configHome = Environment("XDG_CONFIG_HOME");
    const std::string file = (configHome ? *configHome : home + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    std::optional<std::string> found;
    while (std::getline(in, line)) {
        std::string_view text = line;
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        }
        if (!text.starts_with(key) || text.substr(key.size()).empty() || text[key.size()] != '=') {
            continue;
        }
        text.remove_prefix(key.size() + 1);
        while (!text.empty() &&
               (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
            text.remove_suffix(1);
        }
        if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
            text = text.substr(1, text.size() - 2);
        }
        std::string value;
        if (text.starts_with("$HOME")) {
            const std::string_view rest = text.substr(5);
            if (!rest.empty() && rest.front() != '/') {
                continue;
            }
            value = home + std::string(rest);
        } else if (text.starts_with('/')) {
            value = std::string(text);
        } else {
            continue;
        }
        // The XDG format escapes '"', '\', '$' and '`' with a backslash.
        std::string unescaped;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            unescaped += value[i];
        }
        found = WithoutTrailingSeparator(unescaped);  // the last assignment wins
    }
    return found;
}

std::optional<std::string> KnownFolder(std::string_view key, const char* fallback) {
    const auto home = Environment("HOME");
    if (!home) {
        return std::nullopt;
    }
    const std::string homeFolder = WithoutTrailingSeparator(*home);
    if (auto folder = UserDir(key, homeFolder)) {
        return folder;
    }
    return homeFolder + "/" + fallback;
}

}  // namespace

std::optional<std::string> GetDocumentsFolder() {
    return KnownFolder("XDG_DOCUMENTS_DIR", "Documents");
}

std::optional<std::string> GetDesktopFolder() {
    return KnownFolder("XDG_DESKTOP_DIR", "Desktop");
}

std::optional<std::string> GetCacheFolder() {
    // The XDG base directory rule: a relative value is ignored.
    if (const auto cacheHome = Environment("XDG_CACHE_HOME");
        cacheHome && cacheHome->front() == '/') {
        return WithoutTrailingSeparator(*cacheHome);
    }
    const auto home = Environment("HOME");
    if (!home) {
        return std::nullopt;
    }
    return WithoutTrailingSeparator(*home) + "/.cache";
}

std::string GetExecutablePath() {
    std::string path(4096, '\0');
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            break;
        }
        path.resize(path.size() * 2);
    }
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace qz

#pragma once
// Paths are built with the system's separator from the start, and a name that
// came from the disk or from the user is never rewritten: on POSIX a '\' is an
// ordinary character of a name. Only the program's own path templates (the
// data root, the folders below it) are written with '\'.

#include <filesystem>
#include <string>
#include <string_view>

namespace qz {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// One of the program's own path templates, written with '\', in the system's
// form. Never for a name from the disk or the user.
std::string FromTemplatePath(std::string_view templatePath);

// The path as the system writes it: paths are kept in that form, so it is
// returned unchanged.
std::string ToNativePath(std::string_view path);

// Whether two names (of files or folders in one folder) name the same entry:
// the same bytes on POSIX; on Windows the same but for letter case, as its
// file systems compare names.
bool IsSameFileName(std::string_view a, std::string_view b);

// The path for std::filesystem: the program's paths are UTF-8 on Windows and
// bytes on POSIX.
std::filesystem::path FileSystemPath(const std::string& path);

// Whether path names a folder (following a symbolic link).
bool IsFolder(const std::string& path);

}  // namespace qz

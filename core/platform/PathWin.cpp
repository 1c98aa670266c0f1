#include "platform/Path.h"

#include <algorithm>

#include "platform/SystemWin.h"

namespace qz {

// Windows takes '/' as a separator too and allows it in no name: the system's
// own form has '\' only.
std::string ToNativePath(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '/', '\\');
    return native;
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(win::Utf16(ToNativePath(path)).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The file system's own comparison: ordinal, letter case folded by the
// system's upper-case table (so "café" and "CAFÉ" are one name).
bool IsSameFileName(std::string_view a, std::string_view b) {
    const std::wstring wideA = win::Utf16(a);
    const std::wstring wideB = win::Utf16(b);
    return CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace qz

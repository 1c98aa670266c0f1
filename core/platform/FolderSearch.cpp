#include "platform/FolderSearch.h"

#include <algorithm>

namespace qz {

namespace {

unsigned char UpperAscii(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 'a' + 'A') : byte;
}

}  // namespace

bool ListedBefore(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        if (UpperAscii(a[i]) != UpperAscii(b[i])) {
            return UpperAscii(a[i]) < UpperAscii(b[i]);
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

bool PatternFolder(const std::string& pattern, std::string& folder) {
    if (pattern.size() < 2 || pattern.back() != '*') {
        return false;
    }
    const char separator = pattern[pattern.size() - 2];
    if (separator != '\\' && separator != '/') {
        return false;
    }
    folder = pattern.substr(0, pattern.size() - 2);
    return true;
}

void SortListed(std::vector<FolderEntry>& entries) {
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        return ListedBefore(a.name, b.name);
    });
}

}  // namespace qz

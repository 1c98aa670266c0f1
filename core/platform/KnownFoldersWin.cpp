#include <shlobj.h>

#include "platform/KnownFolders.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

std::optional<std::string> KnownFolder(const KNOWNFOLDERID& id) {
    wchar_t* path = nullptr;
    // KF_FLAG_DONT_VERIFY: the folder is named even when it does not exist.
    const HRESULT result = SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::optional<std::string> folder;
    if (SUCCEEDED(result) && path != nullptr) {
        std::string text = win::Utf8(path);
        while (text.size() > 3 && (text.back() == '\\' || text.back() == '/')) {
            text.pop_back();
        }
        folder = std::move(text);
    }
    CoTaskMemFree(path);
    return folder;
}

}  // namespace

std::optional<std::string> GetDocumentsFolder() {
    return KnownFolder(FOLDERID_Documents);
}

std::optional<std::string> GetDesktopFolder() {
    return KnownFolder(FOLDERID_Desktop);
}

std::optional<std::string> GetCacheFolder() {
    return KnownFolder(FOLDERID_LocalAppData);
}

std::string GetExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // cut to fit: try a bigger buffer
    }
    return win::Utf8(path);
}

}  // namespace qz

// The default program through the shell (ShellExecuteW, the "open" verb).
#include <objbase.h>
#include <shellapi.h>

#include "platform/Path.h"
#include "platform/ShellOpen.h"
#include "platform/SystemWin.h"

namespace qz {

bool OpenWithDefaultProgram(const std::string& path) {
    // The shell may start its handler through COM; a thread that already
    // chose another apartment keeps it.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring file = win::Utf16(ToNativePath(path));
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result > 32;  // the documented success threshold
}

}  // namespace qz

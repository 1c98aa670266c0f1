// The legacy encoding on Windows: the system's ANSI code page (the code page
// programs without Unicode write their text in; 932 on a Japanese machine).

#include "platform/NameText.h"
#include "platform/SystemWin.h"

#include <string>

namespace qz {

std::string LegacyEncodingName() {
    return "code page " + std::to_string(GetACP());
}

std::string LegacyToUtf8(std::string_view text) {
    if (text.empty()) {
        return std::string();
    }
    // Without MB_ERR_INVALID_CHARS the system maps a byte its code page does
    // not know to a character of its own choosing: every byte still shows.
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    if (units <= 0) {
        return Latin1ToUtf8(text);
    }
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
    return win::Utf8(wide);
}

}  // namespace qz

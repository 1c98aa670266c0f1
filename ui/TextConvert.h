#pragma once
// The one place where the core's byte strings meet wxString. Record files and
// the customer list are 8-bit text: bytes that form valid UTF-8 are shown as
// UTF-8, anything else as ISO-8859-1 (every byte is one character, so nothing
// is ever lost or replaced).

#include <string>
#include <string_view>

#include <wx/string.h>

namespace qz {

wxString ToDisplayText(std::string_view bytes);

// Texts written by the program itself (UTF-8 literals) to wxString.
inline wxString FromUtf8(std::string_view text) {
    return wxString::FromUTF8(text.data(), text.size());
}

}  // namespace qz

#pragma once
// The one place where the core's byte strings meet wxString. Record files and
// the customer list are 8-bit text, shown as NameToUtf8 reads it: valid UTF-8
// as UTF-8, anything else in the legacy encoding (ISO-8859-1 unless the
// system or the user names another).

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

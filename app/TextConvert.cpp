#include "app/TextConvert.h"

#include <wx/strconv.h>

namespace qz {

wxString ToDisplayText(std::string_view bytes) {
    if (bytes.empty())
        return wxString();
    // The strict converter rejects overlong forms, surrogates and truncated
    // sequences, so a Latin-1 text is never mistaken for UTF-8 halfway.
    const size_t len = wxConvUTF8.ToWChar(nullptr, 0, bytes.data(), bytes.size());
    if (len != wxCONV_FAILED)
        return wxString(bytes.data(), wxConvUTF8, bytes.size());
    return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}

}  // namespace qz

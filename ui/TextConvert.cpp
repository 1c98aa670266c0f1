#include "ui/TextConvert.h"

#include <wx/strconv.h>

namespace qz {

namespace {

// Well-formed UTF-8 as the Unicode standard defines it: no overlong forms, no
// surrogates, nothing above U+10FFFF, no cut sequences.
bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;  // range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;  // overlong
            else if (lead == 0xED)
                high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;  // overlong
            else if (lead == 0xF4)
                high = 0x8F;  // above U+10FFFF
        } else {
            return false;
        }
        if (end - p < length || p[1] < low || p[1] > high)
            return false;
        for (int i = 2; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += length;
    }
    return true;
}

}  // namespace

wxString ToDisplayText(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return wxString::FromUTF8Unchecked(bytes.data(), bytes.size());
    return wxString(bytes.data(), wxConvISO8859_1, bytes.size());
}

}  // namespace qz

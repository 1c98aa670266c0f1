#include "ui/TextConvert.h"

#include "platform/NameText.h"

namespace qz {

wxString ToDisplayText(std::string_view bytes) {
    const std::string text = NameToUtf8(bytes);
    return wxString::FromUTF8Unchecked(text.data(), text.size());
}

}  // namespace qz

#include "platform/NameText.h"

namespace qz {

std::size_t Utf8SequenceAt(std::string_view text, std::size_t at, char32_t& codePoint) {
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, least = 0x80, codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, least = 0x800, codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, least = 0x10000, codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if ((byte & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

bool IsUtf8(std::string_view text) {
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, at, codePoint);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
        return;
    }
    if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
    } else {
        if (codePoint < 0x10000) {
            out += static_cast<char>(0xE0 | (codePoint >> 12));
        } else {
            out += static_cast<char>(0xF0 | (codePoint >> 18));
            out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        }
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
}

std::string NameToUtf8(std::string_view bytes) {
    return IsUtf8(bytes) ? std::string(bytes) : LegacyToUtf8(bytes);
}

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        AppendUtf8(out, static_cast<unsigned char>(c));
    }
    return out;
}

}  // namespace qz

#include "report/ScriptLiteral.h"

#include <charconv>
#include <cstddef>

namespace qz {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The well-formed UTF-8 sequence at text[at] (no overlong form, no surrogate,
// nothing above U+10FFFF): its length, and its code point in codePoint; 0 when
// none starts there.
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

// Whether key is UTF-8 text with at least one character beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view key) {
    bool beyondAscii = false;
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < key.size();) {
        const std::size_t length = Utf8SequenceAt(key, at, codePoint);
        if (length == 0) {
            return false;
        }
        beyondAscii = beyondAscii || length > 1;
        at += length;
    }
    return beyondAscii;
}

// A byte as the literal needs it: backslash, quote and control bytes escaped
// (and, asciiOnly, bytes of the upper half), any other byte as it is.
void AppendQuotedByte(std::string& out, char c, bool asciiOnly) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '\'') {
        out += '\\';
        out += c;
    } else if (byte < 0x20 || byte == 0x7F || (asciiOnly && byte > 0x7F)) {
        out += "\\x";
        out += kHexDigits[byte >> 4];
        out += kHexDigits[byte & 0x0F];
    } else {
        out += c;
    }
}

void AppendUtf16Escape(std::string& out, char32_t unit) {
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out += kHexDigits[(unit >> shift) & 0x0F];
    }
}

}  // namespace

// The script files are read in whatever charset the browser picks, so a UTF-8
// key's characters beyond ASCII are written as \uXXXX escapes (a surrogate pair
// above U+FFFF) and the script stays ASCII. Other keys keep their bytes, each
// read as one character.
void AppendQuotedText(std::string& out, std::string_view key, bool asciiOnly) {
    if (!IsUtf8BeyondAscii(key)) {
        for (const char c : key) {
            AppendQuotedByte(out, c, asciiOnly);
        }
        return;
    }
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < key.size();) {
        const std::size_t length = Utf8SequenceAt(key, at, codePoint);
        if (length == 1) {
            AppendQuotedByte(out, key[at], asciiOnly);
        } else if (codePoint <= 0xFFFF) {
            AppendUtf16Escape(out, codePoint);
        } else {
            const char32_t offset = codePoint - 0x10000;
            AppendUtf16Escape(out, 0xD800 + (offset >> 10));
            AppendUtf16Escape(out, 0xDC00 + (offset & 0x3FF));
        }
        at += length;
    }
}

// Numbers are written with std::to_chars, which ignores the process locale:
// the decimal point is '.' even where GTK has set a locale with a comma.
void AppendInteger(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

}  // namespace qz

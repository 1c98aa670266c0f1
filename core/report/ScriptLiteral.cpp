#include "report/ScriptLiteral.h"

#include <charconv>
#include <cstddef>

#include "platform/NameText.h"

namespace qz {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

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

// A character as \uXXXX, a surrogate pair above U+FFFF.
void AppendCharacterEscape(std::string& out, char32_t codePoint) {
    if (codePoint <= 0xFFFF) {
        AppendUtf16Escape(out, codePoint);
        return;
    }
    const char32_t offset = codePoint - 0x10000;
    AppendUtf16Escape(out, 0xD800 + (offset >> 10));
    AppendUtf16Escape(out, 0xDC00 + (offset & 0x3FF));
}

}  // namespace

// The script files are read as ISO-8859-1 whatever the page's charset, so a
// name's characters beyond ASCII are written as \uXXXX escapes (a surrogate
// pair above U+FFFF) and a UTF-8 name's script stays ASCII. A name in the
// legacy encoding keeps the bytes of its ISO-8859-1 characters (so under
// ISO-8859-1 every byte as it is) and escapes the others.
void AppendQuotedText(std::string& out, std::string_view key, bool asciiOnly) {
    const bool utf8 = IsUtf8(key);
    const std::string decoded = utf8 ? std::string() : LegacyToUtf8(key);
    const std::string_view text = utf8 ? key : std::string_view(decoded);
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceAt(text, at, codePoint);
        if (length == 1 || (!utf8 && codePoint <= 0xFF)) {
            AppendQuotedByte(out, static_cast<char>(codePoint), asciiOnly);
        } else {
            AppendCharacterEscape(out, codePoint);
        }
        at += length;
    }
}

void AppendJsonText(std::string& out, std::string_view text) {
    const std::string utf8 = NameToUtf8(text);
    char32_t codePoint = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const std::size_t length = Utf8SequenceAt(utf8, at, codePoint);
        if (codePoint == '"' || codePoint == '\\') {
            out += '\\';
            out += static_cast<char>(codePoint);
        } else if (codePoint >= 0x20 && codePoint < 0x7F) {
            out += static_cast<char>(codePoint);
        } else {
            AppendCharacterEscape(out, codePoint);
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

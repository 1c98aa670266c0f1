#include "batch/TerminalText.h"

#include "platform/NameText.h"

namespace qz {

namespace {

bool IsContinuation(unsigned char byte, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return byte >= low && byte <= high;
}

// The length of the well-formed UTF-8 sequence of two or more bytes at
// text[at] (no overlong form, no surrogate, nothing above U+10FFFF), or 0.
std::size_t Utf8Length(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) -> unsigned char {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0;
    };
    const unsigned char lead = byte(0);
    if (lead >= 0xC2 && lead <= 0xDF) {
        return IsContinuation(byte(1)) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
        return IsContinuation(byte(1), low, high) && IsContinuation(byte(2)) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
        return IsContinuation(byte(1), low, high) && IsContinuation(byte(2)) &&
                       IsContinuation(byte(3))
                   ? 4
                   : 0;
    }
    return 0;
}

bool IsControl(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F);
}

void AppendEscape(std::string& out, unsigned char byte) {
    constexpr char kHex[] = "0123456789ABCDEF";
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0x0F];
}

std::string Escaped(std::string_view bytes, bool keepLineFeeds) {
    // Names read as every other place shows them: UTF-8, else the legacy
    // encoding; the terminal then gets UTF-8.
    const std::string utf8 = NameToUtf8(bytes);
    const std::string_view text = utf8;
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const std::size_t length = Utf8Length(text, at);
        // U+0080-U+009F are C1 controls in UTF-8 too (C2 80 to C2 9F).
        const bool c1 =
            length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F;
        if (c1) {
            AppendEscape(out, byte);
            AppendEscape(out, static_cast<unsigned char>(text[at + 1]));
            at += 2;
            continue;
        }
        if (length != 0) {
            out.append(text.substr(at, length));
            at += length;
            continue;
        }
        if (IsControl(byte) && !(keepLineFeeds && byte == '\n')) {
            AppendEscape(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
        ++at;
    }
    return out;
}

}  // namespace

std::string TerminalText(std::string_view text) {
    return Escaped(text, false);
}

std::string TerminalLines(std::string_view text) {
    return Escaped(text, true);
}

}  // namespace qz

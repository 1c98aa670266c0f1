#include "batch/TerminalText.h"

#include "platform/NameText.h"

namespace qz {

namespace {

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
        char32_t codePoint = 0;
        const std::size_t length = Utf8SequenceAt(text, at, codePoint);
        if (length >= 2) {
            // U+0080-U+009F are C1 controls in UTF-8 too (C2 80 to C2 9F).
            if (codePoint <= 0x9F) {
                AppendEscape(out, byte);
                AppendEscape(out, static_cast<unsigned char>(text[at + 1]));
            } else {
                out.append(text.substr(at, length));
            }
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

#pragma once
// Text inside a single-quoted script literal, as every report script writes
// it: backslash, quote and control bytes escaped. A text that is UTF-8 reads
// back as its characters, written as \uXXXX escapes beyond ASCII so that the
// script reads the same in any charset; any other text reads back as its
// exact bytes, each one character of ISO-8859-1.

#include <cstdint>
#include <string>
#include <string_view>

namespace qz {

// Appends text escaped for a single-quoted literal, without the quotes. The
// bytes of the upper half of a text that is not UTF-8 are written as they are
// (the report's six scripts) or, asciiOnly, as \xXX escapes, which read back
// as the same characters and keep the script pure ASCII.
void AppendQuotedText(std::string& out, std::string_view text, bool asciiOnly = false);

// Appends value in decimal, whatever the process locale.
void AppendInteger(std::string& out, std::int64_t value);

}  // namespace qz

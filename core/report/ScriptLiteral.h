#pragma once
// Names inside quoted literals: in the report scripts (single-quoted, read as
// ISO-8859-1) and in JSON. Both show a name's characters as NameToUtf8 reads
// them (UTF-8, else the legacy encoding), with backslash, quote and control
// characters escaped.

#include <cstdint>
#include <string>
#include <string_view>

namespace qz {

// Appends text escaped for a single-quoted literal, without the quotes. A
// UTF-8 text's characters beyond ASCII are \uXXXX escapes. A text in the
// legacy encoding keeps each character of ISO-8859-1 as its byte (the report's
// six scripts) or, asciiOnly, as a \xXX escape, and escapes the others; so
// under ISO-8859-1 its bytes are written as they are.
void AppendQuotedText(std::string& out, std::string_view text, bool asciiOnly = false);

// Appends text escaped for a JSON string, without the quotes: its characters
// beyond ASCII and its control characters as \uXXXX escapes, so the JSON is
// ASCII whatever the terminal.
void AppendJsonText(std::string& out, std::string_view text);

// Appends value in decimal, whatever the process locale.
void AppendInteger(std::string& out, std::int64_t value);

}  // namespace qz

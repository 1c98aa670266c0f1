#pragma once
// How the program reads the bytes of a name (a setting file, machine ID or
// customer from the records, a folder name, a customer list entry): text that
// is well-formed UTF-8 is UTF-8; any other text is in the system's legacy
// encoding. That is the ANSI code page on Windows (932 on a Japanese machine),
// and ISO-8859-1 on POSIX unless the environment variable QZ_LEGACY_ENCODING
// names another encoding iconv knows (for example CP932 or WINDOWS-1252).
//
// Every place that shows a name (lists, report scripts, JSON, terminal) reads
// it through NameToUtf8. The bytes themselves are never rewritten: records are
// matched, counted and excluded by their exact bytes. Thread-safe.

#include <cstddef>
#include <string>
#include <string_view>

namespace qz {

// The well-formed UTF-8 sequence at text[at] (no overlong form, no surrogate,
// nothing above U+10FFFF, not cut short): its length, with its code point in
// codePoint; 0 when none starts there.
std::size_t Utf8SequenceAt(std::string_view text, std::size_t at, char32_t& codePoint);

// Whether text is well-formed UTF-8 as a whole.
bool IsUtf8(std::string_view text);

// Appends codePoint (at most U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

// The characters of a name, in UTF-8: UTF-8 text as it is, any other text
// decoded from the legacy encoding. A byte the legacy encoding does not know
// is read as ISO-8859-1, so no byte is ever dropped.
std::string NameToUtf8(std::string_view bytes);

// The legacy encoding, as the system or QZ_LEGACY_ENCODING names it.
std::string LegacyEncodingName();

// text (not UTF-8) decoded from the legacy encoding into UTF-8; each system's
// file (NameText<System>.cpp) has its own.
std::string LegacyToUtf8(std::string_view text);

// Every byte of text as the ISO-8859-1 character of that value, in UTF-8.
std::string Latin1ToUtf8(std::string_view text);

}  // namespace qz

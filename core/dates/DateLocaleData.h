#pragma once
// What both systems' DateLocale builders (DateLocale<System>.cpp) do with the
// locale data the system gives them.

#include <string>
#include <string_view>

#include "dates/DateParser.h"

namespace qz {

// A name as the parser compares it: ASCII letters lower-cased, a trailing
// period dropped ("sept." -> "sept"); empty when it is not a word the parser
// can meet, i.e. it holds anything but letters (bytes >= 0x80 count as
// letters, so UTF-8 names such as "märz" stay usable, while "1月" does not).
std::string LocaleWord(std::string_view text);

// The order of day, month and year from the fields of a date format in the
// order they came ('D', 'M', 'Y'; count of them), and the date separator
// (the first character after the first field): only '.' and '-' can separate
// date parts, anything else ("年") counts as '/'. Fewer than three fields
// leave the order as it is.
void SetDateOrder(const char (&fields)[3], int count, char separator, DateLocale& locale);

}  // namespace qz

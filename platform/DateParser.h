#pragma once
// Locale-aware parsing of date texts as they stand in the first field of a
// record (a date, possibly with a time of day). It stands in for the platform
// parser the records were first read with: the accepted forms and results are
// pinned by the reference table of date texts in the tests.
//
// DateLocale holds what the parser needs from the user's LC_TIME locale: the
// order of day, month and year in an all-numeric date, the date separator, the
// month names (full and abbreviated) and AM/PM markers. Build it once, then
// ParseDateText is allocation-free, thread-safe and never reads outside the
// text.

#include <array>
#include <string>
#include <string_view>

#include "platform/OleDate.h"

namespace qz {

enum class DateOrder { MDY, DMY, YMD };

struct DateLocale {
    DateOrder order = DateOrder::MDY;
    char dateSeparator = '/';
    std::array<std::string, 12> monthNames;       // lower-case
    std::array<std::string, 12> monthAbbrevs;     // lower-case
    std::string amMarker = "am", pmMarker = "pm";  // lower-case
    int currentYear = 2000;  // taken by a date written without a year

    // From a locale name such as "de_DE.UTF-8"; the C locale's values when the
    // locale does not exist.
    static DateLocale FromName(const std::string& localeName);
    // From the process's LC_TIME locale (as set by setlocale or the environment).
    static DateLocale FromEnvironment();
};

// Parses text; on success returns a valid date.
OleDate ParseDateText(std::string_view text, const DateLocale& locale);

}  // namespace qz

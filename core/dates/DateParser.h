#pragma once
// Locale-aware parsing of date texts as they stand in the first field of a
// record (a date, possibly with a time of day). It stands in for the platform
// parser the records were first read with: the accepted forms and results are
// pinned by the reference table of date texts in the tests.
//
// DateLocale holds what the parser needs from the user's LC_TIME locale: the
// order of day, month and year in an all-numeric date, the date separator, the
// month and weekday names (full and abbreviated) and AM/PM markers. Build it
// once; ParseDateText is then allocation-free, thread-safe and never reads
// outside the text.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "dates/OleDate.h"

namespace qz {

enum class DateOrder { MDY, DMY, YMD };

struct DateLocale {
    DateOrder order = DateOrder::MDY;
    char dateSeparator = '/';
    std::array<std::string, 12> monthNames;        // lower-case
    std::array<std::string, 12> monthAbbrevs;      // lower-case
    std::array<std::string, 7> dayNames;           // lower-case, Sunday first
    std::array<std::string, 7> dayAbbrevs;         // lower-case, Sunday first
    std::string amMarker = "am", pmMarker = "pm";  // lower-case
    int currentYear = 2000;                        // taken by a date written without a year
    // Names that are empty, or hold digits or punctuation (such as "1月"), are
    // left empty: they never match. "am"/"pm" and "a"/"p" are understood in
    // every locale besides amMarker/pmMarker.

    // From a locale name such as "de_DE.UTF-8"; nothing when the locale does
    // not exist on this system.
    static std::optional<DateLocale> TryFromName(const std::string& localeName);
    // As TryFromName, with the C locale's values when the locale does not exist.
    static DateLocale FromName(const std::string& localeName);
    // From the process's LC_TIME locale (as set by setlocale or the environment).
    static DateLocale FromEnvironment();
};

// Parses text; on success returns a valid date.
OleDate ParseDateText(std::string_view text, const DateLocale& locale);

}  // namespace qz

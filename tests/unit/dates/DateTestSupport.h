#pragma once
// Helpers of the date tests: a date shown to the second, and the test locales.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "dates/DateParser.h"

namespace qz::test {

// "YYYY-MM-DD HH:MM:SS", or "ERR" for an invalid date.
inline std::string ShowDate(const OleDate& date) {
    int y, mo, d, h, mi, s;
    if (!date.GetParts(y, mo, d, h, mi, s))
        return "ERR";
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return text;
}

// The system locale `name` (e.g. "de_DE.UTF-8") with a fixed current year;
// a test that needs a missing locale fails, naming it.
inline DateLocale LoadLocale(const std::string& name, int currentYear) {
    auto locale = DateLocale::TryFromName(name);
    if (!locale) {
        ADD_FAILURE() << "locale " << name << " is not installed (generate it with locale-gen)";
        return DateLocale::FromName("C");
    }
    locale->currentYear = currentYear;
    return *locale;
}

}  // namespace qz::test

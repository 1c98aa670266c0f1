// Building a DateLocale from the system's locale data (NLS): the short date
// format and the names of a locale such as "de-DE", or of the user's locale.
//
// The system's own date-text parser (VarDateFromStr) is not used: the parser
// of DateParser.cpp, pinned by the reference table of date texts, reads the
// records alike on every system, and only the locale's data comes from here.

#include <string>

#include "dates/DateLocaleData.h"
#include "dates/DateParser.h"
#include "platform/SystemWin.h"

namespace qz {

namespace {

std::string Info(const wchar_t* locale, LCTYPE type) {
    wchar_t text[128] = {};
    if (GetLocaleInfoEx(locale, type, text, 128) == 0) {
        return {};
    }
    return win::Utf8(text);  // up to its terminating zero
}

// Reads the order of day, month and year and the date separator from a short
// date picture such as "M/d/yyyy", "dd.MM.yyyy" or "yyyy/MM/dd" (quoted text
// is literal).
void ReadDateFormat(const std::string& format, DateLocale& locale) {
    char fields[3] = {};
    int count = 0;
    char separator = 0;
    bool quoted = false;
    for (const char c : format) {
        if (c == '\'') {
            quoted = !quoted;
            continue;
        }
        const char field = quoted ? 0 : c == 'd' ? 'D' : c == 'M' ? 'M' : c == 'y' ? 'Y' : 0;
        if (field == 0) {
            if (count == 1 && separator == 0)
                separator = c;
            continue;
        }
        bool seen = false;
        for (int i = 0; i < count; ++i)
            seen = seen || fields[i] == field;
        if (!seen && count < 3)
            fields[count++] = field;
    }
    SetDateOrder(fields, count, separator, locale);
}

int CurrentYear() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return now.wYear;
}

// A POSIX-style name ("de_DE.UTF-8", "ja_JP@euro") as a Windows locale name
// ("de-DE"); "C" and "POSIX" are the invariant locale.
std::wstring WindowsLocaleName(const std::string& name) {
    if (name == "C" || name == "POSIX") {
        return LOCALE_NAME_INVARIANT;
    }
    std::wstring result;
    for (const char c : name) {
        if (c == '.' || c == '@')
            break;
        result += c == '_' ? L'-' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return result;
}

DateLocale FromWindowsLocale(const wchar_t* locale) {
    DateLocale result;
    ReadDateFormat(Info(locale, LOCALE_SSHORTDATE), result);
    static constexpr LCTYPE kMonths[12] = {
        LOCALE_SMONTHNAME1, LOCALE_SMONTHNAME2,  LOCALE_SMONTHNAME3,  LOCALE_SMONTHNAME4,
        LOCALE_SMONTHNAME5, LOCALE_SMONTHNAME6,  LOCALE_SMONTHNAME7,  LOCALE_SMONTHNAME8,
        LOCALE_SMONTHNAME9, LOCALE_SMONTHNAME10, LOCALE_SMONTHNAME11, LOCALE_SMONTHNAME12};
    static constexpr LCTYPE kMonthAbbrevs[12] = {
        LOCALE_SABBREVMONTHNAME1,  LOCALE_SABBREVMONTHNAME2,  LOCALE_SABBREVMONTHNAME3,
        LOCALE_SABBREVMONTHNAME4,  LOCALE_SABBREVMONTHNAME5,  LOCALE_SABBREVMONTHNAME6,
        LOCALE_SABBREVMONTHNAME7,  LOCALE_SABBREVMONTHNAME8,  LOCALE_SABBREVMONTHNAME9,
        LOCALE_SABBREVMONTHNAME10, LOCALE_SABBREVMONTHNAME11, LOCALE_SABBREVMONTHNAME12};
    // Sunday first, as the parser holds them; the system counts from Monday.
    static constexpr LCTYPE kDays[7] = {LOCALE_SDAYNAME7, LOCALE_SDAYNAME1, LOCALE_SDAYNAME2,
                                        LOCALE_SDAYNAME3, LOCALE_SDAYNAME4, LOCALE_SDAYNAME5,
                                        LOCALE_SDAYNAME6};
    static constexpr LCTYPE kDayAbbrevs[7] = {LOCALE_SABBREVDAYNAME7, LOCALE_SABBREVDAYNAME1,
                                              LOCALE_SABBREVDAYNAME2, LOCALE_SABBREVDAYNAME3,
                                              LOCALE_SABBREVDAYNAME4, LOCALE_SABBREVDAYNAME5,
                                              LOCALE_SABBREVDAYNAME6};
    for (std::size_t i = 0; i < 12; ++i) {
        result.monthNames[i] = LocaleWord(Info(locale, kMonths[i]));
        result.monthAbbrevs[i] = LocaleWord(Info(locale, kMonthAbbrevs[i]));
    }
    // English outside the US abbreviates September "Sept" in the locale data
    // of current Windows; dates were written with "Sep", as in older Windows
    // and on every other system.
    if (Info(locale, LOCALE_SISO639LANGNAME) == "en" && result.monthAbbrevs[8] == "sept")
        result.monthAbbrevs[8] = "sep";
    for (std::size_t i = 0; i < 7; ++i) {
        result.dayNames[i] = LocaleWord(Info(locale, kDays[i]));
        result.dayAbbrevs[i] = LocaleWord(Info(locale, kDayAbbrevs[i]));
    }
    // Locales without markers keep the English ones.
    const std::string am = LocaleWord(Info(locale, LOCALE_S1159));
    const std::string pm = LocaleWord(Info(locale, LOCALE_S2359));
    if (!am.empty() && !pm.empty()) {
        result.amMarker = am;
        result.pmMarker = pm;
    }
    result.currentYear = CurrentYear();
    return result;
}

}  // namespace

std::optional<DateLocale> DateLocale::TryFromName(const std::string& localeName) {
    if (localeName.empty()) {
        return FromWindowsLocale(LOCALE_NAME_USER_DEFAULT);
    }
    const std::wstring name = WindowsLocaleName(localeName);
    if (!name.empty() && !IsValidLocaleName(name.c_str()))
        return std::nullopt;
    return FromWindowsLocale(name.c_str());
}

DateLocale DateLocale::FromName(const std::string& localeName) {
    if (auto result = TryFromName(localeName))
        return *std::move(result);
    return FromWindowsLocale(LOCALE_NAME_INVARIANT);
}

DateLocale DateLocale::FromEnvironment() {
    // The user's regional settings, whatever the C runtime's locale.
    return FromWindowsLocale(LOCALE_NAME_USER_DEFAULT);
}

}  // namespace qz

// Building a DateLocale from the system's locale data.

#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

#include "dates/DateLocaleData.h"
#include "dates/DateParser.h"

namespace qz {

namespace {

// Reads the order of day, month and year and the date separator from a
// strftime date format such as "%d.%m.%Y" or "%Y年%m月%d日".
void ReadDateFormat(const char* format, DateLocale& locale) {
    char fields[3] = {};
    int count = 0;
    char separator = 0;
    auto add = [&](char field) {
        for (int i = 0; i < count; ++i)
            if (fields[i] == field)
                return;
        if (count < 3)
            fields[count++] = field;
    };
    for (const char* p = format ? format : ""; *p; ++p) {
        if (*p != '%') {
            if (count == 1 && separator == 0)
                separator = *p;
            continue;
        }
        ++p;
        while (*p && std::strchr("-_0^#EO", *p))
            ++p;
        while (*p >= '0' && *p <= '9')
            ++p;
        switch (*p) {
            case 'd':
            case 'e':
                add('D');
                break;
            case 'm':
            case 'b':
            case 'B':
            case 'h':
                add('M');
                break;
            case 'y':
            case 'Y':
            case 'C':
            case 'G':
            case 'g':
                add('Y');
                break;
            case 'F':
                add('Y'), add('M'), add('D');
                separator = separator ? separator : '-';
                break;
            case 'D':
                add('M'), add('D'), add('Y');
                separator = separator ? separator : '/';
                break;
            case '\0':
                --p;  // a lone '%' at the end
                break;
            default:
                break;
        }
    }
    SetDateOrder(fields, count, separator, locale);
}

int CurrentYear() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return 2000;
    return local.tm_year + 1900;
}

}  // namespace

std::optional<DateLocale> DateLocale::TryFromName(const std::string& localeName) {
    locale_t loc = newlocale(LC_TIME_MASK, localeName.c_str(), static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0))
        return std::nullopt;
    DateLocale result;
    ReadDateFormat(nl_langinfo_l(D_FMT, loc), result);
    static constexpr nl_item kMonths[12] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                            MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    static constexpr nl_item kMonthAbbrevs[12] = {ABMON_1, ABMON_2,  ABMON_3,  ABMON_4,
                                                  ABMON_5, ABMON_6,  ABMON_7,  ABMON_8,
                                                  ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    static constexpr nl_item kDays[7] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    static constexpr nl_item kDayAbbrevs[7] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4,
                                               ABDAY_5, ABDAY_6, ABDAY_7};
    for (std::size_t i = 0; i < 12; ++i) {
        result.monthNames[i] = LocaleWord(nl_langinfo_l(kMonths[i], loc));
        result.monthAbbrevs[i] = LocaleWord(nl_langinfo_l(kMonthAbbrevs[i], loc));
    }
    for (std::size_t i = 0; i < 7; ++i) {
        result.dayNames[i] = LocaleWord(nl_langinfo_l(kDays[i], loc));
        result.dayAbbrevs[i] = LocaleWord(nl_langinfo_l(kDayAbbrevs[i], loc));
    }
    // Locales without markers (de_DE) keep the English ones.
    const std::string am = LocaleWord(nl_langinfo_l(AM_STR, loc));
    const std::string pm = LocaleWord(nl_langinfo_l(PM_STR, loc));
    if (!am.empty() && !pm.empty()) {
        result.amMarker = am;
        result.pmMarker = pm;
    }
    freelocale(loc);
    result.currentYear = CurrentYear();
    return result;
}

DateLocale DateLocale::FromName(const std::string& localeName) {
    if (auto result = TryFromName(localeName))
        return *std::move(result);
    return *TryFromName("C");
}

DateLocale DateLocale::FromEnvironment() {
    // A program that has not called setlocale still runs in "C"; then the
    // environment (LC_ALL, LC_TIME, LANG) names the user's locale, as it would
    // after setlocale(LC_ALL, ""), so that every front end reads dates alike.
    const char* current = setlocale(LC_TIME, nullptr);
    if (current && std::strcmp(current, "C") != 0 && std::strcmp(current, "POSIX") != 0)
        return FromName(current);
    return FromName("");
}

}  // namespace qz

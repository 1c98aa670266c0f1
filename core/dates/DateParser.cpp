// The date-text parser. A text is read in two steps:
//
// 1. It is cut into tokens: numbers, words (month names, weekday names, AM/PM
//    markers; any other word rejects the text), date separators ('/', '-',
//    and '.' where the locale separates dates with '.'), time separators (':',
//    and '.' elsewhere) and commas. Blanks only part tokens.
// 2. The tokens are read as at most one time and at most one date. A number
//    followed by ':' or by a marker starts the time: hours, minutes and seconds
//    (one part only with a marker). Every other number and a month name is a
//    date part; a date has two or three parts in one run (a time may stand
//    before or after it, not inside it), a date separator stands between two
//    of them, and a comma anywhere but at the end counts as a blank.
//
// The date parts take the first order of day, month and year that gives a
// valid date, trying the locale's own order first. Two parts are a day and a
// month of the current year, or failing that a month and a year (day 1).
// Years 0-49 are 2000-2049 and 50-99 are 1950-1999, however many digits they
// are written with. A text without a date is a time on day 0 (1899-12-30).

#include <cstdint>

#include "dates/DateParser.h"
#include "dates/DayTime.h"

namespace qz {

namespace {

enum class Kind : std::uint8_t { Number, Month, Weekday, Am, Pm, DateSep, TimeSep, Comma };

struct Token {
    Kind kind;
    std::uint32_t value;  // a number's value, or a month name's month 1-12
};

// More tokens than the longest date with a time and a weekday can hold.
constexpr int kMaxTokens = 24;
// Numbers saturate here: larger than any part of a valid date, and the
// accumulation cannot overflow.
constexpr std::uint32_t kHuge = 100000000;

bool IsDigit(unsigned char c) {
    return static_cast<unsigned>(c - '0') < 10u;
}

// Bytes >= 0x80 belong to words, so that UTF-8 names such as "märz" are one word.
bool IsWordByte(unsigned char c) {
    return static_cast<unsigned>((c | 0x20) - 'a') < 26u || c >= 0x80;
}

bool SameWord(std::string_view word, std::string_view name) {
    if (name.empty() || word.size() != name.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        auto c = static_cast<unsigned char>(word[i]);
        if (c >= 'A' && c <= 'Z')
            c = static_cast<unsigned char>(c + ('a' - 'A'));
        if (c != static_cast<unsigned char>(name[i]))
            return false;
    }
    return true;
}

template <std::size_t N>
int FindName(std::string_view word, const std::array<std::string, N>& names) {
    for (std::size_t i = 0; i < N; ++i)
        if (SameWord(word, names[i]))
            return static_cast<int>(i);
    return -1;
}

bool ClassifyWord(std::string_view word, const DateLocale& locale, Token& token) {
    // Markers first: they are the words records hold most often.
    if (SameWord(word, locale.amMarker) || SameWord(word, "am") || SameWord(word, "a")) {
        token = {Kind::Am, 0};
        return true;
    }
    if (SameWord(word, locale.pmMarker) || SameWord(word, "pm") || SameWord(word, "p")) {
        token = {Kind::Pm, 0};
        return true;
    }
    int month = FindName(word, locale.monthNames);
    if (month < 0)
        month = FindName(word, locale.monthAbbrevs);
    if (month >= 0) {
        token = {Kind::Month, static_cast<std::uint32_t>(month + 1)};
        return true;
    }
    if (FindName(word, locale.dayNames) >= 0 || FindName(word, locale.dayAbbrevs) >= 0) {
        token = {Kind::Weekday, 0};
        return true;
    }
    return false;
}

// Cuts text into tokens; false when it holds a byte or word that no date
// text can hold, or too many tokens.
bool Tokenize(std::string_view text, const DateLocale& locale, Token* tokens, int& count) {
    const char* s = text.data();
    const std::size_t size = text.size();
    const bool dotSeparatesDates = locale.dateSeparator == '.';
    count = 0;
    std::size_t i = 0;
    while (i < size) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        if (count == kMaxTokens)
            return false;
        Token& token = tokens[count++];
        if (IsDigit(c)) {
            std::uint32_t value = 0;
            do {
                const auto digit = static_cast<std::uint32_t>(s[i] - '0');
                value = value < kHuge ? value * 10 + digit : kHuge;
                ++i;
            } while (i < size && IsDigit(static_cast<unsigned char>(s[i])));
            token = {Kind::Number, value};
        } else if (IsWordByte(c)) {
            const std::size_t start = i;
            while (i < size && IsWordByte(static_cast<unsigned char>(s[i])))
                ++i;
            if (!ClassifyWord(std::string_view(s + start, i - start), locale, token))
                return false;
        } else {
            switch (c) {
                case '/':
                case '-':
                    token = {Kind::DateSep, 0};
                    break;
                case '.':
                    token = {dotSeparatesDates ? Kind::DateSep : Kind::TimeSep, 0};
                    break;
                case ':':
                    token = {Kind::TimeSep, 0};
                    break;
                case ',':
                    token = {Kind::Comma, 0};
                    break;
                default:
                    return false;
            }
            ++i;
        }
    }
    return true;
}

bool IsMarker(Kind kind) {
    return kind == Kind::Am || kind == Kind::Pm;
}

// Reads the time that starts at tokens[k]: up to three numbers joined by time
// separators, then an optional marker. Leaves k after it.
bool ReadTime(const Token* tokens, int count, int& k, int& hour, int& minute, int& second) {
    std::uint32_t hms[3] = {tokens[k].value, 0, 0};
    int n = 1;
    ++k;
    while (k + 1 < count && tokens[k].kind == Kind::TimeSep && tokens[k + 1].kind == Kind::Number) {
        if (n == 3)
            return false;
        hms[n++] = tokens[k + 1].value;
        k += 2;
    }
    if (k < count && tokens[k].kind == Kind::TimeSep)
        return false;
    if (hms[0] > 23 || hms[1] > 59 || hms[2] > 59)
        return false;
    hour = static_cast<int>(hms[0]);
    minute = static_cast<int>(hms[1]);
    second = static_cast<int>(hms[2]);
    if (k < count && IsMarker(tokens[k].kind)) {
        if (tokens[k].kind == Kind::Pm && hour < 12)
            hour += 12;
        else if (tokens[k].kind == Kind::Am && hour == 12)
            hour = 0;
        ++k;
    }
    return true;
}

// Orders of the date parts to try, by the locale's order: its own first, then
// the others in a fixed sequence. A year never stands between day and month.
constexpr const char* kOrders3[3][4] = {
    {"MDY", "YMD", "DMY", "YDM"},  // DateOrder::MDY
    {"DMY", "MDY", "YMD", "YDM"},  // DateOrder::DMY
    {"YMD", "MDY", "DMY", "YDM"},  // DateOrder::YMD
};
// Two parts: the orders above without the year (current year), then without
// the day (day 1), each in the sequence of first appearance.
constexpr const char* kOrders2[3][4] = {
    {"MD", "DM", "MY", "YM"},
    {"DM", "MD", "MY", "YM"},
    {"MD", "DM", "YM", "MY"},
};

// Years 0-99 are 1950-2049; -1 when the value cannot be a year.
int FullYear(std::uint32_t value) {
    if (value <= 49)
        return static_cast<int>(value) + 2000;
    if (value <= 99)
        return static_cast<int>(value) + 1900;
    return value <= 9999 ? static_cast<int>(value) : -1;
}

struct DatePart {
    std::uint32_t value;
    bool isMonthName;
};

OleDate ResolveDate(const DatePart* parts, int count, const DateLocale& locale, int hour,
                    int minute, int second) {
    int monthNamePos = -1;
    for (int p = 0; p < count; ++p) {
        if (parts[p].isMonthName) {
            if (monthNamePos >= 0)
                return OleDate::Invalid();
            monthNamePos = p;
        }
    }
    const int orderIndex = static_cast<int>(locale.order);
    const auto& orders = count == 3 ? kOrders3[orderIndex] : kOrders2[orderIndex];
    for (const char* order : orders) {
        // A month name can only be the month.
        if (monthNamePos >= 0 && order[monthNamePos] != 'M')
            continue;
        int year = locale.currentYear;
        int month = 0;
        int day = 1;
        for (int p = 0; p < count; ++p) {
            const std::uint32_t value = parts[p].value;
            if (order[p] == 'Y')
                year = FullYear(value);
            else if (order[p] == 'M')
                month = static_cast<int>(value);
            else
                day = static_cast<int>(value);
        }
        const OleDate date = OleDate::FromParts(year, month, day, hour, minute, second);
        if (date.valid)
            return date;
    }
    return OleDate::Invalid();
}

}  // namespace

OleDate ParseDateText(std::string_view text, const DateLocale& locale) {
    // The forms records are written in, first (see DayTime.h).
    DayTime common;
    if (ReadCommonDateTime(text, common))
        return OleDate::FromDayTime(common);

    Token tokens[kMaxTokens];
    int count = 0;
    if (!Tokenize(text, locale, tokens, count))
        return OleDate::Invalid();

    DatePart parts[3];
    int partCount = 0;
    bool dateClosed = false;  // a time followed the date's parts
    bool haveTime = false;
    int hour = 0, minute = 0, second = 0;

    int k = 0;
    while (k < count) {
        const Token& token = tokens[k];
        switch (token.kind) {
            case Kind::Comma:
                if (k == count - 1)
                    return OleDate::Invalid();
                ++k;
                continue;
            case Kind::Weekday:
                ++k;
                continue;
            case Kind::Number:
                if (k + 1 < count &&
                    (tokens[k + 1].kind == Kind::TimeSep || IsMarker(tokens[k + 1].kind))) {
                    if (haveTime || !ReadTime(tokens, count, k, hour, minute, second))
                        return OleDate::Invalid();
                    haveTime = true;
                    dateClosed = partCount > 0;
                    continue;
                }
                [[fallthrough]];
            case Kind::Month:
                if (dateClosed || partCount == 3)
                    return OleDate::Invalid();
                parts[partCount++] = {token.value, token.kind == Kind::Month};
                ++k;
                if (k < count && tokens[k].kind == Kind::DateSep) {
                    // The separator must lead to another date part, not to a time.
                    ++k;
                    if (k == count)
                        return OleDate::Invalid();
                    if (tokens[k].kind == Kind::Month)
                        continue;
                    if (tokens[k].kind != Kind::Number ||
                        (k + 1 < count &&
                         (tokens[k + 1].kind == Kind::TimeSep || IsMarker(tokens[k + 1].kind))))
                        return OleDate::Invalid();
                }
                continue;
            default:  // a separator or marker out of place
                return OleDate::Invalid();
        }
    }

    if (partCount == 0)
        return haveTime ? OleDate::FromParts(1899, 12, 30, hour, minute, second)
                        : OleDate::Invalid();
    if (partCount == 1)
        return OleDate::Invalid();
    return ResolveDate(parts, partCount, locale, hour, minute, second);
}

}  // namespace qz

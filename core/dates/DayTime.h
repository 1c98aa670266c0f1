#pragma once
// A moment as whole numbers: the day number (days since 1899-12-30, the whole
// part of an OLE date) and the second of the day. Record dates are compared
// and counted as these; the OLE date is kept for the edges (date pickers,
// command-line arguments).
//
// ReadCommonDateTime reads the forms records are written in, "yyyy/mm/dd",
// "yyyy/mm/dd hh:mm" and "yyyy/mm/dd hh:mm:ss" (or with '-'), with a year of
// 100 or more. Such a text can only be read as year-month-day, so its result
// is the general date parser's result too; the parser takes it first, and the
// record counter reads its dates with the same two parts (day, time of day).

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace qz {

struct DayTime {
    std::int32_t day = 0;
    std::int32_t second = 0;  // 0 to 86399
};

// The first and last day an OLE date may name: 0100-01-01 and 9999-12-31.
constexpr std::int32_t kFirstDayNumber = -657434;
constexpr std::int32_t kLastDayNumber = 2958465;

namespace day_time {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's
// days_from_civil): exact integer arithmetic for every year we accept.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Days from 1970-01-01 to day 0 of the day numbers.
constexpr std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);
static_assert(kEpoch == -25569 && DaysFromCivil(100, 1, 1) - kEpoch == kFirstDayNumber &&
              DaysFromCivil(9999, 12, 31) - kEpoch == kLastDayNumber);

inline bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

inline int TwoDigits(const char* s) {
    return (s[0] - '0') * 10 + (s[1] - '0');
}

// The digits (0 to 9) and colons of "hh:mm:ss", byte 0 first.
constexpr std::uint64_t kTimeDigits = 0xFFFF00FFFF00FFFFull;
constexpr std::uint64_t kTimeZeros = 0x3030003030003030ull;

// Whether the 9 bytes at s are " hh:mm:ss" with a valid time; time receives
// "hh:mm:ss" as a word. The bytes are checked a word at a time.
[[gnu::always_inline]] inline bool IsFullTime(const char* s, std::uint64_t& time) {
    std::memcpy(&time, s + 1, sizeof time);
    constexpr std::uint64_t kColons = 0x00003A00003A0000ull;
    constexpr std::uint64_t kHighNibbles = kTimeDigits & 0xF0F0F0F0F0F0F0F0ull;
    // Digits are 0x30 to 0x39: high nibble 3, and low nibble + 6 below 16
    // (no carry between bytes, as each high nibble is 3).
    if (s[0] != ' ' || (time & ~kTimeDigits) != kColons || (time & kHighNibbles) != kTimeZeros ||
        ((time + 0x0606000606000606ull) & kHighNibbles) != kTimeZeros) {
        return false;
    }
    // Tens of minutes and of seconds up to 5 ('5' + 0x4A = 0x7F).
    if (((time + 0x004A00004A000000ull) & 0x0080000080000000ull) != 0) {
        return false;
    }
    const std::uint64_t d = time - kTimeZeros;
    return (d & 0xFF) * 10 + ((d >> 8) & 0xFF) <= 23;
}

inline std::int32_t FullTimeSeconds(std::uint64_t time) {
    const std::uint64_t d = time - kTimeZeros;  // digit values, no borrows
    const auto digit = [d](int at) { return static_cast<std::int32_t>((d >> (8 * at)) & 0xFF); };
    return (digit(0) * 10 + digit(1)) * 3600 + (digit(3) * 10 + digit(4)) * 60 + digit(6) * 10 +
           digit(7);
}

}  // namespace day_time

// The day number of a calendar date; false when it is not a valid date of the
// years 100 to 9999.
inline bool DayNumberFromCivil(int year, int month, int dayOfMonth, std::int32_t& dayNumber) {
    if (year < 100 || year > 9999 || month < 1 || month > 12 || dayOfMonth < 1) {
        return false;
    }
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (dayOfMonth > (month == 2 && leap ? 29 : kDays[month - 1])) {
        return false;
    }
    dayNumber =
        static_cast<std::int32_t>(day_time::DaysFromCivil(year, static_cast<unsigned>(month),
                                                          static_cast<unsigned>(dayOfMonth)) -
                                  day_time::kEpoch);
    return true;
}

// The day number of the 10 bytes at s, "yyyy/mm/dd" or "yyyy-mm-dd" with a
// year of 100 or more; false when they are not such a valid day.
inline bool ReadCommonDay(const char* s, std::int32_t& day) {
    using day_time::IsDigit;
    using day_time::TwoDigits;
    const char sep = s[4];
    if ((sep != '/' && sep != '-') || s[7] != sep) {
        return false;
    }
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(s[i])) {
            return false;
        }
    }
    return DayNumberFromCivil(TwoDigits(s) * 100 + TwoDigits(s + 2), TwoDigits(s + 5),
                              TwoDigits(s + 8), day);
}

// The second of the day of what follows the day in a text of the common form
// (text is the whole text): nothing, " hh:mm" or " hh:mm:ss". False when the
// text is not 10, 16 or 19 bytes long or its time is not a valid time.
[[gnu::always_inline]] inline bool ReadCommonTimeOfDay(std::string_view text,
                                                       std::int32_t& second) {
    using day_time::IsDigit;
    using day_time::TwoDigits;
    const char* s = text.data();
    switch (text.size()) {
        case 19: {
            std::uint64_t time = 0;
            if (!day_time::IsFullTime(s + 10, time)) {
                return false;
            }
            second = day_time::FullTimeSeconds(time);
            return true;
        }
        case 16: {
            if (s[10] != ' ' || s[13] != ':' || !IsDigit(s[11]) || !IsDigit(s[12]) ||
                !IsDigit(s[14]) || !IsDigit(s[15])) {
                return false;
            }
            const int hour = TwoDigits(s + 11);
            const int minute = TwoDigits(s + 14);
            if (hour > 23 || minute > 59) {
                return false;
            }
            second = hour * 3600 + minute * 60;
            return true;
        }
        case 10:
            second = 0;
            return true;
        default:
            return false;
    }
}

// A whole text of the common form; false when it is not one.
inline bool ReadCommonDateTime(std::string_view text, DayTime& result) {
    const std::size_t n = text.size();
    if (n != 10 && n != 16 && n != 19) {
        return false;
    }
    DayTime read;
    if (!ReadCommonDay(text.data(), read.day) || !ReadCommonTimeOfDay(text, read.second)) {
        return false;
    }
    result = read;
    return true;
}

// The calendar date of a day number (any day from kFirstDayNumber to
// kLastDayNumber).
void CivilFromDayNumber(std::int32_t day, int& year, int& month, int& dayOfMonth);

// A day as "yyyy-mm-dd"; "" when day lies outside kFirstDayNumber to
// kLastDayNumber.
std::string FormatDay(std::int32_t day);

}  // namespace qz

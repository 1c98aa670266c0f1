#pragma once
// The report's date range and the date test of record lines.
//
// A record passes from the start day 00:00:00 up to, but not including, the
// day after the end day at 00:00:00, with a half-second tolerance; an invalid
// bound lets nothing pass. The classes are inline: the counting loop tests
// one date per record line.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "dates/DateParser.h"
#include "dates/OleDate.h"

namespace qz {

// a <= b on dates with status, with a half-second tolerance; false whenever
// either is invalid.
bool OleDateLessOrEqual(const OleDate& a, const OleDate& b);

// True when recordDate lies in the report days reportStart to reportEnd.
bool IsInDateRange(const OleDate& reportStart, const OleDate& reportEnd, const OleDate& recordDate);

// The parts of the per-line test, inline.
namespace date_range {

// Half a second in days: the tolerance of date comparisons.
constexpr double kHalfSecond = 5.787037037037037e-6;

// An OLE date counts the time of day forward even before day 0 (-1.25 is
// 1899-12-29 06:00), so values below 0 are not monotonic in time; this folds
// them onto one continuous line.
inline double ContinuousValue(double d) {
    if (d > -kHalfSecond) {
        return d;
    }
    const double day = std::ceil(d);
    return day - (d - day);
}

// OleDateLessOrEqual, here so that the per-line range test inlines it.
inline bool LessOrEqual(const OleDate& a, const OleDate& b) {
    if (!a.valid || !b.valid) {
        return false;
    }
    if (ContinuousValue(b.value) > ContinuousValue(a.value)) {
        return true;
    }
    return a.value - kHalfSecond < b.value && b.value < a.value + kHalfSecond;
}

inline bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

inline int TwoDigits(const char* s) {
    return (s[0] - '0') * 10 + (s[1] - '0');
}

// The report range as the bounds of the record dates that pass.
//
// The upper bound lies at 00:00:00 of the day after the end day, so that a
// record with a time of day passes on the end day up to 23:59:59. It is
// exclusive, because a record at that midnight belongs to the next day. The
// half-second tolerance of OleDateLessOrEqual moves both bounds half a second
// earlier: a record less than half a second before a midnight counts as the
// day after, which is the day its time rounds to.
struct DateRange {
    OleDate start;
    OleDate end;

    // The bounds of the report days reportStart to reportEnd (their times of
    // day are ignored).
    static DateRange ForReport(const OleDate& reportStart, const OleDate& reportEnd) {
        const OleDate endDay = reportEnd.DateOnly();
        OleDate end = endDay.NextDay();
        // After the last day a date can name, the bound is that day's value
        // plus one: no record date reaches it, and the last day keeps its
        // records.
        if (endDay.valid && !end.valid && endDay.value > 0) {
            end = {endDay.value + 1.0, true};
        }
        return {reportStart.DateOnly(), end};
    }

    // An invalid bound lets no record pass.
    bool Contains(const OleDate& date) const {
        return end.valid && LessOrEqual(start, date) && !LessOrEqual(end, date);
    }
};

// DateRange::Contains with the bounds' parts of LessOrEqual worked out once per
// file instead of twice per record; the same arithmetic, so the same results.
class RecordDateRange {
  public:
    explicit RecordDateRange(const DateRange& range)
        : m_open(range.start.valid && range.end.valid),
          m_start(range.start.value),
          m_end(range.end.value) {}

    bool Contains(const OleDate& date) const {
        if (!m_open || !date.valid) {
            return false;
        }
        const double cv = ContinuousValue(date.value);
        return m_start.AtMost(date.value, cv) && !m_end.AtMost(date.value, cv);
    }

    enum class DayVerdict { All, None, ByTime };

    // Whether every time of day from first (00:00:00) to last (23:59:59) of one
    // day passes, none does, or it depends on the time. From day 0 on, with
    // bounds from day 0 on, "bound <= d" is just "d > bound - h", so passing
    // is an interval of values and the day's two ends decide for all times.
    DayVerdict ClassifyDay(const OleDate& first, const OleDate& last) const {
        if (!m_open) {
            return DayVerdict::None;
        }
        if (first.value < 0 || m_start.value < 0 || m_end.value < 0) {
            return DayVerdict::ByTime;
        }
        if (Contains(first) && Contains(last)) {
            return DayVerdict::All;
        }
        if (!m_start.AtMost(last.value, last.value) || m_end.AtMost(first.value, first.value)) {
            return DayVerdict::None;
        }
        return DayVerdict::ByTime;
    }

  private:
    struct Bound {
        explicit Bound(double value)
            : value(value),
              cv(ContinuousValue(value)),
              low(value - kHalfSecond),
              high(value + kHalfSecond) {}
        // LessOrEqual(bound, d) for a valid d whose continuous value is dcv.
        bool AtMost(double d, double dcv) const { return dcv > cv || (low < d && d < high); }
        double value, cv, low, high;
    };
    bool m_open;
    Bound m_start;
    Bound m_end;
};

// The date test of record lines: the record's date as ParseDateText reads it
// must lie in the report range. The last calendar day met is kept: records are
// written in time order, so consecutive lines nearly always share their day,
// and a line on the kept day then costs a comparison and the reading of its
// time of day instead of a full parse. Most days lie wholly inside or wholly
// outside the range; on those the time of day need not even be turned into a
// date value.
//
// Only the forms ParseDateText reads as one fixed day plus a time of day are
// kept: "yyyy/mm/dd" (or with '-'), a year of 100 or more, then nothing,
// " hh:mm" or " hh:mm:ss". Their value is exactly what OleDate::FromParts
// gives for the parts, which is built the same way below. Any other text, or a
// time that is not a valid time, goes to ParseDateText.
class RecordDateFilter {
  public:
    RecordDateFilter(const DateLocale& locale, const RecordDateRange& range)
        : m_locale(locale), m_range(range) {}

    [[gnu::always_inline]] bool Passes(std::string_view text) {
        // The usual record: a full time of day on the kept day.
        std::uint64_t time;
        if (text.size() == 19 && m_haveDay && std::memcmp(text.data(), m_day, sizeof m_day) == 0 &&
            IsFullTime(text.data() + 10, time)) {
            if (m_verdict != RecordDateRange::DayVerdict::ByTime) {
                return m_verdict == RecordDateRange::DayVerdict::All;
            }
            return m_range.Contains(AtTimeOfDay(FullTimeSeconds(time)));
        }
        return PassesOther(text);
    }

  private:
    static constexpr int kLastSecondOfDay = 86399;

    // The digits (0 to 9) and colons of "hh:mm:ss", byte 0 first.
    static constexpr std::uint64_t kTimeDigits = 0xFFFF00FFFF00FFFFull;
    static constexpr std::uint64_t kTimeZeros = 0x3030003030003030ull;

    // Whether the 9 bytes at s are " hh:mm:ss" with a valid time; time receives
    // "hh:mm:ss" as a word. The bytes are checked a word at a time.
    [[gnu::always_inline]] static bool IsFullTime(const char* s, std::uint64_t& time) {
        std::memcpy(&time, s + 1, sizeof time);
        constexpr std::uint64_t kColons = 0x00003A00003A0000ull;
        constexpr std::uint64_t kHighNibbles = kTimeDigits & 0xF0F0F0F0F0F0F0F0ull;
        // Digits are 0x30 to 0x39: high nibble 3, and low nibble + 6 below 16
        // (no carry between bytes, as each high nibble is 3).
        if (s[0] != ' ' || (time & ~kTimeDigits) != kColons ||
            (time & kHighNibbles) != kTimeZeros ||
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

    static int FullTimeSeconds(std::uint64_t time) {
        const std::uint64_t d = time - kTimeZeros;  // digit values, no borrows
        const auto digit = [d](int at) { return static_cast<int>((d >> (8 * at)) & 0xFF); };
        return (digit(0) * 10 + digit(1)) * 3600 + (digit(3) * 10 + digit(4)) * 60 + digit(6) * 10 +
               digit(7);
    }

    bool PassesOther(std::string_view text) {
        const std::size_t n = text.size();
        if (m_haveDay && (n == 10 || n == 16) &&
            std::memcmp(text.data(), m_day, sizeof m_day) == 0) {
            int seconds = 0;
            if (ReadTimeOfDay(text, seconds)) {
                switch (m_verdict) {
                    case RecordDateRange::DayVerdict::All:
                        return true;
                    case RecordDateRange::DayVerdict::None:
                        return false;
                    case RecordDateRange::DayVerdict::ByTime:
                        return m_range.Contains(AtTimeOfDay(seconds));
                }
            }
        }
        return m_range.Contains(ReadNewDay(text));
    }

    // seconds since midnight of " hh:mm" behind the day (16 bytes); 0 for no
    // time (10 bytes). False when the text is not such or not a valid time.
    static bool ReadTimeOfDay(std::string_view text, int& seconds) {
        const char* s = text.data();
        const std::size_t n = text.size();
        if (n == 10) {
            seconds = 0;
            return true;
        }
        if (s[10] != ' ' || s[13] != ':' || !IsDigit(s[11]) || !IsDigit(s[12]) || !IsDigit(s[14]) ||
            !IsDigit(s[15])) {
            return false;
        }
        const int hour = TwoDigits(s + 11);
        const int minute = TwoDigits(s + 14);
        if (hour > 23 || minute > 59) {
            return false;
        }
        seconds = hour * 3600 + minute * 60;
        return true;
    }

    // As OleDate::FromParts composes a day number and a time of day.
    OleDate AtTimeOfDay(int seconds) const {
        const double fraction = static_cast<double>(seconds) / 86400.0;
        return {m_dayValue >= 0 ? m_dayValue + fraction : m_dayValue - fraction, true};
    }

    [[gnu::noinline]] OleDate ReadNewDay(std::string_view text);

    const DateLocale& m_locale;
    const RecordDateRange& m_range;
    bool m_haveDay = false;
    char m_day[10] = {};    // the kept day's text
    double m_dayValue = 0;  // its value at 00:00:00: the day number
    RecordDateRange::DayVerdict m_verdict = RecordDateRange::DayVerdict::ByTime;
};

}  // namespace date_range

using date_range::DateRange;
using date_range::RecordDateFilter;
using date_range::RecordDateRange;

}  // namespace qz

#pragma once
// The report's days and the day of record lines.
//
// A record counts when its day lies from the first to the last report day,
// both included; days are whole numbers (DayTime.h). The day reader is inline:
// the counting loop reads one date per record line.

#include <cstdint>
#include <cstring>
#include <string_view>

#include "dates/DateParser.h"
#include "dates/DayTime.h"
#include "dates/OleDate.h"

namespace qz {

// The report days as day numbers.
struct ReportDays {
    std::int32_t first = 1;
    std::int32_t last = 0;  // no day

    // The days reportStart to reportEnd, whose times of day are ignored; no day
    // when either is invalid.
    static ReportDays ForReport(const OleDate& reportStart, const OleDate& reportEnd);

    bool Contains(std::int32_t day) const { return first <= day && day <= last; }
};

// The day of record dates as ParseDateText reads them. The last calendar day
// met is kept: records are written in time order, so consecutive lines nearly
// always share their day, and a line on the kept day then costs a comparison
// and the check of its time of day instead of a full parse.
//
// Only the common forms (ReadCommonDateTime) are kept; any other text, or a
// time that is not a valid time, goes to ParseDateText.
class RecordDayReader {
  public:
    explicit RecordDayReader(const DateLocale& locale) : m_locale(locale) {}

    // The day of a record's date text; false when it is not a date.
    [[gnu::always_inline]] bool ReadDay(std::string_view text, std::int32_t& day) {
        // The usual record: a full time of day on the kept day.
        std::uint64_t time = 0;
        if (text.size() == 19 && m_haveDay && std::memcmp(text.data(), m_dayText, 10) == 0 &&
            day_time::IsFullTime(text.data() + 10, time)) {
            day = m_day;
            return true;
        }
        return ReadOtherDay(text, day);
    }

  private:
    bool ReadOtherDay(std::string_view text, std::int32_t& day) {
        std::int32_t second = 0;
        if (m_haveDay && text.size() >= 10 && std::memcmp(text.data(), m_dayText, 10) == 0 &&
            ReadCommonTimeOfDay(text, second)) {
            day = m_day;
            return true;
        }
        return ReadNewDay(text, day);
    }

    [[gnu::noinline]] bool ReadNewDay(std::string_view text, std::int32_t& day);

    const DateLocale& m_locale;
    bool m_haveDay = false;
    char m_dayText[10] = {};  // the kept day's text
    std::int32_t m_day = 0;   // its day number
};

}  // namespace qz

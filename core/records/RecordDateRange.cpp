#include "records/RecordDateRange.h"

namespace qz {

bool OleDateLessOrEqual(const OleDate& a, const OleDate& b) {
    return date_range::LessOrEqual(a, b);
}

bool IsInDateRange(const OleDate& reportStart, const OleDate& reportEnd,
                   const OleDate& recordDate) {
    return DateRange::ForReport(reportStart, reportEnd).Contains(recordDate);
}

namespace date_range {

OleDate RecordDateFilter::ReadNewDay(std::string_view text) {
    const OleDate date = ParseDateText(text, m_locale);
    const std::size_t n = text.size();
    if (n != 10 && n != 16 && n != 19) {
        return date;
    }
    const char* s = text.data();
    const char sep = s[4];
    for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (!IsDigit(s[i])) {
            return date;
        }
    }
    if ((sep != '/' && sep != '-') || s[7] != sep) {
        return date;
    }
    const int year = TwoDigits(s) * 100 + TwoDigits(s + 2);
    if (year < 100) {
        return date;
    }
    const OleDate day = OleDate::FromParts(year, TwoDigits(s + 5), TwoDigits(s + 8));
    if (day.valid) {
        std::memcpy(m_day, s, sizeof m_day);
        m_dayValue = day.value;
        m_haveDay = true;
        m_verdict = m_range.ClassifyDay(day, AtTimeOfDay(kLastSecondOfDay));
    }
    return date;
}

}  // namespace date_range

}  // namespace qz

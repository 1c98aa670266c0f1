#include "records/RecordDateRange.h"

namespace qz {

ReportDays ReportDays::ForReport(const OleDate& reportStart, const OleDate& reportEnd) {
    DayTime start, end;
    if (!reportStart.ToDayTime(start) || !reportEnd.ToDayTime(end)) {
        return {};
    }
    return {start.day, end.day};
}

bool RecordDayReader::ReadNewDay(std::string_view text, std::int32_t& day) {
    const std::size_t n = text.size();
    std::int32_t common = 0;
    if ((n == 10 || n == 16 || n == 19) && ReadCommonDay(text.data(), common)) {
        std::memcpy(m_dayText, text.data(), sizeof m_dayText);
        m_day = common;
        m_haveDay = true;
        std::int32_t second = 0;
        if (ReadCommonTimeOfDay(text, second)) {
            day = common;
            return true;
        }
    }
    DayTime moment;
    if (!ParseDateText(text, m_locale).ToDayTime(moment)) {
        return false;
    }
    day = moment.day;
    return true;
}

}  // namespace qz

#include "dates/DayTime.h"

#include <cstdio>

namespace qz {

void CivilFromDayNumber(std::int32_t day, int& year, int& month, int& dayOfMonth) {
    // The inverse of DaysFromCivil (H. Hinnant's civil_from_days).
    std::int64_t z = day + day_time::kEpoch + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    dayOfMonth = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

std::string FormatDay(std::int32_t day) {
    if (day < kFirstDayNumber || day > kLastDayNumber) {
        return {};
    }
    int year = 0, month = 0, dayOfMonth = 0;
    CivilFromDayNumber(day, year, month, dayOfMonth);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, dayOfMonth);
    return text;
}

}  // namespace qz

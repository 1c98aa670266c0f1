#include "dates/OleDate.h"

#include <cmath>
#include <cstdint>

#include "dates/DayTime.h"

namespace qz {

namespace {

constexpr std::int64_t kMinDay = kFirstDayNumber;
constexpr std::int64_t kMaxDay = kLastDayNumber;

constexpr std::int64_t kSecondsPerDay = 86400;

// An OLE value from a day number and a time of day in [0, 1): before day 0
// the fraction is subtracted, since it counts forward from a negative day.
double Compose(std::int64_t dayNumber, double fraction) {
    const auto d = static_cast<double>(dayNumber);
    return dayNumber >= 0 ? d + fraction : d - fraction;
}

// Splits an OLE value into its day number and forward-counting fraction.
void Decompose(double value, std::int64_t& dayNumber, double& fraction) {
    const double day = value >= 0 ? std::floor(value) : std::ceil(value);
    dayNumber = static_cast<std::int64_t>(day);
    fraction = std::fabs(value - day);
}

bool InRange(double value) {
    // A generous bound that keeps the integer conversions defined.
    return std::isfinite(value) && std::fabs(value) < 1e8;
}

}  // namespace

OleDate OleDate::FromParts(int year, int month, int day, int hour, int minute, int second) {
    std::int32_t dayNumber = 0;
    if (!DayNumberFromCivil(year, month, day, dayNumber) || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return Invalid();
    return FromDayTime({dayNumber, hour * 3600 + minute * 60 + second});
}

OleDate OleDate::FromDayTime(const DayTime& moment) {
    const double fraction =
        static_cast<double>(moment.second) / static_cast<double>(kSecondsPerDay);
    return {Compose(moment.day, fraction), true};
}

bool OleDate::ToDayTime(DayTime& moment) const {
    if (!valid || !InRange(value))
        return false;
    std::int64_t dayNumber = 0;
    double fraction = 0;
    Decompose(value, dayNumber, fraction);
    auto seconds =
        static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(kSecondsPerDay)));
    if (seconds >= kSecondsPerDay) {  // 23:59:59.5 and later round to the next midnight
        seconds -= kSecondsPerDay;
        ++dayNumber;
    }
    if (dayNumber < kMinDay || dayNumber > kMaxDay)
        return false;
    moment = {static_cast<std::int32_t>(dayNumber), static_cast<std::int32_t>(seconds)};
    return true;
}

bool OleDate::GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const {
    DayTime moment;
    if (!ToDayTime(moment))
        return false;
    CivilFromDayNumber(moment.day, year, month, day);
    const int s = moment.second;
    hour = s / 3600;
    minute = s / 60 % 60;
    second = s % 60;
    return true;
}

OleDate OleDate::DateOnly() const {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!GetParts(y, mo, d, h, mi, s))
        return Invalid();
    return FromParts(y, mo, d);
}

OleDate OleDate::NextDay() const {
    if (!valid || !InRange(value))
        return Invalid();
    std::int64_t dayNumber = 0;
    double fraction = 0;
    Decompose(value, dayNumber, fraction);
    if (dayNumber + 1 < kMinDay || dayNumber + 1 > kMaxDay)
        return Invalid();
    return {Compose(dayNumber + 1, fraction), true};
}

}  // namespace qz

#include "dates/OleDate.h"

#include <cmath>
#include <cstdint>

namespace qz {

namespace {

// Days from 1970-01-01 to a proleptic Gregorian date (H. Hinnant's
// days_from_civil): exact integer arithmetic, valid for every year we accept.
constexpr std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The inverse of DaysFromCivil.
constexpr void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0));
}

constexpr std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kMinDay = DaysFromCivil(100, 1, 1) - kEpoch;
constexpr std::int64_t kMaxDay = DaysFromCivil(9999, 12, 31) - kEpoch;
static_assert(kEpoch == -25569 && kMinDay == -657434 && kMaxDay == 2958465);

constexpr std::int64_t kSecondsPerDay = 86400;

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

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
    if (year < 100 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59)
        return Invalid();
    const std::int64_t dayNumber =
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpoch;
    const double fraction = static_cast<double>(hour * 3600 + minute * 60 + second) /
                            static_cast<double>(kSecondsPerDay);
    return {Compose(dayNumber, fraction), true};
}

bool OleDate::GetParts(int& year, int& month, int& day, int& hour, int& minute, int& second) const {
    if (!valid || !InRange(value))
        return false;
    std::int64_t dayNumber;
    double fraction;
    Decompose(value, dayNumber, fraction);
    auto seconds =
        static_cast<std::int64_t>(std::llround(fraction * static_cast<double>(kSecondsPerDay)));
    if (seconds >= kSecondsPerDay) {  // 23:59:59.5 and later round to the next midnight
        seconds -= kSecondsPerDay;
        ++dayNumber;
    }
    if (dayNumber < kMinDay || dayNumber > kMaxDay)
        return false;
    CivilFromDays(dayNumber + kEpoch, year, month, day);
    const auto s = static_cast<int>(seconds);
    hour = s / 3600;
    minute = s / 60 % 60;
    second = s % 60;
    return true;
}

OleDate OleDate::DateOnly() const {
    int y, mo, d, h, mi, s;
    if (!GetParts(y, mo, d, h, mi, s))
        return Invalid();
    return FromParts(y, mo, d);
}

OleDate OleDate::NextDay() const {
    if (!valid || !InRange(value))
        return Invalid();
    std::int64_t dayNumber;
    double fraction;
    Decompose(value, dayNumber, fraction);
    if (dayNumber + 1 < kMinDay || dayNumber + 1 > kMaxDay)
        return Invalid();
    return {Compose(dayNumber + 1, fraction), true};
}

}  // namespace qz

#include "ui/DateRangePresets.h"

namespace qz {

const char* PresetLabel(DateRangePreset preset) {
    switch (preset) {
        case DateRangePreset::Today:
            return "Today";
        case DateRangePreset::Yesterday:
            return "Yesterday";
        case DateRangePreset::Last7Days:
            return "Last 7 days";
        case DateRangePreset::ThisMonth:
            return "This month";
        case DateRangePreset::LastMonth:
            break;
    }
    return "Last month";
}

DayRange PresetRange(DateRangePreset preset, const wxDateTime& today) {
    const wxDateTime day = wxDateTime(today).ResetTime();
    switch (preset) {
        case DateRangePreset::Today:
            return {day, day};
        case DateRangePreset::Yesterday: {
            const wxDateTime yesterday = day - wxDateSpan::Day();
            return {yesterday, yesterday};
        }
        case DateRangePreset::Last7Days:
            return {day - wxDateSpan::Days(6), day};
        case DateRangePreset::ThisMonth:
            return {wxDateTime(day).SetDay(1), wxDateTime(day).SetToLastMonthDay()};
        case DateRangePreset::LastMonth:
            break;
    }
    const wxDateTime lastMonth = wxDateTime(day).SetDay(1) - wxDateSpan::Month();
    return {lastMonth, wxDateTime(lastMonth).SetToLastMonthDay()};
}

}  // namespace qz

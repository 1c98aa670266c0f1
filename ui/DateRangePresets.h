#pragma once
// The date ranges operators ask for every day, offered beside the pickers.

#include <array>

#include <wx/datetime.h>

namespace qz {

enum class DateRangePreset { Today, Yesterday, Last7Days, ThisMonth, LastMonth };

inline constexpr std::array<DateRangePreset, 5> kDateRangePresets = {
    DateRangePreset::Today,     DateRangePreset::Yesterday, DateRangePreset::Last7Days,
    DateRangePreset::ThisMonth, DateRangePreset::LastMonth,
};

// The button text of a preset.
const char* PresetLabel(DateRangePreset preset);

struct DayRange {
    wxDateTime first;  // at midnight
    wxDateTime last;   // at midnight
};

// The days a preset stands for, reckoned from today (a local date; its time
// of day does not count). The last 7 days end today; a month runs from its
// first day to its last.
DayRange PresetRange(DateRangePreset preset, const wxDateTime& today);

}  // namespace qz

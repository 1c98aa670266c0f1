#include "batch/RollingDays.h"

#include "dates/DayTime.h"

namespace qz {

void SetRollingRange(BatchOptions& options, std::int32_t rollingDays, const std::string& today) {
    options.toText = today;
    options.to = ParseIsoDate(today);
    DayTime last{};
    if (!options.to.ToDayTime(last)) {
        options.fromText = today;
        options.from = options.to;
        return;
    }
    DayTime first = last;
    first.day -= rollingDays - 1;
    options.from = OleDate::FromDayTime(first);
    options.fromText = FormatDay(first.day);
}

}  // namespace qz

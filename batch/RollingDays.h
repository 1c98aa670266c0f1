#pragma once
// --days N: the last N days, today included, as the report's range. A
// watching command sets it again before every report, so that the range
// moves with the date.

#include <cstdint>
#include <string>

#include "batch/BatchOptions.h"

namespace qz {

// Sets options' first and last day (dates and texts) to the rollingDays days
// ending with today (YYYY-MM-DD).
void SetRollingRange(BatchOptions& options, std::int32_t rollingDays, const std::string& today);

}  // namespace qz

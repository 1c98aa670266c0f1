#pragma once
// The remaining time of a job as the progress dialog shows it.

#include <optional>
#include <string>

namespace qz {

// The remaining seconds estimated after ticks timer ticks (tenths of a second)
// with the fraction r of the bytes parsed: (1 - r) / r * ticks / 10 + 1,
// truncated; capped at the int range. Nothing while r is 0 (no estimate yet).
std::optional<int> EstimateRemainingSeconds(double r, int ticks);
// "%d min %d s", or "%d s" below one minute.
std::string FormatRemainingTime(int seconds);

}  // namespace qz

#include "jobs/RemainingTime.h"

#include <climits>
#include <cstdio>

namespace qz {

std::optional<int> EstimateRemainingSeconds(double r, int ticks) {
    if (!(r > 0.0))
        return std::nullopt;
    if (r > 1.0)
        r = 1.0;
    const double seconds = (1.0 - r) / r * (ticks / 10.0) + 1.0;
    if (seconds >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(seconds);
}

std::string FormatRemainingTime(int seconds) {
    char text[40];
    const int minutes = seconds / 60;
    if (minutes != 0)
        std::snprintf(text, sizeof text, "%d min %d s", minutes, seconds - 60 * minutes);
    else
        std::snprintf(text, sizeof text, "%d s", seconds);
    return text;
}

}  // namespace qz

// The remaining time the progress dialog shows: the estimate from the share of
// bytes parsed and the ticks so far, and its text.

#include "jobs/RemainingTime.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <optional>

namespace qz {
namespace {

TEST(RemainingTimeTest, EstimateAndText) {
    struct Case {
        double r;
        int ticks;
        std::optional<int> seconds;
        const char* text;
    };
    const Case cases[] = {
        {1.0, 37, 1, "1 s"},
        {2.0, 37, 1, "1 s"},  // more bytes parsed than measured
        {0.5, 890, 90, "1 min 30 s"},
        {0.25, 196, 59, "59 s"},  // 59.8 is truncated
        {0.5, 590, 60, "1 min 0 s"},
        {1e-12, 100, INT_MAX, "35791394 min 7 s"},
        {0.0, 100, std::nullopt, nullptr},  // nothing parsed yet: no estimate
        {-0.5, 100, std::nullopt, nullptr},
        {std::nan(""), 100, std::nullopt, nullptr},  // nothing measured: 0 / 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "r=" << c.r << " ticks=" << c.ticks);
        const std::optional<int> seconds = EstimateRemainingSeconds(c.r, c.ticks);
        EXPECT_EQ(seconds, c.seconds);
        if (seconds && c.text) {
            EXPECT_EQ(FormatRemainingTime(*seconds), c.text);
        }
    }
}

}  // namespace
}  // namespace qz

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "progress/ProgressState.h"

namespace qz {
namespace {

// Read positions after each line of one file, then its end, and what
// g_parsedBytes must hold after each call.
TEST(FileProgressTest, PublishesAfterEachLineOrOnceAStepIsDueAndAlwaysTheWholeFile) {
    const struct {
        std::uint64_t step;
        std::vector<std::uint64_t> lineEnds;
        std::vector<std::uint64_t> published;
        std::uint64_t end;
    } cases[] = {
        {0, {30, 58, 86}, {30, 58, 86}, 86},
        {0, {}, {}, 40},  // header only: everything goes at the end
        {50, {30, 58, 86, 114}, {0, 58, 58, 114}, 120},
        {1000, {30, 58}, {0, 0}, 86},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "step " << c.step);
        g_parsedBytes = 0;
        g_progressPublishStep = c.step;
        FileProgress progress;
        g_progressPublishStep = 0;  // a file keeps the step it started with
        for (std::size_t i = 0; i < c.lineEnds.size(); ++i) {
            progress.AfterLine(c.lineEnds[i]);
            EXPECT_EQ(g_parsedBytes.load(), c.published[i]) << "after line " << i;
        }
        progress.AtEnd(c.end);
        EXPECT_EQ(g_parsedBytes.load(), c.end);
    }
    g_parsedBytes = 0;
}

}  // namespace
}  // namespace qz

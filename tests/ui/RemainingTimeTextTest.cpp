// The remaining time that the progress dialog shows while a job runs, read
// from the dialog itself at chosen shares of the bytes parsed.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <wx/stattext.h>

#include "progress/JobProgress.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ParseDlg.h"

namespace qz {
namespace {

TEST(RemainingTimeTextTest, TheDialogShowsTheEstimateOfEachTick) {
    JobProgress progress(1);
    progress.SetTotalBytes(1000);
    FileProgress file(progress, 0);
    std::atomic<bool> release{false};
    CParseDlg dlg(nullptr, progress, [&] {
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });

    // The bytes parsed (of 1000) at each tick, and what the dialog shows after
    // it: (1 - r) / r * tick / 10 + 1 seconds, truncated, for the share r,
    // worked out by hand (no value lies near a whole second).
    const struct {
        std::uint64_t parsed;
        const char* shown;
    } ticks[] = {
        {0, "Estimating..."},  // nothing parsed: no estimate yet
        {1, "3 min 20 s"},     // 999 * 2 / 10 + 1 = 200.8
        {100, "3 s"},          // 9 * 3 / 10 + 1 = 3.7
        {250, "2 s"},          // 3 * 4 / 10 + 1 = 2.2
    };
    // Bound after the dialog's own handler, so it runs first: at each timer
    // event it reads what the previous tick showed, then sets the bytes for
    // the dialog's tick that follows.
    std::vector<std::string> shown;  // the label after each tick
    std::size_t tick = 0;            // the dialog's ticks so far
    dlg.Bind(wxEVT_TIMER, [&](wxTimerEvent& event) {
        if (tick > 0 && tick <= std::size(ticks))
            shown.push_back(dlg.RemainingText()->GetLabel().utf8_string());
        if (tick < std::size(ticks))
            file.AfterLine(ticks[tick].parsed);
        else
            release = true;
        ++tick;
        event.Skip();
    });
    EXPECT_EQ(dlg.ShowModal(), wxID_OK);

    ASSERT_EQ(shown.size(), std::size(ticks));
    for (std::size_t i = 0; i < std::size(ticks); ++i)
        EXPECT_EQ(shown[i], ticks[i].shown) << "tick " << i + 1 << ", " << ticks[i].parsed;
}

}  // namespace
}  // namespace qz

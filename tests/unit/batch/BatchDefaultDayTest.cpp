// The batch command's report days when --from or --to is left out: today,
// the local day the command runs on.

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

// The local day `days` away from now, as "yyyy-mm-dd" (sep '-') or as the
// records write it ("yyyy/mm/dd").
std::string LocalDay(int days, char sep) {
    std::time_t when = std::time(nullptr) + static_cast<std::time_t>(days) * 24 * 60 * 60;
    std::tm local{};
    localtime_r(&when, &local);
    // Noon of that day: a step of 24 hours from noon never skips or repeats a
    // day across a change of daylight saving time.
    local.tm_hour = 12;
    local.tm_min = 0;
    local.tm_sec = 0;
    local.tm_isdst = -1;
    when = std::mktime(&local);
    localtime_r(&when, &local);
    char text[16];
    const std::string format = std::string("%Y") + sep + "%m" + sep + "%d";
    std::strftime(text, sizeof text, format.c_str(), &local);
    return text;
}

TEST(BatchDefaultDayTest, AMissingFirstOrLastDayIsToday) {
    test::TempDir dir;
    test::HomeRedirect home;
    test::ScopedEnv locale("LC_ALL", "C");  // reads year-first dates
    dir.MakeDir("root/Report/js");

    // Yesterday two NG, today one OK, tomorrow four NG: each span of days
    // gives other totals.
    const struct {
        const char* option;  // the one day given, if any
        int day;             // that day, from today
        const char* totals;
    } cases[] = {
        {nullptr, 0, "OK: 1\nNG: 0\n"},
        {"--from", -1, "OK: 1\nNG: 2\n"},
        {"--to", 1, "OK: 1\nNG: 4\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option ? c.option : "no day given");
        // A run that spans midnight is run again on the new day.
        for (int attempt = 0; attempt < 2; ++attempt) {
            const std::string today = LocalDay(0, '-');
            dir.Write("root/ReportData/M1/1.csv",
                      test::RecordFileText()
                          .Add({.date = LocalDay(-1, '/'), .result = "NG"}, 2)
                          .Add({.date = LocalDay(0, '/'), .result = "OK"})
                          .Add({.date = LocalDay(1, '/'), .result = "NG"}, 4));
            std::vector<std::string> args = {QZ_BATCH_EXECUTABLE, "--root", dir.path() + "/root"};
            if (c.option) {
                args.insert(args.end(), {c.option, LocalDay(c.day, '-')});
            }
            const test::ChildResult result = test::RunChild(args, dir.path());
            if (attempt == 0 && LocalDay(0, '-') != today) {
                continue;
            }
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(result.out, c.totals) << "today " << today << "\n" << result.err;
            break;
        }
    }
}

}  // namespace
}  // namespace qz

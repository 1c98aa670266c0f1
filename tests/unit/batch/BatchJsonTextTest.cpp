// The texts of qz8840-report's JSON read back as the characters every place
// shows for their bytes: UTF-8 as itself, other bytes in the legacy encoding.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

struct Case {
    const char* what;
    const char* legacyEncoding;  // QZ_LEGACY_ENCODING, or none
    std::string bytes;           // a setting file, board and customer in the records
    std::string shown;           // its characters, in UTF-8
};

// Every text of a report and of a scan, parsed, is the shown text; the
// output itself stays ASCII.
TEST(BatchJsonText, TextsReadBackAsTheirCharacters) {
    const Case cases[] = {
        {"UTF-8", nullptr, "\xE8\xA8\xAD\xE5\xAE\x9A.cfg", "\xE8\xA8\xAD\xE5\xAE\x9A.cfg"},
        {"ISO-8859-1", nullptr, "caf\xE9", "caf\xC3\xA9"},
        {"not UTF-8 as a whole", nullptr, "\xC3\xA9\xE9", "\xC3\x83\xC2\xA9\xC3\xA9"},
        {"code page 932", "CP932", "\x90\xDD\x92\xE8.cfg", "\xE8\xA8\xAD\xE5\xAE\x9A.cfg"},
        {"escaped characters", nullptr, "Q\"u\\o\t\x7F\x01", "Q\"u\\o\t\x7F\x01"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::HomeRedirect home;
        test::ScopedEnv locale{"LC_ALL", "en_US.UTF-8"};
        test::ScopedEnv legacy{
            "QZ_LEGACY_ENCODING",
            c.legacyEncoding ? std::optional<std::string>(c.legacyEncoding) : std::nullopt};
        dir.MakeDir("root/Report/js");
        dir.Write("root/ReportData/A/1.csv",
                  "header\n2018/05/03,c1," + c.bytes + "," + c.bytes + "," + c.bytes + ",1,OK\n");
        // So that a report excluding the text has a record to count.
        dir.Write("root/ReportData/B/1.csv", "header\n2018/05/04,c2,other,C001,WB-1,1,NG\n");
        const std::string root = dir.path() + "/root";
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin(), {QZ_BATCH_EXECUTABLE, "--root", root, "--format", "json"});
            test::ChildResult result = test::RunChild(args, dir.path());
            EXPECT_EQ(result.status, 0) << result.err;
            for (const char byte : result.out) {
                EXPECT_LT(static_cast<unsigned char>(byte), 0x80) << result.out;
            }
            return nlohmann::json::parse(result.out);
        };

        const nlohmann::json report =
            run({"--from", "2018-05-01", "--to", "2018-05-31", "--exclude-setting-file", c.bytes});
        EXPECT_EQ(report["scope"]["excludedSettingFiles"][0], c.shown);
        const nlohmann::json kept = run({"--from", "2018-05-01", "--to", "2018-05-31"});
        EXPECT_EQ(kept["settingFiles"][0]["name"], c.shown);
        EXPECT_EQ(kept["machineIds"][0]["name"], c.shown);
        const nlohmann::json scan = run({"--scan", "--machine", "A"});
        EXPECT_EQ(scan["settingFiles"][0], c.shown);
        EXPECT_EQ(scan["machineIds"][0], c.shown);
        EXPECT_EQ(scan["customers"][0]["code"], c.shown);
    }
}

}  // namespace
}  // namespace qz

// Writes the six report scripts and the scope script of a fixed set of counts
// into <folder>/js/ through the real script writer, for the report page's
// browser test.
//
// The counts are chosen so that every view has something to check: yields with
// and without decimals, a key that is all NG, six machine IDs (the chart then
// carries a height option), a key with a quote, a backslash and a byte above
// 0x7F that is not UTF-8, a key of UTF-8 text, and a key that looks like markup.
// The scope has texts of the same kinds and three days, one without records.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/FileError.h"
#include "records/ReportCounts.h"
#include "report/ReportScope.h"

namespace {

struct KeyCounts {
    const char* key;
    std::int64_t ok;
    std::int64_t ng;
};

// "Q'uote\Back\xE9.qzs": the page must show it as Q'uote\Backé.qzs; the
// UTF-8 key as its characters, as the program's lists show it.
constexpr KeyCounts kSettingFiles[] = {
    {"ALPHA.qzs", 29, 1},
    {"Q'uote\\Back\xE9.qzs", 3, 0},
    {"BETA-Größe-設定.qzs", 0, 4},
};

constexpr KeyCounts kMachineIds[] = {
    {"WB-01", 9, 1}, {"WB-02", 5, 0}, {"WB-03", 8, 2},
    {"WB-04", 4, 0}, {"WB-05", 6, 1}, {"<i>WB-06</i>", 0, 1},
};

// The days add up to the summary of the fixed counts (32 OK, 5 NG).
qz::ReportScope FixtureScope() {
    qz::ReportScope scope;
    scope.firstDay = "2026-05-01";
    scope.lastDay = "2026-05-03";
    scope.made = "2026-05-04 08:00:00";
    scope.machines = {"LINE-A", "Q'uote\\Back\xE9", "<b>LINE-C</b>"};
    scope.excludedSettingFiles = {"old.qzs"};
    scope.excludedCustomers = {{"C001", "Müller AG"}, {"C009", ""}};
    scope.filesListed = 6;
    scope.filesFailed = 0;
    scope.daysFrom = scope.firstDay;
    scope.daysTo = scope.lastDay;
    scope.days = {{"2026-05-01", 20, 3}, {"2026-05-02", 0, 0}, {"2026-05-03", 12, 2}};
    return scope;
}

template <std::size_t N>
void Fill(qz::CCountMap& map, const KeyCounts (&keys)[N]) {
    for (const KeyCounts& k : keys) {
        map.Slot(k.key) = {k.ok, k.ng};
    }
}

}  // namespace

// With a count, the setting files are that many generated keys instead:
// "SF-000001.qzs" on, key i with i % 7 OK and one NG.
int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: %s <report folder> [<setting file count>]\n", argv[0]);
        return 2;
    }
    const std::filesystem::path jsFolder = std::filesystem::path(argv[1]) / "js";
    std::error_code error;
    std::filesystem::create_directories(jsFolder, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", jsFolder.c_str(), error.message().c_str());
        return 1;
    }

    qz::CReportTotals totals;
    Fill(totals.m_machineIds, kMachineIds);
    if (argc == 3) {
        const long count = std::strtol(argv[2], nullptr, 10);
        for (long i = 1; i <= count; ++i) {
            char key[32];
            std::snprintf(key, sizeof key, "SF-%06ld.qzs", i);
            totals.m_settingFiles.Slot(key) = {i % 7, 1};
            totals.m_nOk += i % 7;
            totals.m_nNg += 1;
        }
    } else {
        Fill(totals.m_settingFiles, kSettingFiles);
        for (const KeyCounts& k : kSettingFiles) {
            totals.m_nOk += k.ok;
            totals.m_nNg += k.ng;
        }
    }

    const std::vector<qz::FileError> failures =
        qz::WriteReportScripts(totals, FixtureScope(), jsFolder.string() + "/");
    for (const qz::FileError& failure : failures) {
        std::fprintf(stderr, "writer: %s\n", failure.ShownDescription().c_str());
    }
    return failures.empty() ? 0 : 1;
}

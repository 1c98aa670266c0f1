// Writes the six report scripts, the scope script and the facts script of a
// fixed set of counts into <folder>/js/ through the real script writer, for
// the report page's browser test.
//
// The counts are chosen so that every view has something to check: yields with
// and without decimals, a key that is all NG, six machine IDs (the chart then
// carries a height option), a key with a quote, a backslash and a byte above
// 0x7F that is not UTF-8, a key of UTF-8 text, and a key that looks like markup.
// The scope has texts of the same kinds and three days, one without records.
// The fact rows sum to the same counts by setting file, board and day, over
// three machines and three customers.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "dates/DayTime.h"
#include "facts/ReportFacts.h"
#include "platform/FileError.h"
#include "records/ReportCounts.h"
#include "report/ReportFactsScript.h"
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

struct FactRow {
    int dayOfMonth;  // of May 2026
    const char* machine;
    const char* settingFile;
    const char* customer;
    const char* board;
    std::int64_t ok;
    std::int64_t ng;
};

// By setting file, board and day they sum to kSettingFiles, kMachineIds and
// the scope's days.
constexpr FactRow kFactRows[] = {
    {1, "LINE-A", "ALPHA.qzs", "0A1B", "WB-01", 9, 1},
    {1, "LINE-A", "BETA-Größe-設定.qzs", "0A1B", "WB-03", 0, 2},
    {1, "Q'uote\\Back\xE9", "ALPHA.qzs", "0C2D", "WB-02", 5, 0},
    {1, "Q'uote\\Back\xE9", "ALPHA.qzs", "0C2D", "WB-03", 6, 0},
    {3, "<b>LINE-C</b>", "ALPHA.qzs", "1F00", "WB-05", 6, 0},
    {3, "<b>LINE-C</b>", "ALPHA.qzs", "1F00", "WB-03", 2, 0},
    {3, "LINE-A", "ALPHA.qzs", "0A1B", "WB-04", 1, 0},
    {3, "LINE-A", "Q'uote\\Back\xE9.qzs", "0A1B", "WB-04", 3, 0},
    {3, "<b>LINE-C</b>", "BETA-Größe-設定.qzs", "1F00", "WB-05", 0, 1},
    {3, "<b>LINE-C</b>", "BETA-Größe-設定.qzs", "0C2D", "<i>WB-06</i>", 0, 1},
};

qz::ReportFacts FixtureFacts() {
    qz::ReportFacts facts;
    for (const FactRow& row : kFactRows) {
        std::int32_t day = 0;
        qz::DayNumberFromCivil(2026, 5, row.dayOfMonth, day);
        facts.rows.push_back({day,
                              facts.texts.Intern(row.machine),
                              facts.texts.Intern(row.settingFile),
                              facts.texts.Intern(row.customer),
                              facts.texts.Intern(row.board),
                              {row.ok, row.ng}});
    }
    return facts;
}

template <std::size_t N>
void Fill(qz::CCountMap& map, const KeyCounts (&keys)[N]) {
    for (const KeyCounts& k : keys) {
        map.Slot(k.key) = {k.ok, k.ng};
    }
}

}  // namespace

// With a count, the setting files are that many generated keys instead:
// "SF-000001.qzs" on, key i with i % 7 OK and one NG; the fact rows stay the
// fixed ones.
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
        qz::WriteReportScripts(totals, FixtureScope(), FixtureFacts(), jsFolder.string() + "/");
    for (const qz::FileError& failure : failures) {
        std::fprintf(stderr, "writer: %s\n", failure.ShownDescription().c_str());
    }
    return failures.empty() ? 0 : 1;
}

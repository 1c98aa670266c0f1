#pragma once
// Seeded random record trees with irregular lines, and the totals a report
// over them must give, counted here in the plainest way from the file bytes:
// lines cut at LF (one CR before it dropped), fields cut at commas with empty
// ones dropped, dates read by a strict reader of the few forms the generator
// writes (an independent check on the production date parser).

#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace qz::test {

struct RecordFile {
    std::string machine;
    std::string name;
    std::string bytes;
};

struct Day {
    int year, month, day;
    auto operator<=>(const Day&) const = default;
};

struct ReportChoice {
    std::vector<std::string> machines;  // the checked machine folders
    Day from, to;
    std::vector<std::string> excludedSettingFiles;
    std::vector<std::string> excludedMachineIds;
    std::vector<std::string> excludedCustomers;
    int workers = 1;
};

struct RecordTree {
    std::vector<std::string> machines;  // all machine folders, in row order
    std::vector<RecordFile> files;
    ReportChoice choice;
};

struct ExpectedTotals {
    std::int64_t ok = 0;
    std::int64_t ng = 0;
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> settingFiles;  // OK, NG
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> machineIds;
    std::uint64_t bytes = 0;  // of the checked machines' files
};

RecordTree MakeRecordTree(std::uint32_t seed);

ExpectedTotals CountIndependently(const RecordTree& tree);

}  // namespace qz::test

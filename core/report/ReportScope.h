#pragma once
// The scope of a report: what its counts are counts of (its days, machines,
// exclusions and files), when it was made, and its OK and NG counts day by
// day. The report page shows it above the charts from js/reportScope.js,
// which the program writes with the six scripts of the report.

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "records/ReportCounts.h"
#include "records/ReportCriteria.h"
#include "report/CustomerList.h"

namespace qz {

inline constexpr std::string_view kReportScopeFileName = "reportScope.js";

// A range of at most this many days lists every one of its days; a longer one
// the days from its first to its last day with records while those are at
// most this many days apart, else only its days with records.
inline constexpr std::int64_t kEveryDayRangeLimit = 731;
// The most day rows a scope lists (about ten years of days): the latest days
// with records when there are more.
inline constexpr std::size_t kMaxDayRows = 3660;
// The most failed files a scope names: the first in list order.
inline constexpr std::size_t kMaxFailedFilesNamed = 20;

struct ReportScope {
    struct Day {
        std::string day;  // yyyy-mm-dd
        std::int64_t ok = 0;
        std::int64_t ng = 0;
    };

    std::string firstDay;  // the report's range, yyyy-mm-dd ("" when invalid)
    std::string lastDay;
    std::string made;  // local time, yyyy-mm-dd hh:mm:ss
    // A live report is written again by a watching command when its record
    // files change, at most every liveSeconds; 0 for a report written once.
    std::uint32_t liveSeconds = 0;
    // The machine folders' names, in the order of the machine list.
    std::vector<std::string> machines;
    std::vector<std::string> excludedSettingFiles;
    std::vector<std::string> excludedMachineIds;
    // Code and name; the name is empty when the customer list does not name
    // the code.
    std::vector<std::pair<std::string, std::string>> excludedCustomers;
    std::uint64_t filesListed = 0;  // record files listed for the report
    std::uint64_t filesFailed = 0;  // of those, files that gave a file error
    // The first kMaxFailedFilesNamed of the failed files in list order, each
    // as its machine folder's name and its own (FailedFileName), and how many
    // more failed.
    std::vector<std::string> failedFiles;
    std::uint64_t failedFilesMore = 0;
    // The day rows, ascending: every day from daysFrom to daysTo (a day
    // without records counts 0 and 0) when everyDay, else only days with
    // records, of which dayRowsLeftOut earlier ones are not listed (at most
    // kMaxDayRows rows). Empty (and daysFrom, daysTo too) for a range longer
    // than kEveryDayRangeLimit without any record.
    std::string daysFrom;
    std::string daysTo;
    std::vector<Day> days;
    bool everyDay = true;
    std::uint64_t dayRowsLeftOut = 0;
    // The report's totals, which its summary script shows: a page that loads
    // a summary of other counts is not of this report.
    std::int64_t ok = 0;
    std::int64_t ng = 0;
    // Unterminated last lines of record files changed moments before they
    // were read (they may still be being written), not counted.
    std::uint64_t linesLeftOut = 0;
};

// What a report of criteria over the machine folders machineFolders (paths,
// as DataPaths::MachineFolder makes them) gave: totals from filesListed
// record files of which those at the paths failedFiles (in list order)
// failed, made at the time made.
ReportScope MakeReportScope(const ReportCriteria& criteria,
                            const std::vector<std::string>& machineFolders,
                            const CustomerNames& customers, const CReportTotals& totals,
                            std::uint64_t filesListed, const std::vector<std::string>& failedFiles,
                            std::time_t made);

// How the scope names the record file at path: its folder's name and its own,
// joined by the system's separator ("M01/records.txt"), as the data tree holds
// them below the record folder.
std::string FailedFileName(const std::string& path);

// One field of the scope as its written forms name it, pointing into the scope.
struct ReportScopeField {
    using CodeNames = std::vector<std::pair<std::string, std::string>>;
    std::string_view name;
    std::variant<const std::string*, const std::vector<std::string>*, const CodeNames*,
                 std::uint64_t, bool>
        value;
};

// The fields of scope but its day rows, in the order every written form of
// the scope (the scope script, the batch command's JSON) writes them; "live"
// and "liveSeconds" follow "made" only for a live report. Valid while scope
// is.
std::vector<ReportScopeField> ReportScopeFields(const ReportScope& scope);

// js/reportScope.js: "var reportScope = {...};", one field a line, texts in
// single-quoted literals escaped as the six scripts' keys are, and pure ASCII.
std::string ReportScopeScript(const ReportScope& scope);

}  // namespace qz

// qz8840-report: the report and the option scan from the command line, with
// the same jobs and the same script writer as the dialogs, and no display.

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "batch/BatchOptions.h"
#include "batch/BatchProgress.h"
#include "report/CustomerList.h"
#include "report/ReportScriptWriter.h"
#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "dates/DateParser.h"
#include "platform/MessageBox.h"
#include "report/DataPaths.h"
#include "records/RecordParser.h"
#include "records/ReportCounts.h"

namespace qz {
namespace {

constexpr const char* kNoMachine = "No \"Machine (platform)\" is selected";
constexpr const char* kRecordNotFound = "Production record not found!!";
constexpr const char* kNoRecord =
    "No record!!\r\nPlease check \"Machine (Platform)\", \"Date\" and \"Option\"!!";

bool EndsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}

void SetDataPaths(const BatchOptions& options) {
    if (options.root) {
        std::string root = *options.root;
        if (!EndsWithSeparator(root)) {
            root += '/';
        }
        g_strReportDataPath = root + "ReportData";
        g_strCustomerListPath = root + "CustomerList.lst";
        g_strReportHtmlPath = root + "Report/report.html";
        g_strReportJsPath = root + "Report/js/";
    } else {
        InitDataPaths();
    }
    if (options.out) {
        g_strReportJsPath = *options.out;
        if (!EndsWithSeparator(g_strReportJsPath)) {
            g_strReportJsPath += '/';
        }
    }
}

// The machine rows to parse, ascending; false (with a message) for an unknown name.
bool SelectRows(const BatchOptions& options, std::vector<int>& rows) {
    rows.clear();
    if (options.machines.empty()) {
        for (std::size_t i = 0; i < g_machineFolderNames.size(); ++i) {
            rows.push_back(static_cast<int>(i));
        }
        return true;
    }
    for (const std::string& name : options.machines) {
        const auto found =
            std::find(g_machineFolderNames.begin(), g_machineFolderNames.end(), name);
        if (found == g_machineFolderNames.end()) {
            std::fprintf(stderr, "Unknown machine: %s (no such folder in %s)\n", name.c_str(),
                         g_strReportDataPath.c_str());
            return false;
        }
        rows.push_back(static_cast<int>(found - g_machineFolderNames.begin()));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return true;
}

void PrintSection(const char* heading, const CValueSet& values, bool customers) {
    std::printf("%s\n", heading);
    for (const std::string& value : values) {
        if (customers) {
            const auto name = g_customerNames.find(value);
            const std::string& shown = name != g_customerNames.end() ? name->second : "Unknown";
            std::printf("%s_%s\n", value.c_str(), shown.c_str());
        } else {
            std::printf("%s\n", value.c_str());
        }
    }
}

int RunScan(const ParseJobInput& input) {
    RunJobWithProgress(kModeOptionScan, input);
    if (g_totalBytes.load() == 0) {
        std::fprintf(stderr, "%s\n", kRecordNotFound);
        return kExitNothingToReport;
    }
    LoadCustomerList();
    // Values are never empty, so an empty line marks the end of a section.
    PrintSection("Setting File", g_foundSettingFiles, false);
    std::printf("\n");
    PrintSection("Machine (Write Board) ID", g_foundMachineIds, false);
    std::printf("\n");
    PrintSection("Customer", g_foundCustomers, true);
    return kExitWritten;
}

int RunReport(const BatchOptions& options, const ParseJobInput& input) {
    g_dtReportStart = options.from;
    g_dtReportEnd = options.to;
    for (const std::string& value : options.excludedSettingFiles) {
        g_excludedSettingFiles.Insert(value);
    }
    for (const std::string& value : options.excludedBoards) {
        g_excludedMachineIds.Insert(value);
    }
    for (const std::string& value : options.excludedCustomers) {
        g_excludedCustomers.Insert(value);
    }

    RunJobWithProgress(kModeReport, input);
    if (g_totalBytes.load() == 0) {
        std::fprintf(stderr, "%s\n", kRecordNotFound);
        return kExitNothingToReport;
    }
    std::printf("OK: %d\nNG: %d\n", g_reportTotals.m_nOk, g_reportTotals.m_nNg);
    std::fflush(stdout);
    if (g_reportTotals.m_nOk == 0 && g_reportTotals.m_nNg == 0) {
        std::fprintf(stderr, "%s\n", kNoRecord);
        return kExitNothingToReport;
    }

    // The writer reports a failed file and goes on with the next; count them.
    int failures = 0;
    MessageBoxHandler previous;
    previous = SetMessageBoxHandler([&failures](const std::string& text) {
        ++failures;
        std::fprintf(stderr, "%s\n", text.c_str());
    });
    CReportScriptWriter().WriteAll();
    SetMessageBoxHandler(std::move(previous));
    return failures == 0 ? kExitWritten : kExitWriteFailed;
}

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    SetRecordDateLocale(DateLocale::FromEnvironment());

    BatchOptions options;
    if (const auto status = ParseBatchOptions(argc, argv, options)) {
        return *status;
    }
    SetDataPaths(options);
    ScanMachineFolders();

    ParseJobInput input;
    input.workerCount = options.workers;
    if (!SelectRows(options, input.checkedRows)) {
        return kExitBadArguments;
    }
    if (input.checkedRows.empty()) {
        std::fprintf(stderr, "%s\n", kNoMachine);
        return kExitNothingToReport;
    }
    return options.scan ? RunScan(input) : RunReport(options, input);
}

}  // namespace
}  // namespace qz

int main(int argc, char** argv) {
    return qz::Main(argc, argv);
}

// qz8840-report: the report and the option scan from the command line, with
// the same jobs and the same script writer as the dialogs, and no display.

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "batch/BatchJson.h"
#include "batch/BatchOptions.h"
#include "batch/BatchProgress.h"
#include "batch/CommandLine.h"
#include "batch/TerminalText.h"
#include "dates/DateParser.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "report/MessageTexts.h"
#include "report/ReportPageSetup.h"
#include "report/ReportScope.h"

namespace qz {
namespace {

// A message of the jobs or the script writer on standard error.
void PrintMessage(const std::string& text) {
    const std::string line = TerminalLines(text) + '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

// Flushes standard output: kExitOutputFailed, with a message, when it lost
// something written to it (a closed pipe, a full disk); else kExitWritten.
int FlushStandardOutput() {
    errno = 0;
    if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
        return kExitWritten;
    }
    const int error = errno;
    std::fprintf(stderr, "Standard output could not be written: %s\n",
                 error != 0 ? std::strerror(error) : "write error");
    return kExitOutputFailed;
}

// A folder given on the command line, as given ('\' is part of a name).
std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != kPathSeparator) {
        path += kPathSeparator;
    }
    return path;
}

DataPaths DataPathsFor(const BatchOptions& options) {
    DataPaths paths =
        options.root ? DataPaths::Under(WithSeparator(*options.root)) : DataPaths::Resolve();
    if (options.out) {
        paths.strReportJsPath = WithSeparator(*options.out);
    }
    return paths;
}

// The folders of the chosen machines, in the order the folder search lists
// them (all of them without --machine); false (with a message) for an unknown
// name.
bool SelectMachineFolders(const BatchOptions& options, const DataPaths& paths,
                          std::vector<std::string>& folders) {
    const std::vector<std::string> names = ScanMachineFolders(paths);
    std::vector<std::size_t> rows;
    if (options.machines.empty()) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            rows.push_back(i);
        }
    }
    for (const std::string& name : options.machines) {
        const auto found = std::find_if(names.begin(), names.end(), [&](const std::string& folder) {
            return IsSameFileName(folder, name);
        });
        if (found == names.end()) {
            std::fprintf(stderr, "Unknown machine: %s (no such folder in %s)\n",
                         TerminalText(name).c_str(), TerminalText(paths.strReportDataPath).c_str());
            return false;
        }
        rows.push_back(static_cast<std::size_t>(found - names.begin()));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    folders.clear();
    for (const std::size_t row : rows) {
        folders.push_back(paths.MachineFolder(names[row]));
    }
    return true;
}

void PrintSection(const char* heading, const CValueSet& values,
                  const CustomerNames* customers = nullptr) {
    std::printf("%s\n", heading);
    for (const std::string& value : values) {
        if (customers != nullptr) {
            const auto name = customers->find(value);
            const std::string& shown =
                name != customers->end() ? name->second : kUnknownCustomerName;
            std::printf("%s_%s\n", TerminalText(value).c_str(), TerminalText(shown).c_str());
        } else {
            std::printf("%s\n", TerminalText(value).c_str());
        }
    }
}

int RunScan(const BatchOptions& options, const DataPaths& paths,
            std::vector<std::string> machineFolders) {
    OptionScanJob job({std::move(machineFolders), options.workers});
    OptionValues found;
    RunWithProgress(job.Progress(), [&] { found = job.Run(); });
    if (job.Progress().TotalBytes() == 0) {
        std::fprintf(stderr, "%s\n", kRecordNotFoundMessage);
        return kExitNothingToReport;
    }
    const CustomerNames customers = LoadCustomerList(paths.strCustomerListPath);
    if (options.format == OutputFormat::Json) {
        std::printf("%s\n", ScanJson(found, customers).c_str());
        return FlushStandardOutput();
    }
    // Values are never empty, so an empty line marks the end of a section.
    PrintSection("Setting File", found.settingFiles);
    std::printf("\n");
    PrintSection("Machine (Write Board) ID", found.machineIds);
    std::printf("\n");
    PrintSection("Customer", found.customers, &customers);
    return FlushStandardOutput();
}

ReportCriteria CriteriaFor(const BatchOptions& options) {
    ReportCriteria criteria;
    criteria.dtReportStart = options.from;
    criteria.dtReportEnd = options.to;
    const std::pair<Dimension, const std::vector<std::string>*> excluded[] = {
        {Dimension::SettingFile, &options.excludedSettingFiles},
        {Dimension::MachineId, &options.excludedBoards},
        {Dimension::Customer, &options.excludedCustomers},
    };
    for (const auto& [dimension, values] : excluded) {
        for (const std::string& value : *values) {
            criteria.excluded.Of(dimension).Insert(value);
        }
    }
    // Taken after the locale of the environment is set.
    criteria.dateLocale = DateLocale::FromEnvironment();
    return criteria;
}

// The names of the excluded customers, for the report's scope: only names,
// so a list that cannot be read gives none, without a message.
CustomerNames ExcludedCustomerNames(const BatchOptions& options, const DataPaths& paths) {
    if (options.excludedCustomers.empty()) {
        return {};
    }
    const MessageBoxHandler previous = SetMessageBoxHandler([](const std::string&) {});
    CustomerNames names = LoadCustomerList(paths.strCustomerListPath);
    SetMessageBoxHandler(previous);
    return names;
}

int RunReport(const BatchOptions& options, const DataPaths& paths,
              std::vector<std::string> machineFolders) {
    ReportJob job({std::move(machineFolders), CriteriaFor(options), options.workers});
    ReportResult totals;
    RunWithProgress(job.Progress(), [&] { totals = job.Run(); });
    if (job.Progress().TotalBytes() == 0) {
        std::fprintf(stderr, "%s\n", kRecordNotFoundMessage);
        return kExitNothingToReport;
    }
    const ReportScope scope =
        job.Scope(totals, ExcludedCustomerNames(options, paths), std::time(nullptr));
    if (options.format == OutputFormat::Json) {
        std::printf("%s\n", ReportJson(totals, scope, options.fromText, options.toText,
                                       ToNativePath(paths.strReportJsPath))
                                .c_str());
    } else {
        std::printf("OK: %lld\nNG: %lld\n", static_cast<long long>(totals.m_nOk),
                    static_cast<long long>(totals.m_nNg));
    }
    // The scripts are written whatever happened to standard output.
    const int output = FlushStandardOutput();
    if (totals.m_nOk == 0 && totals.m_nNg == 0) {
        std::fprintf(stderr, "%s\n", kNoRecordMessage);
        return kExitNothingToReport;
    }

    // The writer reports a failed file and goes on with the next; count them.
    int failures = 0;
    MessageBoxHandler previous;
    previous = SetMessageBoxHandler([&failures](const std::string& text) {
        ++failures;
        PrintMessage(text);
    });
    WriteReportScripts(totals, scope, paths.strReportJsPath);
    SetMessageBoxHandler(std::move(previous));
    if (failures != 0) {
        return kExitWriteFailed;
    }
    // On standard error, as the other messages: standard output is the counts.
    std::fprintf(stderr, "Report scripts written to %s\n",
                 TerminalText(ToNativePath(paths.strReportJsPath)).c_str());
    return output;
}

// The data tree's paths, for scripts that need them (make-demo-data).
int PrintPaths(const DataPaths& paths) {
    std::printf("records=%s\ncustomers=%s\npage=%s\nscripts=%s\ninstalled-page=%s\n",
                ToNativePath(paths.strReportDataPath).c_str(),
                ToNativePath(paths.strCustomerListPath).c_str(),
                ToNativePath(paths.strReportHtmlPath).c_str(),
                ToNativePath(paths.strReportJsPath).c_str(),
                FindInstalledReportPage().value_or(std::string()).c_str());
    return FlushStandardOutput();
}

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    // A reader that went away (`| head`, `| true`) makes a write to standard
    // output fail instead of ending the process before the scripts are written.
#ifdef SIGPIPE  // Windows has no such signal: the write fails there anyway
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Messages from the jobs (a file error names a path from the disk) go to
    // standard error with their control bytes made visible.
    SetMessageBoxHandler(PrintMessage);

    BatchOptions options;
    if (const auto status = ParseBatchOptions(argc, argv, options)) {
        return *status;
    }
    const DataPaths paths = DataPathsFor(options);
    if (options.printPaths) {
        return PrintPaths(paths);
    }
    std::vector<std::string> machineFolders;
    if (!SelectMachineFolders(options, paths, machineFolders)) {
        return kExitBadArguments;
    }
    if (machineFolders.empty()) {
        std::fprintf(stderr, "No machine folder found under %s\n",
                     TerminalText(ToNativePath(paths.strReportDataPath)).c_str());
        return kExitNothingToReport;
    }
    // The page and the script folder of the tree, where missing, before a report.
    if (const std::string problem = options.scan ? "" : PrepareReportPage(paths);
        !problem.empty()) {
        PrintMessage(problem);
    }
    return options.scan ? RunScan(options, paths, std::move(machineFolders))
                        : RunReport(options, paths, std::move(machineFolders));
}

}  // namespace
}  // namespace qz

int main(int argc, char** argv) {
    return qz::RunWithUtf8CommandLine(argc, argv, qz::Main);
}

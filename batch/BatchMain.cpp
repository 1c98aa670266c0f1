// qz8840-report: the report and the option scan from the command line, with
// the same jobs and the same script writer as the dialogs, and no display.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "batch/BatchFacts.h"
#include "batch/BatchJson.h"
#include "batch/BatchOptions.h"
#include "batch/BatchProgress.h"
#include "batch/CommandLine.h"
#include "batch/FileSizeSignal.h"
#include "batch/RollingDays.h"
#include "batch/TerminalText.h"
#include "batch/Watch.h"
#include "batch/WatchStop.h"
#include "dates/DateParser.h"
#include "facts/CacheLocation.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportPipeline.h"
#include "platform/FileError.h"
#include "platform/Path.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "report/MessageTexts.h"
#include "report/ReportPageSetup.h"
#include "report/ReportScope.h"

namespace qz {
namespace {

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

// The fact rows as CSV on standard output, its CR LF line ends as they are
// (on Windows, too, where a text stream would make them CR CR LF).
void PrintFacts(const ReportFacts& facts) {
#ifdef _WIN32
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    WriteFactsCsv(
        facts, [](std::string_view piece) { std::fwrite(piece.data(), 1, piece.size(), stdout); });
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

// The customer names; a file error that kept the list from being read is
// written to errors, and the names read until then are returned.
CustomerNames ReadCustomerNames(const DataPaths& paths, ErrorOutput& errors) {
    CustomerList list = LoadCustomerList(paths.strCustomerListPath);
    if (list.error) {
        errors.Message(list.error->ShownDescription());
    }
    return std::move(list.names);
}

// The cache of facts the options choose: none, the file named, or the data
// tree's own.
CachePlace CacheFor(const BatchOptions& options, const DataPaths& paths) {
    if (options.noCache) {
        return {};
    }
    if (options.cacheFile) {
        return {*options.cacheFile, false};
    }
    return DefaultCachePlace(paths.strReportDataPath);
}

// Why the cache was not used, said once (nothing when it was).
void TellCacheNote(const std::string& note, ErrorOutput& errors) {
    if (!note.empty()) {
        errors.Message(note);
    }
}

int ScanCommand(const BatchOptions& options, const DataPaths& paths, const DateLocale& dateLocale,
                std::vector<std::string> machineFolders, ErrorOutput& errors) {
    // Read with the reports' date locale, so that both keep the same facts.
    OptionScanJob job({std::move(machineFolders), options.workers, errors.Sink(), dateLocale,
                       CacheFor(options, paths)});
    OptionValues found;
    RunWithProgress(job.Progress(), errors, [&] { found = job.Run(); });
    TellCacheNote(job.CacheNote(), errors);
    if (job.Progress().TotalBytes() == 0) {
        std::fprintf(stderr, "%s\n", kRecordNotFoundMessage);
        return kExitNothingToReport;
    }
    const CustomerNames customers = ReadCustomerNames(paths, errors);
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

// RunWithProgress for a watching command: Ctrl+C cancels the count, so
// that the report in hand is abandoned before its scripts are written, or
// finishes whole when their writing has begun.
void RunStoppable(JobProgress& progress, ErrorOutput& errors, const std::function<void()>& count) {
    std::atomic<bool> counted{false};
    std::thread canceller([&] {
        while (!counted.load()) {
            if (WaitForWatchStop(std::chrono::milliseconds(50))) {
                progress.Cancel();
                return;
            }
        }
    });
    try {
        RunWithProgress(progress, errors, count);
    } catch (...) {
        counted.store(true);
        canceller.join();
        throw;
    }
    counted.store(true);
    canceller.join();
}

ReportCriteria CriteriaFor(const BatchOptions& options, const DateLocale& dateLocale) {
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
    criteria.dateLocale = dateLocale;
    return criteria;
}

int ReportCommand(const BatchOptions& options, const DataPaths& paths, const DateLocale& dateLocale,
                  std::vector<std::string> machineFolders, ErrorOutput& errors) {
    // The scope names the excluded customers, and the facts script the
    // customers of its rows, as the program's report does. A list that cannot
    // be read is said only when customers are excluded: otherwise the report
    // loses no more than the names of the By customer view.
    const CustomerNames customers = options.excludedCustomers.empty()
                                        ? LoadCustomerList(paths.strCustomerListPath).names
                                        : ReadCustomerNames(paths, errors);
    const ReportOutcome outcome = RunReport(
        {std::move(machineFolders), CriteriaFor(options, dateLocale), options.workers,
         errors.Sink(), CacheFor(options, paths)},
        customers, paths.strReportJsPath,
        [&errors, &options](JobProgress& progress, const std::function<void()>& count) {
            if (options.watchSeconds > 0) {
                RunStoppable(progress, errors, count);
            } else {
                RunWithProgress(progress, errors, count);
            }
        },
        options.watchSeconds);
    TellCacheNote(outcome.totals.cacheNote, errors);
    if (outcome.kind == ReportOutcome::Kind::Cancelled && WatchStopRequested()) {
        return kExitWritten;  // Ctrl+C while watching: nothing written, and no fault
    }
    // The command is never cancelled otherwise.
    if (outcome.kind == ReportOutcome::Kind::NoRecordFiles ||
        outcome.kind == ReportOutcome::Kind::Cancelled) {
        std::fprintf(stderr, "%s\n", kRecordNotFoundMessage);
        return kExitNothingToReport;
    }
    const ReportResult& totals = outcome.totals;
    if (options.format == OutputFormat::Facts) {
        PrintFacts(totals.facts);
    } else if (options.format == OutputFormat::Json) {
        std::printf("%s\n", ReportJson(totals, outcome.scope, options.fromText, options.toText,
                                       ToNativePath(paths.strReportJsPath))
                                .c_str());
    } else {
        std::printf("OK: %lld\nNG: %lld\n", static_cast<long long>(totals.m_nOk),
                    static_cast<long long>(totals.m_nNg));
    }
    const int output = FlushStandardOutput();
    if (outcome.kind == ReportOutcome::Kind::NoRecords) {
        std::fprintf(stderr, "%s\n", kNoRecordMessage);
        return kExitNothingToReport;
    }
    for (const FileError& failure : outcome.writeFailures) {
        errors.Message(failure.ShownDescription());
    }
    if (!outcome.writeFailures.empty()) {
        return kExitWriteFailed;
    }
    // On standard error, as the other messages: standard output is the counts.
    std::fprintf(stderr, "Report scripts written to %s\n",
                 TerminalText(ToNativePath(paths.strReportJsPath)).c_str());
    return output;
}

// --watch: the report, then again on every change, until Ctrl+C. Without
// --machine, a machine folder that appears joins the report.
int WatchCommand(BatchOptions options, const DataPaths& paths, const DateLocale& dateLocale,
                 std::vector<std::string> machineFolders, ErrorOutput& errors) {
    InstallWatchStop();
    std::fprintf(stderr, "Watching the record files every %u s; Ctrl+C ends.\n",
                 static_cast<unsigned>(options.watchSeconds));
    WatchPlan plan;
    plan.interval = std::chrono::seconds(options.watchSeconds);
    plan.machineFolders = [&] {
        std::vector<std::string> folders = machineFolders;
        if (options.machines.empty()) {
            std::vector<std::string> all;
            if (SelectMachineFolders(options, paths, all) && !all.empty()) {
                folders = std::move(all);
            }
        }
        return folders;
    };
    if (options.rollingDays > 0) {
        plan.today = TodayText;
    }
    plan.writeReport = [&](const std::vector<std::string>& folders) {
        if (options.rollingDays > 0) {
            SetRollingRange(options, options.rollingDays, TodayText());
        }
        ReportCommand(options, paths, dateLocale, folders, errors);
    };
    plan.waitForStop = WaitForWatchStop;
    Watch(plan);
    WatchStopped();
    return kExitWritten;
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
    TreatFileSizeLimitAsWriteError();
    BatchOptions options;
    if (const auto status = ParseBatchOptions(argc, argv, options)) {
        return *status;
    }
    const DataPaths paths = DataPathsFor(options);
    if (options.printPaths) {
        return PrintPaths(paths);
    }
    // Record dates are read in the order of the user's LC_TIME, as set above.
    const DateLocale dateLocale = DateLocale::FromEnvironment();
    ErrorOutput errors;
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
        errors.Message(problem);
    }
    if (options.watchSeconds > 0) {
        return WatchCommand(options, paths, dateLocale, std::move(machineFolders), errors);
    }
    return options.scan
               ? ScanCommand(options, paths, dateLocale, std::move(machineFolders), errors)
               : ReportCommand(options, paths, dateLocale, std::move(machineFolders), errors);
}

}  // namespace
}  // namespace qz

int main(int argc, char** argv) {
    return qz::RunWithUtf8CommandLine(argc, argv, qz::Main);
}

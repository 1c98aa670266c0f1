// A report made the way the dialog application makes it, in a process of its
// own: the request built from the machine rows, the dates and the exclusions,
// the count run on a job thread while the "UI thread" reads the progress
// until it ends, then the scope and the scripts, all through RunReport. The
// cache tests run it beside the batch command on one cache file.
//
//   qz-gui-like-report --root DIR --out DIR --from YYYY-MM-DD --to YYYY-MM-DD
//                      [--machine NAME]... [--exclude-setting-file TEXT]...
//                      [--exclude-board TEXT]... [--exclude-customer CODE]...
//                      [--workers N] [--cache FILE]
//
// Without --cache it uses the data tree's own cache in the user's cache
// folder, as the application does; why the cache was not used goes to
// standard error (the application shows it in a message box).
// Prints the totals as the batch command's text output does ("OK: n", "NG:
// n"); exits 0 when the scripts were written, 1 when there was nothing to
// report, 3 when a script could not be written, 2 for bad arguments.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "dates/DateParser.h"
#include "dates/OleDate.h"
#include "facts/CacheLocation.h"
#include "jobs/ReportPipeline.h"
#include "report/CustomerList.h"
#include "report/DataPaths.h"

namespace {

struct Arguments {
    std::string root;
    std::string out;
    qz::OleDate from = qz::OleDate::Invalid();
    qz::OleDate to = qz::OleDate::Invalid();
    std::set<std::string> machines;
    qz::OptionValues excluded;
    int workers = 0;
    std::string cache;
};

qz::OleDate IsoDate(const char* text) {
    int year = 0, month = 0, day = 0;
    if (std::sscanf(text, "%d-%d-%d", &year, &month, &day) != 3) {
        return qz::OleDate::Invalid();
    }
    return qz::OleDate::FromParts(year, month, day);
}

bool Parse(int argc, char** argv, Arguments& args) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--root") {
            args.root = value;
        } else if (option == "--out") {
            args.out = value;
        } else if (option == "--from") {
            args.from = IsoDate(value);
        } else if (option == "--to") {
            args.to = IsoDate(value);
        } else if (option == "--machine") {
            args.machines.insert(value);
        } else if (option == "--exclude-setting-file") {
            args.excluded.Of(qz::Dimension::SettingFile).Insert(value);
        } else if (option == "--exclude-board") {
            args.excluded.Of(qz::Dimension::MachineId).Insert(value);
        } else if (option == "--exclude-customer") {
            args.excluded.Of(qz::Dimension::Customer).Insert(value);
        } else if (option == "--workers") {
            args.workers = std::atoi(value);
        } else if (option == "--cache") {
            args.cache = value;
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !args.root.empty() && !args.out.empty() && args.from.valid &&
           args.to.valid;
}

int Main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");  // as the toolkit does at start-up
    Arguments args;
    if (!Parse(argc, argv, args)) {
        std::fprintf(stderr, "bad arguments\n");
        return 2;
    }
    // Resolved once at start-up, as the application does.
    qz::DataPaths paths = qz::DataPaths::Under(args.root + "/");
    paths.strReportJsPath = args.out + "/";
    const qz::CustomerNames customers = qz::LoadCustomerList(paths.strCustomerListPath).names;

    // The checked rows of the machine list, in its order.
    qz::ReportRequest request;
    for (const std::string& name : qz::ScanMachineFolders(paths)) {
        if (args.machines.empty() || args.machines.contains(name)) {
            request.machineFolders.push_back(paths.MachineFolder(name));
        }
    }
    request.criteria.dtReportStart = args.from;
    request.criteria.dtReportEnd = args.to;
    request.criteria.excluded = args.excluded;
    request.criteria.dateLocale = qz::DateLocale::FromEnvironment();
    request.workerCount = args.workers;
    request.sink = [](const qz::FileError&) {};  // the test compares the scripts
    // The data tree's own cache, as the application uses it, or the file named.
    request.cache = args.cache.empty() ? qz::DefaultCachePlace(paths.strReportDataPath)
                                       : qz::CachePlace{args.cache, false};

    // The progress dialog: the count on a job thread, the dialog's timer
    // reading the progress until the job ends.
    const qz::ReportOutcome outcome =
        qz::RunReport(std::move(request), customers, paths.strReportJsPath,
                      [](qz::JobProgress& progress, const std::function<void()>& count) {
                          std::atomic<bool> done = false;
                          std::thread job([&] {
                              count();
                              done = true;
                          });
                          while (!done) {
                              (void)progress.ParsedBytes();
                              std::this_thread::sleep_for(std::chrono::milliseconds(2));
                          }
                          job.join();
                      });

    if (!outcome.totals.cacheNote.empty()) {
        std::fprintf(stderr, "%s\n", outcome.totals.cacheNote.c_str());
    }
    using Kind = qz::ReportOutcome::Kind;
    if (outcome.kind == Kind::Cancelled || outcome.kind == Kind::NoRecordFiles) {
        return 1;
    }
    std::printf("OK: %lld\nNG: %lld\n", static_cast<long long>(outcome.totals.m_nOk),
                static_cast<long long>(outcome.totals.m_nNg));
    if (outcome.kind == Kind::NoRecords) {
        return 1;
    }
    return outcome.writeFailures.empty() ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv) {
    return Main(argc, argv);
}

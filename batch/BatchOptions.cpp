#include "batch/BatchOptions.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "batch/RollingDays.h"
#include "batch/TerminalText.h"
#include "platform/Path.h"

namespace qz {

namespace {

bool ParseDigits(std::string_view text, int& value) {
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return true;
}

// CLI11 validator: the text must be a date ParseIsoDate accepts.
// CLI11 validator: a folder that exists (CLI11's own reads a UTF-8 name in
// the ANSI code page on Windows).
const CLI::Validator kExistingFolder(
    [](std::string& text) -> std::string {
        return IsFolder(text) ? std::string() : "Directory does not exist: " + text;
    },
    "DIR");

const CLI::Validator kIsoDate(
    [](std::string& text) -> std::string {
        return ParseIsoDate(text).valid ? std::string() : "not a date YYYY-MM-DD: " + text;
    },
    "YYYY-MM-DD");

}  // namespace

OleDate ParseIsoDate(std::string_view text) {
    int year = 0;
    int month = 0;
    int day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
        !ParseDigits(text.substr(0, 4), year) || !ParseDigits(text.substr(5, 2), month) ||
        !ParseDigits(text.substr(8, 2), day)) {
        return OleDate::Invalid();
    }
    return OleDate::FromParts(year, month, day);
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::optional<int> ParseBatchOptions(int argc, char** argv, BatchOptions& options) {
    CLI::App app{
        "Counts the production records of the chosen machines and writes the six report "
        "scripts, or lists the values the option filters offer (--scan)."};
    app.name("qz8840-report");

    std::string root;
    std::string out;
    std::string from;
    std::string to;
    app.add_option("--root", root,
                   "Data root holding ReportData, CustomerList.lst and Report (default: the "
                   "data root below the documents folder)")
        ->check(kExistingFolder);
    app.add_option("--machine", options.machines,
                   "Machine folder to include; repeatable (default: all)");
    app.add_option("--from", from, "First day, included (default: today)")->check(kIsoDate);
    app.add_option("--to", to, "Last day, included (default: today)")->check(kIsoDate);
    app.add_option("--exclude-setting-file", options.excludedSettingFiles,
                   "Setting File to leave out; repeatable");
    app.add_option("--exclude-board", options.excludedBoards,
                   "Machine (Write Board) ID to leave out; repeatable");
    app.add_option("--exclude-customer", options.excludedCustomers,
                   "Customer code to leave out; repeatable");
    app.add_option("--out", out,
                   "Folder for the six scripts (default: the script folder "
                   "of the data root)")
        ->check(kExistingFolder);
    app.add_flag("--scan", options.scan,
                 "List the setting files, Machine (Write Board) IDs and customers found instead of "
                 "reporting");
    app.add_flag("--print-paths", options.printPaths,
                 "Print the data tree's paths (records, customers, page, scripts, installed "
                 "page), one 'name=path' a line, and do nothing else");
    app.add_option("--workers", options.workers, "Worker threads (default: processors * 1.5 + 1)")
        ->check(CLI::Range(1, 4096));
    std::string format = "text";
    app.add_option("--format", format,
                   "Standard output: text (default); json, one JSON object with the totals and the "
                   "rows per setting file and per Machine (Write Board) ID (report) or the values "
                   "found (--scan); or facts, the report's counts per day, machine, setting file, "
                   "customer and Machine (Write Board) ID as CSV")
        ->check(CLI::IsMember({"text", "json", "facts"}));
    // The cache of facts between runs.
    std::string cacheFile;
    app.add_flag("--no-cache", options.noCache,
                 "Read every record file whole; neither use nor update the cache");
    app.add_option("--cache", cacheFile,
                   "Cache file of the counted records (default: one per data root in the user's "
                   "cache folder; deleting it is always safe)")
        ->excludes("--no-cache")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    // A report kept current while the line runs.
    auto* watch = app.add_option("--watch", options.watchSeconds,
                                 "Write the report, then again whenever a record file of the "
                                 "chosen machines changes, at most every SECONDS seconds, until "
                                 "Ctrl+C")
                      ->type_name("SECONDS")
                      ->check(CLI::Range(1, 86400));
    auto* days = app.add_option("--days", options.rollingDays,
                                "The last N days, today included, in place of --from and --to "
                                "(with --watch the range moves with the date)")
                     ->type_name("N")
                     ->check(CLI::Range(1, 36500));
    days->excludes("--from")->excludes("--to");
    watch->excludes("--scan")->excludes("--print-paths");

    app.footer(
        "Exit status:\n"
        "  0  the scripts were written (report) or the values were listed (--scan)\n"
        "  1  nothing to report: no machine folder, no record file, or no record counted\n"
        "  2  bad arguments (also a --from after --to)\n"
        "  3  a script could not be written\n"
        "  4  standard output could not be written (the scripts were still written)\n"
        "Where several apply, the lowest status is given.\n"
        "With --watch, Ctrl+C ends the command with status 0 once the report in hand is "
        "written whole or abandoned.");

    // A value given twice: the last one holds, as scripts that append to a
    // default command line expect.
    for (const char* name :
         {"--root", "--from", "--to", "--out", "--workers", "--format", "--watch", "--days"}) {
        app.get_option(name)->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // CLI11 quotes the arguments it rejects: their control bytes are made
        // visible before they reach a terminal.
        std::ostringstream help;
        std::ostringstream err;
        const int status = app.exit(error, help, err);
        std::fputs(help.str().c_str(), stdout);
        // Only the error's own text holds arguments: a line feed in one is
        // escaped too, so that it cannot make a line of its own.
        std::string text = err.str();
        const std::string what = error.what();
        if (const auto at = text.find(what); !what.empty() && at != std::string::npos) {
            text.replace(at, what.size(), TerminalText(what));
        }
        std::fputs(TerminalLines(text).c_str(), stderr);
        return status == 0 ? 0 : kExitBadArguments;
    }

    if (app.count("--root") > 0) {
        options.root = root;
    }
    if (app.count("--out") > 0) {
        options.out = out;
    }
    if (app.count("--cache") > 0) {
        options.cacheFile = cacheFile;
    }
    options.format = format == "json"    ? OutputFormat::Json
                     : format == "facts" ? OutputFormat::Facts
                                         : OutputFormat::Text;
    if (options.scan && options.format == OutputFormat::Facts) {
        std::fprintf(
            stderr,
            "--format facts gives the fact rows of a report: it cannot be used with --scan\n"
            "Run with --help for more information.\n");
        return kExitBadArguments;
    }
    const std::string today = TodayText();
    if (options.rollingDays > 0) {
        SetRollingRange(options, options.rollingDays, today);
        return std::nullopt;
    }
    options.fromText = from.empty() ? today : from;
    options.toText = to.empty() ? today : to;
    options.from = ParseIsoDate(options.fromText);
    options.to = ParseIsoDate(options.toText);
    if (options.from.value > options.to.value) {
        std::fprintf(stderr,
                     "The first day (--from %s) is after the last day (--to %s)\n"
                     "Run with --help for more information.\n",
                     options.fromText.c_str(), options.toText.c_str());
        return kExitBadArguments;
    }
    return std::nullopt;
}

}  // namespace qz

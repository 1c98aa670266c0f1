// qz-bench-facts-script: what js/reportFacts.js costs by its number of rows,
// the figures behind kReportFactsBound.
//
//   qz-bench-facts-script [--rows N]... [--runs N] [--out DIR]
//
// For each row count (default 250,000, 500,000, 1,000,000 and 2,000,000) it
// makes the fact rows of a line's year shaped like its records: 10 machines,
// each running 3 of 200 setting files a day, each for one of 4 customers, on
// all of 64 boards (1,920 rows a day; 700,800 in a year). It then times, best
// of N runs, in one run:
//   script: ReportFactsScript with the bound at the row count (every row);
//   set:    WriteReportScripts, the whole report (the six, scope and facts)
//           written under the folder lock and renamed;
//   floor:  writing the same number of bytes to one file (ReplaceTextFile),
//           the least any writer of that file must spend.
// and prints the file's size, its bytes per row and the three times. With
// --out, each report is kept in DIR/rows-N/js/ for the page's parse time
// (bench/facts-script-parse.mjs).

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "dates/DayTime.h"
#include "facts/ReportFacts.h"
#include "platform/TextFileWriter.h"
#include "records/ReportCounts.h"
#include "report/ReportFactsScript.h"
#include "report/ReportScope.h"
#include "report/ReportScriptWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMachines = 10;
constexpr std::size_t kSettingFiles = 200;
constexpr std::size_t kBoards = 64;
constexpr std::size_t kCustomers = 4;
constexpr std::size_t kSettingFilesPerDay = 3;
constexpr std::size_t kRowsPerDay = kMachines * kSettingFilesPerDay * kBoards;

struct Options {
    std::vector<std::size_t> rows;
    int runs = 3;
    std::string out;
};

Options ParseArgs(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 < argc && arg == "--rows") {
            options.rows.push_back(std::stoull(argv[++i]));
        } else if (i + 1 < argc && arg == "--runs") {
            options.runs = std::max(1, std::stoi(argv[++i]));
        } else if (i + 1 < argc && arg == "--out") {
            options.out = argv[++i];
        } else {
            std::fprintf(stderr, "usage: %s [--rows N]... [--runs N] [--out DIR]\n", argv[0]);
            std::exit(2);
        }
    }
    if (options.rows.empty()) {
        options.rows = {250'000, 500'000, 1'000'000, 2'000'000};
    }
    return options;
}

std::string Numbered(const char* format, std::size_t n) {
    char text[32];
    std::snprintf(text, sizeof text, format, static_cast<unsigned>(n));
    return text;
}

// rowCount rows of a line's days from 2026-01-01 on, with the totals and the
// day rows of the scope they sum to. Deterministic.
struct LineYear {
    qz::ReportFacts facts;
    qz::CReportTotals totals;
    qz::ReportScope scope;
};

LineYear MakeLineYear(std::size_t rowCount) {
    LineYear year;
    std::vector<std::uint32_t> machines, settingFiles, boards, customers;
    std::vector<std::string> settingFileNames, boardNames;
    for (std::size_t m = 1; m <= kMachines; ++m) {
        machines.push_back(year.facts.texts.Intern(Numbered("M%02d", m)));
    }
    for (std::size_t s = 0; s < kSettingFiles; ++s) {
        settingFileNames.push_back(Numbered("SET_%03d_REV2.bin", s));
        settingFiles.push_back(year.facts.texts.Intern(settingFileNames.back()));
    }
    for (std::size_t c = 0; c < kCustomers; ++c) {
        customers.push_back(year.facts.texts.Intern(Numbered("%X0C1", 10 + c)));
    }
    for (std::size_t b = 1; b <= kBoards; ++b) {
        boardNames.push_back(Numbered("WB-%02d-P1", b));
        boards.push_back(year.facts.texts.Intern(boardNames.back()));
    }
    std::int32_t first = 0;
    qz::DayNumberFromCivil(2026, 1, 1, first);
    std::uint64_t state = 88172645463325252ULL;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    year.facts.rows.reserve(rowCount);
    for (std::int32_t day = first; year.facts.rows.size() < rowCount; ++day) {
        qz::OkNg dayCounts;
        for (std::size_t m = 0; m < kMachines && year.facts.rows.size() < rowCount; ++m) {
            const std::size_t base = next() % kSettingFiles;
            for (std::size_t slot = 0; slot < kSettingFilesPerDay; ++slot) {
                // 67 apart: a machine's setting files of a day differ.
                const std::size_t s = (base + slot * 67) % kSettingFiles;
                for (std::size_t b = 0; b < kBoards && year.facts.rows.size() < rowCount; ++b) {
                    const std::uint64_t r = next();
                    const qz::OkNg counts{static_cast<std::int64_t>(20 + r % 180),
                                          r % 100 < 70 ? 0 : static_cast<std::int64_t>(r % 7)};
                    year.facts.rows.push_back({day, machines[m], settingFiles[s],
                                               customers[s % kCustomers], boards[b], counts});
                    for (qz::OkNg* sum :
                         {&year.totals.m_settingFiles.Slot(settingFileNames[s]),
                          &year.totals.m_machineIds.Slot(boardNames[b]), &dayCounts}) {
                        sum->ok += counts.ok;
                        sum->ng += counts.ng;
                    }
                }
            }
        }
        year.totals.m_nOk += dayCounts.ok;
        year.totals.m_nNg += dayCounts.ng;
        year.scope.days.push_back({qz::FormatDay(day), dayCounts.ok, dayCounts.ng});
    }
    year.scope.firstDay = year.scope.daysFrom = year.scope.days.front().day;
    year.scope.lastDay = year.scope.daysTo = year.scope.days.back().day;
    year.scope.made = "2026-12-31 23:59:59";
    for (std::size_t m = 1; m <= kMachines; ++m) {
        year.scope.machines.push_back(Numbered("M%02d", m));
    }
    year.scope.ok = year.totals.m_nOk;
    year.scope.ng = year.totals.m_nNg;
    return year;
}

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

template <typename Work>
double BestMs(int runs, const Work& work) {
    double best = 1e300;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        best = std::min(best, Milliseconds(Clock::now() - start));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = ParseArgs(argc, argv);
    const std::filesystem::path temp =
        std::filesystem::temp_directory_path() / ("qz-bench-facts-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp);

    std::printf("rows per day %zu; times best of %d runs, ms\n", kRowsPerDay, options.runs);
    std::printf("%10s %10s %9s %9s %9s %9s %9s\n", "rows", "MB", "B/row", "script", "set", "floor",
                "set/floor");
    int status = 0;
    for (const std::size_t rows : options.rows) {
        const LineYear year = MakeLineYear(rows);
        std::string script;
        const double scriptMs =
            BestMs(options.runs, [&] { script = qz::ReportFactsScript(year.facts, {}, rows); });
        const std::filesystem::path folder =
            options.out.empty()
                ? temp / "js"
                : std::filesystem::path(options.out) / ("rows-" + std::to_string(rows)) / "js";
        std::filesystem::create_directories(folder);
        const std::string scriptFolder = folder.string() + "/";
        // The set: the facts script as the report writes it (with the bound
        // at the row count, so that every row is written).
        const double setMs = BestMs(options.runs, [&] {
            const auto failures = qz::CReportScriptWriter(year.totals, scriptFolder)
                                      .WriteAll({{std::string(qz::kReportScopeFileName),
                                                  qz::ReportScopeScript(year.scope)},
                                                 {std::string(qz::kReportFactsFileName),
                                                  qz::ReportFactsScript(year.facts, {}, rows)}});
            if (!failures.empty()) {
                std::fprintf(stderr, "%s\n", failures.front().what());
                status = 1;
            }
        });
        const std::string floorPath = (temp / "floor.js").string();
        const double floorMs =
            BestMs(options.runs, [&] { qz::ReplaceTextFile(floorPath, script); });
        std::printf("%10zu %10.1f %9.1f %9.1f %9.1f %9.1f %9.2f\n", rows,
                    static_cast<double>(script.size()) / 1e6,
                    static_cast<double>(script.size()) / static_cast<double>(rows), scriptMs, setMs,
                    floorMs, setMs / floorMs);
        std::fflush(stdout);
    }
    std::filesystem::remove_all(temp);
    return status;
}

#pragma once
// js/reportFacts.js: a report's fact rows for the report page, which sums them
// into its views by machine, customer, period and board. Each text (machine,
// setting file, customer code, board ID) is written once; a row is
// [day, machine, setting file, customer, board, OK, NG] with the texts as
// indices into "texts" and the day as days since 1970-01-01. Written with the
// six scripts as one report (WriteReportScripts).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "facts/ReportFacts.h"
#include "platform/FileError.h"
#include "records/ReportCounts.h"
#include "report/CustomerList.h"
#include "report/ReportScope.h"

namespace qz {

inline constexpr std::string_view kReportFactsFileName = "reportFacts.js";
// The version of the file's layout; the page reads only the versions it knows.
inline constexpr int kReportFactsVersion = 1;
// The most rows the file carries (see docs/report-flow.md for the figures
// behind it): above it the rows and texts are left out, the file says so
// ("complete": false) and gives the number of rows, and the page keeps the
// views of the six scripts.
inline constexpr std::size_t kReportFactsBound = 1'000'000;

// "var reportFacts = {...};" of rows, whose texts are indices into texts.
// Texts are written in double-quoted literals, escaped as the scope script's
// texts (ASCII only); only the texts the rows name are written, numbered in
// the order the rows first name them. "customerNames" gives the customer
// list's name of each customer code the rows name, where the list has one. A
// row naming no text of texts throws std::out_of_range.
std::string ReportFactsScript(const std::vector<std::string>& texts,
                              const std::vector<ReportFactRow>& rows,
                              const CustomerNames& customers = {},
                              std::size_t bound = kReportFactsBound);
std::string ReportFactsScript(const ReportFacts& facts, const CustomerNames& customers = {},
                              std::size_t bound = kReportFactsBound);

// The report's scripts: the six of totals, the scope script and the facts
// script, written into scriptFolder as one report (CReportScriptWriter::
// WriteAll, whose failures it returns); customers names the customer codes.
std::vector<FileError> WriteReportScripts(const CReportTotals& totals, const ReportScope& scope,
                                          const ReportFacts& facts, const std::string& scriptFolder,
                                          const CustomerNames& customers = {});

}  // namespace qz

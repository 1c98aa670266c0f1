#pragma once
// The batch command's --format facts output: a report's fact rows as CSV
// (RFC 4180), for a plant to load into a database of its own and roll up.
//
//   day,machine,settingFile,customer,board,ok,ng
//   2026-12-01,M01,MAIN_SET_A01.bin,0A1B,WB-07,120,4
//
// One row per fact row, in the report's order; the day as yyyy-mm-dd. Texts
// are read as every place shows a name (NameToUtf8: UTF-8 as it is, other
// bytes in the legacy encoding), so the CSV is UTF-8. A text holding a comma,
// a double quote, CR or LF is put in double quotes, each of its quotes
// doubled; every other text is written as it is. Lines end with CR LF.

#include <functional>
#include <string_view>

#include "facts/ReportFacts.h"

namespace qz {

// The header line, without its line end.
inline constexpr std::string_view kFactsCsvHeader = "day,machine,settingFile,customer,board,ok,ng";

// Writes the CSV of facts through write, in pieces of some tens of KiB, so a
// report of millions of rows is never held as one text.
void WriteFactsCsv(const ReportFacts& facts, const std::function<void(std::string_view)>& write);

}  // namespace qz

#pragma once
// A report's fact rows: the rows of its record files (records/FileFacts.h)
// that its request selects (days, machines, exclusions), with the machine
// (the file's folder), summed over the files in file order.

#include <cstdint>
#include <vector>

#include "records/CountMap.h"
#include "records/FileFacts.h"

namespace qz {

// A report's fact row: the machine folder's name and the file row's texts,
// numbers of the report's table.
struct ReportFactRow {
    std::int32_t day = 0;
    std::uint32_t machine = 0;
    std::uint32_t settingFile = 0;
    std::uint32_t customer = 0;
    std::uint32_t board = 0;
    OkNg counts;
};

// The fact rows a report selected, summed over its files in file order; a key
// (day, machine, setting file, customer, board) appears once.
struct ReportFacts {
    TextTable texts;
    std::vector<ReportFactRow> rows;
};

}  // namespace qz

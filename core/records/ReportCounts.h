#pragma once
// The counts of one record file (CReportCounts) and of a whole report
// (CReportTotals).
//
// Invariants after a file's count and after any merge: m_nOk (m_nNg) is the
// sum of the OK (NG) counts of either dimension's map, and of m_days. A map
// lists its keys in the order they were first counted; m_days lists the record
// days in ascending order.

#include <cstdint>

#include "records/CountMap.h"
#include "records/DayCounts.h"
#include "records/Dimension.h"

namespace qz {

struct CReportCounts {
    std::int64_t m_nOk = 0;
    std::int64_t m_nNg = 0;
    CCountMap m_settingFiles;  // OK and NG per setting file
    CCountMap m_machineIds;    // OK and NG per machine ID
    CDayCounts m_days;         // per record day
    // Unterminated last lines left out because their file had just changed
    // (ReportFileCounter.h).
    std::uint64_t m_linesLeftOut = 0;

    // The map of a counted dimension (kCountedDimensions); the customer throws
    // std::invalid_argument.
    CCountMap& Of(Dimension dimension);
    const CCountMap& Of(Dimension dimension) const;

    // Every counter 0, both maps and the days empty.
    void Clear();
};

struct CReportTotals : CReportCounts {
    // Adds counts; days are added day by day, and keys new to the totals follow the keys already
    // there, in counts' order.
    void Merge(const CReportCounts& counts);
};

}  // namespace qz

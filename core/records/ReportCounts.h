#pragma once
// The counts of one record file (CReportCounts) and of a whole report
// (CReportTotals).
//
// Invariants after a file's count and after any merge: the OK and NG maps of a
// dimension hold the same keys, and m_nOk (m_nNg) is the sum of either OK (NG)
// map, and of the OK (NG) counts of m_days. A map lists its keys in the order
// they were first counted; m_days lists the record days in ascending order.

#include <cstdint>

#include "records/CountMap.h"
#include "records/DayCounts.h"

namespace qz {

struct CReportCounts {
    std::int64_t m_nOk = 0;
    std::int64_t m_nNg = 0;
    CCountMap m_settingFileOk;
    CCountMap m_settingFileNg;
    CCountMap m_machineIdOk;
    CCountMap m_machineIdNg;
    CDayCounts m_days;  // per record day

    // Both counters 0, all four maps and the days empty.
    void Clear();
};

struct CReportTotals : CReportCounts {
    // Adds counts; days are added day by day, and keys new to the totals follow the keys already
    // there, in counts' order.
    void Merge(const CReportCounts& counts);
};

}  // namespace qz

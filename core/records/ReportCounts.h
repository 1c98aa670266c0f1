#pragma once
// The counts of one record file (CReportCounts, one per worker) and of a whole
// report run (CReportTotals, the process-wide g_reportTotals), and the six
// process-wide value sets of the option filters.
//
// Invariants after a parse and after a complete merge: the OK and NG maps of a
// dimension hold the same keys, and m_nOk (m_nNg) is the sum of either OK (NG)
// map. Totals are changed only on the job thread and read after it ended.

#include <cstdint>

#include "records/CountMap.h"

namespace qz {

struct CReportCounts {
    std::int32_t m_nOk = 0;
    std::int32_t m_nNg = 0;
    CCountMap m_settingFileOk;
    CCountMap m_settingFileNg;
    CCountMap m_machineIdOk;
    CCountMap m_machineIdNg;

    // Both counters 0 and all four maps empty.
    void Clear();
};

struct CReportTotals : CReportCounts {};

extern CReportTotals g_reportTotals;

// Found by the option scan; shown by the option dialog.
extern CValueSet g_foundSettingFiles;
extern CValueSet g_foundMachineIds;
extern CValueSet g_foundCustomers;
// Left unchecked in the option dialog; applied by the report parser.
extern CValueSet g_excludedSettingFiles;
extern CValueSet g_excludedMachineIds;
extern CValueSet g_excludedCustomers;

void ResetReportTotals();
// Adds counts into g_reportTotals and empties counts' four maps; its two
// counters are left as they are.
void MergeReportCounts(CReportCounts& counts);

}  // namespace qz

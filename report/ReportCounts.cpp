#include "report/ReportCounts.h"

namespace qz {

CReportTotals g_reportTotals;
CValueSet g_foundSettingFiles;
CValueSet g_foundMachineIds;
CValueSet g_foundCustomers;
CValueSet g_excludedSettingFiles;
CValueSet g_excludedMachineIds;
CValueSet g_excludedCustomers;

void CReportCounts::Clear() {
    m_nOk = 0;
    m_nNg = 0;
    m_settingFileOk.RemoveAll();
    m_settingFileNg.RemoveAll();
    m_machineIdOk.RemoveAll();
    m_machineIdNg.RemoveAll();
}

void ResetReportTotals() {
    g_reportTotals.Clear();
}

void MergeReportCounts(CReportCounts& counts) {
    (void)counts;
}

}  // namespace qz

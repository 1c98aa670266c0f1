#include "records/ReportCounts.h"

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

namespace {

void MergeMap(CCountMap& into, CCountMap& from) {
    for (const auto& [key, count] : from) {
        into.Slot(key) += count;
    }
    from.RemoveAll();
}

}  // namespace

void MergeReportCounts(CReportCounts& counts) {
    g_reportTotals.m_nOk += counts.m_nOk;
    g_reportTotals.m_nNg += counts.m_nNg;
    MergeMap(g_reportTotals.m_settingFileOk, counts.m_settingFileOk);
    MergeMap(g_reportTotals.m_settingFileNg, counts.m_settingFileNg);
    MergeMap(g_reportTotals.m_machineIdOk, counts.m_machineIdOk);
    MergeMap(g_reportTotals.m_machineIdNg, counts.m_machineIdNg);
}

}  // namespace qz

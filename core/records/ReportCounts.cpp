#include "records/ReportCounts.h"

namespace qz {

namespace {

void MergeMap(CCountMap& into, const CCountMap& from) {
    for (const auto& [key, count] : from) {
        into.Slot(key) += count;
    }
}

}  // namespace

void CReportCounts::Clear() {
    m_nOk = 0;
    m_nNg = 0;
    m_settingFileOk.RemoveAll();
    m_settingFileNg.RemoveAll();
    m_machineIdOk.RemoveAll();
    m_machineIdNg.RemoveAll();
    m_days.Clear();
}

void CReportTotals::Merge(const CReportCounts& counts) {
    m_nOk += counts.m_nOk;
    m_nNg += counts.m_nNg;
    MergeMap(m_settingFileOk, counts.m_settingFileOk);
    MergeMap(m_settingFileNg, counts.m_settingFileNg);
    MergeMap(m_machineIdOk, counts.m_machineIdOk);
    MergeMap(m_machineIdNg, counts.m_machineIdNg);
    m_days.Merge(counts.m_days);
}

}  // namespace qz

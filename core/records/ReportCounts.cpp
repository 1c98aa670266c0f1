#include "records/ReportCounts.h"

#include <stdexcept>
#include <string>
#include <utility>

namespace qz {

CCountMap& CReportCounts::Of(Dimension dimension) {
    return const_cast<CCountMap&>(std::as_const(*this).Of(dimension));
}

const CCountMap& CReportCounts::Of(Dimension dimension) const {
    switch (dimension) {
        case Dimension::SettingFile:
            return m_settingFiles;
        case Dimension::MachineId:
            return m_machineIds;
        case Dimension::Customer:
            break;
    }
    throw std::invalid_argument("the report does not count by this dimension: " +
                                std::to_string(static_cast<int>(dimension)));
}

void CReportCounts::Clear() {
    m_nOk = 0;
    m_nNg = 0;
    m_linesLeftOut = 0;
    for (const Dimension dimension : kCountedDimensions) {
        Of(dimension).RemoveAll();
    }
    m_days.Clear();
}

void CReportTotals::Merge(const CReportCounts& counts) {
    m_nOk += counts.m_nOk;
    m_nNg += counts.m_nNg;
    m_linesLeftOut += counts.m_linesLeftOut;
    for (const Dimension dimension : kCountedDimensions) {
        CCountMap& into = Of(dimension);
        for (const auto& [key, from] : counts.Of(dimension)) {
            OkNg& sum = into.Slot(key);
            sum.ok += from.ok;
            sum.ng += from.ng;
        }
    }
    m_days.Merge(counts.m_days);
}

}  // namespace qz

#include "output/ReportScriptWriter.h"

namespace qz {

void CReportScriptWriter::WriteSummaryChart() {}
void CReportScriptWriter::WriteBarChart(int) {}
void CReportScriptWriter::WriteTable(int) {}

}  // namespace qz

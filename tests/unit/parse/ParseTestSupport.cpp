#include "tests/unit/parse/ParseTestSupport.h"

#include <cstdio>
#include <cstdlib>

#include "progress/ProgressState.h"
#include "dates/OleDate.h"
#include "report/DataPaths.h"
#include "records/RecordParser.h"
#include "records/ReportCounts.h"

namespace qz::test {

Watchdog::Watchdog(std::string what, std::chrono::seconds limit)
    : m_thread([this, what = std::move(what), limit] {
          std::unique_lock lock(m_mutex);
          if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
              std::fprintf(stderr, "Watchdog: %s did not end within %lld s\n", what.c_str(),
                           static_cast<long long>(limit.count()));
              std::abort();
          }
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}

void ResetJobState(const std::string& dataPath, std::vector<std::string> machines) {
    g_cancelEvent.ResetEvent();
    g_excludedSettingFiles.RemoveAll();
    g_excludedMachineIds.RemoveAll();
    g_excludedCustomers.RemoveAll();
    ResetReportTotals();
    g_foundSettingFiles.RemoveAll();
    g_foundMachineIds.RemoveAll();
    g_foundCustomers.RemoveAll();
    g_dtReportStart = OleDate::FromParts(2018, 1, 1);
    g_dtReportEnd = OleDate::FromParts(2018, 12, 31);
    g_strReportDataPath = dataPath;
    g_machineFolderNames = std::move(machines);
}

std::map<std::string, std::int32_t> ToMap(const CCountMap& counts) {
    return {counts.begin(), counts.end()};
}

std::vector<std::string> ToVector(const CValueSet& values) {
    return {values.begin(), values.end()};
}

}  // namespace qz::test

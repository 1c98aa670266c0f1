#include "report/RecordParser.h"

#include "parse/ParseWorker.h"
#include "platform/DateParser.h"

namespace qz {

OleDate g_dtReportStart;
OleDate g_dtReportEnd;

const DateLocale& GetRecordDateLocale() {
    static DateLocale locale;
    return locale;
}

void SetRecordDateLocale(const DateLocale& locale) {
    (void)locale;
}

std::size_t SplitRecordFields(std::string_view line, std::array<std::string_view, 7>& fields) {
    (void)line;
    (void)fields;
    return 0;
}

bool OleDateLessOrEqual(const OleDate& a, const OleDate& b) {
    return a.valid && b.valid && a.value <= b.value;
}

bool IsInDateRange(const OleDate& recordDate) {
    return recordDate.valid;
}

void ParseReportFile(CParseWorker& worker) {
    worker.m_pszPath.reset();
    worker.m_idleEvent.Set();
}

}  // namespace qz

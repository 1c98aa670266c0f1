#include "records/ReportFileCounter.h"

#include <array>

#include "platform/FileAge.h"
#include "platform/TextFileReader.h"
#include "records/RecordDateRange.h"
#include "records/RecordFields.h"
#include "records/RecordLineScan.h"

namespace qz {

namespace {

// Counts one record of result ok under key.
//
// A key's first sight is out of line, so that the common case, a key seen
// before, is an inline look-up without a call.
[[gnu::noinline]] void CountNewKey(CCountMap& map, std::string_view key, bool ok) {
    map.Slot(key).Count(ok);
}

[[gnu::always_inline]] inline void CountKey(CCountMap& map, std::string_view key, bool ok) {
    if (auto* count = map.Find(key)) {
        count->Count(ok);
        return;
    }
    CountNewKey(map, key, ok);
}

// Whether the record (its fields by dimension) holds an excluded value. The
// sets are usually all empty: the caller then passes no sets and the test
// costs one comparison.
[[gnu::noinline]] bool HoldsExcluded(
    const OptionValues& excluded, const std::array<std::string_view, kDimensions.size()>& values) {
    for (const Dimension dimension : kDimensions) {
        if (excluded.Of(dimension).Contains(values[static_cast<std::size_t>(dimension)])) {
            return true;
        }
    }
    return false;
}

// The excluded values when there are any, else nullptr.
const OptionValues* AnyExcluded(const OptionValues& excluded) {
    return excluded.IsEmpty() ? nullptr : &excluded;
}

// The report days and the reader of record days, for one file.
struct RecordDates {
    RecordDayReader reader;
    ReportDays days;
};

// Counts one record given as the fields that the report reads.
[[gnu::always_inline]] inline void CountRecord(std::string_view date, std::string_view settingFile,
                                               std::string_view customer,
                                               std::string_view machineId, bool ok,
                                               RecordDates& dates, const OptionValues* excluded,
                                               CReportCounts& counts) {
    std::int32_t day = 0;
    if (!dates.reader.ReadDay(date, day) || !dates.days.Contains(day) ||
        (excluded != nullptr && HoldsExcluded(*excluded, {settingFile, machineId, customer}))) {
        return;
    }
    counts.m_days.Count(day, ok);
    ++(ok ? counts.m_nOk : counts.m_nNg);
    CountKey(counts.m_settingFiles, settingFile, ok);
    CountKey(counts.m_machineIds, machineId, ok);
}

// Counts one record line, given as its first n fields.
inline void CountRecordFields(const RecordFields& fields, std::size_t n, RecordDates& dates,
                              const OptionValues* excluded, CReportCounts& counts) {
    if (n < kMinRecordFields) {
        return;
    }
    // With six fields the result is missing, which is not "OK".
    CountRecord(fields[kDateField], fields[kSettingFileField], fields[kCustomerField],
                fields[kMachineIdField], n > kResultField && fields[kResultField] == "OK", dates,
                excluded, counts);
}

// fields is scratch space, kept by the caller across lines (clearing a new
// array per line is measurable).
[[gnu::noinline]] void CountRecordLine(std::string_view line, RecordDates& dates,
                                       const OptionValues* excluded, RecordFields& fields,
                                       CReportCounts& counts) {
    CountRecordFields(fields, SplitRecordFields(line, fields), dates, excluded, counts);
}

#if QZ_SCAN_IN_PLACE
// Counts the record lines that lie whole in the reader's buffer with a full
// scan window from their start, each as CountReportFile's loop does (cancel
// poll, count, progress), and consumes them. False when a cancel was seen.
[[QZ_SCAN_TARGET]] bool CountBufferedLines(TextFileReader& reader, RecordDates& dates,
                                           const OptionValues* excluded, RecordFields& fields,
                                           CReportCounts& counts, FileProgress& progress) {
    const std::string_view buffered = reader.Buffered();
    const char* const begin = buffered.data();
    const char* const end = begin + buffered.size();
    const std::uint64_t position = reader.GetPosition();
    const char* p = begin;
    bool cancelled = false;
    std::size_t lineBytes = 0;
    std::size_t length = 0;
    ReportLineFields line;
    while (static_cast<std::size_t>(end - p) >= kScanWindow) {
        const ReportLineScan scan = ScanReportLine(p, lineBytes, length, line);
        if (scan == ReportLineScan::NoLineEnd) {
            break;
        }
        if (progress.IsCancelled()) {
            cancelled = true;
            break;
        }
        if (scan == ReportLineScan::Fields) {
            CountRecord(line.date, line.settingFile, line.customer, line.machineId, line.ok, dates,
                        excluded, counts);
        } else if (scan == ReportLineScan::General) {
            CountRecordLine(std::string_view(p, length), dates, excluded, fields, counts);
        }
        p += lineBytes;
        progress.AfterLine(position + static_cast<std::uint64_t>(p - begin));
    }
    reader.Consume(static_cast<std::size_t>(p - begin));
    return !cancelled;
}
#endif

// The file changed within the quiet time: its unterminated last line may be
// a record still being written. A file whose time cannot be read, or lies far
// ahead of the clock, is taken as quiet.
bool IsBeingWritten(const std::string& path) {
    const auto since = TimeSinceChange(path);
    return since && std::chrono::abs(*since) < kQuietTime;
}

}  // namespace

bool CountReportFile(const std::string& path, const ReportCriteria& criteria,
                     FileProgress& progress, CReportCounts& counts) {
    counts.Clear();
    TextFileReader reader(path, ShareMode::Shared);
    RecordDates dates{RecordDayReader(criteria.dateLocale),
                      ReportDays::ForReport(criteria.dtReportStart, criteria.dtReportEnd)};
    const OptionValues* excluded = AnyExcluded(criteria.excluded);
    std::string_view line;
    RecordFields fields;
#if QZ_SCAN_IN_PLACE
    const bool scanInPlace = CanScanInPlace();
#endif
    if (reader.ReadLine(line)) {  // the header
        for (;;) {
            bool cancelled = false;
#if QZ_SCAN_IN_PLACE
            // The lines that the buffer holds; the next one the general way.
            cancelled = scanInPlace &&
                        !CountBufferedLines(reader, dates, excluded, fields, counts, progress);
#endif
            if (!cancelled && !reader.ReadLine(line)) {
                break;
            }
            if (cancelled || progress.IsCancelled()) {
                return false;
            }
            if (reader.Unterminated() && IsBeingWritten(path)) {
                ++counts.m_linesLeftOut;
                progress.AfterLine(reader.GetPosition());
                continue;
            }
            CountRecordLine(line, dates, excluded, fields, counts);
            progress.AfterLine(reader.GetPosition());
        }
    }
    // A header-only file's bytes, and the last line's where the loop ended.
    progress.AfterLine(reader.GetPosition());
    reader.ThrowIfLinesSkipped();
    return true;
}

}  // namespace qz

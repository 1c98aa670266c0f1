#include "records/RecordParser.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "jobs/ParseWorker.h"
#include "progress/ProgressState.h"
#include "dates/DateParser.h"
#include "platform/FileError.h"
#include "platform/MessageBox.h"
#include "platform/TextFileReader.h"
#include "records/RecordLineScan.h"
#include "records/ReportCounts.h"

namespace qz {

OleDate g_dtReportStart;
OleDate g_dtReportEnd;

namespace {

// Half a second in days: the tolerance of date comparisons.
constexpr double kHalfSecond = 5.787037037037037e-6;

// Fields 0..5 must be present for a record; field 6 (the result) may be missing.
constexpr std::size_t kMinRecordFields = 6;

DateLocale& RecordDateLocale() {
    static DateLocale s_locale = DateLocale::FromEnvironment();
    return s_locale;
}

// An OLE date counts the time of day forward even before day 0 (-1.25 is
// 1899-12-29 06:00), so values below 0 are not monotonic in time; this folds
// them onto one continuous line.
double ContinuousValue(double d) {
    if (d > -kHalfSecond) {
        return d;
    }
    const double day = std::ceil(d);
    return day - (d - day);
}

// OleDateLessOrEqual, here so that the per-line range test inlines it.
inline bool LessOrEqual(const OleDate& a, const OleDate& b) {
    if (!a.valid || !b.valid) {
        return false;
    }
    if (ContinuousValue(b.value) > ContinuousValue(a.value)) {
        return true;
    }
    return a.value - kHalfSecond < b.value && b.value < a.value + kHalfSecond;
}

// The report range as bounds of one file's pass, taken once from the shared
// bounds (which do not change while a job runs).
//
// The upper bound lies at 00:00:00 of the day after the end day, so that a
// record with a time of day passes on the end day up to 23:59:59. It is
// exclusive, because a record at that midnight belongs to the next day. The
// half-second tolerance of OleDateLessOrEqual moves both bounds half a second
// earlier: a record less than half a second before a midnight counts as the
// day after, which is the day its time rounds to.
struct DateRange {
    OleDate start;
    OleDate end;

    static DateRange FromReportBounds() {
        return {g_dtReportStart.DateOnly(), g_dtReportEnd.DateOnly().NextDay()};
    }

    // An invalid bound lets no record pass.
    bool Contains(const OleDate& date) const {
        return end.valid && LessOrEqual(start, date) && !LessOrEqual(end, date);
    }
};

// DateRange::Contains with the bounds' parts of LessOrEqual worked out once per
// file instead of twice per record; the same arithmetic, so the same results.
class RecordDateRange {
  public:
    explicit RecordDateRange(const DateRange& range)
        : m_open(range.start.valid && range.end.valid),
          m_start(range.start.value),
          m_end(range.end.value) {}

    bool Contains(const OleDate& date) const {
        if (!m_open || !date.valid) {
            return false;
        }
        const double cv = ContinuousValue(date.value);
        return m_start.AtMost(date.value, cv) && !m_end.AtMost(date.value, cv);
    }

    enum class DayVerdict { All, None, ByTime };

    // Whether every time of day from first (00:00:00) to last (23:59:59) of one
    // day passes, none does, or it depends on the time. From day 0 on, with
    // bounds from day 0 on, "bound <= d" is just "d > bound - h", so passing
    // is an interval of values and the day's two ends decide for all times.
    DayVerdict ClassifyDay(const OleDate& first, const OleDate& last) const {
        if (!m_open) {
            return DayVerdict::None;
        }
        if (first.value < 0 || m_start.value < 0 || m_end.value < 0) {
            return DayVerdict::ByTime;
        }
        if (Contains(first) && Contains(last)) {
            return DayVerdict::All;
        }
        if (!m_start.AtMost(last.value, last.value) || m_end.AtMost(first.value, first.value)) {
            return DayVerdict::None;
        }
        return DayVerdict::ByTime;
    }

  private:
    struct Bound {
        explicit Bound(double value)
            : value(value),
              cv(ContinuousValue(value)),
              low(value - kHalfSecond),
              high(value + kHalfSecond) {}
        // LessOrEqual(bound, d) for a valid d whose continuous value is dcv.
        bool AtMost(double d, double dcv) const { return dcv > cv || (low < d && d < high); }
        double value, cv, low, high;
    };
    bool m_open;
    Bound m_start;
    Bound m_end;
};

bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') < 10;
}

int TwoDigits(const char* s) {
    return (s[0] - '0') * 10 + (s[1] - '0');
}

// The date test of record lines: the record's date as ParseDateText reads it
// must lie in the report range. The last calendar day met is kept: records are
// written in time order, so consecutive lines nearly always share their day,
// and a line on the kept day then costs a comparison and the reading of its
// time of day instead of a full parse. Most days lie wholly inside or wholly
// outside the range; on those the time of day need not even be turned into a
// date value.
//
// Only the forms ParseDateText reads as one fixed day plus a time of day are
// kept: "yyyy/mm/dd" (or with '-'), a year of 100 or more, then nothing,
// " hh:mm" or " hh:mm:ss". Their value is exactly what OleDate::FromParts
// gives for the parts, which is built the same way below. Any other text, or a
// time that is not a valid time, goes to ParseDateText.
class RecordDateFilter {
  public:
    RecordDateFilter(const DateLocale& locale, const RecordDateRange& range)
        : m_locale(locale), m_range(range) {}

    [[gnu::always_inline]] bool Passes(std::string_view text) {
        const std::size_t n = text.size();
        if (m_haveDay && (n == 10 || n == 16 || n == 19) &&
            std::memcmp(text.data(), m_day, sizeof m_day) == 0) {
            int seconds = 0;
            if (ReadTimeOfDay(text, seconds)) {
                switch (m_verdict) {
                    case RecordDateRange::DayVerdict::All:
                        return true;
                    case RecordDateRange::DayVerdict::None:
                        return false;
                    case RecordDateRange::DayVerdict::ByTime:
                        return m_range.Contains(AtTimeOfDay(seconds));
                }
            }
        }
        return m_range.Contains(ReadNewDay(text));
    }

  private:
    static constexpr int kLastSecondOfDay = 86399;

    // seconds since midnight of " hh:mm" or " hh:mm:ss" behind the day; 0 for
    // no time. False when the text is not one of these or not a valid time.
    static bool ReadTimeOfDay(std::string_view text, int& seconds) {
        const char* s = text.data();
        const std::size_t n = text.size();
        if (n == 10) {
            seconds = 0;
            return true;
        }
        if (s[10] != ' ' || s[13] != ':' || !IsDigit(s[11]) || !IsDigit(s[12]) || !IsDigit(s[14]) ||
            !IsDigit(s[15])) {
            return false;
        }
        int second = 0;
        if (n == 19) {
            if (s[16] != ':' || !IsDigit(s[17]) || !IsDigit(s[18])) {
                return false;
            }
            second = TwoDigits(s + 17);
        }
        const int hour = TwoDigits(s + 11);
        const int minute = TwoDigits(s + 14);
        if (hour > 23 || minute > 59 || second > 59) {
            return false;
        }
        seconds = hour * 3600 + minute * 60 + second;
        return true;
    }

    // As OleDate::FromParts composes a day number and a time of day.
    OleDate AtTimeOfDay(int seconds) const {
        const double fraction = static_cast<double>(seconds) / 86400.0;
        return {m_dayValue >= 0 ? m_dayValue + fraction : m_dayValue - fraction, true};
    }

    [[gnu::noinline]] OleDate ReadNewDay(std::string_view text) {
        const OleDate date = ParseDateText(text, m_locale);
        const std::size_t n = text.size();
        if (n != 10 && n != 16 && n != 19) {
            return date;
        }
        const char* s = text.data();
        const char sep = s[4];
        for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
            if (!IsDigit(s[i])) {
                return date;
            }
        }
        if ((sep != '/' && sep != '-') || s[7] != sep) {
            return date;
        }
        const int year = TwoDigits(s) * 100 + TwoDigits(s + 2);
        if (year < 100) {
            return date;
        }
        const OleDate day = OleDate::FromParts(year, TwoDigits(s + 5), TwoDigits(s + 8));
        if (day.valid) {
            std::memcpy(m_day, s, sizeof m_day);
            m_dayValue = day.value;
            m_haveDay = true;
            m_verdict = m_range.ClassifyDay(day, AtTimeOfDay(kLastSecondOfDay));
        }
        return date;
    }

    const DateLocale& m_locale;
    const RecordDateRange& m_range;
    bool m_haveDay = false;
    char m_day[10] = {};    // the kept day's text
    double m_dayValue = 0;  // its value at 00:00:00: the day number
    RecordDateRange::DayVerdict m_verdict = RecordDateRange::DayVerdict::ByTime;
};

#if defined(__SSE2__)
std::uint64_t CommaMask16(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(','))));
}

// Bit i set when text[pos + i] is a comma, for the up to 64 bytes of the line
// from pos (size >= 16, pos < size). Reads only bytes of the line: a last
// partial block is read as the line's last 16 bytes.
std::uint64_t CommaMask(const char* text, std::size_t pos, std::size_t size) {
    const std::size_t length = std::min<std::size_t>(size - pos, 64);
    if (length < 16) {
        return CommaMask16(text + size - 16) >> (16 - length);
    }
    std::uint64_t mask = 0;
    std::size_t at = 0;
    for (; at + 16 <= length; at += 16) {
        mask |= CommaMask16(text + pos + at) << at;
    }
    if (at < length) {
        mask |= CommaMask16(text + size - 16) << (size - 16 - pos);
    }
    return mask;
}
#endif

// Counts key in the map of its result (hit); a new key enters the map of the
// other result with 0 at the same moment, so both always hold the same keys.
//
// A key's first sight is out of line, so that the common case, a key seen
// before, is an inline look-up without a call.
[[gnu::noinline]] void AddKey(CCountMap& hit, CCountMap& other, std::string_view key) {
    other.Slot(key) = 0;
    hit.Slot(key) = 1;
}

[[gnu::always_inline]] inline void CountKey(CCountMap& hit, CCountMap& other,
                                            std::string_view key) {
    if (std::int32_t* count = hit.Find(key)) {
        ++*count;
        return;
    }
    AddKey(hit, other, key);
}

// The excluded-value sets are usually empty: the test for that stays inline
// and the look-up out of line.
[[gnu::noinline]] bool SetContains(const CValueSet& set, std::string_view value) {
    return set.Contains(value);
}

inline bool IsExcluded(const CValueSet& excluded, std::string_view value) {
    return !excluded.IsEmpty() && SetContains(excluded, value);
}

// Counts one record line, given as its first n fields.
[[gnu::always_inline]] inline void CountRecordFields(const std::array<std::string_view, 7>& fields,
                                                     std::size_t n, RecordDateFilter& dates,
                                                     CReportCounts& counts) {
    if (n < kMinRecordFields) {
        return;
    }
    const std::string_view settingFile = fields[2];
    const std::string_view customer = fields[3];
    const std::string_view machineId = fields[4];
    if (!dates.Passes(fields[0]) || IsExcluded(g_excludedSettingFiles, settingFile) ||
        IsExcluded(g_excludedMachineIds, machineId) || IsExcluded(g_excludedCustomers, customer)) {
        return;
    }
    // With six fields the result is missing, which is not "OK".
    if (n > 6 && fields[6] == "OK") {
        ++counts.m_nOk;
        CountKey(counts.m_settingFileOk, counts.m_settingFileNg, settingFile);
        CountKey(counts.m_machineIdOk, counts.m_machineIdNg, machineId);
    } else {
        ++counts.m_nNg;
        CountKey(counts.m_settingFileNg, counts.m_settingFileOk, settingFile);
        CountKey(counts.m_machineIdNg, counts.m_machineIdOk, machineId);
    }
}

// fields is scratch space, kept by the caller across lines (clearing a new
// array per line is measurable).
void CountRecordLine(std::string_view line, RecordDateFilter& dates,
                     std::array<std::string_view, 7>& fields, CReportCounts& counts) {
    CountRecordFields(fields, SplitRecordFields(line, fields), dates, counts);
}

#if QZ_SCAN_IN_PLACE
// Counts the record lines that lie whole in the reader's buffer with a full
// scan window from their start, each as ParseReportFile's loop does (cancel
// poll, count, progress), and consumes them. False when a cancel was seen.
[[QZ_SCAN_TARGET]] bool CountBufferedLines(TextFileReader& reader, RecordDateFilter& dates,
                                           std::array<std::string_view, 7>& fields,
                                           CReportCounts& counts, FileProgress& progress) {
    const std::string_view buffered = reader.Buffered();
    const char* const begin = buffered.data();
    const char* const end = begin + buffered.size();
    const std::uint64_t position = reader.GetPosition();
    const char* p = begin;
    bool cancelled = false;
    std::size_t lineBytes = 0;
    std::size_t fieldCount = 0;
    while (static_cast<std::size_t>(end - p) >= kScanWindow &&
           ScanRecordLine(p, lineBytes, fields, fieldCount)) {
        if (g_cancelEvent.IsSet()) {
            cancelled = true;
            break;
        }
        CountRecordFields(fields, fieldCount, dates, counts);
        p += lineBytes;
        progress.AfterLine(position + static_cast<std::uint64_t>(p - begin));
    }
    reader.Consume(static_cast<std::size_t>(p - begin));
    return !cancelled;
}
#endif

}  // namespace

const DateLocale& GetRecordDateLocale() {
    return RecordDateLocale();
}

void SetRecordDateLocale(const DateLocale& locale) {
    RecordDateLocale() = locale;
}

std::size_t SplitRecordFields(std::string_view line, std::array<std::string_view, 7>& fields) {
    const char* const text = line.data();
    const std::size_t size = line.size();
    std::size_t n = 0;
    std::size_t start = 0;  // of the run of non-commas that the next comma ends
    std::size_t pos = 0;    // the bytes before pos are scanned
#if defined(__SSE2__)
    // This runs once per record line and its fields are short: finding the
    // commas 64 bytes at a time as a bit mask costs a fraction of a byte loop or
    // of a memchr per field.
    if (size >= 16) {
        for (; pos < size; pos += 64) {
            for (std::uint64_t mask = CommaMask(text, pos, size); mask != 0; mask &= mask - 1) {
                const std::size_t comma = pos + static_cast<std::size_t>(__builtin_ctzll(mask));
                if (comma != start) {
                    fields[n] = std::string_view(text + start, comma - start);
                    if (++n == fields.size()) {
                        return n;
                    }
                }
                start = comma + 1;
            }
        }
    }
#endif
    for (; pos < size; ++pos) {
        if (text[pos] == ',') {
            if (pos != start) {
                fields[n] = std::string_view(text + start, pos - start);
                if (++n == fields.size()) {
                    return n;
                }
            }
            start = pos + 1;
        }
    }
    if (size != start) {
        fields[n++] = std::string_view(text + start, size - start);
    }
    return n;
}

bool OleDateLessOrEqual(const OleDate& a, const OleDate& b) {
    return LessOrEqual(a, b);
}

bool IsInDateRange(const OleDate& recordDate) {
    return DateRange::FromReportBounds().Contains(recordDate);
}

void ParseReportFile(CParseWorker& worker) {
    CReportCounts& counts = worker.m_counts;
    counts.Clear();
    try {
        TextFileReader reader(*worker.m_pszPath, ShareMode::Shared);
        const RecordDateRange range(DateRange::FromReportBounds());
        RecordDateFilter dates(GetRecordDateLocale(), range);
        FileProgress progress;
        std::string_view line;
        std::array<std::string_view, 7> fields;
#if QZ_SCAN_IN_PLACE
        const bool scanInPlace = CanScanInPlace();
#endif
        if (reader.ReadLine(line)) {  // the header
            for (;;) {
                bool cancelled = false;
#if QZ_SCAN_IN_PLACE
                // The lines that the buffer holds; the next one the general way.
                cancelled =
                    scanInPlace && !CountBufferedLines(reader, dates, fields, counts, progress);
#endif
                if (!cancelled && !reader.ReadLine(line)) {
                    break;
                }
                if (cancelled || g_cancelEvent.IsSet()) {
                    reader.Close();
                    worker.m_pszPath.reset();
                    return;
                }
                CountRecordLine(line, dates, fields, counts);
                progress.AfterLine(reader.GetPosition());
            }
        }
        progress.AtEnd(reader.GetPosition());
        reader.Close();
    } catch (const FileError& error) {
        ShowMessageBox(error.ShownDescription());
    }
    worker.m_pszPath.reset();
    worker.m_idleEvent.Set();
}

}  // namespace qz

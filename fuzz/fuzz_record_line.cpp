// Record lines through the report pass of one file (one scratch record file
// per input): the field splitting agrees with a plain byte loop, the counts
// agree with a count made here line by line (date range, the three
// exclusions, "OK" or not), and the count invariants hold: each counter is
// the sum of the OK (NG) counts of either dimension's map, and the bytes added
// to the worker's progress equal the file's size.
// The file is counted just after it was written, so a last record line
// without a line end is left out (counted as such). Counts left from before
// are dropped, and merging the counts into empty totals carries them over
// whole.
//
// Input: byte 0 picks the date locale, byte 1 the date range (bits 3-5) and
// which of the header's fields 2, 3 and 4 are excluded as setting file,
// customer and machine ID (bits 0-2); the rest is the record file.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "FuzzSupport.h"
#include "dates/DateParser.h"
#include "dates/DayTime.h"
#include "progress/JobProgress.h"
#include "records/RecordFields.h"
#include "records/ReportCounts.h"
#include "records/ReportFileCounter.h"

using namespace qz;
using namespace qz::fuzz;

namespace {

using Fields = std::vector<std::string_view>;
using KeyCounts = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;  // OK, NG

const std::vector<DateLocale>& Locales() {
    static const std::vector<DateLocale> locales = [] {
        std::vector<DateLocale> all;
        for (const char* name : {"C", "en_US.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8"}) {
            all.push_back(DateLocale::FromName(name));
        }
        return all;
    }();
    return locales;
}

struct Range {
    OleDate start, end;
};

Range PickRange(int index) {
    switch (index) {
        case 0:
            return {OleDate::FromParts(2018, 5, 1), OleDate::FromParts(2018, 5, 31)};
        case 1:
            return {OleDate::FromParts(2018, 5, 3, 14, 0, 0), OleDate::FromParts(2018, 5, 3)};
        case 2:
            return {OleDate::FromParts(1899, 12, 28), OleDate::FromParts(1899, 12, 31)};
        case 3:
            return {OleDate::FromParts(100, 1, 1), OleDate::FromParts(9999, 12, 31)};
        case 4:
            return {OleDate::Invalid(), OleDate::FromParts(2018, 5, 31)};
        case 5:
            return {OleDate::FromParts(2018, 5, 31), OleDate::FromParts(2018, 5, 1)};
        case 6:
            return {OleDate::FromParts(2000, 1, 1), OleDate::FromParts(2049, 12, 31)};
        default:
            return {OleDate::FromParts(1950, 1, 1), OleDate::FromParts(1999, 12, 31)};
    }
}

// Whether record lies on a day from start's to end's, compared as calendar
// dates; false when any of them is invalid.
// at receives the record's day.
bool OnReportDay(const Range& range, const OleDate& record, std::tuple<int, int, int>& at) {
    int y, mo, d, h, mi, sec;
    const auto day = [&](const OleDate& date, std::tuple<int, int, int>& out) {
        if (!date.GetParts(y, mo, d, h, mi, sec)) {
            return false;
        }
        out = {y, mo, d};
        return true;
    };
    std::tuple<int, int, int> first, last;
    return day(range.start, first) && day(range.end, last) && day(record, at) && first <= at &&
           at <= last;
}

// Fields as runs of non-commas, at most seven.
Fields PlainSplit(std::string_view line) {
    Fields fields;
    std::size_t i = 0;
    while (i < line.size() && fields.size() < 7) {
        if (line[i] == ',') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ',') {
            ++i;
        }
        fields.push_back(line.substr(start, i - start));
    }
    return fields;
}

void CheckSplit(std::string_view line, const Fields& expected) {
    RecordFields fields;
    const std::size_t n = SplitRecordFields(line, fields);
    QZ_FUZZ_CHECK(n == expected.size());
    for (std::size_t i = 0; i < n; ++i) {
        QZ_FUZZ_CHECK(fields[i] == expected[i]);
        // A view into the line itself.
        QZ_FUZZ_CHECK(fields[i].data() >= line.data() &&
                      fields[i].data() + fields[i].size() <= line.data() + line.size());
    }
}

// One dimension: the map holds the expected keys with the expected counts;
// returns the sums of its OK and NG counts.
std::pair<std::int64_t, std::int64_t> CheckDimension(const CCountMap& map,
                                                     const KeyCounts& expected) {
    QZ_FUZZ_CHECK(map.Size() == expected.size());
    std::int64_t okSum = 0, ngSum = 0;
    for (const auto& [key, count] : map) {
        QZ_FUZZ_CHECK(map.Find(key) == &count);
        const auto it = expected.find(key);
        QZ_FUZZ_CHECK(it != expected.end());
        QZ_FUZZ_CHECK(count.ok == it->second.first && count.ng == it->second.second);
        QZ_FUZZ_CHECK(count.ok >= 0 && count.ng >= 0 && count.ok + count.ng > 0);
        okSum += count.ok;
        ngSum += count.ng;
    }
    return {okSum, ngSum};
}

void CheckCounts(const CReportCounts& counts, std::int64_t ok, std::int64_t ng,
                 const KeyCounts& settingFiles, const KeyCounts& machineIds,
                 const KeyCounts& days) {
    QZ_FUZZ_CHECK(counts.m_nOk == ok && counts.m_nNg == ng);
    // Days: ascending, so in the order of their texts, as the map holds them.
    QZ_FUZZ_CHECK(counts.m_days.Days().size() == days.size());
    auto day = days.begin();
    for (const DayCount& count : counts.m_days.Days()) {
        QZ_FUZZ_CHECK(FormatDay(count.day) == day->first && count.ok == day->second.first &&
                      count.ng == day->second.second);
        ++day;
    }
    const auto sf = CheckDimension(counts.m_settingFiles, settingFiles);
    const auto id = CheckDimension(counts.m_machineIds, machineIds);
    QZ_FUZZ_CHECK(sf.first == ok && sf.second == ng);
    QZ_FUZZ_CHECK(id.first == ok && id.second == ng);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch("records");
    if (size < 2) {
        return 0;
    }
    const DateLocale& locale = Locales()[data[0] % Locales().size()];
    const int exclusions = data[1] & 7;
    const Range range = PickRange((data[1] >> 3) & 7);
    const std::string_view file(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::vector<ExpectedLine> lines = SplitLines(file);

    ReportCriteria criteria;
    criteria.dtReportStart = range.start;
    criteria.dtReportEnd = range.end;
    criteria.dateLocale = locale;
    if (!lines.empty()) {
        const Fields header = PlainSplit(lines[0].text);
        CValueSet* const sets[] = {&criteria.excluded.settingFiles, &criteria.excluded.customers,
                                   &criteria.excluded.machineIds};
        for (std::size_t i = 0; i < 3; ++i) {
            if ((exclusions >> i & 1) && header.size() > i + 2) {
                sets[i]->Insert(header[i + 2]);
            }
        }
    }
    const OptionValues& excluded = criteria.excluded;

    // The file is counted moments after it was written: a last record line
    // without a line end may still be being written, and is left out.
    const bool lastLeftOut = lines.size() >= 2 && file.back() != '\n' && file.back() != '\r';

    // The count made here.
    std::int64_t ok = 0, ng = 0;
    KeyCounts settingFiles, machineIds, days;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const Fields fields = PlainSplit(lines[i].text);
        CheckSplit(lines[i].text, fields);
        std::tuple<int, int, int> at;
        if (i == 0 || (lastLeftOut && i + 1 == lines.size()) || fields.size() < 6 ||
            !OnReportDay(range, ParseDateText(fields[0], locale), at) ||
            excluded.settingFiles.Contains(fields[2]) || excluded.customers.Contains(fields[3]) ||
            excluded.machineIds.Contains(fields[4])) {
            continue;
        }
        const bool passed = fields.size() > 6 && fields[6] == "OK";
        (passed ? ok : ng) += 1;
        auto& sf = settingFiles[std::string(fields[2])];
        auto& id = machineIds[std::string(fields[4])];
        (passed ? sf.first : sf.second) += 1;
        (passed ? id.first : id.second) += 1;
        char dayText[16];
        std::snprintf(dayText, sizeof dayText, "%04d-%02d-%02d", std::get<0>(at), std::get<1>(at),
                      std::get<2>(at));
        auto& day = days[dayText];
        (passed ? day.first : day.second) += 1;
    }

    scratch.Write(file);
    // Counts of an earlier file, which the pass must drop.
    CReportCounts counts;
    counts.m_nOk = 3;
    counts.m_nNg = 4;
    for (CCountMap* map : {&counts.m_settingFiles, &counts.m_machineIds}) {
        map->Slot("\x01stale") = {5, 5};
    }
    counts.m_days.Count(7, true);
    JobProgress job(1);
    FileProgress progress(job, 0);
    QZ_FUZZ_CHECK(CountReportFile(scratch.path(), criteria, progress, counts));
    QZ_FUZZ_CHECK(job.ParsedBytes() == file.size());
    CheckCounts(counts, ok, ng, settingFiles, machineIds, days);
    QZ_FUZZ_CHECK(counts.m_linesLeftOut == (lastLeftOut ? 1u : 0u));

    CReportTotals totals;
    totals.Merge(counts);
    CheckCounts(totals, ok, ng, settingFiles, machineIds, days);
    return 0;
}

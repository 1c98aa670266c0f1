#include "report/ReportScope.h"

#include <algorithm>
#include <string>

#include "dates/DayTime.h"
#include "platform/Path.h"
#include "report/ScriptLiteral.h"

namespace qz {

namespace {

std::string LocalTimeText(std::time_t time) {
    std::tm parts{};
    char text[32] = "";
    if (localtime_r(&time, &parts) != nullptr) {
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts);
    }
    return text;
}

// The name of a machine folder: its path's last part.
std::string MachineName(const std::string& folder) {
    const auto separator = folder.rfind(kPathSeparator);
    return separator == std::string::npos ? folder : folder.substr(separator + 1);
}

std::vector<std::string> Values(const CValueSet& set) {
    return {set.begin(), set.end()};
}

// Every day from first to last with the counts of recordDays (ascending; days
// outside the range are left out).
std::vector<ReportScope::Day> EveryDay(std::int32_t first, std::int32_t last,
                                       const std::vector<DayCount>& recordDays) {
    std::vector<ReportScope::Day> days;
    if (last >= first) {
        days.reserve(static_cast<std::size_t>(last - first) + 1);
    }
    auto record = recordDays.begin();
    for (std::int32_t day = first; day <= last; ++day) {
        while (record != recordDays.end() && record->day < day) {
            ++record;
        }
        ReportScope::Day row{FormatDay(day), 0, 0};
        if (record != recordDays.end() && record->day == day) {
            row.ok = record->ok;
            row.ng = record->ng;
        }
        days.push_back(std::move(row));
    }
    return days;
}

// The day rows and their bounds (kEveryDayRangeLimit, kMaxDayRows) for the
// report days first to last.
void SetDays(ReportScope& scope, std::int32_t first, std::int32_t last,
             const CReportTotals& totals) {
    const std::vector<DayCount>& recordDays = totals.m_days.Days();
    const auto span = [](std::int32_t from, std::int32_t to) {
        return static_cast<std::int64_t>(to) - from + 1;
    };
    if (span(first, last) > kEveryDayRangeLimit) {
        if (recordDays.empty()) {
            return;
        }
        first = recordDays.front().day;
        last = recordDays.back().day;
    }
    if (span(first, last) <= kEveryDayRangeLimit) {
        scope.daysFrom = FormatDay(first);
        scope.daysTo = FormatDay(last);
        scope.days = EveryDay(first, last, recordDays);
    } else {
        // Days far apart: only the days with records, the latest of them.
        scope.everyDay = false;
        const std::size_t from =
            recordDays.size() > kMaxDayRows ? recordDays.size() - kMaxDayRows : 0;
        scope.dayRowsLeftOut = from;
        scope.days.reserve(recordDays.size() - from);
        for (std::size_t i = from; i < recordDays.size(); ++i) {
            scope.days.push_back(
                {FormatDay(recordDays[i].day), recordDays[i].ok, recordDays[i].ng});
        }
        scope.daysFrom = scope.days.front().day;
        scope.daysTo = scope.days.back().day;
    }
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '\'';
    AppendQuotedText(out, text, true);
    out += '\'';
}

void AppendField(std::string& out, std::string_view name) {
    out += "\t'";
    out += name;
    out += "': ";
}

// The value of one field as the script writes it.
struct ScriptValue {
    std::string& out;

    void operator()(const std::string* text) const { AppendQuoted(out, *text); }
    void operator()(const std::vector<std::string>* texts) const {
        out += '[';
        for (std::size_t i = 0; i < texts->size(); ++i) {
            out += i == 0 ? "" : ", ";
            AppendQuoted(out, (*texts)[i]);
        }
        out += ']';
    }
    void operator()(const ReportScopeField::CodeNames* pairs) const {
        out += '[';
        for (std::size_t i = 0; i < pairs->size(); ++i) {
            out += i == 0 ? "[" : ", [";
            AppendQuoted(out, (*pairs)[i].first);
            out += ", ";
            AppendQuoted(out, (*pairs)[i].second);
            out += ']';
        }
        out += ']';
    }
    void operator()(std::uint64_t count) const {
        AppendInteger(out, static_cast<std::int64_t>(count));
    }
    void operator()(bool yes) const { out += yes ? "true" : "false"; }
};

}  // namespace

ReportScope MakeReportScope(const ReportCriteria& criteria,
                            const std::vector<std::string>& machineFolders,
                            const CustomerNames& customers, const CReportTotals& totals,
                            std::uint64_t filesListed, const std::vector<std::string>& failedFiles,
                            std::time_t made) {
    ReportScope scope;
    // The report days as the count takes them (ReportDays::ForReport).
    DayTime first, last;
    const bool haveDays =
        criteria.dtReportStart.ToDayTime(first) && criteria.dtReportEnd.ToDayTime(last);
    if (haveDays) {
        scope.firstDay = FormatDay(first.day);
        scope.lastDay = FormatDay(last.day);
    }
    scope.made = LocalTimeText(made);
    for (const std::string& folder : machineFolders) {
        scope.machines.push_back(MachineName(folder));
    }
    scope.excludedSettingFiles = Values(criteria.excluded.settingFiles);
    scope.excludedMachineIds = Values(criteria.excluded.machineIds);
    for (const std::string& code : criteria.excluded.customers) {
        const auto name = customers.find(code);
        scope.excludedCustomers.emplace_back(
            code, name != customers.end() ? name->second : std::string());
    }
    scope.filesListed = filesListed;
    scope.filesFailed = failedFiles.size();
    const std::size_t named = std::min(failedFiles.size(), kMaxFailedFilesNamed);
    for (std::size_t i = 0; i < named; ++i) {
        scope.failedFiles.push_back(FailedFileName(failedFiles[i]));
    }
    scope.failedFilesMore = failedFiles.size() - named;
    scope.ok = totals.m_nOk;
    scope.ng = totals.m_nNg;
    scope.linesLeftOut = totals.m_linesLeftOut;
    if (haveDays) {
        SetDays(scope, first.day, last.day, totals);
    }
    return scope;
}

std::string FailedFileName(const std::string& path) {
    const auto file = path.rfind(kPathSeparator);
    if (file == std::string::npos || file == 0) {
        return path;
    }
    const auto folder = path.rfind(kPathSeparator, file - 1);
    return folder == std::string::npos ? path : path.substr(folder + 1);
}

std::vector<ReportScopeField> ReportScopeFields(const ReportScope& scope) {
    std::vector<ReportScopeField> fields = {
        {"firstDay", &scope.firstDay},
        {"lastDay", &scope.lastDay},
        {"made", &scope.made},
        {"machines", &scope.machines},
        {"excludedSettingFiles", &scope.excludedSettingFiles},
        {"excludedMachineIds", &scope.excludedMachineIds},
        {"excludedCustomers", &scope.excludedCustomers},
        // A file that failed was not read (what it gave before its error
        // still counts).
        {"filesRead", scope.filesListed - scope.filesFailed},
        {"filesFailed", scope.filesFailed},
        {"failedFiles", &scope.failedFiles},
        {"failedFilesMore", scope.failedFilesMore},
        {"ok", static_cast<std::uint64_t>(scope.ok)},
        {"ng", static_cast<std::uint64_t>(scope.ng)},
        {"linesLeftOut", scope.linesLeftOut},
        {"daysFrom", &scope.daysFrom},
        {"daysTo", &scope.daysTo},
        {"everyDay", bool{scope.everyDay}},
        {"dayRowsLeftOut", scope.dayRowsLeftOut},
    };
    if (scope.liveSeconds > 0) {
        const auto made =
            std::find_if(fields.begin(), fields.end(),
                         [](const ReportScopeField& field) { return field.name == "made"; });
        fields.insert(made + 1,
                      {{"live", true}, {"liveSeconds", std::uint64_t{scope.liveSeconds}}});
    }
    return fields;
}

std::string ReportScopeScript(const ReportScope& scope) {
    std::string out = "var reportScope = {\n";
    for (const ReportScopeField& field : ReportScopeFields(scope)) {
        AppendField(out, field.name);
        std::visit(ScriptValue{out}, field.value);
        out += ",\n";
    }
    AppendField(out, "days");
    out += '[';
    for (std::size_t i = 0; i < scope.days.size(); ++i) {
        const ReportScope::Day& day = scope.days[i];
        out += i == 0 ? "[" : ", [";
        AppendQuoted(out, day.day);
        out += ", ";
        AppendInteger(out, day.ok);
        out += ", ";
        AppendInteger(out, day.ng);
        out += ']';
    }
    out += "]\n};\n";
    return out;
}

}  // namespace qz

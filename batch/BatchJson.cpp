#include "batch/BatchJson.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "report/ScriptLiteral.h"

namespace qz {

namespace {

void AppendString(std::string& out, std::string_view text) {
    out += '"';
    AppendJsonText(out, text);
    out += '"';
}

void AppendName(std::string& out, std::string_view name) {
    out += '"';
    out += name;
    out += "\":";
}

// "ok":..,"ng":..,"yield":.. (yield in percent with two decimals, as the
// report page shows it). std::to_chars ignores the process locale, whose
// decimal point may be a comma.
void AppendCounts(std::string& out, std::int64_t ok, std::int64_t ng) {
    const double total = static_cast<double>(ok) + static_cast<double>(ng);
    const double yield = total > 0 ? static_cast<double>(ok) / total * 100.0 : 0.0;
    char number[32];
    out += "\"ok\":";
    out.append(number, std::to_chars(number, number + sizeof number, ok).ptr);
    out += ",\"ng\":";
    out.append(number, std::to_chars(number, number + sizeof number, ng).ptr);
    out += ",\"yield\":";
    out.append(
        number,
        std::to_chars(number, number + sizeof number, yield, std::chars_format::fixed, 2).ptr);
}

void AppendRows(std::string& out, const CCountMap& counts) {
    out += '[';
    bool first = true;
    for (const auto& [key, count] : counts) {
        out += first ? "{" : ",{";
        first = false;
        AppendName(out, "name");
        AppendString(out, key);
        out += ',';
        AppendCounts(out, count.ok, count.ng);
        out += '}';
    }
    out += ']';
}

void AppendInteger(std::string& out, std::uint64_t value) {
    char number[24];
    out.append(number, std::to_chars(number, number + sizeof number, value).ptr);
}

template <typename Texts>
void AppendValues(std::string& out, const Texts& values) {
    out += '[';
    bool first = true;
    for (const std::string& value : values) {
        if (!first) {
            out += ',';
        }
        first = false;
        AppendString(out, value);
    }
    out += ']';
}

// The value of one scope field in JSON.
struct JsonValue {
    std::string& out;

    void operator()(const std::string* text) const { AppendString(out, *text); }
    void operator()(const std::vector<std::string>* texts) const { AppendValues(out, *texts); }
    void operator()(const ReportScopeField::CodeNames* pairs) const {
        out += '[';
        for (std::size_t i = 0; i < pairs->size(); ++i) {
            out += i == 0 ? "[" : ",[";
            AppendString(out, (*pairs)[i].first);
            out += ',';
            AppendString(out, (*pairs)[i].second);
            out += ']';
        }
        out += ']';
    }
    void operator()(std::uint64_t count) const { AppendInteger(out, count); }
    void operator()(bool yes) const { out += yes ? "true" : "false"; }
};

void AppendScope(std::string& out, const ReportScope& scope) {
    out += '{';
    bool first = true;
    for (const ReportScopeField& field : ReportScopeFields(scope)) {
        if (!first) {
            out += ',';
        }
        first = false;
        AppendName(out, field.name);
        std::visit(JsonValue{out}, field.value);
    }
    out += '}';
}

void AppendDays(std::string& out, const std::vector<ReportScope::Day>& days) {
    out += '[';
    for (std::size_t i = 0; i < days.size(); ++i) {
        const ReportScope::Day& day = days[i];
        out += i == 0 ? "{" : ",{";
        AppendName(out, "day");
        AppendString(out, day.day);
        out += ',';
        if (day.ok == 0 && day.ng == 0) {
            out += "\"ok\":0,\"ng\":0,\"yield\":null";
        } else {
            AppendCounts(out, day.ok, day.ng);
        }
        out += '}';
    }
    out += ']';
}

}  // namespace

std::string ReportJson(const CReportTotals& totals, const ReportScope& scope,
                       const std::string& from, const std::string& to,
                       const std::string& scriptFolder) {
    std::string out = "{";
    AppendName(out, "from");
    AppendString(out, from);
    out += ',';
    AppendName(out, "to");
    AppendString(out, to);
    out += ',';
    AppendCounts(out, totals.m_nOk, totals.m_nNg);
    out += ',';
    AppendName(out, "settingFiles");
    AppendRows(out, totals.m_settingFiles);
    out += ',';
    AppendName(out, "machineIds");
    AppendRows(out, totals.m_machineIds);
    out += ',';
    AppendName(out, "scripts");
    AppendString(out, scriptFolder);
    out += ',';
    AppendName(out, "scope");
    AppendScope(out, scope);
    out += ',';
    AppendName(out, "days");
    AppendDays(out, scope.days);
    out += "}";
    return out;
}

std::string ScanJson(const OptionValues& found, const CustomerNames& customers) {
    std::string out = "{";
    AppendName(out, "settingFiles");
    AppendValues(out, found.settingFiles);
    out += ',';
    AppendName(out, "machineIds");
    AppendValues(out, found.machineIds);
    out += ',';
    AppendName(out, "customers");
    out += '[';
    bool first = true;
    for (const std::string& code : found.customers) {
        out += first ? "{" : ",{";
        first = false;
        AppendName(out, "code");
        AppendString(out, code);
        out += ',';
        AppendName(out, "name");
        const auto name = customers.find(code);
        if (name != customers.end()) {
            AppendString(out, name->second);
        } else {
            out += "null";
        }
        out += '}';
    }
    out += "]}";
    return out;
}

}  // namespace qz

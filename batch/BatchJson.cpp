#include "batch/BatchJson.h"

#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/NameText.h"

namespace qz {

namespace {

// Members in the order they are added.
using Json = nlohmann::ordered_json;

// A text as every place shows a name: its bytes read by NameToUtf8, whose
// result is always UTF-8 (the library rejects anything else).
Json Text(std::string_view bytes) {
    return NameToUtf8(bytes);
}

template <typename Values>
Json Texts(const Values& values) {
    Json list = Json::array();
    for (const std::string& value : values) {
        list.push_back(Text(value));
    }
    return list;
}

// "ok", "ng" and "yield" into object: the OK share in percent, 0 without
// records, or null then where nullWithoutRecords says so.
void AddCounts(Json& object, std::int64_t ok, std::int64_t ng, bool nullWithoutRecords = false) {
    object["ok"] = ok;
    object["ng"] = ng;
    const double total = static_cast<double>(ok) + static_cast<double>(ng);
    if (total == 0 && nullWithoutRecords) {
        object["yield"] = nullptr;
    } else {
        object["yield"] = total > 0 ? static_cast<double>(ok) / total * 100.0 : 0.0;
    }
}

Json Rows(const CCountMap& counts) {
    Json rows = Json::array();
    for (const auto& [key, count] : counts) {
        Json row = {{"name", Text(key)}};
        AddCounts(row, count.ok, count.ng);
        rows.push_back(std::move(row));
    }
    return rows;
}

// The value of one scope field.
struct ScopeValue {
    Json operator()(const std::string* text) const { return Text(*text); }
    Json operator()(const std::vector<std::string>* texts) const { return Texts(*texts); }
    Json operator()(const ReportScopeField::CodeNames* pairs) const {
        Json list = Json::array();
        for (const auto& [code, name] : *pairs) {
            list.push_back(Json::array({Text(code), Text(name)}));
        }
        return list;
    }
    Json operator()(std::uint64_t count) const { return count; }
    Json operator()(bool yes) const { return yes; }
};

Json Scope(const ReportScope& scope) {
    Json object = Json::object();
    for (const ReportScopeField& field : ReportScopeFields(scope)) {
        object[field.name] = std::visit(ScopeValue{}, field.value);
    }
    return object;
}

Json Days(const std::vector<ReportScope::Day>& days) {
    Json rows = Json::array();
    for (const ReportScope::Day& day : days) {
        Json row = {{"day", Text(day.day)}};
        AddCounts(row, day.ok, day.ng, true);
        rows.push_back(std::move(row));
    }
    return rows;
}

// The library writes the document, but for its doubles: it gives a double's
// shortest form (100.0, 33.333333333333336), and the only doubles here are
// yields, written with two decimals as the report page shows them (100.00,
// 33.33). std::to_chars ignores the process locale, whose decimal point may
// be a comma. Strings are ASCII: characters beyond it are \u escapes.
void Write(std::string& out, const Json& value) {
    switch (value.type()) {
        case Json::value_t::object: {
            out += '{';
            bool first = true;
            for (const auto& [name, member] : value.items()) {
                out += first ? "" : ",";
                first = false;
                out += Json(name).dump(-1, ' ', true);
                out += ':';
                Write(out, member);
            }
            out += '}';
            return;
        }
        case Json::value_t::array: {
            out += '[';
            bool first = true;
            for (const Json& element : value) {
                out += first ? "" : ",";
                first = false;
                Write(out, element);
            }
            out += ']';
            return;
        }
        case Json::value_t::number_float: {
            char number[32];
            const double yield = value.get<double>();
            out.append(number, std::to_chars(number, number + sizeof number, yield,
                                             std::chars_format::fixed, 2)
                                   .ptr);
            return;
        }
        default:
            out += value.dump(-1, ' ', true);
            return;
    }
}

std::string Written(const Json& document) {
    std::string out;
    Write(out, document);
    return out;
}

}  // namespace

std::string ReportJson(const CReportTotals& totals, const ReportScope& scope,
                       const std::string& from, const std::string& to,
                       const std::string& scriptFolder) {
    Json document = {{"from", Text(from)}, {"to", Text(to)}};
    AddCounts(document, totals.m_nOk, totals.m_nNg);
    document["settingFiles"] = Rows(totals.m_settingFiles);
    document["machineIds"] = Rows(totals.m_machineIds);
    document["scripts"] = Text(scriptFolder);
    document["scope"] = Scope(scope);
    document["days"] = Days(scope.days);
    return Written(document);
}

std::string ScanJson(const OptionValues& found, const CustomerNames& customers) {
    Json list = Json::array();
    for (const std::string& code : found.customers) {
        const auto name = customers.find(code);
        list.push_back({{"code", Text(code)},
                        {"name", name != customers.end() ? Text(name->second) : Json(nullptr)}});
    }
    Json document = {{"settingFiles", Texts(found.settingFiles)},
                     {"machineIds", Texts(found.machineIds)}};
    document["customers"] = std::move(list);
    return Written(document);
}

}  // namespace qz

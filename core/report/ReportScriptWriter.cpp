#include "report/ReportScriptWriter.h"

#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

#include "platform/FileError.h"
#include "platform/FolderLock.h"
#include "platform/Path.h"
#include "platform/TextFileWriter.h"
#include "records/CountMap.h"
#include "report/ScriptLiteral.h"

namespace qz {

namespace {

// The templates are stored as printf-style texts: "%d" a signed integer, "%f"
// a number with six decimals, "%s" a text, "%%" one percent sign. Each is one
// line; its indentation is tab characters.

constexpr std::string_view kPieTemplate =
    "google.load(\"visualization\", \"1\", {packages:[\"corechart\"]});"
    " \t\t\tgoogle.setOnLoadCallback(drawChartSummary);"
    " \t\t\tfunction drawChartSummary() {"
    " \t\t\t\tvar data = google.visualization.arrayToDataTable(["
    " \t\t\t\t\t['Result', 'Number'],"
    " \t\t\t\t\t['OK',     %d],"
    " \t\t\t\t\t['NG',     %d],"
    " \t\t\t\t]);"
    " \t\t\tvar options = {"
    " \t\t\t\tis3D: true,"
    " \t\t\t\tchartArea: {"
    " \t\t\t\t\tleft: '25%%',"
    "\t\t\t\t},"
    " \t\t\t\tbackgroundColor: 'transparent'"
    " \t\t\t};"
    " \t\t\tvar chart = new "
    "google.visualization.PieChart(document.getElementById('chartContent'));"
    " \t\t\tchart.draw(data, options);"
    " \t\t\t}";

constexpr std::string_view kBarTemplate =
    "google.load(\"visualization\", \"1\", {packages:[\"bar\"]});"
    " \t\t\tfunction %s {"
    " \t\t\tvar data = google.visualization.arrayToDataTable(["
    " \t\t\t\t[\"%s\", \"Yield(%%)\"],"
    " \t\t\t\t%s"
    " \t\t\t]);"
    " \t\t\tvar options = {"
    " \t\t\t\twidth: 1000,"
    " \t\t\t\t%s"
    " \t\t\t\tbars: 'horizontal',"
    " \t\t\t\tlegend: { position: \"none\" },"
    " \t\t\t\taxes: {"
    " \t\t\t\t\tx: {"
    " \t\t\t\t\t\t0: { side: \"bottom\", label: \"Yield(%%)\"}"
    " \t\t\t\t\t},"
    " \t\t\t\t},"
    " \t\t\t\tchartArea: {"
    " \t\t\t\t\tright: 200,"
    " \t\t\t\t},"
    " \t\t\t\tbar: {groupWidth: \"95%%\"},"
    " \t\t\t};"
    " \t\t\tvar chart = new google.charts.Bar(document.getElementById(\"chartContent\"));"
    " \t\t\tchart.draw(data, options);"
    " \t\t\t}";

constexpr std::string_view kTableTemplate =
    "google.load(\"visualization\", '1', {packages:['table']});"
    " \t\t\t%s"
    " \t\t\tfunction %s {"
    " \t\t\t\tvar data = new google.visualization.DataTable();"
    " \t\t\t\tdata.addColumn('string', '%s');"
    " \t\t\t\tdata.addColumn('number', 'OK');"
    " \t\t\t\tdata.addColumn('number', 'NG');"
    " \t\t\t\tdata.addColumn('number', 'Yield(%%)');"
    " \t\t\t\tdata.addRows(["
    " \t\t\t\t%s"
    " \t\t\t\t]);"
    " \t\t\t\tvar table = new "
    "google.visualization.Table(document.getElementById('tableContent'));"
    " \t\t\t\ttable.draw(data, {showRowNumber: %s});"
    " \t\t\t}";

// The stored lengths guard against a lost tab or blank.
static_assert(kPieTemplate.size() == 516);
static_assert(kBarTemplate.size() == 541);
static_assert(kTableTemplate.size() == 454);

constexpr std::string_view kBarRowFormat = "['%s', %f],";
constexpr std::string_view kTableRowFormat = "['%s', %d, %d, %f],";
constexpr std::string_view kSummaryRowFormat = "['Summary', %d, %d, %f],";
constexpr std::string_view kHeightFormat = "height: '%d',";
constexpr std::string_view kSummaryCallbackLine = "google.setOnLoadCallback(drawTableSummary);";

constexpr char kReportBusyMessage[] =
    "Another report is being written. This report was not written; the last report is kept in ";

// The names of the scripts of one view of the report: the summary or a
// counted dimension.
struct ViewNames {
    std::string_view chartFunction;
    std::string_view tableFunction;
    std::string_view chartFile;
    std::string_view tableFile;
    std::string_view columnTitle;
};

constexpr ViewNames kSummaryNames = {"drawChartSummary()", "drawTableSummary()", "chartSummary.js",
                                     "tableSummary.js", ""};
constexpr ViewNames kSettingFileNames = {"drawChartSettingFile()", "drawTableSettingFile()",
                                         "chartSettingFile.js", "tableSettingFile.js",
                                         "Setting File"};
constexpr ViewNames kMachineIdNames = {"drawChartMachineId()", "drawTableMachineId()",
                                       "chartMachineId.js", "tableMachineId.js", "Machine ID"};

// A key placed inside a single-quoted script literal. A key that is UTF-8 text
// reads back as its characters, as the lists of the program show it; any other
// key reads back as its exact bytes.
struct QuotedKey {
    std::string_view text;
};

using Field = std::variant<std::int64_t, double, std::string_view, QuotedKey>;

void AppendFixed6(std::string& out, double value) {
    char buffer[400];  // DBL_MAX in fixed notation fits
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    if (result.ec != std::errc()) {
        throw std::logic_error("number does not fit its buffer");
    }
    out.append(buffer, result.ptr);
}

// Appends format to out with its fields replaced by fields in order. The field
// types must match the format's conversions; a mismatch is a programming error.
void AppendFormatted(std::string& out, std::string_view format,
                     std::initializer_list<Field> fields) {
    const Field* next = fields.begin();
    auto take = [&]() -> const Field& {
        if (next == fields.end()) {
            throw std::logic_error("format has more fields than arguments");
        }
        return *next++;
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            out += c;
            continue;
        }
        const char conversion = format[++i];
        switch (conversion) {
            case '%':
                out += '%';
                break;
            case 'd':
                AppendInteger(out, std::get<std::int64_t>(take()));
                break;
            case 'f':
                AppendFixed6(out, std::get<double>(take()));
                break;
            case 's': {
                const Field& field = take();
                if (const auto* key = std::get_if<QuotedKey>(&field)) {
                    AppendQuotedText(out, key->text);
                } else {
                    out += std::get<std::string_view>(field);
                }
                break;
            }
            default:
                throw std::logic_error("unknown format conversion");
        }
    }
    if (next != fields.end()) {
        throw std::logic_error("format has fewer fields than arguments");
    }
}

double Yield(std::int64_t ok, std::int64_t ng) {
    return static_cast<double>(ok) / (static_cast<double>(ok) + static_cast<double>(ng)) * 100.0;
}

// The names of a counted dimension's scripts; the customer throws
// std::invalid_argument.
const ViewNames& NamesOf(Dimension dimension) {
    switch (dimension) {
        case Dimension::SettingFile:
            return kSettingFileNames;
        case Dimension::MachineId:
            return kMachineIdNames;
        case Dimension::Customer:
            break;
    }
    throw std::invalid_argument("the report does not count by this dimension: " +
                                std::to_string(static_cast<int>(dimension)));
}

}  // namespace

CReportScriptWriter::CReportScriptWriter(const CReportTotals& totals, std::string scriptFolder)
    : m_totals(totals), m_scriptFolder(std::move(scriptFolder)) {}

std::string CReportScriptWriter::SummaryChartScript() const {
    std::string script;
    AppendFormatted(script, kPieTemplate, {m_totals.m_nOk, m_totals.m_nNg});
    return script;
}

std::string CReportScriptWriter::BarChartScript(Dimension dimension) const {
    const ViewNames& names = NamesOf(dimension);

    std::string rows;
    std::int64_t rowCount = 0;
    for (const auto& [key, count] : m_totals.Of(dimension)) {
        ++rowCount;
        AppendFormatted(rows, kBarRowFormat, {QuotedKey{key}, Yield(count.ok, count.ng)});
    }

    // Up to five rows the chart keeps the library's default height.
    std::string height;
    if (rowCount * 100 > 500) {
        AppendFormatted(height, kHeightFormat, {rowCount * 100});
    }

    std::string script;
    AppendFormatted(
        script, kBarTemplate,
        {names.chartFunction, names.columnTitle, std::string_view(rows), std::string_view(height)});
    return script;
}

std::string CReportScriptWriter::SummaryTableScript() const {
    const std::int64_t ok = m_totals.m_nOk;
    const std::int64_t ng = m_totals.m_nNg;
    std::string rows;
    AppendFormatted(rows, kSummaryRowFormat, {ok, ng, Yield(ok, ng)});
    std::string script;
    AppendFormatted(script, kTableTemplate,
                    {kSummaryCallbackLine, kSummaryNames.tableFunction, kSummaryNames.columnTitle,
                     std::string_view(rows), std::string_view("false")});
    return script;
}

std::string CReportScriptWriter::TableScript(Dimension dimension) const {
    const ViewNames& names = NamesOf(dimension);
    std::string rows;
    for (const auto& [key, count] : m_totals.Of(dimension)) {
        AppendFormatted(rows, kTableRowFormat,
                        {QuotedKey{key}, count.ok, count.ng, Yield(count.ok, count.ng)});
    }
    std::string script;
    AppendFormatted(script, kTableTemplate,
                    {std::string_view(), names.tableFunction, names.columnTitle,
                     std::string_view(rows), std::string_view("true")});
    return script;
}

std::vector<FileError> CReportScriptWriter::WriteAll(const std::vector<ScriptFile>& more) {
    // The six in report order: summary chart, bar charts, summary table,
    // tables; the charts and tables of the counted dimensions in their order.
    constexpr std::size_t kSixCount = 6;
    std::vector<std::string> paths = {
        m_scriptFolder + std::string(kSummaryNames.chartFile),
        m_scriptFolder + std::string(kSettingFileNames.chartFile),
        m_scriptFolder + std::string(kMachineIdNames.chartFile),
        m_scriptFolder + std::string(kSummaryNames.tableFile),
        m_scriptFolder + std::string(kSettingFileNames.tableFile),
        m_scriptFolder + std::string(kMachineIdNames.tableFile),
    };
    static_assert(kCountedDimensions[0] == Dimension::SettingFile &&
                  kCountedDimensions[1] == Dimension::MachineId);
    for (const ScriptFile& file : more) {
        paths.push_back(m_scriptFolder + file.name);
    }
    const std::size_t scriptCount = paths.size();
    std::vector<FileError> errors;
    {
        // Another report writing the same folder (the batch command and the
        // program share it) is waited for a few seconds, so that the scripts
        // come from one report; after that this report writes nothing.
        const FolderLock lock(m_scriptFolder);
        if (!lock.Held()) {
            const FileError error =
                lock.Busy() ? FileError(kReportBusyMessage + ToNativePath(m_scriptFolder))
                            : FileError(m_scriptFolder, lock.Failure());
            errors.push_back(error);
        } else {
            // What a report stopped part-way left beside the scripts.
            for (const std::string& path : paths) {
                RemoveLeftoverReplacements(path);
            }
            // All or nothing: every script is written in full beside its
            // place before the first is renamed into it. When one cannot be,
            // none is renamed (the new files go with `files`), so the folder
            // keeps the last report whole.
            std::vector<std::optional<ReplacementFile>> files(scriptCount);
            for (std::size_t i = 0; i < scriptCount && errors.empty(); ++i) {
                try {
                    if (i >= kSixCount) {
                        files[i].emplace(paths[i], more[i - kSixCount].text);
                        continue;
                    }
                    const std::string script = i == 0   ? SummaryChartScript()
                                               : i < 3  ? BarChartScript(kCountedDimensions[i - 1])
                                               : i == 3 ? SummaryTableScript()
                                                        : TableScript(kCountedDimensions[i - 4]);
                    files[i].emplace(paths[i], script);
                } catch (const FileError& error) {
                    errors.push_back(error);
                }
            }
            for (std::size_t i = 0; i < scriptCount && errors.empty(); ++i) {
                // A rename within one folder fails only when the folder changes
                // under it; the first failure ends the renames and is told.
                try {
                    files[i]->Commit();
                } catch (const FileError& error) {
                    errors.push_back(error);
                }
            }
        }
    }
    return errors;
}

}  // namespace qz

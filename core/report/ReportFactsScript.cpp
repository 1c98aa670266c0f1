#include "report/ReportFactsScript.h"

#include <limits>
#include <stdexcept>

#include "dates/DayTime.h"
#include "report/ReportScriptWriter.h"
#include "report/ScriptLiteral.h"

namespace qz {

namespace {

constexpr std::uint32_t kUnnumbered = std::numeric_limits<std::uint32_t>::max();

// text in a double-quoted literal: escaped as the scope script's texts, whose
// escapes never hold a double quote, so the text's own quotes are the only
// ones to escape.
void AppendDoubleQuoted(std::string& out, std::string_view text) {
    std::string escaped;
    AppendQuotedText(escaped, text, true);
    out += '"';
    for (const char c : escaped) {
        if (c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
}

// The texts the rows name, numbered in the order the rows first name them:
// a report's table may hold texts of rows it did not select.
class UsedTexts {
  public:
    explicit UsedTexts(const std::vector<std::string>& texts)
        : m_texts(texts), m_numbers(texts.size(), kUnnumbered) {}

    std::uint32_t Number(std::uint32_t text) {
        if (text >= m_texts.size()) {
            throw std::out_of_range("a fact row names a text the table does not hold");
        }
        std::uint32_t& number = m_numbers[text];
        if (number == kUnnumbered) {
            number = static_cast<std::uint32_t>(m_order.size());
            m_order.push_back(text);
        }
        return number;
    }

    // The customer list's names of the customer codes the rows name, as
    // "code": "name" pairs in the order the rows first name the codes.
    void AppendCustomerNames(std::string& out, const std::vector<ReportFactRow>& rows,
                             const CustomerNames& customers) const {
        std::vector<bool> written(m_texts.size(), false);
        out += '{';
        bool first = true;
        for (const ReportFactRow& row : rows) {
            if (written[row.customer]) {
                continue;
            }
            written[row.customer] = true;
            const auto name = customers.find(m_texts[row.customer]);
            if (name == customers.end()) {
                continue;
            }
            out += first ? "" : ", ";
            first = false;
            AppendDoubleQuoted(out, name->first);
            out += ": ";
            AppendDoubleQuoted(out, name->second);
        }
        out += '}';
    }

    void AppendTexts(std::string& out) const {
        out += '[';
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            out += i == 0 ? "" : ", ";
            AppendDoubleQuoted(out, m_texts[m_order[i]]);
        }
        out += ']';
    }

  private:
    const std::vector<std::string>& m_texts;
    std::vector<std::uint32_t> m_numbers;  // by the table's number; kUnnumbered: not named
    std::vector<std::uint32_t> m_order;    // the table's numbers in the order first named
};

void AppendRow(std::string& out, const ReportFactRow& row, UsedTexts& texts) {
    out += '[';
    AppendInteger(out, static_cast<std::int64_t>(row.day) + day_time::kEpoch);
    for (const std::uint32_t text : {row.machine, row.settingFile, row.customer, row.board}) {
        out += ',';
        AppendInteger(out, texts.Number(text));
    }
    out += ',';
    AppendInteger(out, row.counts.ok);
    out += ',';
    AppendInteger(out, row.counts.ng);
    out += ']';
}

}  // namespace

std::string ReportFactsScript(const std::vector<std::string>& texts,
                              const std::vector<ReportFactRow>& rows,
                              const CustomerNames& customers, std::size_t bound) {
    const bool complete = rows.size() <= bound;
    std::string out = "var reportFacts = {\"version\": ";
    AppendInteger(out, kReportFactsVersion);
    out += ", \"complete\": ";
    out += complete ? "true" : "false";
    out += ", \"rowCount\": ";
    AppendInteger(out, static_cast<std::int64_t>(rows.size()));
    out += ", \"bound\": ";
    AppendInteger(out, static_cast<std::int64_t>(bound));
    out += ",\n";

    // The rows first: they number the texts. A row takes about 27 bytes.
    UsedTexts used(texts);
    std::string rowText;
    if (complete) {
        rowText.reserve(rows.size() * 32);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rowText += i == 0 ? "\n" : ",\n";
            AppendRow(rowText, rows[i], used);
        }
    }
    out += "\"texts\": ";
    used.AppendTexts(out);
    out += ",\n\"customerNames\": ";
    used.AppendCustomerNames(out, complete ? rows : std::vector<ReportFactRow>{}, customers);
    out += ",\n\"rows\": [";
    out += rowText;
    out += "]};\n";
    return out;
}

std::string ReportFactsScript(const ReportFacts& facts, const CustomerNames& customers,
                              std::size_t bound) {
    return ReportFactsScript(facts.texts.Texts(), facts.rows, customers, bound);
}

std::vector<FileError> WriteReportScripts(const CReportTotals& totals, const ReportScope& scope,
                                          const ReportFacts& facts, const std::string& scriptFolder,
                                          const CustomerNames& customers) {
    return CReportScriptWriter(totals, scriptFolder)
        .WriteAll({{std::string(kReportScopeFileName), ReportScopeScript(scope)},
                   {std::string(kReportFactsFileName), ReportFactsScript(facts, customers)}});
}

}  // namespace qz

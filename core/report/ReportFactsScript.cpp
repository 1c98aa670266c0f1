#include "report/ReportFactsScript.h"

#include <charconv>
#include <limits>
#include <stdexcept>
#include <system_error>

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

// The number of characters of value written in decimal.
std::size_t DecimalLength(std::int64_t value) {
    std::size_t length = value < 0 ? 2 : 1;
    const auto bits = static_cast<std::uint64_t>(value);
    for (std::uint64_t magnitude = value < 0 ? 0 - bits : bits; magnitude >= 10; magnitude /= 10) {
        ++length;
    }
    return length;
}

std::int64_t DayNumber(const ReportFactRow& row) {
    return static_cast<std::int64_t>(row.day) + day_time::kEpoch;
}

// Numbers the texts the rows name, in the order they first name them, and
// gives the characters the rows take in the script, separators included.
std::size_t NumberTexts(const std::vector<ReportFactRow>& rows, UsedTexts& texts) {
    std::size_t length = 0;
    for (const ReportFactRow& row : rows) {
        // ",\n" before it (the first row's "\n" is one less), "[", "]" and six commas.
        length += 2 + 8 + DecimalLength(DayNumber(row)) + DecimalLength(row.counts.ok) +
                  DecimalLength(row.counts.ng);
        for (const std::uint32_t text : {row.machine, row.settingFile, row.customer, row.board}) {
            length += DecimalLength(texts.Number(text));
        }
    }
    return length;
}

// Writes into a buffer measured beforehand: no capacity check per character;
// a wrong measure throws rather than writes past the end.
class MeasuredWriter {
  public:
    MeasuredWriter(char* begin, char* end) : m_next(begin), m_end(end) {}

    void Put(char c) {
        if (m_next == m_end) {
            throw std::logic_error("the facts script's rows were measured short");
        }
        *m_next++ = c;
    }
    void Put(std::int64_t value) {
        const auto result = std::to_chars(m_next, m_end, value);
        if (result.ec != std::errc{}) {
            throw std::logic_error("the facts script's rows were measured short");
        }
        m_next = result.ptr;
    }
    char* Next() const { return m_next; }

  private:
    char* m_next;
    char* m_end;
};

// Appends the rows, whose texts NumberTexts numbered and whose characters it
// gave as length.
void AppendRows(std::string& out, const std::vector<ReportFactRow>& rows, UsedTexts& texts,
                std::size_t length) {
    const std::size_t start = out.size();
    out.resize(start + length);
    MeasuredWriter writer(out.data() + start, out.data() + out.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ReportFactRow& row = rows[i];
        if (i != 0) {
            writer.Put(',');
        }
        writer.Put('\n');
        writer.Put('[');
        writer.Put(DayNumber(row));
        for (const std::uint32_t text : {row.machine, row.settingFile, row.customer, row.board}) {
            writer.Put(',');
            writer.Put(std::int64_t{texts.Number(text)});
        }
        writer.Put(',');
        writer.Put(row.counts.ok);
        writer.Put(',');
        writer.Put(row.counts.ng);
        writer.Put(']');
    }
    out.resize(static_cast<std::size_t>(writer.Next() - out.data()));
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

    // The texts are numbered in a first pass over the rows, which also
    // measures them, so that the rows go straight into the script.
    UsedTexts used(texts);
    const std::vector<ReportFactRow> none;
    const std::vector<ReportFactRow>& written = complete ? rows : none;
    const std::size_t rowsLength = NumberTexts(written, used);
    out += "\"texts\": ";
    used.AppendTexts(out);
    out += ",\n\"customerNames\": ";
    used.AppendCustomerNames(out, written, customers);
    out += ",\n\"rows\": [";
    constexpr std::string_view kEnd = "]};\n";
    out.reserve(out.size() + rowsLength + kEnd.size());
    AppendRows(out, written, used, rowsLength);
    out += kEnd;
    return out;
}

std::string ReportFactsScript(const ReportFacts& facts, const CustomerNames& customers,
                              std::size_t bound) {
    return ReportFactsScript(facts.texts.Texts(), facts.rows, customers, bound);
}

std::vector<FileError> WriteReportScripts(const CReportTotals& totals, const ReportScope& scope,
                                          const ReportFacts& facts, const std::string& scriptFolder,
                                          const CustomerNames& customers) {
    // Built in place: a list of the scripts would be copied, and the facts
    // script may take tens of megabytes.
    std::vector<ScriptFile> scripts;
    scripts.reserve(2);
    scripts.push_back({std::string(kReportScopeFileName), ReportScopeScript(scope)});
    scripts.push_back({std::string(kReportFactsFileName), ReportFactsScript(facts, customers)});
    return CReportScriptWriter(totals, scriptFolder).WriteAll(scripts);
}

}  // namespace qz

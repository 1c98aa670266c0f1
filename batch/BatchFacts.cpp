#include "batch/BatchFacts.h"

#include <string>
#include <vector>

#include "dates/DayTime.h"
#include "platform/NameText.h"
#include "report/ScriptLiteral.h"

namespace qz {

namespace {

constexpr std::size_t kPieceSize = 64 * 1024;

// A text as one CSV field.
std::string Field(std::string_view bytes) {
    std::string text = NameToUtf8(bytes);
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    quoted += '"';
    return quoted;
}

}  // namespace

void WriteFactsCsv(const ReportFacts& facts, const std::function<void(std::string_view)>& write) {
    // Each text is made a field once; rows refer to texts by number.
    std::vector<std::string> fields;
    fields.reserve(facts.texts.Size());
    for (const std::string& text : facts.texts.Texts()) {
        fields.push_back(Field(text));
    }
    std::string out(kFactsCsvHeader);
    out += "\r\n";
    std::int32_t shownDay = 0;
    std::string dayText;
    for (const ReportFactRow& row : facts.rows) {
        // Rows of one day tend to follow each other.
        if (dayText.empty() || row.day != shownDay) {
            shownDay = row.day;
            dayText = FormatDay(row.day);
        }
        out += dayText;
        for (const std::uint32_t text : {row.machine, row.settingFile, row.customer, row.board}) {
            out += ',';
            out += fields[text];
        }
        out += ',';
        AppendInteger(out, row.counts.ok);
        out += ',';
        AppendInteger(out, row.counts.ng);
        out += "\r\n";
        if (out.size() >= kPieceSize) {
            write(out);
            out.clear();
        }
    }
    write(out);
}

}  // namespace qz

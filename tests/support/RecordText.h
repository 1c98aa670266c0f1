#pragma once
// The text of record files for tests: the header line the machines write
// first, and record lines made from their fields.

#include <string>
#include <string_view>
#include <vector>

namespace qz::test {

// The header line, without its line end.
inline constexpr std::string_view kRecordHeader =
    "Date,Cable,Setting File,Customer,Machine ID,Count,Result";

// A record's seven fields in file order. The defaults are a passed write on
// 2018/05/03, so a test names only the fields it is about.
struct RecordValues {
    std::string date = "2018/05/03";
    std::string cable = "C1";
    std::string settingFile = "S1";
    std::string customer = "CU";
    std::string machineId = "M1";
    std::string count = "3";
    std::string result = "OK";
};

// Fields joined by ',' as they are (empty ones included), without a line end.
std::string JoinFields(const std::vector<std::string>& fields);

// One record line, with its line end.
std::string RecordLine(const RecordValues& fields, std::string_view eol = "\n");
std::string RecordLine(std::string_view date, std::string_view settingFile,
                       std::string_view customer, std::string_view machineId,
                       std::string_view result, std::string_view eol = "\n");

// The bytes of a record file, built line by line: the header (unless
// NoHeader), then each line with the current line end.
class RecordFileText {
  public:
    explicit RecordFileText(std::string_view eol = "\n");

    // Without the header line: a file that starts with a record.
    static RecordFileText NoHeader(std::string_view eol = "\n");

    // The line end of the lines added from now on.
    RecordFileText& Eol(std::string_view eol);
    // copies times the record line of values.
    RecordFileText& Add(const RecordValues& values, std::size_t copies = 1);
    // A line of any text (a broken record, a blank line), with the line end.
    RecordFileText& AddText(std::string_view line);
    // Text as it is: lines that carry their own line ends, or a last line
    // without one.
    RecordFileText& Append(std::string_view text);

    const std::string& bytes() const { return m_bytes; }
    operator const std::string&() const { return m_bytes; }
    operator std::string_view() const { return m_bytes; }

  private:
    struct Bare {};
    RecordFileText(Bare, std::string_view eol) : m_eol(eol) {}

    std::string m_eol;
    std::string m_bytes;
};

}  // namespace qz::test

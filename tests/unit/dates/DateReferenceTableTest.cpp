// Every text of the reference table of date texts, read in each of its
// locales, must give the table's result, except for the few rows listed in
// kDeliberateDifferences.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "DateTestSupport.h"
#include "dates/DateParser.h"

namespace qz::test {
namespace {

// The year the table was made in: its dates without a year carry it.
constexpr int kTableYear = 2026;

struct Difference {
    const char* input;
    const char* column;  // a locale column, or nullptr for all of them
    const char* ours;
    const char* why;
};

constexpr Difference kDeliberateDifferences[] = {
    {"65536/1/1", nullptr, "ERR",
     "a year of 65536 is out of range; the table's result wraps it to 16 bits"},
    {"10:00 PX", nullptr, "ERR",
     "\"px\" is no AM/PM marker; the table lets \"p\" swallow a letter"},
    {"2018/05/03 10:00 ax", nullptr, "ERR",
     "\"ax\" is no AM/PM marker; the table lets \"a\" swallow a letter"},
    {"Sep 9 2018", "en_GB", "2018-09-09 00:00:00",
     "month names come from the system's locale data, whose en_GB abbreviation is \"Sep\""},
};

const Difference* FindDifference(const std::string& input, const std::string& column) {
    for (const Difference& d : kDeliberateDifferences)
        if (input == d.input && (d.column == nullptr || column == d.column))
            return &d;
    return nullptr;
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}

TEST(DateReferenceTable, EveryRowInEveryLocale) {
    std::ifstream file(QZ_DATE_TABLE_PATH);
    ASSERT_TRUE(file) << "the reference table of date texts is missing: " << QZ_DATE_TABLE_PATH;

    std::string line;
    ASSERT_TRUE(std::getline(file, line)) << "the reference table is empty";
    const std::vector<std::string> header = SplitTabs(line);
    ASSERT_GE(header.size(), 2u);
    ASSERT_EQ(header[0], "input");

    // Columns between "input" and "group" are locales.
    std::vector<std::string> columns;
    std::vector<DateLocale> locales;
    for (std::size_t c = 1; c < header.size() && header[c] != "group"; ++c) {
        columns.push_back(header[c]);
        locales.push_back(LoadLocale(header[c] + ".UTF-8", kTableYear));
    }
    ASSERT_FALSE(columns.empty());

    std::ostringstream mismatches;
    int rows = 0;
    int mismatchCount = 0;
    std::vector<int> differencesSeen(std::size(kDeliberateDifferences), 0);
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> fields = SplitTabs(line);
        ASSERT_GT(fields.size(), columns.size()) << "short row: " << line;
        ++rows;
        const std::string& input = fields[0];
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::string expected = fields[c + 1];
            if (const Difference* d = FindDifference(input, columns[c])) {
                ++differencesSeen[static_cast<std::size_t>(d - kDeliberateDifferences)];
                EXPECT_NE(expected, d->ours)
                    << "'" << input << "' in " << columns[c] << " is listed as a difference but "
                    << "the table agrees";
                expected = d->ours;
            }
            const std::string actual = ShowDate(ParseDateText(input, locales[c]));
            if (actual != expected) {
                ++mismatchCount;
                mismatches << "  '" << input << "' in " << columns[c] << ": expected " << expected
                           << ", got " << actual << "\n";
            }
        }
    }
    EXPECT_GT(rows, 0) << "the reference table has no rows";
    EXPECT_EQ(mismatchCount, 0) << mismatches.str();
    for (std::size_t i = 0; i < std::size(kDeliberateDifferences); ++i)
        EXPECT_GT(differencesSeen[i], 0)
            << "'" << kDeliberateDifferences[i].input << "' is not in the reference table";
}

}  // namespace
}  // namespace qz::test

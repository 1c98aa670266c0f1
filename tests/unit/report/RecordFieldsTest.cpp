#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "records/RecordParser.h"

namespace qz {
namespace {

using namespace std::string_view_literals;

constexpr double kSecond = 1.0 / 86400.0;

std::vector<std::string> Split(std::string_view line) {
    std::array<std::string_view, 7> fields;
    const std::size_t n = SplitRecordFields(line, fields);
    return std::vector<std::string>(fields.begin(), fields.begin() + n);
}

TEST(SplitRecordFieldsTest, RunsOfCommasSeparateLikeOne) {
    using Fields = std::vector<std::string>;
    const struct {
        std::string_view line;
        Fields fields;
    } cases[] = {
        {"a,,b,c", {"a", "b", "c"}},
        {",,a,b", {"a", "b"}},
        {"a,b,", {"a", "b"}},
        {",,,,", {}},
        {"", {}},
        {" a , b ", {" a ", " b "}},  // no trimming
        {"1,2,3,,4,5,6,7,8,9", {"1", "2", "3", "4", "5", "6", "7"}},
        {"\0,\xFF\r"sv, {std::string(1, '\0'), "\xFF\r"}},
        // Lines of 16 bytes and more: commas at block edges, in the last
        // partial block and beyond 64 bytes.
        {"2018/05/03 10:21:07,CBL000123,SET_A01.bin,0A1B,WB-07,3,OK",
         {"2018/05/03 10:21:07", "CBL000123", "SET_A01.bin", "0A1B", "WB-07", "3", "OK"}},
        {"aaaaaaaaaaaaaaa,", {"aaaaaaaaaaaaaaa"}},
        {",aaaaaaaaaaaaaaaa", {"aaaaaaaaaaaaaaaa"}},
        {"aaaaaaaaaaaaaaa,,b", {"aaaaaaaaaaaaaaa", "b"}},
        {"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde,f,,g,h",
         {"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde", "f", "g", "h"}},
        {",,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,x", {"x"}},
        {"1,2,3,4,5,6,7777777777777777777777,8",
         {"1", "2", "3", "4", "5", "6", "7777777777777777777777"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Split(c.line), c.fields) << '"' << c.line << '"';
    }
}

// Every line of a seeded sample of lengths 0 to 200 and comma densities
// splits as a plain reading of the rule does.
TEST(SplitRecordFieldsTest, AgreesWithThePlainRuleOnSampledLines) {
    std::mt19937 random(7);
    for (int round = 0; round < 4000; ++round) {
        const std::size_t length = random() % 201;
        const unsigned commaPercent = 5 + random() % 60;
        std::string line(length, ' ');
        for (char& c : line) {
            c = random() % 100 < commaPercent ? ',' : static_cast<char>('a' + random() % 26);
        }
        std::vector<std::string> expected;
        std::string field;
        for (char c : line + ",") {
            if (c != ',') {
                field += c;
            } else if (!field.empty()) {
                expected.push_back(std::move(field));
                field.clear();
            }
        }
        expected.resize(std::min<std::size_t>(expected.size(), 7));
        ASSERT_EQ(Split(line), expected) << '"' << line << '"';
    }
}

OleDate Valid(double value) {
    return {value, true};
}

TEST(OleDateLessOrEqualTest, ComparesWithHalfSecondTolerance) {
    const OleDate invalid = OleDate::Invalid();
    const OleDate invalidWithValue{5.0, false};
    const struct {
        OleDate a, b;
        bool expected;
    } cases[] = {
        {Valid(43000.5), Valid(43000.5), true},
        {Valid(43000.5), Valid(43000.6), true},
        {Valid(43000.6), Valid(43000.5), false},
        {Valid(43000.5), Valid(43000.5 - 0.4 * kSecond), true},   // within tolerance
        {Valid(43000.5), Valid(43000.5 - 0.6 * kSecond), false},  // outside it
        {Valid(43000.5 + 0.4 * kSecond), Valid(43000.5), true},
        // Before day 0 the time of day counts forward: -1.25 is 1899-12-29 06:00,
        // -1.5 is 12:00 of the same day, so -1.25 <= -1.5.
        {Valid(-1.25), Valid(-1.5), true},
        {Valid(-1.5), Valid(-1.25), false},
        {Valid(-2.75), Valid(-1.0), true},
        {Valid(-1.0), Valid(0.25), true},
        {invalid, Valid(1.0), false},
        {Valid(1.0), invalid, false},
        {invalid, invalid, false},
        {invalidWithValue, invalidWithValue, false},
        {Valid(1.0), invalidWithValue, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OleDateLessOrEqual(c.a, c.b), c.expected)
            << c.a.value << (c.a.valid ? "" : " (invalid)") << " <= " << c.b.value
            << (c.b.valid ? "" : " (invalid)");
    }
}

class DateRangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_start = g_dtReportStart;
        m_end = g_dtReportEnd;
    }
    void TearDown() override {
        g_dtReportStart = m_start;
        g_dtReportEnd = m_end;
    }

    static OleDate At(int y, int mo, int d, int h, int mi, int s, double extraSeconds = 0.0) {
        OleDate date = OleDate::FromParts(y, mo, d, h, mi, s);
        date.value += extraSeconds * kSecond;
        return date;
    }

  private:
    OleDate m_start, m_end;
};

TEST_F(DateRangeTest, RangeRunsFromStartDayToEndOfEndDay) {
    // The bounds' times of day do not matter; a one-day range.
    g_dtReportStart = OleDate::FromParts(2018, 5, 3, 14, 0, 0);
    g_dtReportEnd = OleDate::FromParts(2018, 5, 3, 9, 30, 0);
    const struct {
        OleDate record;
        bool expected;
        const char* what;
    } cases[] = {
        {At(2018, 5, 3, 0, 0, 0), true, "start day 00:00:00"},
        {At(2018, 5, 3, 10, 0, 0), true, "end day 10:00:00"},
        {At(2018, 5, 3, 23, 59, 59), true, "end day 23:59:59"},
        {At(2018, 5, 3, 23, 59, 59, 0.4), true, "0.6 s before the next day"},
        {At(2018, 5, 4, 0, 0, 0, -0.3), false, "0.3 s before the next day rounds to it"},
        {At(2018, 5, 4, 0, 0, 0), false, "next day 00:00:00"},
        {At(2018, 5, 4, 0, 0, 0, 0.3), false, "0.3 s into the next day"},
        {At(2018, 5, 3, 0, 0, 0, -0.3), true, "0.3 s before the start day rounds to it"},
        {At(2018, 5, 2, 23, 59, 59), false, "day before, 23:59:59"},
        {OleDate::Invalid(), false, "an invalid record date"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsInDateRange(c.record), c.expected) << c.what;
    }
}

TEST_F(DateRangeTest, RangeBeforeDayZeroAndInvalidBounds) {
    // 1899-12-29: its day number is -1, and -1.25 is its 06:00.
    g_dtReportStart = OleDate::FromParts(1899, 12, 29);
    g_dtReportEnd = OleDate::FromParts(1899, 12, 29);
    EXPECT_TRUE(IsInDateRange(Valid(-1.0)));
    EXPECT_TRUE(IsInDateRange(Valid(-1.25)));
    EXPECT_TRUE(IsInDateRange(Valid(-1.99)));
    EXPECT_FALSE(IsInDateRange(Valid(0.0)));
    EXPECT_FALSE(IsInDateRange(Valid(-2.5)));

    const OleDate record = OleDate::FromParts(2018, 5, 3, 12, 0, 0);
    g_dtReportStart = OleDate::FromParts(2018, 5, 1);
    g_dtReportEnd = OleDate::FromParts(2018, 5, 31);
    ASSERT_TRUE(IsInDateRange(record));
    g_dtReportEnd = OleDate::Invalid();
    EXPECT_FALSE(IsInDateRange(record));
    g_dtReportEnd = OleDate::FromParts(2018, 5, 31);
    g_dtReportStart = OleDate::Invalid();
    EXPECT_FALSE(IsInDateRange(record));
}

}  // namespace
}  // namespace qz

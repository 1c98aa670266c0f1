#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

#include "records/RecordFields.h"

namespace qz {
namespace {

using namespace std::string_view_literals;

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
        const auto commaPercent = static_cast<unsigned>(5 + random() % 60);
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

}  // namespace
}  // namespace qz

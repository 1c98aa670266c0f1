// The span table: every span added is found with its number and keeps its row
// and stamp as the table grows; a span that differs from a stored one in its
// length or in any one byte is not found.

#include "records/SpanTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qz {
namespace {

// Spans of 1 to 80 bytes that share long prefixes and suffixes, so that a
// look-up must compare every byte, at each of the lengths the comparison
// treats apart (under 8, 8 to 40, longer).
std::vector<std::string> Spans() {
    std::vector<std::string> spans;
    for (std::size_t length = 1; length <= 80; ++length) {
        for (std::size_t change = 0; change < length; change += 7) {
            std::string span(length, 'x');
            span[change] = ',';
            spans.push_back(span);
        }
    }
    return spans;
}

TEST(SpanTableTest, FindsEverySpanAddedThroughGrowthAndNoOther) {
    const std::vector<std::string> spans = Spans();
    SpanTable table;
    EXPECT_EQ(table.Find("x,x"), nullptr);
    for (std::uint32_t number = 0; number < spans.size(); ++number) {
        ASSERT_EQ(table.Find(spans[number]), nullptr) << spans[number];
        SpanTable::Slot& slot = table.Add(spans[number], number);
        slot.row = number * 3;
        slot.stamp = number + 1;
    }
    for (std::uint32_t number = 0; number < spans.size(); ++number) {
        const std::string& span = spans[number];
        SpanTable::Slot* slot = table.Find(span);
        ASSERT_NE(slot, nullptr) << span;
        EXPECT_EQ(table.NumberOf(*slot), number);
        EXPECT_EQ(slot->row, number * 3);
        EXPECT_EQ(slot->stamp, number + 1);
        // The same bytes with one more (no stored span holds a 'z'), or with
        // one byte changed.
        EXPECT_EQ(table.Find(span + "z"), nullptr);
        for (std::size_t at = 0; at < span.size(); ++at) {
            std::string other = span;
            other[at] = other[at] == 'x' ? 'y' : ';';
            ASSERT_EQ(table.Find(other), nullptr) << other;
        }
    }
    table.ClearStamps();
    EXPECT_EQ(table.Find(spans.back())->stamp, 0U);
    EXPECT_EQ(table.Find(spans.back())->row, (spans.size() - 1) * 3);
}

}  // namespace
}  // namespace qz

#include <string>

#include <gtest/gtest.h>

#include "ui/TextConvert.h"

namespace qz {
namespace {

TEST(TextConvertTest, ValidUtf8AsUtf8ElseEveryByteAsLatin1) {
    const struct {
        std::string bytes;
        std::wstring shown;
    } cases[] = {
        {"", L""},
        {"OK,NG 0A1B", L"OK,NG 0A1B"},
        {"Caf\xc3\xa9 \xe2\x82\xac", L"Caf\u00e9 \u20ac"},  // UTF-8
        {"Caf\xe9", L"Caf\u00e9"},                          // Latin-1
        {"\xc3\xa9 and \xe9", L"\u00c3\u00a9 and \u00e9"},  // mixed: all Latin-1
        {"\xc0\xaf", L"\u00c0\u00af"},                      // overlong form
        {"\xed\xa0\x80", L"\u00ed\u00a0\u0080"},            // surrogate
        {"ab\xe2\x82", L"ab\u00e2\u0082"},                  // cut sequence
        {std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ToDisplayText(c.bytes).ToStdWstring(), c.shown);
    }
}

}  // namespace
}  // namespace qz

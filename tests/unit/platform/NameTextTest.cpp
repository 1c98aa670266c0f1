#include "platform/NameText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TestSupport.h"

namespace qz {
namespace {

TEST(NameText, Utf8IsTakenOnlyWhenWellFormed) {
    const struct {
        std::string text;
        bool utf8;
    } cases[] = {
        {"", true},
        {"SET_A01.bin", true},
        {"Caf\xC3\xA9 \xE8\xA8\xAD\xE5\xAE\x9A \xF0\x9F\x98\x80", true},
        {"Caf\xE9", false},           // ISO-8859-1
        {"\xC0\xAF", false},          // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"ab\xE2\x82", false},        // cut short
        {"\x83\x65\x83\x58", false},  // code page 932
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(IsUtf8(c.text), c.utf8);
        if (c.utf8) {
            EXPECT_EQ(NameToUtf8(c.text), c.text);
        }
    }
    // The decoder and the encoder agree on every length.
    for (const char32_t codePoint : {U'A', U'\u00E9', U'\u8A2D', U'\U0001F600'}) {
        std::string text;
        AppendUtf8(text, codePoint);
        char32_t decoded = 0;
        EXPECT_EQ(Utf8SequenceAt(text, 0, decoded), text.size());
        EXPECT_EQ(decoded, codePoint);
    }
}

#ifndef _WIN32
// Without QZ_LEGACY_ENCODING (the test environment has none), or with a name
// iconv does not know, other text is ISO-8859-1: every byte one character.
TEST(NameText, OtherTextIsIso88591ByDefault) {
    ASSERT_EQ(std::getenv("QZ_LEGACY_ENCODING"), nullptr);
    EXPECT_EQ(LegacyEncodingName(), "ISO-8859-1");
    EXPECT_EQ(NameToUtf8("Caf\xE9 \x80\xFF"), "Caf\xC3\xA9 \xC2\x80\xC3\xBF");
}

// The encoding is read once per process, so each case runs in a new one.
TEST(NameText, TheUserNamesAnotherLegacyEncoding) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    {
        test::ScopedEnv encoding{"QZ_LEGACY_ENCODING", "CP932"};
        // "テスト" in code page 932, then a byte it does not know (0xFF).
        EXPECT_EXIT(std::exit(NameToUtf8("\x83\x65\x83\x58\x83\x67-\xFF") ==
                                      "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88-\xC3\xBF"
                                  ? 0
                                  : 1),
                    testing::ExitedWithCode(0), "");
        // UTF-8 stays UTF-8 whatever the legacy encoding.
        EXPECT_EXIT(std::exit(NameToUtf8("Caf\xC3\xA9") == "Caf\xC3\xA9" ? 0 : 1),
                    testing::ExitedWithCode(0), "");
    }
    test::ScopedEnv unknown{"QZ_LEGACY_ENCODING", "NO-SUCH-ENCODING"};
    EXPECT_EXIT(std::exit(NameToUtf8("Caf\xE9") == "Caf\xC3\xA9" ? 0 : 1),
                testing::ExitedWithCode(0), "");
}
#endif

}  // namespace
}  // namespace qz

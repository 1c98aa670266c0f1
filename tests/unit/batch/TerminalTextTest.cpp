#include "batch/TerminalText.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(TerminalTextTest, ControlBytesBecomeVisibleAndLettersStay) {
    struct Case {
        std::string text;
        std::string shown;
    };
    const Case cases[] = {
        {"SET_A01.bin", "SET_A01.bin"},
        {"\x1B]0;PWNED\a\x1B[2J", "\\x1B]0;PWNED\\x07\\x1B[2J"},
        {"a\tb\r\nc\x7F", "a\\x09b\\x0D\\x0Ac\\x7F"},
        {std::string("nul\0end", 7), "nul\\x00end"},
        // UTF-8 letters, whole; other text read as ISO-8859-1 (the legacy
        // encoding here), shown in UTF-8.
        {"Gr\xC3\xB6\xC3\x9F"
         "e-\xE8\xA8\xAD\xE5\xAE\x9A-\xF0\x9F\x98\x80",
         "Gr\xC3\xB6\xC3\x9F"
         "e-\xE8\xA8\xAD\xE5\xAE\x9A-\xF0\x9F\x98\x80"},
        {"caf\xE9 \xC0\xFF", "caf\xC3\xA9 \xC3\x80\xC3\xBF"},
        // A lone 0x80-0x9F byte is a C1 control (0x9B is CSI) in ISO-8859-1,
        // and U+009B written in UTF-8 is one as well.
        {"\x9B"
         "2J",
         "\\xC2\\x9B2J"},
        {"\xC2\x9B"
         "2J",
         "\\xC2\\x9B2J"},
        {"\xC2\xA0", "\xC2\xA0"},
        // Overlong and truncated forms are not UTF-8: read as ISO-8859-1,
        // their C1 controls show.
        {"\xE0\x80\x9B", "\xC3\xA0\\xC2\\x80\\xC2\\x9B"},
        {"\xE8\xA8", "\xC3\xA8\xC2\xA8"},
        {"back\\slash", "back\\slash"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TerminalText(c.text), c.shown) << testing::PrintToString(c.text);
    }
}

TEST(TerminalTextTest, LinesKeepTheirLineFeedsOnly) {
    EXPECT_EQ(TerminalLines("one\ntwo\r\n\x1B[1;31mthree\n"), "one\ntwo\\x0D\n\\x1B[1;31mthree\n");
}

}  // namespace
}  // namespace qz

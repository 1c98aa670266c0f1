#include <gtest/gtest.h>

#include <clocale>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "DateTestSupport.h"
#include "dates/DateParser.h"
#include "tests/support/TestSupport.h"

namespace qz::test {
namespace {

std::string Parse(std::string_view text, const DateLocale& locale) {
    return ShowDate(ParseDateText(text, locale));
}

TEST(DateLocale, ReadsOrderSeparatorNamesAndMarkersFromTheSystem) {
    const DateLocale us = LoadLocale("en_US.UTF-8", 2026);
    EXPECT_EQ(us.order, DateOrder::MDY);
    EXPECT_EQ(us.dateSeparator, '/');
    EXPECT_EQ(us.monthNames[0], "january");
    EXPECT_EQ(us.monthAbbrevs[11], "dec");
    EXPECT_EQ(us.dayNames[4], "thursday");
    EXPECT_EQ(us.pmMarker, "pm");

    const DateLocale de = LoadLocale("de_DE.UTF-8", 2026);
    EXPECT_EQ(de.order, DateOrder::DMY);
    EXPECT_EQ(de.dateSeparator, '.');
    EXPECT_EQ(de.monthNames[2], "m\xc3\xa4rz");
    EXPECT_EQ(de.monthAbbrevs[11], "dez");
    EXPECT_EQ(de.amMarker, "am");  // no markers of its own

    // Japanese month names are numbers ("1月"): no usable names.
    const DateLocale ja = LoadLocale("ja_JP.UTF-8", 2026);
    EXPECT_EQ(ja.order, DateOrder::YMD);
    EXPECT_EQ(ja.dateSeparator, '/');
    for (std::size_t i = 0; i < 12; ++i)
        EXPECT_TRUE(ja.monthNames[i].empty() && ja.monthAbbrevs[i].empty()) << i;
    EXPECT_EQ(ja.pmMarker, "\xe5\x8d\x88\xe5\xbe\x8c");  // 午後
}

TEST(DateLocale, MissingLocaleFallsBackToC) {
    EXPECT_FALSE(DateLocale::TryFromName("xx_XX.UTF-8").has_value());
    const DateLocale fallback = DateLocale::FromName("xx_XX.UTF-8");
    EXPECT_EQ(fallback.order, DateOrder::MDY);
    EXPECT_EQ(fallback.monthNames[4], "may");

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(fallback.currentYear, local.tm_year + 1900);
}

TEST(DateLocale, FromEnvironmentFollowsSetlocaleElseTheEnvironment) {
    ScopedEnv lcAll("LC_ALL", "de_DE.UTF-8");
    // This test program never called setlocale: LC_TIME is still "C".
    ASSERT_STREQ(std::setlocale(LC_TIME, nullptr), "C");
    EXPECT_EQ(DateLocale::FromEnvironment().order, DateOrder::DMY);

    ASSERT_NE(std::setlocale(LC_TIME, "ja_JP.UTF-8"), nullptr);
    const DateOrder order = DateLocale::FromEnvironment().order;
    std::setlocale(LC_TIME, "C");
    EXPECT_EQ(order, DateOrder::YMD);
}

TEST(DateParser, LocaleNamesAndMarkers) {
    const DateLocale de = LoadLocale("de_DE.UTF-8", 2026);
    EXPECT_EQ(Parse("3. M\xc3\xa4rz 2018", de), "2018-03-03 00:00:00");
    EXPECT_EQ(Parse("Donnerstag, 3. MAI 2018 10:00", de), "2018-05-03 10:00:00");
    EXPECT_EQ(Parse("3. May 2018", de), "ERR");

    const DateLocale ja = LoadLocale("ja_JP.UTF-8", 2026);
    EXPECT_EQ(Parse("2018/05/03 10:00 \xe5\x8d\x88\xe5\xbe\x8c", ja), "2018-05-03 22:00:00");
    EXPECT_EQ(Parse("2018/05/03 10:00 pm", ja), "2018-05-03 22:00:00");
    EXPECT_EQ(Parse("2018/5\xe6\x9c\x88/3", ja), "ERR");  // "月" is no separator

    const DateLocale us = LoadLocale("en_US.UTF-8", 2026);
    EXPECT_EQ(Parse("MARCH 3 2018", us), "2018-03-03 00:00:00");
    EXPECT_EQ(Parse("Sat, Mar 3 2018", us), "2018-03-03 00:00:00");
}

// The usual record forms have a quick reading; anything it cannot settle must
// still get the full reading's result.
TEST(DateParser, CommonFormsAgreeWithTheFullReading) {
    const DateLocale us = LoadLocale("en_US.UTF-8", 2026);
    const DateLocale gb = LoadLocale("en_GB.UTF-8", 2026);
    struct Case {
        const char* text;
        const char* us;
        const char* gb;
    };
    constexpr Case kCases[] = {
        {"2018/05/03", "2018-05-03 00:00:00", "2018-05-03 00:00:00"},
        {"2018-05-03 10:00", "2018-05-03 10:00:00", "2018-05-03 10:00:00"},
        {"2018/05/03 23:59:59", "2018-05-03 23:59:59", "2018-05-03 23:59:59"},
        {"2018/13/05 10:00:00", "2018-05-13 10:00:00", "2018-05-13 10:00:00"},
        {"0005/03/18", "2018-05-03 00:00:00", "2018-03-05 00:00:00"},
        {"0099/12/31 10:00", "1999-12-31 10:00:00", "1999-12-31 10:00:00"},
        {"2018/05-03 10:00:00", "2018-05-03 10:00:00", "2018-05-03 10:00:00"},
        {"2018/05/03 24:00:00", "ERR", "ERR"},
        {"2018/05/03 10:00:60", "ERR", "ERR"},
        {"2018/02/30 10:00:00", "ERR", "ERR"},
        {"2018/05/03T10:00:00", "ERR", "ERR"},
        {"2018/05/03 10:00 00", "ERR", "ERR"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(Parse(c.text, us), c.us) << c.text;
        EXPECT_EQ(Parse(c.text, gb), c.gb) << c.text;
    }
}

// The parser reads exactly the bytes of the view: a buffer of exactly that
// size, without a terminating NUL, is enough (AddressSanitizer checks).
TEST(DateParser, ReadsNoByteOutsideTheText) {
    const DateLocale us = LoadLocale("en_US.UTF-8", 2026);
    const std::string text = "2018/05/03 10:00:00 PM";
    std::vector<std::string> results;
    for (std::size_t n = 0; n <= text.size(); ++n) {
        auto buffer = std::make_unique<char[]>(n + 1);
        text.copy(buffer.get(), n);
        results.push_back(Parse(std::string_view(buffer.get(), n), us));
    }
    EXPECT_EQ(results[0], "ERR");
    EXPECT_EQ(results[10], "2018-05-03 00:00:00");
    EXPECT_EQ(results[11], "2018-05-03 00:00:00");
    EXPECT_EQ(results[12], "ERR");
    EXPECT_EQ(results[16], "2018-05-03 10:00:00");
    EXPECT_EQ(results[19], "2018-05-03 10:00:00");
    EXPECT_EQ(results[21], "2018-05-03 22:00:00");
    EXPECT_EQ(results[22], "2018-05-03 22:00:00");
}

TEST(DateParser, RejectsStrayBytes) {
    const DateLocale locales[] = {LoadLocale("en_US.UTF-8", 2026), LoadLocale("de_DE.UTF-8", 2026),
                                  LoadLocale("ja_JP.UTF-8", 2026)};
    for (const DateLocale& locale : locales) {
        for (int b = 0; b < 256; ++b) {
            const bool control = b < 0x20 && b != '\t';
            if (!control && b < 0x80)
                continue;
            const std::string byte(1, static_cast<char>(b));
            for (const std::string& text :
                 {byte, "2018/05/03" + byte, byte + "2018/05/03", "2018/05" + byte + "/03",
                  "2018/05/03 10:00" + byte, "May" + byte + " 3 2018"}) {
                EXPECT_EQ(Parse(text, locale), "ERR") << "byte " << b;
            }
        }
        EXPECT_EQ(Parse(std::string_view("2018/05/03\0", 11), locale), "ERR");
        EXPECT_EQ(Parse(" \t 2018/05/03 \t", locale), "2018-05-03 00:00:00");
        EXPECT_EQ(Parse("\t", locale), "ERR");
    }
}

// Numbers of any length saturate instead of wrapping into a valid part.
TEST(DateParser, HugeNumbersNeverWrap) {
    const DateLocale us = LoadLocale("en_US.UTF-8", 2026);
    const std::string nines(10000, '9');
    const std::string zeros(10000, '0');
    for (const std::string& text :
         {nines, nines + "/1/1", "1/1/" + nines, "1/" + nines + "/1", nines + ":00", "10:" + nines,
          "2018/05/03 " + nines + " PM", std::string("1/1/4294969296"),
          std::string("4294967306:00"), std::string("18446744073709551617/1/1")}) {
        EXPECT_EQ(Parse(text, us), "ERR") << text.substr(0, 40);
    }
    // Only the value counts, not the number of digits.
    EXPECT_EQ(Parse(zeros + "2018/05/03", us), "2018-05-03 00:00:00");
    EXPECT_EQ(Parse("10:" + zeros + "5", us), "1899-12-30 10:05:00");
}

TEST(DateParser, RejectsOverlongTexts) {
    const DateLocale us = LoadLocale("en_US.UTF-8", 2026);
    std::string manyParts;
    for (int i = 0; i < 200; ++i)
        manyParts += "1/";
    EXPECT_EQ(Parse(manyParts + "1", us), "ERR");
    std::string manyCommas(500, ',');
    EXPECT_EQ(Parse(manyCommas + "2018/05/03", us), "ERR");
}

}  // namespace
}  // namespace qz::test

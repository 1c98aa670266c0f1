// The date-text parser on arbitrary text, in several locales: a result is
// either invalid or a valid date of years 100-9999 whose calendar parts give
// the same date back; the parse depends on the text alone (the same result
// for the same text, and no byte behind the text is looked at).

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "dates/DateParser.h"
#include "dates/OleDate.h"

using namespace qz;

namespace {

// One hundredth of a second in days: dates are parsed to whole seconds.
constexpr double kTolerance = 1.0 / (24 * 3600 * 100);

const std::vector<DateLocale>& Locales() {
    static const std::vector<DateLocale> locales = [] {
        std::vector<DateLocale> all;
        for (const char* name : {"C", "en_US.UTF-8", "en_GB.UTF-8", "de_DE.UTF-8", "ja_JP.UTF-8"}) {
            all.push_back(DateLocale::FromName(name));
        }
        // A locale with '.' as the date separator and day first, whichever
        // locales this system has.
        DateLocale dotted = all[0];
        dotted.order = DateOrder::DMY;
        dotted.dateSeparator = '.';
        all.push_back(dotted);
        DateLocale yearFirst = all[0];
        yearFirst.order = DateOrder::YMD;
        yearFirst.dateSeparator = '-';
        all.push_back(yearFirst);
        return all;
    }();
    return locales;
}

bool Same(const OleDate& a, const OleDate& b) {
    return a.valid == b.valid && (!a.valid || a.value == b.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // The same text followed by bytes that would change the date if read.
    std::string padded(text);
    padded += "1 12:30 pm 2001";
    const std::string_view inPadded = std::string_view(padded).substr(0, size);

    for (const DateLocale& locale : Locales()) {
        const OleDate date = ParseDateText(text, locale);
        QZ_FUZZ_CHECK(Same(date, ParseDateText(text, locale)));
        QZ_FUZZ_CHECK(Same(date, ParseDateText(inPadded, locale)));
        if (!date.valid) {
            continue;
        }
        QZ_FUZZ_CHECK(std::isfinite(date.value));
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        QZ_FUZZ_CHECK(date.GetParts(year, month, day, hour, minute, second));
        QZ_FUZZ_CHECK(year >= 100 && year <= 9999);
        const OleDate back = OleDate::FromParts(year, month, day, hour, minute, second);
        QZ_FUZZ_CHECK(back.valid);
        QZ_FUZZ_CHECK(std::fabs(back.value - date.value) < kTolerance);
    }
    return 0;
}

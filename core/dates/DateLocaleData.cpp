#include "dates/DateLocaleData.h"

namespace qz {

std::string LocaleWord(std::string_view text) {
    std::string word(text);
    if (!word.empty() && word.back() == '.')
        word.pop_back();
    for (char& c : word) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 'A' && u <= 'Z')
            c = static_cast<char>(u - 'A' + 'a');
        else if (!(u >= 'a' && u <= 'z') && u < 0x80)
            return {};
    }
    return word;
}

void SetDateOrder(const char (&fields)[3], int count, char separator, DateLocale& locale) {
    if (count == 3) {
        if (fields[0] == 'D')
            locale.order = DateOrder::DMY;
        else if (fields[0] == 'Y')
            locale.order = DateOrder::YMD;
        else
            locale.order = DateOrder::MDY;
    }
    locale.dateSeparator = separator == '.' || separator == '-' ? separator : '/';
}

}  // namespace qz

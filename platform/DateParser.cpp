#include "platform/DateParser.h"

namespace qz {

DateLocale DateLocale::FromName(const std::string&) {
    return {};
}

DateLocale DateLocale::FromEnvironment() {
    return {};
}

OleDate ParseDateText(std::string_view, const DateLocale&) {
    return OleDate::Invalid();
}

}  // namespace qz

#include "tests/support/CountMapView.h"

namespace qz::test {

KeyTotals ByKey(const CCountMap& counts) {
    KeyTotals keys;
    for (const auto& [key, count] : counts) {
        keys[key] = {count.ok, count.ng};
    }
    return keys;
}

std::map<std::string, std::int64_t> ToMap(const CCountMap& counts, std::int64_t OkNg::*result) {
    const auto inOrder = InOrder(counts, result);
    return {inOrder.begin(), inOrder.end()};
}

std::vector<std::pair<std::string, std::int64_t>> InOrder(const CCountMap& counts,
                                                          std::int64_t OkNg::*result) {
    std::vector<std::pair<std::string, std::int64_t>> entries;
    for (const auto& [key, count] : counts) {
        entries.emplace_back(key, count.*result);
    }
    return entries;
}

}  // namespace qz::test

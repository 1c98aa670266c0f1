#pragma once
// A count map's content in forms a test compares: its entries in the map's
// own order (the order keys were first counted), or sorted by key.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "records/CountMap.h"

namespace qz::test {

// Key -> its OK and NG counts, sorted by key.
using KeyTotals = std::map<std::string, std::pair<std::int64_t, std::int64_t>>;
KeyTotals ByKey(const CCountMap& counts);

// Key -> its OK or NG count (result: &OkNg::ok or &OkNg::ng), sorted by key.
std::map<std::string, std::int64_t> ToMap(const CCountMap& counts, std::int64_t OkNg::*result);
// The same in the map's own order.
std::vector<std::pair<std::string, std::int64_t>> InOrder(const CCountMap& counts,
                                                          std::int64_t OkNg::*result);

}  // namespace qz::test

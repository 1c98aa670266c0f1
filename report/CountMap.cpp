#include "report/CountMap.h"

namespace qz {

std::int32_t& CCountMap::Slot(std::string_view key) {
    auto it = m_map.find(key);
    if (it == m_map.end()) {
        it = m_map.emplace(std::string(key), 0).first;
    }
    return it->second;
}

const std::int32_t* CCountMap::Find(std::string_view key) const {
    auto it = m_map.find(key);
    return it == m_map.end() ? nullptr : &it->second;
}

std::int32_t* CCountMap::Find(std::string_view key) {
    auto it = m_map.find(key);
    return it == m_map.end() ? nullptr : &it->second;
}

void CValueSet::Insert(std::string_view value) {
    // Look up first so that a value already present is not copied.
    auto it = m_set.lower_bound(value);
    if (it == m_set.end() || *it != value) {
        m_set.emplace_hint(it, value);
    }
}

}  // namespace qz

#include "records/DayCounts.h"

#include <algorithm>
#include <utility>

namespace qz {

namespace {

bool DayBefore(const DayCount& count, std::int32_t day) {
    return count.day < day;
}

}  // namespace

std::size_t CDayCounts::Find(std::int32_t day) {
    auto at = std::lower_bound(m_days.begin(), m_days.end(), day, DayBefore);
    if (at == m_days.end() || at->day != day) {
        at = m_days.insert(at, DayCount{day, 0, 0});
    }
    return static_cast<std::size_t>(at - m_days.begin());
}

void CDayCounts::Merge(const CDayCounts& other) {
    std::vector<DayCount> merged;
    merged.reserve(m_days.size() + other.m_days.size());
    auto a = m_days.begin();
    auto b = other.m_days.begin();
    while (a != m_days.end() || b != other.m_days.end()) {
        if (b == other.m_days.end() || (a != m_days.end() && a->day < b->day)) {
            merged.push_back(*a++);
        } else if (a == m_days.end() || b->day < a->day) {
            merged.push_back(*b++);
        } else {
            merged.push_back({a->day, a->ok + b->ok, a->ng + b->ng});
            ++a;
            ++b;
        }
    }
    m_days = std::move(merged);
    m_currentDay = kNoDay;
}

}  // namespace qz

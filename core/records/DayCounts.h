#pragma once
// OK and NG counts per record day.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace qz {

struct DayCount {
    std::int32_t day = 0;  // day number (dates/DayTime.h; FormatDay gives its text)
    std::int64_t ok = 0;
    std::int64_t ng = 0;

    bool operator==(const DayCount&) const = default;
};

// The days that have records, in ascending order, with their counts.
class CDayCounts {
  public:
    // Counts one record of day. The records of a file mostly come in time
    // order, so the day of the previous record is kept at hand and a record of
    // the same day costs a comparison.
    [[gnu::always_inline]] void Count(std::int32_t day, bool ok) {
        if (day != m_currentDay) {
            m_current = Find(day);
            m_currentDay = day;
        }
        DayCount& count = m_days[m_current];
        count.ok += ok;
        count.ng += !ok;
    }

    // Adds ok and ng records of day.
    void Add(std::int32_t day, std::int64_t ok, std::int64_t ng) {
        if (day != m_currentDay) {
            m_current = Find(day);
            m_currentDay = day;
        }
        m_days[m_current].ok += ok;
        m_days[m_current].ng += ng;
    }

    // Adds other's counts day by day.
    void Merge(const CDayCounts& other);

    void Clear() {
        m_days.clear();
        m_currentDay = kNoDay;
    }

    const std::vector<DayCount>& Days() const { return m_days; }

  private:
    // The index of day's entry, which it inserts with 0 counts when missing.
    [[gnu::noinline]] std::size_t Find(std::int32_t day);

    // Below every day number: no day counted yet.
    static constexpr std::int32_t kNoDay = std::numeric_limits<std::int32_t>::min();

    std::vector<DayCount> m_days;
    std::int32_t m_currentDay = kNoDay;  // the last day counted
    std::size_t m_current = 0;           // its entry
};

}  // namespace qz

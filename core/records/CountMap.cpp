#include "records/CountMap.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <random>

namespace qz {

namespace {

// Roomy from the start (2 KiB): a key that a collision pushed off its home
// slot costs a mispredicted probe on every line that meets it, and a record
// file's keys are few.
constexpr std::size_t kFirstIndexSize = 256;

TextHash DrawSeeds() {
    std::uint64_t words[4] = {};
    try {
        std::random_device source;
        for (std::uint64_t& word : words) {
            word = std::uint64_t{source()} << 32 | source();
        }
    } catch (const std::exception&) {
        // No random source: the clock and an address still differ per run.
        std::seed_seq seq{
            static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()),
            reinterpret_cast<std::uint64_t>(&words)};
        std::mt19937_64 mix(seq);
        for (std::uint64_t& word : words) {
            word = mix();
        }
    }
    return TextHash{words[0], words[1], words[2], words[3]};
}

}  // namespace

const TextHash& TextHash::ForProcess() {
    static const TextHash seeds = DrawSeeds();
    return seeds;
}

const OkNg* CCountMap::FindAnyKey(std::string_view key) const {
    if (m_entries.empty()) {
        return nullptr;
    }
    std::size_t slot = 0;
    const std::size_t found = Lookup(key, m_hash(key), slot);
    return found == kNotFound ? nullptr : &m_entries[found].second;
}

void CCountMap::Rebuild(std::size_t slotCount) {
    m_index.assign(slotCount, IndexSlot{});
    m_indexMask = slotCount - 1;
    const std::size_t mask = m_indexMask;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint64_t hash = m_hash(m_entries[i].first);
        std::size_t slot = hash & mask;
        while (m_index[slot].entry != 0) {
            slot = (slot + 1) & mask;
        }
        m_index[slot] = {static_cast<std::uint32_t>(i + 1), TagOf(hash)};
    }
}

OkNg& CCountMap::Slot(std::string_view key) {
    if (m_index.empty()) {
        Rebuild(kFirstIndexSize);
    }
    const std::uint64_t hash = m_hash(key);
    std::size_t slot = 0;
    const std::size_t found = Lookup(key, hash, slot);
    if (found != kNotFound) {
        return m_entries[found].second;
    }
    m_entries.emplace_back(std::string(key), OkNg{});
    if (m_entries.size() * 4 > m_index.size()) {
        Rebuild(m_index.size() * 2);
    } else {
        m_index[slot] = {static_cast<std::uint32_t>(m_entries.size()), TagOf(hash)};
    }
    return m_entries.back().second;
}

std::size_t CCountMap::LongestProbe() const {
    std::size_t longest = 0;
    for (std::size_t slot = 0; slot < m_index.size(); ++slot) {
        if (m_index[slot].entry != 0) {
            const std::size_t home = m_hash(m_entries[m_index[slot].entry - 1].first) & m_indexMask;
            longest = std::max(longest, ((slot - home) & m_indexMask) + 1);
        }
    }
    return longest;
}

void CCountMap::RemoveAll() {
    m_entries.clear();
    // Keep the index's size: a worker's maps fill up again with the next file.
    std::fill(m_index.begin(), m_index.end(), IndexSlot{});
}

void CValueSet::Insert(std::string_view value) {
    // Look up first so that a value already present is not copied.
    auto it = m_set.lower_bound(value);
    if (it == m_set.end() || *it != value) {
        m_set.emplace_hint(it, value);
    }
}

}  // namespace qz

#pragma once
// An index from a fact row's key to the row's place in its vector, for the
// counting loop and the sums: one hash of four integers and usually one probe.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qz {

// Key is a small struct of integers with operator==; HashOf(key) gives its
// hash. The rows themselves stay with the caller, which passes the key of a
// row number on each look-up (keyOf(row)).
template <typename Key>
class FactRowIndex {
  public:
    static constexpr std::uint32_t kNone = ~std::uint32_t{0};

    // The row number of key, or kNone.
    template <typename KeyOf>
    std::uint32_t Find(const Key& key, std::uint64_t hash, KeyOf&& keyOf) const {
        if (m_slots.empty()) {
            return kNone;
        }
        for (std::size_t slot = hash & m_mask;; slot = (slot + 1) & m_mask) {
            const std::uint32_t entry = m_slots[slot];
            if (entry == 0) {
                return kNone;
            }
            if (keyOf(entry - 1) == key) {
                return entry - 1;
            }
        }
    }

    // Records that row number row has the key of this hash (the key must be
    // absent). rowCount is the number of rows, row included, so that the
    // index can grow; keyOf and hashOf give a row's key's hash when it does.
    template <typename HashOfRow>
    void Add(std::uint64_t hash, std::uint32_t row, std::size_t rowCount, HashOfRow&& hashOfRow) {
        if (rowCount * 2 > m_slots.size()) {
            Rebuild(rowCount, hashOfRow);
        }
        Place(hash, row);
    }

    void Clear() {
        m_slots.clear();
        m_mask = 0;
    }

  private:
    void Place(std::uint64_t hash, std::uint32_t row) {
        std::size_t slot = hash & m_mask;
        while (m_slots[slot] != 0) {
            slot = (slot + 1) & m_mask;
        }
        m_slots[slot] = row + 1;
    }

    // A quarter full after it grows: rows are added far more seldom than
    // found.
    template <typename HashOfRow>
    void Rebuild(std::size_t rowCount, HashOfRow& hashOfRow) {
        std::size_t size = 256;
        while (size < rowCount * 4) {
            size *= 2;
        }
        m_slots.assign(size, 0);
        m_mask = size - 1;
        for (std::uint32_t row = 0; row + 1 < rowCount; ++row) {
            Place(hashOfRow(row), row);
        }
    }

    std::vector<std::uint32_t> m_slots;  // row + 1; 0 = free
    std::size_t m_mask = 0;
};

// Mixes two 64-bit words into a hash whose low bits depend on every input bit.
inline std::uint64_t MixFactKey(std::uint64_t a, std::uint64_t b) {
    __extension__ using U128 = unsigned __int128;
    const U128 product = static_cast<U128>(a ^ 0x9e3779b97f4a7c15ULL) * (b ^ 0xd6e8feb86659fd93ULL);
    return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
}

}  // namespace qz

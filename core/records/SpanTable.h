#pragma once
// The table the fact count looks a record up in: a record's fields from its
// setting file to its board, as they stand in the line (its span), to the
// span's number and the span's fact row on the current day.
//
// A record costs one look-up here, so the table is laid out for the few cache
// lines one look-up touches: a slot holds the span's row and day stamp beside
// the hash tag, and the span's bytes lie packed in one array. A hit reads its
// slot, then its bytes and its row at once, not a chain of entry, string and
// row.

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "records/CountMap.h"

namespace qz {

class SpanTable {
  public:
    // A span's place: its row on the day of stamp (stamp 0: none yet).
    struct Slot {
        std::uint32_t tag = 0;         // high bits of the span's hash
        std::uint32_t bytes = kEmpty;  // the span's header word in m_bytes
        std::uint32_t row = 0;
        std::uint32_t stamp = 0;
    };

    SpanTable() : m_hash(TextHash::ForProcess()) {}

    // The slot of span, or null when the span is new.
    [[gnu::always_inline]] Slot* Find(std::string_view span) {
        if (m_slots.empty()) {
            return nullptr;
        }
        const std::uint64_t hash = m_hash(span);
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = hash & m_mask;; at = (at + 1) & m_mask) {
            Slot& slot = m_slots[at];
            if (slot.bytes == kEmpty) {
                return nullptr;
            }
            if (slot.tag == tag && Holds(slot.bytes, span)) {
                return &slot;
            }
        }
    }

    // Adds span (absent) with its number; its slot, valid until the next Add.
    // Throws std::length_error when the spans' bytes outgrow the table.
    Slot& Add(std::string_view span, std::uint32_t number);

    // The number span was added with.
    std::uint32_t NumberOf(const Slot& slot) const {
        return static_cast<std::uint32_t>(m_bytes[slot.bytes]);
    }

    // Sets every stamp to 0, for a stamp count that wraps.
    void ClearStamps();

  private:
    static constexpr std::uint32_t kEmpty = ~std::uint32_t{0};

    // Whether the span stored at header word bytes is span.
    bool Holds(std::uint32_t bytes, std::string_view span) const {
        using namespace text_key;
        const std::uint64_t header = m_bytes[bytes];
        const std::size_t n = span.size();
        if (header >> 32 != n) {
            return false;
        }
        const char* stored = reinterpret_cast<const char*>(m_bytes.data() + bytes + 1);
        const char* key = span.data();
        if (n < 8) {
            return std::memcmp(stored, key, n) == 0;
        }
        return ForEachWord(n,
                           [&](std::size_t at) { return Load64(stored + at) == Load64(key + at); });
    }

    Slot& Place(std::uint64_t hash, std::uint32_t bytes);
    void Grow();

    TextHash m_hash;
    std::vector<Slot> m_slots;  // size 0 or a power of two, at most half full
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
    // Per span a header word (number, then length << 32) and its bytes,
    // padded to whole words.
    std::vector<std::uint64_t> m_bytes;
};

}  // namespace qz

#include "records/SpanTable.h"

#include <cstring>
#include <stdexcept>

namespace qz {

SpanTable::Slot& SpanTable::Add(std::string_view span, std::uint32_t number) {
    const std::size_t words = 1 + (span.size() + 7) / 8;
    if (m_bytes.size() + words >= kEmpty) {
        throw std::length_error("too many distinct records in one file");
    }
    if ((m_count + 1) * 2 > m_slots.size()) {
        Grow();
    }
    const auto bytes = static_cast<std::uint32_t>(m_bytes.size());
    m_bytes.resize(m_bytes.size() + words, 0);
    m_bytes[bytes] = number | std::uint64_t{span.size()} << 32;
    std::memcpy(m_bytes.data() + bytes + 1, span.data(), span.size());
    ++m_count;
    return Place(m_hash(span), bytes);
}

void SpanTable::ClearStamps() {
    for (Slot& slot : m_slots) {
        slot.stamp = 0;
    }
}

SpanTable::Slot& SpanTable::Place(std::uint64_t hash, std::uint32_t bytes) {
    std::size_t at = hash & m_mask;
    while (m_slots[at].bytes != kEmpty) {
        at = (at + 1) & m_mask;
    }
    Slot& slot = m_slots[at];
    slot.tag = static_cast<std::uint32_t>(hash >> 32);
    slot.bytes = bytes;
    return slot;
}

void SpanTable::Grow() {
    std::vector<Slot> old(m_slots.size() < 64 ? 64 : m_slots.size() * 2);
    old.swap(m_slots);
    m_mask = m_slots.size() - 1;
    for (const Slot& slot : old) {
        if (slot.bytes != kEmpty) {
            const std::uint64_t header = m_bytes[slot.bytes];
            const std::string_view span(
                reinterpret_cast<const char*>(m_bytes.data() + slot.bytes + 1),
                static_cast<std::size_t>(header >> 32));
            Place(m_hash(span), slot.bytes) = {slot.tag, slot.bytes, slot.row, slot.stamp};
        }
    }
}

}  // namespace qz

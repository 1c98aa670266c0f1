#include "records/RecordFields.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace qz {

namespace {

#if defined(__SSE2__)
std::uint64_t CommaMask16(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(','))));
}

// Bit i set when text[pos + i] is a comma, for the up to 64 bytes of the line
// from pos (size >= 16, pos < size). Reads only bytes of the line: a last
// partial block is read as the line's last 16 bytes.
std::uint64_t CommaMask(const char* text, std::size_t pos, std::size_t size) {
    const std::size_t length = std::min<std::size_t>(size - pos, 64);
    if (length < 16) {
        return CommaMask16(text + size - 16) >> (16 - length);
    }
    std::uint64_t mask = 0;
    std::size_t at = 0;
    for (; at + 16 <= length; at += 16) {
        mask |= CommaMask16(text + pos + at) << at;
    }
    if (at < length) {
        mask |= CommaMask16(text + size - 16) << (size - 16 - pos);
    }
    return mask;
}
#endif

}  // namespace

std::size_t SplitRecordFields(std::string_view line, RecordFields& fields) {
    const char* const text = line.data();
    const std::size_t size = line.size();
    std::size_t n = 0;
    std::size_t start = 0;  // of the run of non-commas that the next comma ends
    std::size_t pos = 0;    // the bytes before pos are scanned
#if defined(__SSE2__)
    // This runs once per record line and its fields are short: finding the
    // commas 64 bytes at a time as a bit mask costs a fraction of a byte loop or
    // of a memchr per field.
    if (size >= 16) {
        for (; pos < size; pos += 64) {
            for (std::uint64_t mask = CommaMask(text, pos, size); mask != 0; mask &= mask - 1) {
                const std::size_t comma = pos + static_cast<std::size_t>(__builtin_ctzll(mask));
                if (comma != start) {
                    fields[n] = std::string_view(text + start, comma - start);
                    if (++n == fields.size()) {
                        return n;
                    }
                }
                start = comma + 1;
            }
        }
    }
#endif
    for (; pos < size; ++pos) {
        if (text[pos] == ',') {
            if (pos != start) {
                fields[n] = std::string_view(text + start, pos - start);
                if (++n == fields.size()) {
                    return n;
                }
            }
            start = pos + 1;
        }
    }
    if (size != start) {
        fields[n++] = std::string_view(text + start, size - start);
    }
    return n;
}

}  // namespace qz

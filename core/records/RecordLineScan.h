#pragma once
// Reading a record line and its fields in place, for the report pass.
//
// Record lines are short (70 to 90 bytes). One look at the 128 bytes from a
// line's start finds its line end and all its commas at once, where reading
// the line costs a memchr for the line end and a second pass for the commas.
// The look needs AVX2, so it is built for x86-64 with GCC or Clang and chosen
// at run time (CanScanInPlace). A line that does not fit the window is left to
// the general way, TextFileReader::ReadLine and SplitRecordFields, which give
// the same line and fields.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "records/RecordFields.h"

#if defined(__GNUC__) && defined(__x86_64__)
#define QZ_SCAN_IN_PLACE 1
#include <immintrin.h>
#else
#define QZ_SCAN_IN_PLACE 0
#endif

#if QZ_SCAN_IN_PLACE
#define QZ_SCAN_TARGET gnu::target("avx2,bmi,popcnt")

namespace qz {

// Readable bytes that ScanRecordLine needs from a line's start.
constexpr std::size_t kScanWindow = 128;

inline bool CanScanInPlace() {
    static const bool s_can = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                              __builtin_cpu_supports("popcnt");
    return s_can;
}

namespace line_scan {

// Bit i stands for byte i of the window: bytes 0-63 in low, 64-127 in high.
struct Mask {
    std::uint64_t low;
    std::uint64_t high;
};

// Bit i set when byte i of bytes equals target's.
[[QZ_SCAN_TARGET]] inline std::uint64_t Matches32(__m256i bytes, __m256i target) {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(bytes, target)));
}

[[QZ_SCAN_TARGET, gnu::always_inline]] inline void FindBytes(const char* p, Mask& commas,
                                                             Mask& lineEnds) {
    const __m256i comma = _mm256_set1_epi8(',');
    const __m256i lineEnd = _mm256_set1_epi8('\n');
    const __m256i b0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i b1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const __m256i b2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 64));
    const __m256i b3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 96));
    commas = {Matches32(b0, comma) | Matches32(b1, comma) << 32,
              Matches32(b2, comma) | Matches32(b3, comma) << 32};
    lineEnds = {Matches32(b0, lineEnd) | Matches32(b1, lineEnd) << 32,
                Matches32(b2, lineEnd) | Matches32(b3, lineEnd) << 32};
}

// The position of the lowest set bit of a mask that is not empty, taken out
// of the mask; branch-free, as a line's commas fall in either word.
[[QZ_SCAN_TARGET]] inline std::size_t TakeLowestBit(Mask& mask) {
    const bool inLow = mask.low != 0;
    const std::size_t at = inLow ? _tzcnt_u64(mask.low) : 64 + _tzcnt_u64(mask.high);
    const std::uint64_t low = _blsr_u64(mask.low);
    const std::uint64_t high = _blsr_u64(mask.high);
    mask.low = inLow ? low : mask.low;
    mask.high = inLow ? mask.high : high;
    return at;
}

// The bits below length (1 to 127).
[[QZ_SCAN_TARGET]] inline Mask Below(const Mask& mask, std::size_t length) {
    if (length <= 64) {
        return {length == 64 ? mask.low : mask.low & ((std::uint64_t{1} << length) - 1), 0};
    }
    return {mask.low, mask.high & ((std::uint64_t{1} << (length - 64)) - 1)};
}

[[QZ_SCAN_TARGET]] inline bool BitAt(const Mask& mask, std::size_t at) {
    return ((at < 64 ? mask.low >> at : mask.high >> (at - 64)) & 1) != 0;
}

// Two set bits next to each other, across the words too.
[[QZ_SCAN_TARGET]] inline bool HasAdjacentBits(const Mask& mask) {
    return (mask.low & (mask.low >> 1)) != 0 || (mask.high & (mask.high >> 1)) != 0 ||
           ((mask.low >> 63) & mask.high & 1) != 0;
}

}  // namespace line_scan

// The record line that starts at p, which must be followed by kScanWindow
// readable bytes: its length with its line end (LF, or CR LF) and its fields,
// as ReadLine and SplitRecordFields give them. False, and nothing read, when
// no LF lies in the window.
[[QZ_SCAN_TARGET]] inline bool ScanRecordLine(const char* p, std::size_t& lineBytes,
                                              RecordFields& fields, std::size_t& fieldCount) {
    using namespace line_scan;
    Mask commas;
    Mask lineEnds;
    FindBytes(p, commas, lineEnds);
    if ((lineEnds.low | lineEnds.high) == 0) {
        return false;
    }
    const std::size_t lineEnd = TakeLowestBit(lineEnds);
    lineBytes = lineEnd + 1;
    const std::size_t length = lineEnd > 0 && p[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
    if (length == 0) {
        fieldCount = 0;
        return true;
    }
    Mask rest = Below(commas, length);
    // A comma first, last or next to another leaves an empty field to skip.
    if (BitAt(rest, 0) || BitAt(rest, length - 1) || HasAdjacentBits(rest)) {
        fieldCount = SplitRecordFields(std::string_view(p, length), fields);
        return true;
    }
    const std::size_t n = std::min<std::size_t>(
        static_cast<std::size_t>(_mm_popcnt_u64(rest.low) + _mm_popcnt_u64(rest.high)) + 1,
        fields.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const std::size_t comma = TakeLowestBit(rest);
        fields[i] = std::string_view(p + start, comma - start);
        start = comma + 1;
    }
    // The last field ends at the line end, or with a seventh field at the next
    // comma.
    const std::size_t end = (rest.low | rest.high) != 0 ? TakeLowestBit(rest) : length;
    fields[n - 1] = std::string_view(p + start, end - start);
    fieldCount = n;
    return true;
}

// What the report pass reads of a record line: fields 0, 2, 3 and 4, and
// whether field 6 is "OK".
struct ReportLineFields {
    std::string_view date;
    std::string_view settingFile;
    std::string_view customer;
    std::string_view machineId;
    bool ok = false;
};

enum class ReportLineScan {
    NoLineEnd,  // no LF in the window: nothing read
    NoRecord,   // fewer than six fields: nothing to count
    Fields,     // the fields are filled in
    General,    // the line needs SplitRecordFields (empty fields, long fields)
};

// ScanRecordLine for the report pass: finds only the commas the report needs.
// A line with no empty field and its first three commas in the window's first
// 64 bytes, the rest within 64 bytes after the third (nearly every record),
// takes a few bit operations per field where ScanRecordLine takes a dozen.
// lineBytes and length (without CR LF) are set unless NoLineEnd.
[[QZ_SCAN_TARGET, gnu::always_inline]] inline ReportLineScan ScanReportLine(
    const char* p, std::size_t& lineBytes, std::size_t& length, ReportLineFields& line) {
    using namespace line_scan;
    __extension__ using U128 = unsigned __int128;
    Mask commas;
    Mask lineEnds;
    FindBytes(p, commas, lineEnds);
    if ((lineEnds.low | lineEnds.high) == 0) {
        return ReportLineScan::NoLineEnd;
    }
    const std::size_t lineEnd =
        lineEnds.low != 0 ? _tzcnt_u64(lineEnds.low) : 64 + _tzcnt_u64(lineEnds.high);
    lineBytes = lineEnd + 1;
    length = lineEnd > 0 && p[lineEnd - 1] == '\r' ? lineEnd - 1 : lineEnd;
    // The commas before the LF, which are those before the line end: a CR is
    // no comma. blsmsk gives the bits up to the lowest set one, all for none.
    const std::uint64_t low = commas.low & _blsmsk_u64(lineEnds.low);
    const std::uint64_t high = lineEnds.low != 0 ? 0 : commas.high & _blsmsk_u64(lineEnds.high);
    const auto lowCount = static_cast<std::uint64_t>(_mm_popcnt_u64(low));
    // A line of n commas has at most n + 1 fields.
    if (lowCount + static_cast<std::uint64_t>(_mm_popcnt_u64(high)) < kMinRecordFields - 1) {
        return ReportLineScan::NoRecord;
    }
    // An empty field: a comma first, last or next to another.
    const U128 rest = U128{high} << 64 | low;
    if ((rest & (rest >> 1)) != 0 || p[0] == ',' || p[length - 1] == ',' || lowCount < 3) {
        return ReportLineScan::General;
    }
    std::uint64_t word = low;
    const std::size_t c0 = _tzcnt_u64(word);
    word = _blsr_u64(word);
    const std::size_t c1 = _tzcnt_u64(word);
    word = _blsr_u64(word);
    const std::size_t c2 = _tzcnt_u64(word);
    // The rest of the commas, from the byte after the third comma (at most 64).
    const std::size_t base = c2 + 1;
    if (length - base > 64) {
        return ReportLineScan::General;
    }
    word = static_cast<std::uint64_t>(rest >> base);
    const std::size_t c3 = base + _tzcnt_u64(word);
    word = _blsr_u64(word);
    const std::size_t c4 = base + _tzcnt_u64(word);
    word = _blsr_u64(word);
    line.date = std::string_view(p, c0);
    line.settingFile = std::string_view(p + c1 + 1, c2 - c1 - 1);
    line.customer = std::string_view(p + c2 + 1, c3 - c2 - 1);
    line.machineId = std::string_view(p + c3 + 1, c4 - c3 - 1);
    line.ok = false;
    // With six fields the result is missing, which is not "OK".
    if (word != 0) {
        const std::size_t c5 = base + _tzcnt_u64(word);
        word = _blsr_u64(word);
        const std::size_t end = word != 0 ? base + _tzcnt_u64(word) : length;
        std::uint16_t result = 0;
        std::memcpy(&result, p + c5 + 1, sizeof result);
        line.ok = end == c5 + 3 && result == ('O' | 'K' << 8);
    }
    return ReportLineScan::Fields;
}

}  // namespace qz

#endif

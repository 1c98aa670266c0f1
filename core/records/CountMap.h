#pragma once
// CCountMap: text key -> its OK and NG counts (OkNg, 64-bit signed each: a
// long report passes 2^31 records); keys compare exactly (bytes).
// CValueSet: ordered set of texts, ascending by unsigned byte comparison, which
// is the ordinal order of the ISO-8859-1 widening of the bytes.
// Both look up by std::string_view without building a string; a key is copied
// only when it enters the container.

#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qz {

namespace text_key {

inline std::uint64_t Load64(const char* p) {
    std::uint64_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline std::uint32_t Load32(const char* p) {
    std::uint32_t v = 0;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Calls p(offset) for word-sized pieces that cover n bytes (n >= 8): whole
// 8-byte words, the last one overlapping its predecessor. False as soon as p
// does.
template <typename P>
bool ForEachWord(std::size_t n, P&& p) {
    std::size_t at = 0;
    for (; at + 8 < n; at += 8) {
        if (!p(at)) {
            return false;
        }
    }
    return p(n - 8);
}

}  // namespace text_key

// A fast hash for the short keys of the record files (a few to a few dozen
// bytes), looked up twice per record line. A key of 8 to 16 bytes is covered
// by its first and last 8 bytes, one of 17 to 24 bytes by its first, middle
// and last 8 (they overlap as needed). Each pair of words is mixed by one
// 64x64->128-bit multiplication folded to 64 bits, which spreads a change in
// any byte over all bits, the low ones (the index slot) included.
//
// The design is wyhash's (Wang Yi, public domain,
// https://github.com/wangyi-fudan/wyhash): Fold is its _wymix (multiply, then
// xor the two halves of the 128-bit product), and a short key is read, like
// there, as overlapping words from its start and its end. The four seeds stand
// where wyhash's secret stands.
//
// The seeds are drawn at random once per process (TextHash::ForProcess): with
// fixed seeds, keys can be made whose hash is 0 (a 16-byte key whose last
// word cancels its seed), and a file of such keys would make every look-up a
// walk over all of them. Without the seeds no key can be aimed at a slot.
struct TextHash {
    using is_transparent = void;

    std::uint64_t seed1 = 0;
    std::uint64_t seed2 = 0;
    std::uint64_t seed3 = 0;
    std::uint64_t seed4 = 0;

    // The seeds of this process, drawn from a random source at first use.
    static const TextHash& ForProcess();

    std::size_t operator()(std::string_view text) const noexcept {
        using namespace text_key;
        const char* p = text.data();
        const std::size_t n = text.size();
        if (n >= 8 && n <= 16) {
            return OfTwoWords(Load64(p), Load64(p + n - 8), n);
        }
        if (n > 16 && n <= 24) {
            return OfThreeWords(Load64(p), Load64(p + n / 2 - 4), Load64(p + n - 8), n);
        }
        if (n > 24 && n <= 40) {
            return OfFiveWords(Load64(p), Load64(p + 8), Load64(p + 16), Load64(p + n - 16),
                               Load64(p + n - 8), n);
        }
        if (n > 24) {
            std::uint64_t h = n ^ seed4;
            ForEachWord(n, [&](std::size_t at) {
                h = Fold(h ^ Load64(p + at) ^ seed1, seed2);
                return true;
            });
            return h;
        }
        std::uint64_t word = 0;
        if (n >= 4) {
            word = Load32(p) | std::uint64_t{Load32(p + n - 4)} << 32;
        } else {
            const auto byte = [](char c) { return std::uint64_t{static_cast<unsigned char>(c)}; };
            word = n == 0 ? 0 : byte(p[0]) | byte(p[n / 2]) << 8 | byte(p[n - 1]) << 16;
        }
        return Fold(word ^ seed1, n ^ seed2);
    }

    // The hash of a key of n bytes, 8 to 16, from its first and last words.
    std::uint64_t OfTwoWords(std::uint64_t first, std::uint64_t last, std::size_t n) const {
        return Fold(first ^ seed1, last ^ seed2 ^ n);
    }

    // The hash of a key of n bytes, 17 to 24, from its first, middle and last
    // words.
    std::uint64_t OfThreeWords(std::uint64_t first, std::uint64_t middle, std::uint64_t last,
                               std::size_t n) const {
        return Fold(first ^ seed1, middle ^ seed2) ^ Fold(last ^ seed3, n ^ seed4);
    }

    // The hash of a key of n bytes, 25 to 40, from the words at 0, 8, 16,
    // n - 16 and n - 8, which cover it.
    std::uint64_t OfFiveWords(std::uint64_t w0, std::uint64_t w1, std::uint64_t w2,
                              std::uint64_t w3, std::uint64_t w4, std::size_t n) const {
        return Fold(Fold(w0 ^ seed1, w1 ^ seed2) ^ w2, w3 ^ seed3) ^ Fold(w4 ^ seed4, n ^ seed1);
    }

  private:
    static std::uint64_t Fold(std::uint64_t a, std::uint64_t b) {
        __extension__ using U128 = unsigned __int128;
        const U128 product = static_cast<U128>(a) * b;
        return static_cast<std::uint64_t>(product) ^ static_cast<std::uint64_t>(product >> 64);
    }
};

// The OK and NG counts of one key.
struct OkNg {
    std::int64_t ok = 0;
    std::int64_t ng = 0;

    // Counts one record of the result ok (else NG).
    void Count(bool isOk) { ++(isOk ? ok : ng); }
    bool operator==(const OkNg&) const = default;
};

// An open-addressing index over the entries: looking up a key costs one hash,
// usually one probe and one key comparison, all inline, since the record
// parser looks up two keys per line. Iteration visits the entries in the
// order they were created.
class CCountMap {
  public:
    using Entry = std::pair<std::string, OkNg>;
    using Map = std::vector<Entry>;

    CCountMap() : m_hash(TextHash::ForProcess()) {}
    CCountMap(const CCountMap&) = default;
    CCountMap& operator=(const CCountMap&) = default;
    // A map moved from is left empty, its index mask with it.
    CCountMap(CCountMap&& other) noexcept : m_hash(other.m_hash) { *this = std::move(other); }
    CCountMap& operator=(CCountMap&& other) noexcept {
        m_entries = std::exchange(other.m_entries, {});
        m_index = std::exchange(other.m_index, {});
        m_indexMask = std::exchange(other.m_indexMask, 0);
        m_hash = other.m_hash;
        return *this;
    }

    // The counts of key, created with 0 and 0 when absent. The reference is
    // valid until the next key is created.
    OkNg& Slot(std::string_view key);
    // The counts of key, or nullptr when absent.
    const OkNg* Find(std::string_view key) const;
    OkNg* Find(std::string_view key) { return const_cast<OkNg*>(std::as_const(*this).Find(key)); }
    bool Contains(std::string_view key) const { return Find(key) != nullptr; }
    void RemoveAll();
    bool IsEmpty() const { return m_entries.empty(); }
    std::size_t Size() const { return m_entries.size(); }

    Map::const_iterator begin() const { return m_entries.begin(); }
    Map::const_iterator end() const { return m_entries.end(); }

    // The most index slots that a look-up of a present key visits (0 when
    // empty): a check that keys spread, for tests.
    std::size_t LongestProbe() const;

  private:
    struct IndexSlot {
        std::uint32_t entry = 0;  // entry index + 1; 0 = free
        std::uint32_t tag = 0;    // high bits of the key's hash
    };
    static constexpr std::size_t kNotFound = ~std::size_t{0};

    static std::uint32_t TagOf(std::uint64_t hash) {
        return static_cast<std::uint32_t>(hash >> 32);
    }
    static bool SameKey(const std::string& stored, std::string_view key);

    // The entry index of key, or kNotFound; slot receives the index slot where
    // the key is or would go.
    std::size_t Lookup(std::string_view key, std::uint64_t hash, std::size_t& slot) const;
    // Find for any key, out of line: Find takes the keys of 8 to 24 bytes.
    const OkNg* FindAnyKey(std::string_view key) const;
    // Find for keys of 25 to 40 bytes with an index.
    const OkNg* FindMidKey(std::string_view key) const;
    void Rebuild(std::size_t slotCount);

    TextHash m_hash;
    Map m_entries;
    std::vector<IndexSlot> m_index;  // size 0 or a power of two, at most a quarter full
    std::size_t m_indexMask = 0;     // m_index.size() - 1, or 0 with no index
};

inline bool CCountMap::SameKey(const std::string& stored, std::string_view key) {
    using namespace text_key;
    const std::size_t n = key.size();
    if (stored.size() != n) {
        return false;
    }
    const char* a = stored.data();
    const char* b = key.data();
    // The words that TextHash reads of the key, which cover it.
    if (n >= 8 && n <= 16) {
        return Load64(a) == Load64(b) && Load64(a + n - 8) == Load64(b + n - 8);
    }
    if (n > 16 && n <= 24) {
        return ((Load64(a) ^ Load64(b)) | (Load64(a + n / 2 - 4) ^ Load64(b + n / 2 - 4)) |
                (Load64(a + n - 8) ^ Load64(b + n - 8))) == 0;
    }
    if (n > 24 && n <= 40) {
        return ((Load64(a) ^ Load64(b)) | (Load64(a + 8) ^ Load64(b + 8)) |
                (Load64(a + 16) ^ Load64(b + 16)) | (Load64(a + n - 16) ^ Load64(b + n - 16)) |
                (Load64(a + n - 8) ^ Load64(b + n - 8))) == 0;
    }
    if (n >= 8) {
        return ForEachWord(n, [&](std::size_t at) { return Load64(a + at) == Load64(b + at); });
    }
    if (n >= 4) {
        return Load32(a) == Load32(b) && Load32(a + n - 4) == Load32(b + n - 4);
    }
    return std::memcmp(a, b, n) == 0;
}

inline std::size_t CCountMap::Lookup(std::string_view key, std::uint64_t hash,
                                     std::size_t& slot) const {
    const std::uint32_t tag = TagOf(hash);
    for (slot = hash & m_indexMask;; slot = (slot + 1) & m_indexMask) {
        const IndexSlot& s = m_index[slot];
        if (s.entry == 0) {
            return kNotFound;
        }
        if (s.tag == tag && SameKey(m_entries[s.entry - 1].first, key)) {
            return s.entry - 1;
        }
    }
}

// The record keys (8 to 24 bytes) inline with their words loaded once for the
// hash and the comparison; keys of 25 to 40 bytes (the fields of a record
// from its setting file to its board) inline too; the others out of line.
[[gnu::always_inline]] inline const OkNg* CCountMap::Find(std::string_view key) const {
    using namespace text_key;
    const std::size_t n = key.size();
    if (n - 25 <= 15 && m_indexMask != 0) {
        return FindMidKey(key);
    }
    if (n - 8 > 16 || m_indexMask == 0) {
        return FindAnyKey(key);
    }
    const std::size_t mask = m_indexMask;
    const char* p = key.data();
    const std::uint64_t first = Load64(p);
    const std::uint64_t last = Load64(p + n - 8);
    const bool three = n > 16;
    const std::uint64_t middle = three ? Load64(p + n / 2 - 4) : 0;
    const std::uint64_t hash =
        three ? m_hash.OfThreeWords(first, middle, last, n) : m_hash.OfTwoWords(first, last, n);
    const std::uint32_t tag = TagOf(hash);
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const IndexSlot& s = m_index[slot];
        if (s.entry == 0) {
            return nullptr;
        }
        if (s.tag == tag) {
            const Entry& entry = m_entries[s.entry - 1];
            const char* a = entry.first.data();
            if (entry.first.size() == n && Load64(a) == first && Load64(a + n - 8) == last &&
                (!three || Load64(a + n / 2 - 4) == middle)) {
                return &entry.second;
            }
        }
    }
}

[[gnu::always_inline]] inline const OkNg* CCountMap::FindMidKey(std::string_view key) const {
    using namespace text_key;
    const std::size_t n = key.size();
    const std::size_t mask = m_indexMask;
    const char* p = key.data();
    const std::uint64_t w0 = Load64(p);
    const std::uint64_t w1 = Load64(p + 8);
    const std::uint64_t w2 = Load64(p + 16);
    const std::uint64_t w3 = Load64(p + n - 16);
    const std::uint64_t w4 = Load64(p + n - 8);
    const std::uint64_t hash = m_hash.OfFiveWords(w0, w1, w2, w3, w4, n);
    const std::uint32_t tag = TagOf(hash);
    for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const IndexSlot& s = m_index[slot];
        if (s.entry == 0) {
            return nullptr;
        }
        if (s.tag == tag) {
            const Entry& entry = m_entries[s.entry - 1];
            const char* a = entry.first.data();
            if (entry.first.size() == n &&
                ((Load64(a) ^ w0) | (Load64(a + 8) ^ w1) | (Load64(a + 16) ^ w2) |
                 (Load64(a + n - 16) ^ w3) | (Load64(a + n - 8) ^ w4)) == 0) {
                return &entry.second;
            }
        }
    }
}

class CValueSet {
  public:
    using Set = std::set<std::string, std::less<>>;

    void Insert(std::string_view value);
    bool Contains(std::string_view value) const { return m_set.find(value) != m_set.end(); }
    void RemoveAll() { m_set.clear(); }
    bool IsEmpty() const { return m_set.empty(); }
    std::size_t Size() const { return m_set.size(); }

    Set::const_iterator begin() const { return m_set.begin(); }
    Set::const_iterator end() const { return m_set.end(); }

  private:
    Set m_set;
};

}  // namespace qz

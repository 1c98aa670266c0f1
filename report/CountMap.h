#pragma once
// CCountMap: text key -> 32-bit signed count; keys compare exactly (bytes).
// CValueSet: ordered set of texts, ascending by unsigned byte comparison, which
// is the ordinal order of the ISO-8859-1 widening of the bytes.
// Both look up by std::string_view without building a string; a key is copied
// only when it enters the container.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qz {

struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

class CCountMap {
  public:
    using Map = std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>>;

    // The count slot of key, created with 0 when absent.
    std::int32_t& Slot(std::string_view key);
    // The count of key, or nullptr when absent.
    const std::int32_t* Find(std::string_view key) const;
    std::int32_t* Find(std::string_view key);
    bool Contains(std::string_view key) const { return Find(key) != nullptr; }
    void RemoveAll() { m_map.clear(); }
    bool IsEmpty() const { return m_map.empty(); }
    std::size_t Size() const { return m_map.size(); }

    Map::const_iterator begin() const { return m_map.begin(); }
    Map::const_iterator end() const { return m_map.end(); }

  private:
    Map m_map;
};

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

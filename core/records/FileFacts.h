#pragma once
// The fact rows of one record file: its counted records summed by (record day,
// setting file, customer code, board ID), each row with its OK and NG counts,
// plus the values the option scan finds in the file. Rows are kept in the
// order their key was first seen: a report sums them in file order, which
// gives every key the same first-seen order as counting the records one by
// one, whatever days and exclusions select (facts/ReportFacts.h).
//
// Texts are stored once per table and rows refer to them by index, so a row
// is a few integers and sums compare integers, not texts.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "records/CountMap.h"
#include "records/FactRowIndex.h"
#include "records/OptionValues.h"

namespace qz {

// Each distinct text once, numbered from 0 in the order first added.
class TextTable {
  public:
    // The number of text, added when absent. Inline: counting interns three
    // texts per record, nearly always texts already there.
    std::uint32_t Intern(std::string_view text) {
        if (const OkNg* number = m_numbers.Find(text)) {
            return static_cast<std::uint32_t>(number->ok);
        }
        return Add(text);
    }
    const std::string& At(std::uint32_t index) const { return m_texts[index]; }
    std::size_t Size() const { return m_texts.size(); }
    const std::vector<std::string>& Texts() const { return m_texts; }

  private:
    [[gnu::noinline]] std::uint32_t Add(std::string_view text);

    std::vector<std::string> m_texts;
    CCountMap m_numbers;  // text -> its number in OkNg::ok (the map is the index)
};

// The key of a file's fact row: a day number (dates/DayTime.h) and three
// texts of the file's table.
struct FileFactKey {
    std::int32_t day = 0;
    std::uint32_t settingFile = 0;
    std::uint32_t customer = 0;
    std::uint32_t board = 0;

    bool operator==(const FileFactKey&) const = default;
};

// The hash of a key, for indexes of rows (records/FactRowIndex.h).
inline std::uint64_t HashOf(const FileFactKey& key) {
    return MixFactKey(static_cast<std::uint32_t>(key.day) | std::uint64_t{key.settingFile} << 32,
                      key.customer | std::uint64_t{key.board} << 32);
}

struct FileFactRow {
    FileFactKey key;
    OkNg counts;
};

// The facts of one record file, or of a stretch of its lines.
struct FileFacts {
    TextTable texts;
    std::vector<FileFactRow> rows;  // keys first-seen order, each key once
    OptionValues found;             // by the option scan's rules, every data line

    // Adds the facts of the lines that follow these (a grown file's new lines):
    // counts of keys present are added, new keys follow in more's order.
    void Append(const FileFacts& more);
};

}  // namespace qz

#include "records/FileFacts.h"

namespace qz {

std::uint32_t TextTable::Add(std::string_view text) {
    const auto number = static_cast<std::uint32_t>(m_texts.size());
    m_texts.emplace_back(text);
    m_numbers.Slot(text).ok = number;
    return number;
}

void FileFacts::Append(const FileFacts& more) {
    std::vector<std::uint32_t> numbers;  // more's text numbers in this table
    numbers.reserve(more.texts.Size());
    for (const std::string& text : more.texts.Texts()) {
        numbers.push_back(texts.Intern(text));
    }
    FactRowIndex<FileFactKey> index;
    const auto keyOf = [this](std::uint32_t row) { return rows[row].key; };
    const auto hashOf = [this](std::uint32_t row) { return HashOf(rows[row].key); };
    for (std::uint32_t row = 0; row < rows.size(); ++row) {
        index.Add(HashOf(rows[row].key), row, row + 1, hashOf);
    }
    for (const FileFactRow& from : more.rows) {
        const FileFactKey key{from.key.day, numbers[from.key.settingFile],
                              numbers[from.key.customer], numbers[from.key.board]};
        const std::uint64_t hash = HashOf(key);
        const std::uint32_t row = index.Find(key, hash, keyOf);
        if (row != index.kNone) {
            rows[row].counts.ok += from.counts.ok;
            rows[row].counts.ng += from.counts.ng;
            continue;
        }
        rows.push_back({key, from.counts});
        index.Add(hash, static_cast<std::uint32_t>(rows.size() - 1), rows.size(), hashOf);
    }
    found.Merge(more.found);
}

}  // namespace qz

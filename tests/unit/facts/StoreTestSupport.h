#pragma once
// Facts and entries for the store's tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "facts/FactStore.h"
#include "records/FileFacts.h"

namespace qz::test {

// Facts of a line-shaped file: a few lots over days, each on its boards.
inline FileFacts LotFacts(int days, int boards) {
    FileFacts facts;
    const std::uint32_t setting = facts.texts.Intern("LOT-A.cfg");
    const std::uint32_t customer = facts.texts.Intern("C001");
    for (int day = 0; day < days; ++day) {
        for (int board = 0; board < boards; ++board) {
            const std::uint32_t id = facts.texts.Intern("B" + std::to_string(board));
            facts.rows.push_back({{20000 + day, setting, customer, id}, {100 + board, board % 3}});
        }
    }
    facts.found.settingFiles.Insert("LOT-A.cfg");
    facts.found.customers.Insert("C001");
    facts.found.machineIds.Insert("B0");
    return facts;
}

// An entry as if path (which exists) was counted up to completeEnd.
inline StoredFile EntryFor(const std::string& path, std::uint64_t completeEnd, FileFacts facts) {
    StoredFile file;
    file.path = path;
    file.state.stamp = *GetFileStamp(path);
    file.state.settled = true;
    file.state.completeEnd = completeEnd;
    file.state.fingerprint = 0x1234'5678'9abc'def0;
    file.facts = std::move(facts);
    return file;
}

// Saves entries as a job does: made ready, then in one transaction.
inline bool SaveEntries(FactStore& store, std::span<const StoredFile> entries) {
    std::vector<FactStoreEntry> ready;
    for (const StoredFile& entry : entries) {
        ready.push_back(MakeStoreEntry(entry.path, entry.state, entry.facts));
    }
    return store.Save(ready);
}

inline void ExpectSameFacts(const FileFacts& a, const FileFacts& b) {
    EXPECT_EQ(a.texts.Texts(), b.texts.Texts());
    ASSERT_EQ(a.rows.size(), b.rows.size());
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        EXPECT_EQ(a.rows[i].key, b.rows[i].key) << "row " << i;
        EXPECT_EQ(a.rows[i].counts, b.rows[i].counts) << "row " << i;
    }
    for (const Dimension dimension : kDimensions) {
        EXPECT_TRUE(std::equal(a.found.Of(dimension).begin(), a.found.Of(dimension).end(),
                               b.found.Of(dimension).begin(), b.found.Of(dimension).end()));
    }
}

}  // namespace qz::test

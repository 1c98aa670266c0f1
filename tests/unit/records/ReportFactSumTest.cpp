// The report's fact rows summed over files: rows that follow a machine's last
// day are appended without a look-up, the others are looked up; either way
// the result must be what a plain sum in first-seen order gives.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "facts/ReportFactSums.h"

namespace qz {
namespace {

// A file's row: day, setting file, customer, board, OK, NG.
using Row = std::tuple<std::int32_t, std::string, std::string, std::string, int, int>;

struct File {
    std::string machine;
    std::vector<Row> rows;
};

FileFacts FactsOf(const std::vector<Row>& rows) {
    FileFacts facts;
    for (const auto& [day, settingFile, customer, board, ok, ng] : rows) {
        // Interned in another order than the report's table, so that the
        // texts must be renumbered.
        const std::uint32_t b = facts.texts.Intern(board);
        const std::uint32_t c = facts.texts.Intern(customer);
        const std::uint32_t s = facts.texts.Intern(settingFile);
        facts.rows.push_back({{day, s, c, b}, {ok, ng}});
    }
    return facts;
}

// A report row as texts: machine, day, setting file, customer, board, OK, NG.
using Summed =
    std::tuple<std::string, std::int32_t, std::string, std::string, std::string, int, int>;

// The plain sum: a linear search per row, new keys in first-seen order.
std::vector<Summed> PlainSum(const std::vector<File>& files) {
    std::vector<Summed> sums;
    for (const File& file : files) {
        for (const auto& [day, settingFile, customer, board, ok, ng] : file.rows) {
            bool found = false;
            for (Summed& sum : sums) {
                if (std::get<0>(sum) == file.machine && std::get<1>(sum) == day &&
                    std::get<2>(sum) == settingFile && std::get<3>(sum) == customer &&
                    std::get<4>(sum) == board) {
                    std::get<5>(sum) += ok;
                    std::get<6>(sum) += ng;
                    found = true;
                }
            }
            if (!found) {
                sums.emplace_back(file.machine, day, settingFile, customer, board, ok, ng);
            }
        }
    }
    return sums;
}

std::vector<Summed> FactSum(const std::vector<File>& files) {
    ReportFactSum sum;
    for (const File& file : files) {
        const FileFacts facts = FactsOf(file.rows);
        std::vector<std::uint32_t> all(facts.rows.size());
        for (std::uint32_t i = 0; i < all.size(); ++i) {
            all[i] = i;
        }
        sum.Add(file.machine, facts, all);
    }
    const ReportFacts facts = sum.Take();
    std::vector<Summed> sums;
    for (const ReportFactRow& row : facts.rows) {
        sums.emplace_back(facts.texts.At(row.machine), row.day, facts.texts.At(row.settingFile),
                          facts.texts.At(row.customer), facts.texts.At(row.board),
                          static_cast<int>(row.counts.ok), static_cast<int>(row.counts.ng));
    }
    return sums;
}

TEST(ReportFactSumTest, SumsAsAPlainSumInFirstSeenOrder) {
    const File mayA{"M1", {{10, "a.cfg", "C1", "B1", 5, 1}, {11, "a.cfg", "C1", "B2", 3, 0}}};
    const File juneA{"M1", {{40, "b.cfg", "C2", "B1", 7, 0}, {41, "a.cfg", "C1", "B1", 1, 2}}};
    const File mayB{"M2", {{10, "a.cfg", "C1", "B1", 2, 2}}};
    // Days before the machine's last: rows meet summed ones and new ones.
    const File lateMayA{"M1",
                        {{41, "a.cfg", "C1", "B1", 1, 1},
                         {10, "a.cfg", "C1", "B1", 4, 0},
                         {12, "c.cfg", "C1", "B3", 0, 9}}};
    // The last day again (an unterminated last line's rows, say).
    const File lastLine{"M1", {{41, "a.cfg", "C1", "B1", 0, 1}, {42, "a.cfg", "C1", "B1", 6, 0}}};
    const struct {
        const char* name;
        std::vector<File> files;
    } cases[] = {
        {"one machine, months in order", {mayA, juneA}},
        {"machines interleaved", {mayA, mayB, juneA, mayB}},
        {"a file going back", {mayA, juneA, lateMayA}},
        {"appended rows looked up later", {mayA, mayB, juneA, lateMayA, lastLine, lateMayA}},
        {"the last day again", {mayA, juneA, lastLine}},
        {"the same file twice", {juneA, juneA}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FactSum(c.files), PlainSum(c.files));
    }
}

TEST(ReportFactSumTest, TakeStartsAnEmptySum) {
    const File may{"M1", {{10, "a.cfg", "C1", "B1", 5, 1}}};
    const FileFacts facts = FactsOf(may.rows);
    ReportFactSum sum;
    for (const int round : {1, 2}) {
        SCOPED_TRACE(round);
        // Appended, then looked up: the index must know the taken rows gone.
        sum.Add(may.machine, facts, {0});
        sum.Add(may.machine, facts, {0});
        const ReportFacts taken = sum.Take();
        ASSERT_EQ(taken.rows.size(), 1U);
        EXPECT_EQ(taken.rows[0].counts.ok, 10);
        EXPECT_EQ(taken.rows[0].counts.ng, 2);
    }
}

}  // namespace
}  // namespace qz

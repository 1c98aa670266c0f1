#pragma once
// A report's sums from fact rows: the rows of one file that a request selects
// (its days and exclusions), the counts they give (records/ReportCounts.h, as
// a pass over the file's records counts them), and the report's fact rows
// summed over its files in file order (facts/ReportFacts.h).

#include <cstdint>
#include <string_view>
#include <vector>

#include "facts/ReportFacts.h"
#include "records/FactRowIndex.h"
#include "records/FileFacts.h"
#include "records/ReportCounts.h"
#include "records/ReportCriteria.h"

namespace qz {

// The numbers of the rows of facts whose day lies in criteria's report days
// and that hold no excluded value, in row order.
std::vector<std::uint32_t> SelectFactRows(const FileFacts& facts, const ReportCriteria& criteria);

// Adds the rows of facts numbered by rows to counts. Keys new to counts follow
// in the order of the rows, which is the order a pass over the records would
// have met them in, since rows are in first-seen order and a row is selected
// or not as a whole.
void SumFactRows(const FileFacts& facts, const std::vector<std::uint32_t>& rows,
                 CReportCounts& counts);

// A report's fact rows summed file after file.
class ReportFactSum {
  public:
    // Adds the rows of facts numbered by rows, of the machine folder named
    // machine: counts of keys present are added, new keys follow in the rows'
    // order.
    void Add(std::string_view machine, const FileFacts& facts,
             const std::vector<std::uint32_t>& rows);

    const ReportFacts& Facts() const { return m_facts; }
    ReportFacts Take();

  private:
    struct Key {
        std::int32_t day;
        std::uint32_t machine;
        std::uint32_t settingFile;
        std::uint32_t customer;
        std::uint32_t board;

        bool operator==(const Key&) const = default;
    };
    static Key KeyOf(const ReportFactRow& row) {
        return {row.day, row.machine, row.settingFile, row.customer, row.board};
    }
    static std::uint64_t HashOf(const Key& key);

    ReportFacts m_facts;
    FactRowIndex<Key> m_index;
};

}  // namespace qz

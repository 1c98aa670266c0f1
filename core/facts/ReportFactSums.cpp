#include "facts/ReportFactSums.h"

#include <utility>

#include "records/RecordDateRange.h"

namespace qz {

namespace {

// Whether each text of a table is an excluded value of the field it stands
// in, looked up once per text rather than once per row.
class ExcludedTexts {
  public:
    ExcludedTexts(const TextTable& texts, const OptionValues& excluded) {
        if (excluded.IsEmpty()) {
            return;
        }
        m_fields.resize(texts.Size(), 0);
        for (std::uint32_t text = 0; text < texts.Size(); ++text) {
            const std::string& value = texts.At(text);
            m_fields[text] = static_cast<std::uint8_t>(
                (excluded.settingFiles.Contains(value) ? kSettingFile : 0) |
                (excluded.customers.Contains(value) ? kCustomer : 0) |
                (excluded.machineIds.Contains(value) ? kBoard : 0));
        }
    }

    bool Holds(const FileFactKey& key) const {
        return !m_fields.empty() &&
               ((m_fields[key.settingFile] & kSettingFile) | (m_fields[key.customer] & kCustomer) |
                (m_fields[key.board] & kBoard)) != 0;
    }

  private:
    static constexpr std::uint8_t kSettingFile = 1;
    static constexpr std::uint8_t kCustomer = 2;
    static constexpr std::uint8_t kBoard = 4;

    std::vector<std::uint8_t> m_fields;  // per text; empty: nothing excluded
};

}  // namespace

std::vector<std::uint32_t> SelectFactRows(const FileFacts& facts, const ReportCriteria& criteria) {
    const ReportDays days = ReportDays::ForReport(criteria.dtReportStart, criteria.dtReportEnd);
    const ExcludedTexts excluded(facts.texts, criteria.excluded);
    std::vector<std::uint32_t> rows;
    for (std::uint32_t row = 0; row < facts.rows.size(); ++row) {
        const FileFactKey& key = facts.rows[row].key;
        if (days.Contains(key.day) && !excluded.Holds(key)) {
            rows.push_back(row);
        }
    }
    return rows;
}

void SumFactRows(const FileFacts& facts, const std::vector<std::uint32_t>& rows,
                 CReportCounts& counts) {
    for (const std::uint32_t number : rows) {
        const FileFactRow& row = facts.rows[number];
        const OkNg& from = row.counts;
        counts.m_nOk += from.ok;
        counts.m_nNg += from.ng;
        counts.m_days.Add(row.key.day, from.ok, from.ng);
        OkNg& settingFile = counts.m_settingFiles.Slot(facts.texts.At(row.key.settingFile));
        settingFile.ok += from.ok;
        settingFile.ng += from.ng;
        OkNg& board = counts.m_machineIds.Slot(facts.texts.At(row.key.board));
        board.ok += from.ok;
        board.ng += from.ng;
    }
}

std::uint64_t ReportFactSum::HashOf(const Key& key) {
    return MixFactKey(static_cast<std::uint32_t>(key.day) | std::uint64_t{key.machine} << 32,
                      (key.settingFile | std::uint64_t{key.customer} << 32) ^
                          (std::uint64_t{key.board} * 0x9e3779b97f4a7c15ULL));
}

void ReportFactSum::Add(std::string_view machine, const FileFacts& facts,
                        const std::vector<std::uint32_t>& rows) {
    if (rows.empty()) {
        return;
    }
    const std::uint32_t machineText = m_facts.texts.Intern(machine);
    std::vector<std::uint32_t> numbers(facts.texts.Size(), FactRowIndex<Key>::kNone);
    const auto numberOf = [&](std::uint32_t text) {
        std::uint32_t& number = numbers[text];
        if (number == FactRowIndex<Key>::kNone) {
            number = m_facts.texts.Intern(facts.texts.At(text));
        }
        return number;
    };
    std::vector<ReportFactRow>& into = m_facts.rows;
    const auto keyOf = [&into](std::uint32_t row) { return KeyOf(into[row]); };
    const auto hashOf = [&into](std::uint32_t row) { return HashOf(KeyOf(into[row])); };
    for (const std::uint32_t number : rows) {
        const FileFactRow& from = facts.rows[number];
        const Key key{from.key.day, machineText, numberOf(from.key.settingFile),
                      numberOf(from.key.customer), numberOf(from.key.board)};
        const std::uint64_t hash = HashOf(key);
        const std::uint32_t row = m_index.Find(key, hash, keyOf);
        if (row != FactRowIndex<Key>::kNone) {
            into[row].counts.ok += from.counts.ok;
            into[row].counts.ng += from.counts.ng;
            continue;
        }
        into.push_back(
            {key.day, key.machine, key.settingFile, key.customer, key.board, from.counts});
        m_index.Add(hash, static_cast<std::uint32_t>(into.size() - 1), into.size(), hashOf);
    }
}

ReportFacts ReportFactSum::Take() {
    m_index.Clear();
    return std::exchange(m_facts, {});
}

}  // namespace qz

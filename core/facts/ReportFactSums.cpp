#include "facts/ReportFactSums.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "records/RecordDateRange.h"

namespace qz {

namespace {

constexpr std::int32_t kNoDay = std::numeric_limits<std::int32_t>::min();

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

namespace {

// A field's counts summed per text of a file, the texts in the order the rows
// first name them: a map then takes each text once, and its new keys keep the
// order of the rows.
class TextSums {
  public:
    explicit TextSums(std::size_t textCount) : m_sums(textCount), m_named(textCount, 0) {}

    void Add(std::uint32_t text, const OkNg& counts) {
        if (m_named[text] == 0) {
            m_named[text] = 1;
            m_order.push_back(text);
        }
        m_sums[text].ok += counts.ok;
        m_sums[text].ng += counts.ng;
    }

    void AddTo(CCountMap& map, const TextTable& texts) const {
        for (const std::uint32_t text : m_order) {
            OkNg& slot = map.Slot(texts.At(text));
            slot.ok += m_sums[text].ok;
            slot.ng += m_sums[text].ng;
        }
    }

  private:
    std::vector<OkNg> m_sums;
    std::vector<std::uint8_t> m_named;
    std::vector<std::uint32_t> m_order;
};

}  // namespace

void SumFactRows(const FileFacts& facts, const std::vector<std::uint32_t>& rows,
                 CReportCounts& counts) {
    TextSums settingFiles(facts.texts.Size());
    TextSums boards(facts.texts.Size());
    for (const std::uint32_t number : rows) {
        const FileFactRow& row = facts.rows[number];
        const OkNg& from = row.counts;
        counts.m_nOk += from.ok;
        counts.m_nNg += from.ng;
        counts.m_days.Add(row.key.day, from.ok, from.ng);
        settingFiles.Add(row.key.settingFile, from);
        boards.Add(row.key.board, from);
    }
    settingFiles.AddTo(counts.m_settingFiles, facts.texts);
    boards.AddTo(counts.m_machineIds, facts.texts);
}

std::uint64_t ReportFactSum::HashOf(const Key& key) {
    return MixFactKey(static_cast<std::uint32_t>(key.day) | std::uint64_t{key.machine} << 32,
                      (key.settingFile | std::uint64_t{key.customer} << 32) ^
                          (std::uint64_t{key.board} * 0x9e3779b97f4a7c15ULL));
}

bool ReportFactSum::MayMeetSummed(std::uint32_t machine, const FileFacts& facts,
                                  const std::vector<std::uint32_t>& rows) const {
    if (machine >= m_lastDays.size() || m_lastDays[machine] == kNoDay) {
        return false;
    }
    for (const std::uint32_t number : rows) {
        if (facts.rows[number].key.day <= m_lastDays[machine]) {
            return true;
        }
    }
    return false;
}

void ReportFactSum::IndexAppendedRows() {
    const std::vector<ReportFactRow>& rows = m_facts.rows;
    const auto hashOf = [&rows](std::uint32_t row) { return HashOf(KeyOf(rows[row])); };
    for (; m_indexedRows < rows.size(); ++m_indexedRows) {
        const auto row = static_cast<std::uint32_t>(m_indexedRows);
        m_index.Add(hashOf(row), row, m_indexedRows + 1, hashOf);
    }
}

void ReportFactSum::NoteDay(std::uint32_t machine, std::int32_t day) {
    if (machine >= m_lastDays.size()) {
        m_lastDays.resize(machine + 1, kNoDay);
    }
    m_lastDays[machine] = std::max(m_lastDays[machine], day);
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
    if (!MayMeetSummed(machineText, facts, rows)) {
        std::int32_t lastDay = kNoDay;
        for (const std::uint32_t number : rows) {
            const FileFactRow& from = facts.rows[number];
            into.push_back({from.key.day, machineText, numberOf(from.key.settingFile),
                            numberOf(from.key.customer), numberOf(from.key.board), from.counts});
            lastDay = std::max(lastDay, from.key.day);
        }
        NoteDay(machineText, lastDay);
        return;
    }
    IndexAppendedRows();
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
        m_indexedRows = into.size();
        NoteDay(machineText, key.day);
    }
}

ReportFacts ReportFactSum::Take() {
    m_index.Clear();
    m_indexedRows = 0;
    m_lastDays = {};
    return std::exchange(m_facts, {});
}

}  // namespace qz

#include "records/FileFactCounter.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

#include "platform/FileAge.h"
#include "platform/TextFileReader.h"
#include "records/RecordDateRange.h"
#include "records/RecordFields.h"
#include "records/RecordLineScan.h"
#include "records/ReportFileCounter.h"
#include "records/SpanTable.h"

namespace qz {

namespace {

// Counts records into the fact rows of one FileFacts. A record's row is found
// by its span's number on the current day, else by its integer key.
class FactCounter {
  public:
    FactCounter(const DateLocale& locale, FileFacts& facts) : m_dates(locale), m_facts(facts) {}

    // One record given as the fields the facts read (the line has at least
    // kMinRecordFields fields).
    [[gnu::always_inline]] void Record(std::string_view date, std::string_view settingFile,
                                       std::string_view customer, std::string_view board, bool ok) {
        std::int32_t day = 0;
        if (!m_dates.ReadDay(date, day)) {
            NoRow(settingFile, customer, board);
            return;
        }
        // The three fields lie in this order in the line, commas between:
        // their span is one look-up where the three texts would be three.
        const std::string_view span(
            settingFile.data(),
            static_cast<std::size_t>(board.data() + board.size() - settingFile.data()));
        SpanTable::Slot* slot = m_spans.Find(span);
        if (slot == nullptr) {
            slot = &NewSpan(span, settingFile, customer, board);
        }
        if (day != m_day) {
            NewDay(day);
        }
        if (slot->stamp != m_dayStamp) {
            const Texts& texts = m_texts[m_spans.NumberOf(*slot)];
            slot->row = RowOf({day, texts.settingFile, texts.customer, texts.board});
            slot->stamp = m_dayStamp;
        }
        m_facts.rows[slot->row].counts.Count(ok);
    }

    // A line given as its first n fields.
    void Fields(const RecordFields& fields, std::size_t n) {
        if (n >= kMinRecordFields) {
            // With six fields the result is missing, which is not "OK".
            Record(fields[kDateField], fields[kSettingFileField], fields[kCustomerField],
                   fields[kMachineIdField], n > kResultField && fields[kResultField] == "OK");
            return;
        }
        for (const Dimension dimension : kDimensions) {
            if (n > FieldOf(dimension)) {
                m_facts.found.Of(dimension).Insert(fields[FieldOf(dimension)]);
            }
        }
    }

    // A line to split first; fields is the caller's scratch space.
    [[gnu::noinline]] void Line(std::string_view line, RecordFields& fields) {
        Fields(fields, SplitRecordFields(line, fields));
    }

    // Adds the texts of the rows to the found values: each text once per
    // field it stood in, not once per record.
    void Finish() {
        std::vector<std::uint8_t> roles(m_facts.texts.Size(), 0);
        for (const FileFactRow& row : m_facts.rows) {
            roles[row.key.settingFile] |= kSettingFileRole;
            roles[row.key.customer] |= kCustomerRole;
            roles[row.key.board] |= kBoardRole;
        }
        for (std::uint32_t text = 0; text < roles.size(); ++text) {
            if ((roles[text] & kSettingFileRole) != 0) {
                m_facts.found.settingFiles.Insert(m_facts.texts.At(text));
            }
            if ((roles[text] & kCustomerRole) != 0) {
                m_facts.found.customers.Insert(m_facts.texts.At(text));
            }
            if ((roles[text] & kBoardRole) != 0) {
                m_facts.found.machineIds.Insert(m_facts.texts.At(text));
            }
        }
    }

  private:
    static constexpr std::uint8_t kSettingFileRole = 1;
    static constexpr std::uint8_t kCustomerRole = 2;
    static constexpr std::uint8_t kBoardRole = 4;

    // A record without a date gives no row, but its values are found.
    [[gnu::noinline]] void NoRow(std::string_view settingFile, std::string_view customer,
                                 std::string_view board) {
        m_facts.found.settingFiles.Insert(settingFile);
        m_facts.found.customers.Insert(customer);
        m_facts.found.machineIds.Insert(board);
    }

    std::uint32_t RowOf(const FileFactKey& key) {
        const std::uint64_t hash = HashOf(key);
        const std::uint32_t row =
            m_index.Find(key, hash, [this](std::uint32_t r) { return m_facts.rows[r].key; });
        return row != m_index.kNone ? row : NewRow(key, hash);
    }

    [[gnu::noinline]] std::uint32_t NewRow(const FileFactKey& key, std::uint64_t hash) {
        std::vector<FileFactRow>& rows = m_facts.rows;
        rows.push_back({key, {}});
        const auto row = static_cast<std::uint32_t>(rows.size() - 1);
        m_index.Add(hash, row, rows.size(),
                    [&rows](std::uint32_t r) { return HashOf(rows[r].key); });
        return row;
    }

    // The text numbers of a record's setting file, customer and board.
    struct Texts {
        std::uint32_t settingFile;
        std::uint32_t customer;
        std::uint32_t board;
    };

    [[gnu::noinline]] SpanTable::Slot& NewSpan(std::string_view span, std::string_view settingFile,
                                               std::string_view customer, std::string_view board) {
        m_texts.push_back({m_facts.texts.Intern(settingFile), m_facts.texts.Intern(customer),
                           m_facts.texts.Intern(board)});
        return m_spans.Add(span, static_cast<std::uint32_t>(m_texts.size() - 1));
    }

    // A record of another day than the last: every span's row is to be found
    // again, which a new stamp says at once.
    [[gnu::noinline]] void NewDay(std::int32_t day) {
        m_day = day;
        if (++m_dayStamp == 0) {
            m_spans.ClearStamps();
            m_dayStamp = 1;
        }
    }

    RecordDayReader m_dates;
    FileFacts& m_facts;
    // A record's fields from its setting file to its board, as they stand in
    // the line -> their texts' numbers (m_texts) and the row of the current
    // day. A span splits into one set of fields (fields hold no comma), though
    // a run of commas makes other spans of the same fields.
    SpanTable m_spans;
    std::vector<Texts> m_texts;
    FactRowIndex<FileFactKey> m_index;
    // A span's row is valid while its stamp is the day's: records come in
    // time order, so a record finds its row by its span alone, and a new day
    // (or one met again) costs one step.
    std::int32_t m_day = 0;
    std::uint32_t m_dayStamp = 1;  // above every stamp made before a record
};

#if QZ_SCAN_IN_PLACE
// Counts the record lines that lie whole in the reader's buffer with a full
// scan window from their start, each as CountFileFacts' loop does (cancel
// poll, count, progress), and consumes them. False when a cancel was seen.
[[QZ_SCAN_TARGET]] bool CountBufferedLines(TextFileReader& reader, std::uint64_t from,
                                           FactCounter& counter, RecordFields& fields,
                                           FileProgress& progress) {
    const std::string_view buffered = reader.Buffered();
    const char* const begin = buffered.data();
    const char* const end = begin + buffered.size();
    const std::uint64_t position = reader.GetPosition() - from;
    const char* p = begin;
    bool cancelled = false;
    std::size_t lineBytes = 0;
    std::size_t length = 0;
    ReportLineFields line;
    while (static_cast<std::size_t>(end - p) >= kScanWindow) {
        const ReportLineScan scan = ScanReportLine(p, lineBytes, length, line);
        if (scan == ReportLineScan::NoLineEnd) {
            break;
        }
        if (progress.IsCancelled()) {
            cancelled = true;
            break;
        }
        if (scan == ReportLineScan::Fields) {
            counter.Record(line.date, line.settingFile, line.customer, line.machineId, line.ok);
        } else if (length > 0) {
            // Fewer fields than a record still have values to find.
            counter.Line(std::string_view(p, length), fields);
        }
        p += lineBytes;
        progress.AfterLine(position + static_cast<std::uint64_t>(p - begin));
    }
    reader.Consume(static_cast<std::size_t>(p - begin));
    return !cancelled;
}
#endif

// The file changed within the quiet time: its unterminated last line may be
// a record still being written. A file whose time cannot be read, or lies far
// ahead of the clock, is taken as quiet.
bool IsBeingWritten(const std::string& path) {
    const auto since = TimeSinceChange(path);
    return since && std::chrono::abs(*since) < kQuietTime;
}

// Reads the lines of reader into counter; false when cancelled.
bool CountLines(const std::string& path, const DateLocale& locale, TextFileReader& reader,
                std::uint64_t from, FactCounter& counter, FileProgress& progress,
                FileFactCount& count) {
    std::string_view line;
    RecordFields fields;
#if QZ_SCAN_IN_PLACE
    const bool scanInPlace = CanScanInPlace();
#endif
    for (;;) {
        bool cancelled = false;
#if QZ_SCAN_IN_PLACE
        // The lines that the buffer holds; the next one the general way.
        cancelled = scanInPlace && !CountBufferedLines(reader, from, counter, fields, progress);
#endif
        if (!cancelled) {
            count.completeEnd = reader.GetPosition();
        }
        if (!cancelled && !reader.ReadLine(line)) {
            return true;
        }
        if (cancelled || progress.IsCancelled()) {
            return false;
        }
        if (reader.Unterminated()) {
            // The last line: never part of the complete lines' facts.
            // A line still being written gives no row, but its values are
            // found.
            FactCounter last(locale, count.lastLine);
            const std::size_t n = SplitRecordFields(line, fields);
            if (IsBeingWritten(path)) {
                ++count.linesLeftOut;
                last.Fields(fields, std::min(n, kMinRecordFields - 1));
            } else {
                last.Fields(fields, n);
            }
            last.Finish();
            progress.AfterLine(reader.GetPosition() - from);
            return true;
        }
        if (reader.EndsAtFileEnd()) {
            // Ended by a lone CR at the end of the file: it counts, but bytes
            // appended behind the CR may join it to the next line, so it is
            // not one of the complete lines a later count resumes behind.
            FactCounter last(locale, count.lastLine);
            last.Line(line, fields);
            last.Finish();
            progress.AfterLine(reader.GetPosition() - from);
            return true;
        }
        counter.Line(line, fields);
        progress.AfterLine(reader.GetPosition() - from);
    }
}

}  // namespace

OptionValues FoundValues(const FileFactCount& count) {
    OptionValues values = count.facts.found;
    values.Merge(count.lastLine.found);
    return values;
}

bool CountFileFacts(const std::string& path, const DateLocale& locale, std::uint64_t from,
                    FileProgress& progress, FileFactCount& count) {
    count = FileFactCount();
    count.completeEnd = from;
    TextFileReader reader(path, ShareMode::Shared);
    FactCounter counter(locale, count.facts);
    bool ended = true;
    try {
        std::string_view line;
        if (from != 0) {
            reader.StartAt(from);
        } else if (reader.ReadLine(line)) {
            count.header = std::string(line);
            if (reader.EndsAtFileEnd()) {
                // A header still being written, or ended by a lone CR that
                // appended bytes may turn into no line end: nothing is
                // complete yet.
                progress.AfterLine(reader.GetPosition());
                counter.Finish();
                return true;
            }
            count.completeEnd = reader.GetPosition();
        }
        ended = CountLines(path, locale, reader, from, counter, progress, count);
    } catch (...) {
        counter.Finish();
        throw;
    }
    counter.Finish();
    // A header-only file's bytes, and the last line's where the loop ended.
    progress.AfterLine(reader.GetPosition() - from);
    if (ended) {
        reader.ThrowIfLinesSkipped();
    }
    return ended;
}

}  // namespace qz

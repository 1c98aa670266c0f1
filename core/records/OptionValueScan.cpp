#include "records/OptionValueScan.h"

#include <string_view>

#include "platform/DebugTrace.h"
#include "platform/TextFileReader.h"
#include "records/RecordFields.h"

namespace qz {

namespace {

// Uses the report pass's split, so both passes agree on every position;
// fields behind position 4 are passed over.
void CollectLineValues(std::string_view line, RecordFields& fields, OptionValues& values) {
    const std::size_t count = SplitRecordFields(line, fields);
    for (const Dimension dimension : kDimensions) {
        if (count > FieldOf(dimension)) {
            values.Of(dimension).Insert(fields[FieldOf(dimension)]);
        }
    }
}

}  // namespace

bool ScanOptionValues(const std::string& path, FileProgress& progress, OptionValues& values) {
    TextFileReader reader(path, ShareMode::Shared);
    std::string_view line;
    if (reader.ReadLine(line)) {
        DebugTrace(line);
    }
    RecordFields fields;
    // The header's bytes are counted with the first data line.
    while (reader.ReadLine(line)) {
        if (progress.IsCancelled()) {
            return false;
        }
        CollectLineValues(line, fields, values);
        progress.AfterLine(reader.GetPosition());
    }
    progress.AfterLine(reader.GetPosition());
    reader.ThrowIfLinesSkipped();
    return true;
}

}  // namespace qz

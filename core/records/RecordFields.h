#pragma once
// The fields of a record line.
//
// A record line is split at commas; a run of commas counts as one and leading
// commas are skipped, so no field is empty. Positions: 0 date, 2 Setting File,
// 3 customer code, 4 Machine (Write Board) ID, 6 result ("OK" = passed).

#include <array>
#include <cstddef>
#include <string_view>

namespace qz {

constexpr std::size_t kDateField = 0;
constexpr std::size_t kSettingFileField = 2;
constexpr std::size_t kCustomerField = 3;
constexpr std::size_t kMachineIdField = 4;
constexpr std::size_t kResultField = 6;

// Fields 0..5 must be present for a record; field 6 (the result) may be missing.
constexpr std::size_t kMinRecordFields = 6;

using RecordFields = std::array<std::string_view, 7>;

// Splits line into at most fields.size() fields; returns how many were found.
// The views point into line.
std::size_t SplitRecordFields(std::string_view line, RecordFields& fields);

}  // namespace qz

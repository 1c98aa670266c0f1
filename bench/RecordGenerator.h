#pragma once
// Deterministic production record files for benchmarks and tests.
//
// A file starts with a header line, then records such as
//   2018/05/03 10:21:07,CBL-20180503-000123,MAIN_SET_A01_REV3.bin,0A1B,WB-07-P2,3,OK
// of 70-90 bytes, dated from 2018/01/01 onwards in ascending order, some with a
// date alone. A few lines are irregular the way real files are: CR LF line
// ends, empty fields, short lines, results other than "OK". The same seed and
// size always give the same bytes.

#include <cstdint>
#include <string>

namespace qz {

struct RecordFileStats {
    std::uint64_t bytes = 0;    // the file's size
    std::uint64_t records = 0;  // lines after the header
};

// Writes at least minBytes bytes (whole lines) to path, replacing the file.
// Throws std::runtime_error when the file cannot be written.
RecordFileStats GenerateRecordFile(const std::string& path, std::uint64_t minBytes,
                                   std::uint64_t seed);

}  // namespace qz

#pragma once
// The option scan of one record file: the distinct Setting Files (position 2),
// customer codes (3) and Machine IDs (4) of its data lines. Knows nothing of
// threads: a job calls it once per file on a worker.

#include <string>

#include "progress/JobProgress.h"
#include "records/OptionValues.h"

namespace qz {

// Adds the values of the file at path to values; its header line goes to the
// debug trace. False when a cancel stopped it. A file that cannot be opened or
// read throws FileError; so does one with lines longer than
// TextFileReader::kMaxLineBytes, after its other lines were scanned.
bool ScanOptionValues(const std::string& path, FileProgress& progress, OptionValues& values);

}  // namespace qz

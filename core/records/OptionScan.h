#pragma once
// The option scan of one record file: collects the distinct Setting Files
// (position 2), customer codes (3) and Machine IDs (4) of every data line into
// the worker's per-file sets. Keeps the per-file parser contract of CParseWorker.

namespace qz {

struct CParseWorker;

void ScanOptionValues(CParseWorker& worker);
// Inserts the worker's per-file sets into the three found-value sets.
void MergeOptionValues(CParseWorker& worker);

}  // namespace qz

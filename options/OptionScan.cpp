#include "options/OptionScan.h"

#include "parse/ParseWorker.h"

namespace qz {

void ScanOptionValues(CParseWorker& worker) {
    (void)worker;
}

void MergeOptionValues(CParseWorker& worker) {
    (void)worker;
}

}  // namespace qz

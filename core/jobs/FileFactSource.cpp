#include "jobs/FileFactSource.h"

namespace qz {

bool ReadFileFacts(const std::string& path, const DateLocale& locale, FileProgress& progress,
                   FileFactCount& count) {
    return CountFileFacts(path, locale, 0, progress, count);
}

}  // namespace qz

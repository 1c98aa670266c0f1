#pragma once
// The files a job reads: every entry of the chosen machine folders.

#include <cstdint>
#include <string>
#include <vector>

namespace qz {

struct RecordFileList {
    std::vector<std::string> paths;
    std::uint64_t totalBytes = 0;
};

// The entries of each machine folder (all but "." and ".."; a sub-folder is
// listed too, and fails when it is read), folder by folder in folder-search
// order, and the sum of their sizes. A missing folder adds nothing.
RecordFileList ListRecordFiles(const std::vector<std::string>& machineFolders);

}  // namespace qz

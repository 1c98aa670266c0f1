#pragma once
// The files a job reads: every entry of the chosen machine folders.

#include <cstdint>
#include <string>
#include <vector>

#include "progress/JobProgress.h"

namespace qz {

struct RecordFileList {
    std::vector<std::string> paths;
    std::vector<std::size_t> folders;  // per path: its machine folder's place in the list
    std::uint64_t totalBytes = 0;
};

// The first step of every job. The entries of each machine folder (all but
// "." and ".."; a sub-folder is listed too, and fails when it is read), folder
// by folder in folder-search order, and the sum of their sizes, which becomes
// the job's progress total. A missing folder adds nothing.
RecordFileList ListRecordFiles(const std::vector<std::string>& machineFolders,
                               JobProgress& progress);

}  // namespace qz

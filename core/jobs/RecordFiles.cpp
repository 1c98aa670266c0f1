#include "jobs/RecordFiles.h"

#include "platform/FolderSearch.h"

namespace qz {

RecordFileList ListRecordFiles(const std::vector<std::string>& machineFolders,
                               JobProgress& progress) {
    RecordFileList list;
    for (const std::string& folder : machineFolders) {
        for (FolderEntry& entry : SearchFolder(folder + "\\*")) {
            if (entry.IsDots()) {
                continue;
            }
            list.totalBytes += entry.size;
            list.paths.push_back(std::move(entry.path));
        }
    }
    progress.SetTotalBytes(list.totalBytes);
    return list;
}

}  // namespace qz

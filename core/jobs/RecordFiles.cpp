#include "jobs/RecordFiles.h"

#include "platform/FolderSearch.h"

namespace qz {

RecordFileList ListRecordFiles(const std::vector<std::string>& machineFolders,
                               JobProgress& progress) {
    RecordFileList list;
    for (std::size_t folder = 0; folder < machineFolders.size(); ++folder) {
        for (FolderEntry& entry : SearchFolder(machineFolders[folder] + "\\*")) {
            if (entry.IsDots()) {
                continue;
            }
            list.totalBytes += entry.size;
            list.paths.push_back(std::move(entry.path));
            list.folders.push_back(folder);
        }
    }
    progress.SetTotalBytes(list.totalBytes);
    return list;
}

}  // namespace qz

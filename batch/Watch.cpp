#include "batch/Watch.h"

#include <filesystem>
#include <system_error>

#include "platform/FolderSearch.h"
#include "platform/Path.h"

namespace qz {

namespace {

struct Look {
    std::vector<std::string> folders;
    std::vector<RecordFileStamp> stamps;
    std::string today;
    bool operator==(const Look&) const = default;
};

Look TakeLook(const WatchPlan& plan) {
    Look look;
    look.folders = plan.machineFolders();
    look.stamps = plan.stamp(look.folders);
    if (plan.today) {
        look.today = plan.today();
    }
    return look;
}

}  // namespace

std::vector<RecordFileStamp> StampRecordFiles(const std::vector<std::string>& machineFolders) {
    std::vector<RecordFileStamp> stamps;
    for (const std::string& folder : machineFolders) {
        for (const FolderEntry& entry : SearchFolder(folder + kPathSeparator + '*')) {
            if (entry.IsDots()) {
                continue;
            }
            std::error_code error;
            const auto modified =
                std::filesystem::last_write_time(FileSystemPath(entry.path), error);
            stamps.push_back(
                {entry.path, entry.size,
                 error ? 0 : static_cast<std::int64_t>(modified.time_since_epoch().count())});
        }
    }
    return stamps;
}

void Watch(const WatchPlan& plan) {
    // Taken before the report, so that a change while it is written makes
    // the next one.
    Look reported = TakeLook(plan);
    plan.writeReport(reported.folders);
    while (!plan.waitForStop(plan.interval)) {
        Look now = TakeLook(plan);
        if (now != reported) {
            reported = std::move(now);
            plan.writeReport(reported.folders);
        }
    }
}

}  // namespace qz

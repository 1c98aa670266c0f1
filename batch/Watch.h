#pragma once
// --watch: the report written, then written again whenever a record file of
// the chosen machines changes, at most once per interval. Changes are found
// by polling the files' sizes and modification times, which works alike on
// every system and file share; a rolling range (--days) also moves when the
// date changes.

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qz {

// What a look at one record file found.
struct RecordFileStamp {
    std::string path;
    std::uint64_t size = 0;
    std::int64_t modified = 0;  // the system's file time, in its own units
    bool operator==(const RecordFileStamp&) const = default;
};

// Every entry of the machine folders as a report lists them (a file that
// vanished between the listing and the look has modified 0).
std::vector<RecordFileStamp> StampRecordFiles(const std::vector<std::string>& machineFolders);

struct WatchPlan {
    std::chrono::seconds interval{1};
    // The machine folders of the next report, looked up at every look.
    std::function<std::vector<std::string>()> machineFolders;
    // The stamps of those folders' files (StampRecordFiles).
    std::function<std::vector<RecordFileStamp>(const std::vector<std::string>&)> stamp =
        StampRecordFiles;
    // Today's date, for a rolling range; unset for a fixed one.
    std::function<std::string()> today;
    // Writes the report over the folders.
    std::function<void(const std::vector<std::string>& machineFolders)> writeReport;
    // Waits up to its argument; true when the watch is to end.
    std::function<bool(std::chrono::milliseconds)> waitForStop;
};

// Writes the report, then looks once per interval and writes it again when
// the folders, their files' stamps or (rolling) today's date differ from the
// look before the last report; returns when waitForStop says so. A report
// already begun is the writer's to finish or abandon.
void Watch(const WatchPlan& plan);

}  // namespace qz

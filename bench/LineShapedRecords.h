#pragma once
// Record files shaped like a production line's: a machine runs lots, each one
// setting file for one customer over some hours on all of its boards in turn,
// one file per machine and month. Their fact rows are few against their
// records (a lot gives one row per board and day), unlike the random keys of
// RecordGenerator.h, so they show what the cache of facts keeps.

#include <cstdint>
#include <string>

namespace qz {

// Writes at least minBytes (whole lines) of the month year/month to path,
// spread over the month's days; the same arguments give the same bytes.
// Returns the bytes written. Throws std::runtime_error when the file cannot be
// written.
std::uint64_t GenerateLineShapedMonth(const std::string& path, int year, int month,
                                      std::uint64_t minBytes, std::uint64_t seed);

// Appends at least bytes of records of the month's last day, later than any
// GenerateLineShapedMonth writes (the lot running on). Returns the bytes added.
std::uint64_t AppendLineShapedRecords(const std::string& path, int year, int month,
                                      std::uint64_t bytes, std::uint64_t seed);

}  // namespace qz

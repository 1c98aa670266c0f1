#pragma once
// What the cache tests share: the batch command's cache options, numbers a
// run takes from its environment, where trees go, the open last lines' state
// and a request made at random.

#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace qz::test {

// Files changed a moment ago may not be trusted by their times alone (a write
// in the same tick of the file clock leaves them as they were), so a cache
// reads them again: a pause this long lets a tree's times fall behind the
// clock, so that the runs after it meet files at rest.
inline constexpr std::chrono::milliseconds kRestPause{2500};

// Where a cache test works: a temporary folder on a fast file system (/dev/shm
// when there is one: the script writer and the cache flush every file they
// write, which on a busy disk would cost a run most of its time) holding the
// record tree (root), the cache file and the home and cache folders the runs
// see, so that none of them touches the user's.
struct CacheTestFolders {
    CacheTestFolders();

    ScopedEnv tmp;
    TempDir dir;
    HomeRedirect home;
    ScopedEnv cacheHome;
    std::string root;       // the data root: record tree in root/ReportData
    std::string cacheFile;  // the file the runs with the cache share
};

// The walk's seed: QZ_CACHE_TEST_SEED, else a random one; and the line that
// says how to replay it.
std::uint64_t SeedFromEnvironment();
std::string ReplayText(std::uint64_t seed);

// The batch command's options for a run with the cache in file, and for one
// that reads every file.
std::vector<std::string> WithCache(const std::string& file);
std::vector<std::string> WithoutCache();

// The number in the environment variable name, else fallback.
std::uint64_t NumberFromEnvironment(const char* name, std::uint64_t fallback);

// For each file of files whose last line has no line end: whether a report
// made now would leave that line out as still being written (the file
// changed within the quiet time). Two runs that see different answers read
// different lines, so their outputs may rightly differ.
std::vector<bool> OpenLinesLeftOut(const std::vector<std::string>& files);

// A report request over machines (names of the tree's machine folders): its
// days around the tree's records (sometimes none of them), some machines or
// all, some excluded values, a worker count. Arguments after the program's
// name and its --root.
std::vector<std::string> RandomReportArguments(const std::vector<std::string>& machines,
                                               std::mt19937_64& random);

}  // namespace qz::test

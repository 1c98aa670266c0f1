#include "tests/unit/cache/CacheTestSupport.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "records/ReportFileCounter.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/cache/ChangingTree.h"

namespace qz::test {

std::vector<std::string> WithCache(const std::string& file) {
    return {"--cache", file};
}

std::vector<std::string> WithoutCache() {
    return {"--no-cache"};
}

std::uint64_t NumberFromEnvironment(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') {
        return fallback;
    }
    return std::strtoull(text, nullptr, 0);
}

namespace {

std::optional<std::string> FastTempFolder() {
    if (::access("/dev/shm", W_OK | X_OK) == 0) {
        return "/dev/shm";
    }
    const char* tmp = std::getenv("TMPDIR");
    return tmp != nullptr ? std::optional<std::string>(tmp) : std::nullopt;
}

}  // namespace

CacheTestFolders::CacheTestFolders()
    : tmp("TMPDIR", FastTempFolder()),
      cacheHome("XDG_CACHE_HOME", dir.MakeDir("xdg-cache")),
      root(dir.path() + "/root"),
      cacheFile(dir.MakeDir("cache") + "/facts.db") {}

std::uint64_t SeedFromEnvironment() {
    return NumberFromEnvironment("QZ_CACHE_TEST_SEED", std::random_device()());
}

std::string ReplayText(std::uint64_t seed) {
    return "seed " + std::to_string(seed) + " (replay: QZ_CACHE_TEST_SEED=" + std::to_string(seed) +
           ")";
}

std::vector<bool> OpenLinesLeftOut(const std::vector<std::string>& files) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::vector<bool> leftOut;
    for (const std::string& path : files) {
        struct stat status {};
        if (::stat(path.c_str(), &status) != 0 || status.st_size == 0) {
            continue;
        }
        const std::string bytes = ReadFile(path);
        if (bytes.back() == '\n' || bytes.back() == '\r') {
            continue;
        }
        const auto since = std::chrono::seconds(now.tv_sec - status.st_mtim.tv_sec) +
                           std::chrono::nanoseconds(now.tv_nsec - status.st_mtim.tv_nsec);
        leftOut.push_back(std::chrono::abs(since) < kQuietTime);
    }
    return leftOut;
}

std::vector<std::string> RandomReportArguments(const std::vector<std::string>& machines,
                                               std::mt19937_64& random) {
    const auto pick = [&random](std::size_t count) {
        return static_cast<std::size_t>(random() % count);
    };
    std::vector<std::string> args;
    // The records lie in 2018-05-01..10: ranges inside, across and beside
    // them, and now and then a whole year.
    char day[16];
    if (pick(8) == 0) {
        args.insert(args.end(), {"--from", "2018-01-01", "--to", "2018-12-31"});
    } else {
        const std::size_t first = pick(14);
        const std::size_t last = first + pick(14 - first);
        // Days 0..13 are 2018-04-29..2018-05-12.
        const auto dayText = [&day](std::size_t n) {
            if (n < 2) {
                std::snprintf(day, sizeof day, "2018-04-%02zu", 29 + n);
            } else {
                std::snprintf(day, sizeof day, "2018-05-%02zu", n - 1);
            }
            return std::string(day);
        };
        args.insert(args.end(), {"--from", dayText(first), "--to", dayText(last)});
    }
    if (!machines.empty() && pick(3) != 0) {
        for (const std::string& machine : machines) {
            if (pick(2) == 0) {
                args.insert(args.end(), {"--machine", machine});
            }
        }
    }
    const std::pair<const char*, const std::vector<std::string>*> excludable[] = {
        {"--exclude-setting-file", &ChangingTree::SettingFiles()},
        {"--exclude-board", &ChangingTree::Boards()},
        {"--exclude-customer", &ChangingTree::Customers()},
    };
    for (const auto& [option, values] : excludable) {
        if (pick(4) == 0) {
            args.insert(args.end(), {option, (*values)[pick(values->size())]});
        }
    }
    args.insert(args.end(), {"--workers", std::to_string(1 + pick(4))});
    return args;
}

}  // namespace qz::test

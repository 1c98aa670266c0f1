// The store in front of the per-file count: after every kind of change to a
// file, its facts are those of counting it whole, and only what is new is
// read.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "facts/FactCoding.h"
#include "jobs/CachedFileFacts.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "platform/Path.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/facts/StoreTestSupport.h"

namespace qz {
namespace {

std::string Line(int day, int second, const char* setting, const char* board, const char* result) {
    char text[128];
    std::snprintf(text, sizeof text, "2026/03/%02d 10:%02d:%02d,CBL-1,%s,0A1B,%s,1,%s\n", day,
                  second / 60, second % 60, setting, board, result);
    return text;
}

std::string Lines(int from, int count) {
    std::string text;
    for (int i = from; i < from + count; ++i) {
        text += Line(1 + i / 40, i % 3600, i % 7 == 0 ? "B.cfg" : "A.cfg",
                     i % 2 == 0 ? "WB-01" : "WB-02", i % 11 == 0 ? "NG" : "OK");
    }
    return text;
}

const std::string kHeader = "Date,Cable No.,Setting File,Customer,Write Board ID,Count,Result\n";

void Append(const std::string& path, const std::string& bytes) {
    std::ofstream(FileSystemPath(path), std::ios::binary | std::ios::app) << bytes;
}

// Past the settle time, so that an unchanged file is trusted.
void LetTheFileSettle() {
    std::this_thread::sleep_for(std::chrono::nanoseconds(CachedFileFacts::kSettleTimeFine) +
                                std::chrono::milliseconds(50));
}

FileFactCount CountWhole(const std::string& path, const DateLocale& locale) {
    JobProgress job(1);
    FileProgress progress(job, 0);
    FileFactCount count;
    EXPECT_TRUE(CountFileFacts(path, locale, 0, progress, count));
    return count;
}

struct CachedRun {
    FileFactCount count;
    FactCacheUse use;
    std::uint64_t progress = 0;
};

CachedRun CountCached(const std::string& db, const std::string& path, const DateLocale& locale) {
    FactStoreOptions options;
    options.localeKey = LocaleKey(locale);
    FactStore store(db, options);
    EXPECT_TRUE(store.IsUsable()) << store.WhyNotUsed();
    CachedFileFacts cache(&store, locale);
    JobProgress job(1);
    CachedRun run;
    FileProgress progress(job, 0);
    EXPECT_TRUE(cache.Count(path, progress, run.count));
    cache.Save(false);
    EXPECT_EQ(store.WhyNotUsed(), "");
    run.use = cache.Use();
    run.progress = job.ParsedBytes();
    return run;
}

void ExpectSameCount(const FileFactCount& cached, const FileFactCount& whole) {
    test::ExpectSameFacts(cached.facts, whole.facts);
    test::ExpectSameFacts(cached.lastLine, whole.lastLine);
    EXPECT_EQ(cached.completeEnd, whole.completeEnd);
    EXPECT_EQ(cached.linesLeftOut, whole.linesLeftOut);
}

enum class Expect { Whole, Grown, FromCache };

struct Step {
    const char* name;
    std::function<void(const std::string& path)> change;
    Expect served;
    // Counted past the settle time of the change: the entry it stores is
    // trusted as unchanged later.
    bool settled = true;
};

TEST(CachedFacts, AfterEachChangeTheFactsAreThoseOfTheWholeFile) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    const std::string path = dir.Write("M01/2026-03.csv", kHeader + Lines(0, 400));
    const DateLocale locale;
    const auto rewriteAt = [](const std::string& p, std::uint64_t at, const char* bytes) {
        std::fstream file(FileSystemPath(p), std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(static_cast<std::streamoff>(at));
        file << bytes;
    };
    const auto size = [](const std::string& p) {
        return std::filesystem::file_size(FileSystemPath(p));
    };
    const Step steps[] = {
        {"first count", [](const std::string&) {}, Expect::Whole},
        {"unchanged", [](const std::string&) {}, Expect::FromCache},
        {"touched, nothing changed",
         [](const std::string& p) {
             std::filesystem::last_write_time(FileSystemPath(p),
                                              std::filesystem::file_time_type::clock::now());
         },
         Expect::Whole},
        {"whole lines appended", [](const std::string& p) { Append(p, Lines(400, 50)); },
         Expect::Grown},
        {"a line without its end appended",
         [](const std::string& p) { Append(p, Line(20, 1, "C.cfg", "WB-03", "OK").substr(0, 30)); },
         Expect::Grown},
        {"unchanged, ending in that line", [](const std::string&) {}, Expect::FromCache},
        {"the line's end appended, counted at once",
         [](const std::string& p) { Append(p, Line(20, 1, "C.cfg", "WB-03", "OK").substr(30)); },
         Expect::Grown, false},
        {"unchanged, but stored right after a write", [](const std::string&) {}, Expect::Whole},
        {"rewritten in place, same size, time set back",
         [&](const std::string& p) {
             const auto before = std::filesystem::last_write_time(FileSystemPath(p));
             rewriteAt(p, kHeader.size() + 26, "X");  // B.cfg becomes X.cfg
             std::filesystem::last_write_time(FileSystemPath(p), before);
         },
         Expect::Whole},
        {"the last stored bytes rewritten, then grown",
         [&](const std::string& p) {
             rewriteAt(p, size(p) - 3, "NG\n");
             Append(p, Lines(450, 5));
         },
         Expect::Whole},
        {"cut short",
         [&](const std::string& p) {
             std::filesystem::resize_file(FileSystemPath(p), size(p) - 500);
         },
         Expect::Whole},
        {"replaced by a grown copy under the same name",
         [&](const std::string& p) {
             const std::string copy = p + ".new";
             std::filesystem::copy_file(FileSystemPath(p), FileSystemPath(copy));
             Append(copy, Lines(500, 5));
             std::filesystem::rename(FileSystemPath(copy), FileSystemPath(p));
         },
         Expect::Whole},
        {"unchanged at last", [](const std::string&) {}, Expect::FromCache},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // a tick of the file clock
        step.change(path);
        if (step.settled) {
            LetTheFileSettle();
        }
        const CachedRun run = CountCached(db, path, locale);
        ExpectSameCount(run.count, CountWhole(path, locale));
        EXPECT_EQ(run.use.filesRead, step.served == Expect::Whole ? 1u : 0u);
        EXPECT_EQ(run.use.filesGrown, step.served == Expect::Grown ? 1u : 0u);
        EXPECT_EQ(run.use.filesFromCache, step.served == Expect::FromCache ? 1u : 0u);
        EXPECT_EQ(run.progress, size(path)) << "bytes from the cache count as done";
        if (step.served != Expect::Whole) {
            EXPECT_GT(run.use.bytesFromCache, 0u);
        }
    }

    DateLocale other = locale;
    other.order = DateOrder::DMY;
    const CachedRun otherLocale = CountCached(db, path, other);
    EXPECT_EQ(otherLocale.use.filesRead, 1u) << "dates read by another locale";
    ExpectSameCount(otherLocale.count, CountWhole(path, other));
}

TEST(CachedFacts, ACancelledCountStoresNothing) {
    test::TempDir dir;
    const std::string db = dir.path() + "/facts.sqlite";
    const std::string path = dir.Write("M01/a.csv", kHeader + Lines(0, 400));
    const DateLocale locale;
    FactStoreOptions options;
    options.localeKey = LocaleKey(locale);
    {
        FactStore store(db, options);
        CachedFileFacts cache(&store, locale);
        JobProgress job(1);
        FileFactCount count;
        FileProgress progress(job, 0);
        EXPECT_TRUE(cache.Count(path, progress, count));
        job.Cancel();
        cache.Save(true);
    }
    FactStore store(db, options);
    EXPECT_FALSE(store.Find(path).has_value());
}

TEST(CachedFacts, WithoutAStoreEveryFileIsCountedWhole) {
    test::TempDir dir;
    const std::string path = dir.Write("M01/a.csv", kHeader + Lines(0, 100));
    const DateLocale locale;
    CachedFileFacts cache(nullptr, locale);
    JobProgress job(1);
    FileFactCount count;
    FileProgress progress(job, 0);
    ASSERT_TRUE(cache.Count(path, progress, count));
    cache.Save(false);
    ExpectSameCount(count, CountWhole(path, locale));
    EXPECT_EQ(cache.Use().filesRead, 0u) << "no cache: nothing to tell";
}

// A report's result as the outputs see it: totals, keys in order, fact rows.
std::string Shown(const ReportResult& result) {
    std::string text = std::to_string(result.m_nOk) + "/" + std::to_string(result.m_nNg) + "\n";
    for (const Dimension dimension : kCountedDimensions) {
        for (const auto& [key, counts] : result.Of(dimension)) {
            text += key + " " + std::to_string(counts.ok) + " " + std::to_string(counts.ng) + "\n";
        }
    }
    for (const ReportFactRow& row : result.facts.rows) {
        text += std::to_string(row.day) + " " + result.facts.texts.At(row.machine) + " " +
                result.facts.texts.At(row.settingFile) + " " + result.facts.texts.At(row.customer) +
                " " + result.facts.texts.At(row.board) + " " + std::to_string(row.counts.ok) + " " +
                std::to_string(row.counts.ng) + "\n";
    }
    return text;
}

TEST(CachedFacts, JobsOnSeveralWorkersGiveWhatTheyGiveWithoutTheCache) {
    test::TempDir dir;
    std::vector<std::string> machines;
    std::vector<std::string> files;
    for (int m = 0; m < 3; ++m) {
        machines.push_back(dir.MakeDir("M" + std::to_string(m)));
        for (int f = 0; f < 4; ++f) {
            files.push_back(dir.Write("M" + std::to_string(m) + "/" + std::to_string(f) + ".csv",
                                      kHeader + Lines(f * 97 + m, 300)));
        }
    }
    const CachePlace cache{dir.path() + "/facts.sqlite", false};
    const auto report = [&](const CachePlace& place) {
        ReportRequest request;
        request.machineFolders = machines;
        request.criteria.dtReportStart = OleDate::FromParts(2026, 3, 2);
        request.criteria.dtReportEnd = OleDate::FromParts(2026, 3, 6);
        request.criteria.excluded.machineIds.Insert("WB-02");
        request.workerCount = 4;
        request.cache = place;
        ReportJob job(std::move(request));
        const ReportResult result = job.Run();
        EXPECT_EQ(result.cacheNote, "");
        EXPECT_EQ(job.Progress().ParsedBytes(), job.Progress().TotalBytes());
        return std::make_pair(Shown(result), result.cacheUse);
    };
    const auto scan = [&](const CachePlace& place) {
        OptionScanJob job({machines, 4, {}, DateLocale{}, place});
        const OptionValues found = job.Run();
        EXPECT_EQ(job.CacheNote(), "");
        std::string text;
        for (const Dimension dimension : kDimensions) {
            for (const std::string& value : found.Of(dimension)) {
                text += value + "\n";
            }
        }
        return text;
    };
    const std::string expected = report({}).first;
    ASSERT_NE(expected.find("A.cfg"), std::string::npos);
    EXPECT_EQ(report(cache).first, expected);  // first, empty cache
    LetTheFileSettle();
    EXPECT_EQ(report(cache).first, expected);  // stores settled entries
    const auto [repeated, use] = report(cache);
    EXPECT_EQ(repeated, expected);
    EXPECT_EQ(use.filesFromCache, files.size());
    EXPECT_EQ(scan(cache), scan({})) << "the scan is served by the same entries";

    Append(files[1], Lines(100, 40));  // days in the range
    Append(files[7], Lines(150, 40));
    const std::string grownExpected = report({}).first;
    EXPECT_NE(grownExpected, expected);
    const auto [grown, grownUse] = report(cache);
    EXPECT_EQ(grown, grownExpected);
    EXPECT_EQ(grownUse.filesGrown, 2u);
}

}  // namespace
}  // namespace qz

// Many jobs over a generated tree, each cancelled at a random moment from
// another thread. Every run must end; a run that was not cancelled must give
// exactly the totals of a plain sequential count of the same files.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dates/OleDate.h"
#include "jobs/OptionScanJob.h"
#include "jobs/ReportJob.h"
#include "records/ReportCounts.h"
#include "tests/support/AtRest.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"
#include "tests/unit/jobs/JobTestSupport.h"

namespace qz {
namespace {

using namespace std::chrono_literals;
using Counts = std::map<std::string, std::int64_t>;

// --- The tree --------------------------------------------------------------

std::string RandomLine(std::mt19937& rng) {
    auto pick = [&rng](std::initializer_list<const char*> choices) {
        std::uniform_int_distribution<std::size_t> index(0, choices.size() - 1);
        return std::string(choices.begin()[index(rng)]);
    };
    std::uniform_int_distribution<int> percent(0, 99);
    if (percent(rng) < 3) {
        return pick({"", ",,,,", " ", "2018/05/03,short,SF_A"});
    }
    std::vector<std::string> fields = {
        pick({"2018/01/01", "2018/05/03", "2018/12/31", "2017/12/31", "2019/01/01"}),
        "CBL" + std::to_string(percent(rng)),
        pick({"SF_A", "SF_B", "sf_a", "SF_A "}),
        pick({"C001", "C002", "c001"}),
        pick({"WB-1", "WB-2", "WB-3"}),
        "3",
        pick({"OK", "OK", "OK", "NG", "ok", "OK ", ""}),
    };
    if (percent(rng) < 10) {
        fields.push_back("extra");
    }
    // Empty fields make the runs of commas the splitter must take as one.
    std::vector<std::string> joined;
    if (percent(rng) < 5) {
        joined = {"", ""};
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
        joined.push_back(fields[i]);
        if (i + 1 < fields.size() && percent(rng) < 5) {
            joined.insert(joined.end(), {"", ""});
        }
    }
    return test::JoinFields(joined);
}

void WriteTree(const test::TempDir& dir, int machines, std::mt19937& rng) {
    std::uniform_int_distribution<int> files(0, 5);
    std::uniform_int_distribution<int> lines(0, 2500);
    std::uniform_int_distribution<int> percent(0, 99);
    for (int m = 0; m < machines; ++m) {
        const std::string folder = "ReportData/M" + std::to_string(m) + "/";
        dir.MakeDir(folder);
        for (int f = files(rng); f > 0; --f) {
            std::string content = test::RecordFileText();
            for (int l = lines(rng); l > 0; --l) {
                content += RandomLine(rng);
                content += percent(rng) < 10 ? "\r\n" : "\n";
            }
            if (percent(rng) < 20) {
                content += RandomLine(rng);  // no final line end
            }
            test::AtRest(dir.Write(folder + "f" + std::to_string(f) + ".csv", content));
        }
    }
}

// --- The sequential count, independent of the parsers ----------------------

struct Expected {
    std::int64_t ok = 0;
    std::int64_t ng = 0;
    Counts settingFileOk, settingFileNg, machineIdOk, machineIdNg;
    std::set<std::string> settingFiles, customers, machineIds;
    std::uint64_t bytes = 0;
};

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    for (const char c : line) {
        if (c != ',') {
            field += c;
        } else if (!field.empty()) {
            fields.push_back(field);
            field.clear();
        }
    }
    if (!field.empty()) {
        fields.push_back(field);
    }
    return fields;
}

void CountLine(const std::string& line, Expected& e) {
    const std::vector<std::string> f = SplitFields(line);
    if (f.size() > 2)
        e.settingFiles.insert(f[2]);
    if (f.size() > 3)
        e.customers.insert(f[3]);
    if (f.size() > 4)
        e.machineIds.insert(f[4]);
    if (f.size() < 6)
        return;
    // Every date of the tree is YYYY/MM/DD, so the range test is a text test.
    if (f[0] < "2018/01/01" || f[0] > "2018/12/31")
        return;
    if (f[2] == "SF_B" || f[4] == "WB-3" || f[3] == "c001")
        return;
    const bool ok = f.size() > 6 && f[6] == "OK";
    ++(ok ? e.ok : e.ng);
    Counts& sfHit = ok ? e.settingFileOk : e.settingFileNg;
    Counts& sfOther = ok ? e.settingFileNg : e.settingFileOk;
    Counts& idHit = ok ? e.machineIdOk : e.machineIdNg;
    Counts& idOther = ok ? e.machineIdNg : e.machineIdOk;
    ++sfHit[f[2]];
    sfOther.try_emplace(f[2], 0);
    ++idHit[f[4]];
    idOther.try_emplace(f[4], 0);
}

Expected CountTree(const std::string& data) {
    Expected e;
    for (const auto& machine : std::filesystem::directory_iterator(data)) {
        for (const auto& file : std::filesystem::directory_iterator(machine.path())) {
            std::ifstream in(file.path(), std::ios::binary);
            std::stringstream content;
            content << in.rdbuf();
            const std::string text = content.str();
            e.bytes += text.size();
            std::size_t begin = text.find('\n');  // the header
            while (begin != std::string::npos && begin + 1 < text.size()) {
                ++begin;
                std::size_t end = text.find('\n', begin);
                std::string line =
                    text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                CountLine(line, e);
                begin = end;
            }
        }
    }
    return e;
}

// A partial result never holds more than the whole.
void ExpectAtMost(const Counts& partial, const Counts& whole) {
    for (const auto& [key, count] : partial) {
        const auto found = whole.find(key);
        ASSERT_NE(found, whole.end()) << key;
        EXPECT_LE(count, found->second) << key;
    }
}

void ExpectAtMost(const CValueSet& partial, const std::set<std::string>& whole) {
    for (const std::string& value : partial) {
        EXPECT_TRUE(whole.count(value) != 0) << value;
    }
}

// --- The runs ----------------------------------------------------------------

enum class CancelAt { Never, BeforeTheJob, AfterADelay, MidParse, AfterTheLastByte };

ReportCriteria StressCriteria() {
    ReportCriteria criteria;
    criteria.dtReportStart = OleDate::FromParts(2018, 1, 1);
    criteria.dtReportEnd = OleDate::FromParts(2018, 12, 31);
    criteria.excluded.settingFiles.Insert("SF_B");
    criteria.excluded.machineIds.Insert("WB-3");
    criteria.excluded.customers.Insert("c001");
    criteria.dateLocale = DateLocale::FromName("C");  // reads year-first dates
    return criteria;
}

// The cancelling thread: cancels at the drawn moment unless the job ended
// first.
void CancelAtMoment(CancelAt cancelAt, JobProgress& progress, const std::atomic<bool>& ended,
                    std::chrono::microseconds delay, std::uint64_t target) {
    switch (cancelAt) {
        case CancelAt::Never:
        case CancelAt::BeforeTheJob:
            return;
        case CancelAt::AfterADelay: {
            const auto until = std::chrono::steady_clock::now() + delay;
            while (std::chrono::steady_clock::now() < until) {
                if (ended.load()) {
                    return;
                }
                std::this_thread::yield();
            }
            break;
        }
        case CancelAt::MidParse:
        case CancelAt::AfterTheLastByte:
            while (progress.ParsedBytes() < target || progress.TotalBytes() == 0) {
                if (ended.load()) {
                    return;
                }
                std::this_thread::yield();
            }
            break;
    }
    progress.Cancel();
}

TEST(JobStressTest, CancelledRunsEndAndCompleteRunsMatchASequentialCount) {
    test::TempDir dir;
    test::JobEventRecorder messages;
    std::mt19937 rng(20180503);
    WriteTree(dir, 5, rng);
    dir.MakeDir("ReportData/M0/sub");  // a file error in every run
    const std::string data = dir.path() + "/ReportData";
    const Expected expected = CountTree(data);
    ASSERT_GT(expected.ok, 0);
    ASSERT_GT(expected.ng, 0);

    std::vector<std::string> machines;
    for (int m = 0; m < 5; ++m) {
        machines.push_back(data + "/M" + std::to_string(m));
    }
    std::uniform_int_distribution<int> moment(0, 4);
    std::uniform_int_distribution<int> workers(1, 6);
    std::uniform_int_distribution<int> delayMicros(0, 3000);
    std::uniform_int_distribution<std::uint64_t> share(0, 100);

    int completeRuns = 0;
    for (int run = 0; run < 40; ++run) {
        const CancelAt cancelAt = static_cast<CancelAt>(moment(rng));
        const bool report = run % 2 == 0;
        SCOPED_TRACE("run " + std::to_string(run) + ", cancel moment " +
                     std::to_string(static_cast<int>(cancelAt)) +
                     (report ? ", report" : ", option scan"));
        const std::int32_t workerCount = workers(rng);
        const auto delay = std::chrono::microseconds(delayMicros(rng));
        const std::uint64_t cancelShare = share(rng);
        ReportJob reportJob({machines, StressCriteria(), workerCount, messages.Sink()});
        OptionScanJob scanJob({machines, workerCount, messages.Sink()});
        JobProgress& progress = report ? reportJob.Progress() : scanJob.Progress();
        CReportTotals t;
        OptionValues found;

        test::Watchdog watchdog("a job run", 120s);
        if (cancelAt == CancelAt::BeforeTheJob) {
            progress.Cancel();
        }
        std::atomic<bool> ended{false};
        std::thread job([&] {
            if (report) {
                t = reportJob.Run();
            } else {
                found = scanJob.Run();
            }
            ended = true;
        });
        const std::uint64_t target =
            cancelAt == CancelAt::MidParse ? expected.bytes * cancelShare / 100 : expected.bytes;
        std::thread canceller(CancelAtMoment, cancelAt, std::ref(progress), std::cref(ended), delay,
                              target);
        canceller.join();
        job.join();

        EXPECT_EQ(progress.TotalBytes(), expected.bytes);
        EXPECT_LE(progress.ParsedBytes(), expected.bytes);
        // A line's bytes are added after the line was counted, so a run whose
        // every byte was added is complete even if a cancel came after that.
        const bool complete = progress.ParsedBytes() == expected.bytes;
        if (!progress.IsCancelled()) {
            EXPECT_TRUE(complete);
        }
        completeRuns += complete ? 1 : 0;
        const bool partial = !complete;
        if (report) {
            if (!partial) {
                EXPECT_EQ(t.m_nOk, expected.ok);
                EXPECT_EQ(t.m_nNg, expected.ng);
                EXPECT_EQ(test::ToMap(t.m_settingFiles, &OkNg::ok), expected.settingFileOk);
                EXPECT_EQ(test::ToMap(t.m_settingFiles, &OkNg::ng), expected.settingFileNg);
                EXPECT_EQ(test::ToMap(t.m_machineIds, &OkNg::ok), expected.machineIdOk);
                EXPECT_EQ(test::ToMap(t.m_machineIds, &OkNg::ng), expected.machineIdNg);
            } else {
                EXPECT_LE(t.m_nOk, expected.ok);
                EXPECT_LE(t.m_nNg, expected.ng);
                ExpectAtMost(test::ToMap(t.m_settingFiles, &OkNg::ok), expected.settingFileOk);
                ExpectAtMost(test::ToMap(t.m_settingFiles, &OkNg::ng), expected.settingFileNg);
                ExpectAtMost(test::ToMap(t.m_machineIds, &OkNg::ok), expected.machineIdOk);
                ExpectAtMost(test::ToMap(t.m_machineIds, &OkNg::ng), expected.machineIdNg);
            }
        } else if (!partial) {
            EXPECT_EQ(test::ToVector(found.settingFiles),
                      std::vector<std::string>(expected.settingFiles.begin(),
                                               expected.settingFiles.end()));
            EXPECT_EQ(
                test::ToVector(found.customers),
                std::vector<std::string>(expected.customers.begin(), expected.customers.end()));
            EXPECT_EQ(
                test::ToVector(found.machineIds),
                std::vector<std::string>(expected.machineIds.begin(), expected.machineIds.end()));
        } else {
            ExpectAtMost(found.settingFiles, expected.settingFiles);
            ExpectAtMost(found.customers, expected.customers);
            ExpectAtMost(found.machineIds, expected.machineIds);
        }
        if (cancelAt == CancelAt::BeforeTheJob) {
            // No file was handed out.
            EXPECT_EQ(progress.ParsedBytes(), 0u);
            EXPECT_EQ(t.m_nOk + t.m_nNg, 0);
            EXPECT_TRUE(found.settingFiles.IsEmpty());
        }
    }
    // The moments are drawn at random from a fixed seed; make sure the
    // comparison with the sequential count really ran.
    EXPECT_GT(completeRuns, 0);
}

}  // namespace
}  // namespace qz

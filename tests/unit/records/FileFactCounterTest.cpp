// Counting a record file into fact rows: the rows sum to what the report pass
// counts for any days and exclusions, in the same key order; the found values
// are the option scan's; a grown file counted from its complete end and
// appended equals the whole file counted at once; the unterminated last line
// stays apart.

#include "records/FileFactCounter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "facts/ReportFactSums.h"
#include "progress/JobProgress.h"
#include "records/OptionValueScan.h"
#include "records/ReportFileCounter.h"
#include "tests/support/CountMapView.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using Values = std::vector<std::string>;

Values ToVector(const CValueSet& set) {
    return Values(set.begin(), set.end());
}

// A file at rest: its unterminated last line counts as it stands.
void SetAtRest(const std::string& path) {
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) - std::chrono::minutes(1));
}

// Awkward record lines, drawn from a seed: few keys over a few days, so that
// rows repeat and the last-row shortcut is taken and missed; dates alone,
// dates that are none, short lines, empty fields, CR LF, lines longer than
// the scan window, results other than "OK".
std::string AwkwardRecords(std::uint32_t seed, std::size_t lines) {
    std::mt19937 random(seed);
    const auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    const Values settingFiles = {"MAIN_SET_A01_REV3.bin", "b.cfg", "設定.cfg", "S"};
    const Values customers = {"0A1B", "0C2D", "MAIN_SET_A01_REV3.bin"};  // a text in two roles
    const Values boards = {"WB-07-P2", "WB-08-P1", "b.cfg"};
    const Values dates = {"2018/05/02 23:59:59", "2018/05/03 10:21:07", "2018/05/03",
                          "2018/05/04 00:00:00", "2018/13/45",          "yesterday"};
    const Values results = {"OK", "OK", "OK", "NG", "ok", "OK "};
    std::string text = "Date,Cable,Setting File,Customer,Machine ID,Count,Result\r\n";
    for (std::size_t i = 0; i < lines; ++i) {
        const std::string date = dates[pick(dates.size())];
        const std::string sf = settingFiles[pick(settingFiles.size())];
        const std::string customer = customers[pick(customers.size())];
        const std::string board = boards[pick(boards.size())];
        const std::string result = results[pick(results.size())];
        std::string line;
        switch (pick(12)) {
            case 0:
                line = date + ",C1," + sf;  // short: values, no record
                break;
            case 1:
                line = date + ",,C1,," + sf + "," + customer + ",," + board + ",1," + result;
                break;
            case 2:
                line = date + ",C1," + sf + "," + customer + "," + board + ",1";  // no result
                break;
            case 3:
                line = date + ",C1," + sf + "," + customer + "," + board + ",1," + result + "," +
                       std::string(150, 'x');  // beyond the scan window
                break;
            case 4:
                line = "";
                break;
            default:
                line = date + ",C" + std::to_string(i) + "," + sf + "," + customer + "," + board +
                       ",1," + result;
                break;
        }
        text += line + (pick(5) == 0 ? "\r\n" : "\n");
    }
    return text;
}

struct Selection {
    const char* name;
    OleDate first;
    OleDate last;
    OptionValues excluded;
};

std::vector<Selection> Selections() {
    std::vector<Selection> selections;
    selections.push_back(
        {"every day", OleDate::FromParts(2000, 1, 1), OleDate::FromParts(2099, 12, 31), {}});
    selections.push_back(
        {"one day", OleDate::FromParts(2018, 5, 3), OleDate::FromParts(2018, 5, 3), {}});
    Selection excluding{
        "excluding", OleDate::FromParts(2018, 5, 2), OleDate::FromParts(2018, 5, 4), {}};
    excluding.excluded.settingFiles.Insert("b.cfg");  // also a board: that one stays
    excluding.excluded.customers.Insert("0C2D");
    selections.push_back(excluding);
    Selection boards{
        "a board", OleDate::FromParts(2018, 5, 1), OleDate::FromParts(2018, 5, 31), {}};
    boards.excluded.machineIds.Insert("WB-07-P2");
    selections.push_back(boards);
    return selections;
}

class FileFactCounterTest : public ::testing::Test {
  protected:
    FileFactCounterTest() { m_locale.order = DateOrder::YMD; }

    FileFactCount Count(const std::string& path, std::uint64_t from = 0) {
        FileProgress progress(m_job, 0);
        FileFactCount count;
        EXPECT_TRUE(CountFileFacts(path, m_locale, from, progress, count));
        return count;
    }

    // The file's counts for a selection, from its facts.
    CReportCounts FromFacts(const FileFactCount& count, const ReportCriteria& criteria) {
        CReportCounts counts;
        SumFactRows(count.facts, SelectFactRows(count.facts, criteria), counts);
        SumFactRows(count.lastLine, SelectFactRows(count.lastLine, criteria), counts);
        counts.m_linesLeftOut = count.linesLeftOut;
        return counts;
    }

    CReportCounts FromRecords(const std::string& path, const ReportCriteria& criteria) {
        FileProgress progress(m_job, 1);
        CReportCounts counts;
        EXPECT_TRUE(CountReportFile(path, criteria, progress, counts));
        return counts;
    }

    static void ExpectSameCounts(const CReportCounts& facts, const CReportCounts& records) {
        EXPECT_EQ(facts.m_nOk, records.m_nOk);
        EXPECT_EQ(facts.m_nNg, records.m_nNg);
        EXPECT_EQ(facts.m_linesLeftOut, records.m_linesLeftOut);
        EXPECT_EQ(facts.m_days.Days(), records.m_days.Days());
        for (const Dimension dimension : kCountedDimensions) {
            for (auto result : {&OkNg::ok, &OkNg::ng}) {
                // In order: the scripts list keys as they were first counted.
                EXPECT_EQ(test::InOrder(facts.Of(dimension), result),
                          test::InOrder(records.Of(dimension), result));
            }
        }
    }

    static void ExpectSameValues(const OptionValues& a, const OptionValues& b) {
        for (const Dimension dimension : kDimensions) {
            EXPECT_EQ(ToVector(a.Of(dimension)), ToVector(b.Of(dimension)));
        }
    }

    OptionValues Scanned(const std::string& path) {
        FileProgress progress(m_job, 1);
        OptionValues values;
        EXPECT_TRUE(ScanOptionValues(path, progress, values));
        return values;
    }

    // Every row as its texts, in row order.
    static std::vector<
        std::tuple<std::int32_t, std::string, std::string, std::string, std::int64_t, std::int64_t>>
    Rows(const FileFacts& facts) {
        std::vector<std::tuple<std::int32_t, std::string, std::string, std::string, std::int64_t,
                               std::int64_t>>
            rows;
        for (const FileFactRow& row : facts.rows) {
            rows.emplace_back(row.key.day, facts.texts.At(row.key.settingFile),
                              facts.texts.At(row.key.customer), facts.texts.At(row.key.board),
                              row.counts.ok, row.counts.ng);
        }
        return rows;
    }

    test::TempDir m_dir;
    DateLocale m_locale;
    JobProgress m_job{2};
};

TEST_F(FileFactCounterTest, RowsSumToTheReportPassForEverySelection) {
    for (std::uint32_t seed = 1; seed <= 6; ++seed) {
        // An unterminated last line in every other file.
        const std::string text =
            AwkwardRecords(seed, 600) + (seed % 2 == 0 ? "2018/05/03,C,S,0A1B,WB-9,1,NG" : "");
        const std::string path = m_dir.Write("rec" + std::to_string(seed) + ".csv", text);
        SetAtRest(path);
        const FileFactCount count = Count(path);
        EXPECT_EQ(count.completeEnd + (seed % 2 == 0 ? 29 : 0), text.size()) << seed;
        ExpectSameValues(FoundValues(count), Scanned(path));
        for (const Selection& selection : Selections()) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << selection.name);
            ReportCriteria criteria;
            criteria.dtReportStart = selection.first;
            criteria.dtReportEnd = selection.last;
            criteria.excluded = selection.excluded;
            criteria.dateLocale = m_locale;
            ExpectSameCounts(FromFacts(count, criteria), FromRecords(path, criteria));
        }
    }
}

TEST_F(FileFactCounterTest, AGrownFileCountedFromItsCompleteEndAppendsToTheSameFacts) {
    const std::string whole = AwkwardRecords(7, 900);
    // Cut inside a line: the piece counted first ends with an unterminated line.
    const std::size_t cut = whole.size() / 2 + 17;
    const std::string path = m_dir.Write("rec.csv", whole.substr(0, cut));
    const FileFactCount first = Count(path);
    ASSERT_LT(first.completeEnd, cut);
    EXPECT_EQ(whole[first.completeEnd - 1], '\n');

    m_dir.Write("rec.csv", whole);
    SetAtRest(path);
    const FileFactCount rest = Count(path, first.completeEnd);
    EXPECT_FALSE(rest.header.has_value());
    EXPECT_EQ(rest.completeEnd, whole.size());
    FileFacts appended = first.facts;
    appended.Append(rest.facts);

    const FileFactCount all = Count(path);
    EXPECT_EQ(Rows(appended), Rows(all.facts));
    EXPECT_EQ(appended.texts.Texts(), all.facts.texts.Texts());
    ExpectSameValues(appended.found, all.facts.found);
}

TEST_F(FileFactCounterTest, TheUnterminatedLastLineStaysApart) {
    const std::string complete = "h\n2018/05/03,C,S,K,B,1,OK\n";
    const std::string last = "2018/05/03,C,S2,K2,B2,1,OK";
    const std::string path = m_dir.Write("rec.csv", complete + last);

    // Just written: its row is left out, its values are found.
    const FileFactCount writing = Count(path);
    EXPECT_EQ(writing.completeEnd, complete.size());
    EXPECT_EQ(writing.linesLeftOut, 1U);
    EXPECT_TRUE(writing.lastLine.rows.empty());
    EXPECT_EQ(ToVector(writing.lastLine.found.settingFiles), Values{"S2"});
    EXPECT_EQ(writing.facts.rows.size(), 1U);
    EXPECT_EQ(ToVector(FoundValues(writing).machineIds), (Values{"B", "B2"}));

    // At rest: its row counts, still apart from the complete lines' facts.
    SetAtRest(path);
    const FileFactCount quiet = Count(path);
    EXPECT_EQ(quiet.linesLeftOut, 0U);
    ASSERT_EQ(quiet.lastLine.rows.size(), 1U);
    EXPECT_EQ(quiet.lastLine.rows[0].counts, (OkNg{1, 0}));
    EXPECT_EQ(quiet.facts.rows.size(), 1U);
}

TEST_F(FileFactCounterTest, CompleteEndOfFilesWithoutData) {
    const struct {
        const char* name;
        std::string text;
        std::uint64_t completeEnd;
        bool header;
    } cases[] = {
        {"empty", "", 0, false},
        {"header only", "Date,Cable\r\n", 12, true},
        {"header being written", "Date,Cab", 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FileFactCount count = Count(m_dir.Write("rec.csv", c.text));
        EXPECT_EQ(count.completeEnd, c.completeEnd);
        EXPECT_EQ(count.header.has_value(), c.header);
        EXPECT_TRUE(count.facts.rows.empty());
    }
}

// A lone CR at the end of a file ends its last line, but bytes appended behind
// it may make it no line end at all: such a line counts, yet a later count
// resumes before it, so that a grown file gives what a whole count gives.
TEST_F(FileFactCounterTest, ALineEndedByALoneCrAtTheEndIsReadAgainWhenTheFileGrows) {
    const struct {
        const char* name;
        std::string before;
        std::string appended;
    } cases[] = {
        {"header, then a record joined to it", "h\r", "2018/05/03,C,S,K,B,1,OK\n"},
        {"record, then its LF", "h\n2018/05/03,C,S,K,B,1,OK\r", "\n2018/05/04,C,S,K,B,1,NG\n"},
        {"record, then a record joined to it", "h\n2018/05/03,C,S,K,B,1,OK\r",
         "2018/05/04,C,S,K,B,1,OK\n"},
    };
    const auto everything = [](const FileFactCount& count) {
        FileFacts facts = count.facts;
        facts.Append(count.lastLine);
        return facts;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = m_dir.Write("rec.csv", c.before);
        SetAtRest(path);
        const FileFactCount first = Count(path);
        EXPECT_EQ(first.completeEnd,
                  c.before.rfind('\n') == std::string::npos ? 0U : c.before.rfind('\n') + 1);

        m_dir.Write("rec.csv", c.before + c.appended);
        SetAtRest(path);
        FileFacts resumed = first.facts;
        resumed.Append(everything(Count(path, first.completeEnd)));
        EXPECT_EQ(Rows(resumed), Rows(everything(Count(path))));
    }
}

TEST_F(FileFactCounterTest, ReportFactRowsJoinFilesOfOneMachineAndKeepMachinesApart) {
    const std::string a = m_dir.Write(
        "a.csv", "h\n2018/05/03,C,S,K,B,1,OK\n2018/05/04,C,S,K,B,1,NG\n2018/05/03,C,T,K,B,1,OK\n");
    const std::string b =
        m_dir.Write("b.csv", "h\n2018/05/03,C,T,K,B,1,NG\n2018/05/03,C,S,K,B,1,OK\n");
    ReportCriteria criteria;
    criteria.dtReportStart = OleDate::FromParts(2018, 5, 3);
    criteria.dtReportEnd = OleDate::FromParts(2018, 5, 3);
    const FileFactCount countA = Count(a);
    const FileFactCount countB = Count(b);
    ReportFactSum sum;
    sum.Add("M1", countA.facts, SelectFactRows(countA.facts, criteria));
    sum.Add("M1", countB.facts, SelectFactRows(countB.facts, criteria));
    sum.Add("M2", countB.facts, SelectFactRows(countB.facts, criteria));
    const ReportFacts facts = sum.Take();
    std::vector<std::tuple<std::string, std::string, std::int64_t, std::int64_t>> rows;
    for (const ReportFactRow& row : facts.rows) {
        rows.emplace_back(facts.texts.At(row.machine), facts.texts.At(row.settingFile),
                          row.counts.ok, row.counts.ng);
    }
    using Row = std::tuple<std::string, std::string, std::int64_t, std::int64_t>;
    EXPECT_EQ(rows,
              (std::vector<Row>{
                  {"M1", "S", 2, 0}, {"M1", "T", 1, 1}, {"M2", "T", 0, 1}, {"M2", "S", 1, 0}}));
}

TEST_F(FileFactCounterTest, CancelStopsTheCount) {
    const std::string path = m_dir.Write("rec.csv", AwkwardRecords(3, 200));
    m_job.Cancel();
    FileProgress progress(m_job, 0);
    FileFactCount count;
    EXPECT_FALSE(CountFileFacts(path, m_locale, 0, progress, count));
    EXPECT_TRUE(count.facts.rows.empty());
}

}  // namespace
}  // namespace qz

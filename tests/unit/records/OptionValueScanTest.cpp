// The option scan of one record file: the values at positions 2, 3 and 4 of
// its data lines, its progress, its cancel and its file errors.

#include "records/OptionValueScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/FileError.h"
#include "progress/JobProgress.h"
#include "records/OptionValues.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using Values = std::vector<std::string>;

Values ToVector(const CValueSet& set) {
    return Values(set.begin(), set.end());
}

class OptionValueScanTest : public ::testing::Test {
  protected:
    // Scans path into values on worker 1 of job.
    static bool Scan(const std::string& path, JobProgress& job, OptionValues& values) {
        FileProgress progress(job, 1);
        return ScanOptionValues(path, progress, values);
    }

    test::TempDir m_dir;
};

struct ScanCase {
    const char* name;
    const char* content;
    Values settingFiles;
    Values customers;
    Values machineIds;
};

TEST_F(OptionValueScanTest, CollectsPositionsTwoThreeFourOfEveryDataLine) {
    const ScanCase cases[] = {
        {"empty file", "", {}, {}, {}},
        {"header only", "2018/05/03,a,HS,HC,HM,x,OK\n", {}, {}, {}},
        {"empty field closes up", "h\na,,b,c,d\n", {"c"}, {"d"}, {}},
        {"leading commas", "h\n,,,d,n,S,C,M,x,OK\n", {"S"}, {"C"}, {"M"}},
        {"blank and comma-only lines", "h\n\n,,,,,,,\n\r\n", {}, {}, {}},
        {"only 2, 3 and 4 reach a set", "h\nf0,f1,f2,f3,f4,f5,f6,f7,f8\n", {"f2"}, {"f3"}, {"f4"}},
        {"three and four fields", "h\nd,n,S\nd,n,T,C\n", {"S", "T"}, {"C"}, {}},
        {"duplicates on many lines", "h\nd,n,S,C,M\nd,n,S,C,M\r\nd,n,S,C,M", {"S"}, {"C"}, {"M"}},
        // Ordinal byte order: blank < upper case < lower case; nothing trimmed.
        {"case and blanks are distinct",
         "h\nd,n,s,C,M\nd,n,S ,c,M\nd,n, S,C,m\nd,n,S,C,M\n",
         {" S", "S", "S ", "s"},
         {"C", "c"},
         {"M", "m"}},
        {"date and result are not checked", "h\nnot a date,n,S,C,M,x,ok\n", {"S"}, {"C"}, {"M"}},
    };
    // One job for all files: each adds exactly its size to the worker's counter.
    JobProgress job(2);
    for (const ScanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string content = c.content;
        const std::string path = m_dir.Write("file.csv", content);
        OptionValues values;
        const std::uint64_t before = job.ParsedBytes();

        EXPECT_TRUE(Scan(path, job, values));

        EXPECT_EQ(ToVector(values.settingFiles), c.settingFiles);
        EXPECT_EQ(ToVector(values.customers), c.customers);
        EXPECT_EQ(ToVector(values.machineIds), c.machineIds);
        EXPECT_EQ(job.ParsedBytes() - before, content.size());
    }
}

TEST_F(OptionValueScanTest, ValuesAddToThoseFoundBeforeAndMergeOnce) {
    JobProgress job(2);
    OptionValues first;
    first.settingFiles.Insert("S1");
    EXPECT_TRUE(Scan(m_dir.Write("a.csv", "h\nd,n,S1,C1,M1\nd,n,S2,C1,M1\n"), job, first));
    EXPECT_EQ(ToVector(first.settingFiles), (Values{"S1", "S2"}));

    OptionValues second;
    EXPECT_TRUE(Scan(m_dir.Write("b.csv", "h\nd,n,S2,C2,M1\n"), job, second));
    OptionValues found;
    found.Merge(first);
    found.Merge(second);

    EXPECT_EQ(ToVector(found.settingFiles), (Values{"S1", "S2"}));
    EXPECT_EQ(ToVector(found.customers), (Values{"C1", "C2"}));
    EXPECT_EQ(ToVector(found.machineIds), (Values{"M1"}));
    // The merge leaves the merged sets as they are.
    EXPECT_EQ(ToVector(second.settingFiles), (Values{"S2"}));
}

TEST_F(OptionValueScanTest, CancelLeavesBeforeTheNextLine) {
    JobProgress job(2);
    job.Cancel();
    OptionValues values;
    EXPECT_FALSE(Scan(m_dir.Write("big.csv", "h\nd,n,S,C,M\nd,n,T,D,N\n"), job, values));

    EXPECT_TRUE(values.settingFiles.IsEmpty());
    EXPECT_TRUE(values.customers.IsEmpty());
    EXPECT_TRUE(values.machineIds.IsEmpty());
    EXPECT_EQ(job.ParsedBytes(), 0u);  // no final update
}

TEST_F(OptionValueScanTest, FileErrorIsThrownNamingThePath) {
    const std::string folder = m_dir.MakeDir("sub");
    const std::string fifo = m_dir.path() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string missing = m_dir.path() + "/missing.csv";

    JobProgress job(2);
    for (const std::string& path : {folder, fifo, missing}) {
        SCOPED_TRACE(path);
        OptionValues values;
        try {
            Scan(path, job, values);
            ADD_FAILURE() << "no file error";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
        }
        EXPECT_TRUE(values.settingFiles.IsEmpty());
    }
    EXPECT_EQ(job.ParsedBytes(), 0u);
}

}  // namespace
}  // namespace qz

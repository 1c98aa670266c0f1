#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "records/RecordFields.h"
#include "records/RecordLineScan.h"

namespace qz {
namespace {

using namespace std::string_literals;

#if QZ_SCAN_IN_PLACE

// What the general way gives for text behind a line start: the line up to its
// LF without one CR before it, split into fields; nothing when the LF does not
// lie within the scan window.
struct Expected {
    bool scanned = false;
    std::size_t lineBytes = 0;
    std::vector<std::string_view> fields;
};

Expected GeneralWay(std::string_view text) {
    Expected e;
    const std::size_t lf = text.find('\n');
    if (lf == std::string_view::npos || lf >= kScanWindow) {
        return e;
    }
    e.scanned = true;
    e.lineBytes = lf + 1;
    std::string_view line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    std::array<std::string_view, 7> fields;
    const std::size_t n = SplitRecordFields(line, fields);
    e.fields.assign(fields.begin(), fields.begin() + n);
    return e;
}

void ExpectSameAsGeneralWay(const std::string& text) {
    ASSERT_GE(text.size(), kScanWindow);
    const Expected expected = GeneralWay(text);
    std::size_t lineBytes = 0;
    std::size_t fieldCount = 0;
    std::array<std::string_view, 7> fields;
    ASSERT_EQ(ScanRecordLine(text.data(), lineBytes, fields, fieldCount), expected.scanned);
    if (expected.scanned) {
        EXPECT_EQ(lineBytes, expected.lineBytes);
        EXPECT_EQ(std::vector<std::string_view>(fields.begin(), fields.begin() + fieldCount),
                  expected.fields);
    }
}

class RecordLineScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!CanScanInPlace()) {
            GTEST_SKIP() << "this processor has no AVX2";
        }
    }
};

// Line ends and commas at the edges of the window's 32- and 64-byte parts,
// empty fields, CR LF, more than seven fields; what follows the LF must not
// matter.
TEST_F(RecordLineScanTest, ReadsTheLineAndFieldsTheGeneralWayGives) {
    const std::string record = "2018/05/03 10:21:07,CBL000123,SET_A01.bin,0A1B,WB-07,3,OK";
    const std::string filler(kScanWindow, ',');
    const std::string lines[] = {
        record,
        record + "\r",
        "",
        "\r",
        ",,a,,b,",
        "a,b,c,d,e,f,g,h,i",
        "a,b,c,d,e,f",
        std::string(31, 'a') + "," + std::string(31, 'b') + "," + std::string(30, 'c') + ",d",
        std::string(63, 'a') + ",b",
        std::string(64, 'a') + ",b",
        std::string(63, 'a') + ",,b",  // empty field across the words
        "a,b,",
        std::string(126, 'a'),
        std::string(125, 'a') + "\r",
        std::string(127, 'a'),  // its LF is the window's 129th byte
        std::string(200, 'a'),
        "a,\r,b",  // a CR inside the line stays
        "\0,\xFF,\x80"s,
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(testing::Message() << "line of " << line.size() << " bytes");
        ExpectSameAsGeneralWay(line + "\n" + filler);
        ExpectSameAsGeneralWay(line + "\n" + std::string(kScanWindow, '\n'));
    }
}

TEST_F(RecordLineScanTest, AgreesWithTheGeneralWayOnSampledWindows) {
    std::mt19937 random(11);
    const char alphabet[] = {',', ',', 'a', 'b', '\r', '\n', ' ', '\0', '\xFF'};
    for (int round = 0; round < 20000; ++round) {
        std::string text(kScanWindow + 8, 'x');
        // Mostly record-like text with a line end somewhere, sometimes none.
        const std::size_t dense = random() % 4;
        for (char& c : text) {
            c = random() % (dense + 2) == 0 ? alphabet[random() % sizeof alphabet] : 'a';
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        ExpectSameAsGeneralWay(text);
        if (HasFailure()) {
            break;
        }
    }
}

// ScanReportLine against the general way: the same line length; Fields only
// with the general way's fields 0, 2, 3 and 4 and its "OK" rule; NoRecord only
// where the general way finds fewer than six fields. General (hand the line to
// SplitRecordFields) is always allowed, but an ordinary record takes the fast
// path.
// ScanReportLine inlines only into code built for the scan's instructions.
[[QZ_SCAN_TARGET]] ReportLineScan ScanReportLineOf(const std::string& text, std::size_t& lineBytes,
                                                   std::size_t& length, ReportLineFields& line) {
    return ScanReportLine(text.data(), lineBytes, length, line);
}

void ExpectReportLineAsGeneralWay(const std::string& text) {
    ASSERT_GE(text.size(), kScanWindow);
    const Expected expected = GeneralWay(text);
    std::size_t lineBytes = 0;
    std::size_t length = 0;
    ReportLineFields line;
    const ReportLineScan scan = ScanReportLineOf(text, lineBytes, length, line);
    ASSERT_EQ(scan == ReportLineScan::NoLineEnd, !expected.scanned);
    if (!expected.scanned) {
        return;
    }
    EXPECT_EQ(lineBytes, expected.lineBytes);
    const std::size_t n = expected.fields.size();
    if (scan == ReportLineScan::NoRecord) {
        EXPECT_LT(n, kMinRecordFields);
    } else if (scan == ReportLineScan::Fields) {
        ASSERT_GE(n, kMinRecordFields);
        EXPECT_EQ(line.date, expected.fields[kDateField]);
        EXPECT_EQ(line.settingFile, expected.fields[kSettingFileField]);
        EXPECT_EQ(line.customer, expected.fields[kCustomerField]);
        EXPECT_EQ(line.machineId, expected.fields[kMachineIdField]);
        EXPECT_EQ(line.ok, n > kResultField && expected.fields[kResultField] == "OK");
    }
}

TEST_F(RecordLineScanTest, ReportLineAgreesWithTheGeneralWay) {
    const std::string record = "2018/05/03 10:21:07,CBL000123,SET_A01.bin,0A1B,WB-07,3,OK";
    const std::string filler(kScanWindow, ',');
    for (const std::string& ordinary : {record, record + "\r", record + ",extra"}) {
        std::size_t lineBytes = 0;
        std::size_t length = 0;
        ReportLineFields line;
        EXPECT_EQ(ScanReportLineOf(ordinary + "\n" + filler, lineBytes, length, line),
                  ReportLineScan::Fields)
            << ordinary;
        EXPECT_TRUE(line.ok) << ordinary;
    }
    const std::string lines[] = {
        record,
        record + "\r",
        "2018/05/03,C,SET,0A1B,WB,3",       // six fields: no result, not OK
        "2018/05/03,C,SET,0A1B,WB,3,OKAY",  // a result that starts with OK
        "2018/05/03,C,SET,0A1B,WB,3,O",
        "2018/05/03,C,SET,0A1B,WB,3,ok",
        "2018/05/03,C,SET,0A1B,WB,3,OK,more,fields",
        "2018/05/03,,C,SET,0A1B,WB,3,OK",  // an empty field
        ",2018/05/03,C,SET,0A1B,WB,3,OK",
        "2018/05/03,C,SET,0A1B,WB,3,OK,",
        "a,b,c,d,e",  // five fields
        "a,b,c,d,,e,f",
        std::string(62, 'd') + ",c,s,k,m,3,OK",       // the third comma at byte 66
        "d,c," + std::string(58, 's') + ",k,m,3,OK",  // the third comma at byte 62
        "d,c,s," + std::string(64, 'k') + ",m,3,OK",  // the rest beyond 64 bytes
        "d,c,s,k," + std::string(50, 'm') + ",3,OK",
        "",
        "\r",
        std::string(127, 'a'),
    };
    for (const std::string& line : lines) {
        SCOPED_TRACE(testing::Message() << "line: " << line);
        ExpectReportLineAsGeneralWay(line + "\n" + filler);
        ExpectReportLineAsGeneralWay(line + "\n" + std::string(kScanWindow, '\n'));
    }
    std::mt19937 random(12);
    const char alphabet[] = {',', ',', ',', 'O', 'K', '\r', '\n', ' ', '\0', '\xFF'};
    for (int round = 0; round < 20000 && !HasFailure(); ++round) {
        std::string text(kScanWindow + 8, 'x');
        const std::size_t dense = random() % 4;
        for (char& c : text) {
            c = random() % (dense + 2) == 0 ? alphabet[random() % sizeof alphabet] : 'a';
        }
        SCOPED_TRACE(testing::Message() << "round " << round);
        ExpectReportLineAsGeneralWay(text);
    }
}

#else

TEST(RecordLineScanTest, NotBuiltForThisTarget) {
    GTEST_SKIP() << "lines are read the general way only";
}

#endif

}  // namespace
}  // namespace qz

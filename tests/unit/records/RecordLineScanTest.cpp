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

#else

TEST(RecordLineScanTest, NotBuiltForThisTarget) {
    GTEST_SKIP() << "lines are read the general way only";
}

#endif

}  // namespace
}  // namespace qz

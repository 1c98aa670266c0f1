// The facts CSV of hand-built report facts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "batch/BatchFacts.h"
#include "dates/DayTime.h"

namespace qz {
namespace {

// The day number of a calendar date.
std::int32_t Day(int year, unsigned month, unsigned day) {
    return static_cast<std::int32_t>(day_time::DaysFromCivil(year, month, day) - day_time::kEpoch);
}

std::string Csv(const ReportFacts& facts, std::vector<std::string>* pieces = nullptr) {
    std::string out;
    WriteFactsCsv(facts, [&](std::string_view piece) {
        out += piece;
        if (pieces != nullptr) {
            pieces->emplace_back(piece);
        }
    });
    return out;
}

ReportFactRow Row(ReportFacts& facts, std::int32_t day, const char* machine,
                  const char* settingFile, const char* customer, const char* board, std::int64_t ok,
                  std::int64_t ng) {
    return {day,
            facts.texts.Intern(machine),
            facts.texts.Intern(settingFile),
            facts.texts.Intern(customer),
            facts.texts.Intern(board),
            {ok, ng}};
}

TEST(BatchFacts, NothingSelectedIsTheHeaderAlone) {
    EXPECT_EQ(Csv(ReportFacts()), "day,machine,settingFile,customer,board,ok,ng\r\n");
}

// Texts as the page shows them, quoted where a comma, quote or line end
// would break the row; counts beyond 32 bits; rows in the report's order.
TEST(BatchFacts, RowsInOrderWithTextsShownAndQuoted) {
    ReportFacts facts;
    facts.rows = {
        Row(facts, Day(2026, 12, 1), "M01", "a.cfg", "C001", "WB-1", 120, 4),
        Row(facts, Day(1999, 1, 31), "M01", "\xE8\xA8\xAD\xE5\xAE\x9A.cfg", "caf\xE9", "WB-1",
            5000000000, 0),
        Row(facts, Day(2026, 12, 1), "M,02", "say \"hi\"", "two\nlines", "cr\r", 0, 7),
        Row(facts, Day(2026, 12, 2), " M01", "", "C\xC3\xA9\xE9", "tab\there", 1, 1),
    };
    EXPECT_EQ(Csv(facts),
              "day,machine,settingFile,customer,board,ok,ng\r\n"
              "2026-12-01,M01,a.cfg,C001,WB-1,120,4\r\n"
              // UTF-8 as it is; other bytes as ISO-8859-1 characters, in UTF-8.
              "1999-01-31,M01,\xE8\xA8\xAD\xE5\xAE\x9A.cfg,caf\xC3\xA9,WB-1,5000000000,0\r\n"
              "2026-12-01,\"M,02\",\"say \"\"hi\"\"\",\"two\nlines\",\"cr\r\",0,7\r\n"
              // Not UTF-8 as a whole: every byte is read as ISO-8859-1.
              "2026-12-02, M01,,C\xC3\x83\xC2\xA9\xC3\xA9,tab\there,1,1\r\n");
}

// A large report is written in pieces of whole lines, none lost.
TEST(BatchFacts, ALargeReportComesInPiecesOfWholeLines) {
    ReportFacts facts;
    const int rows = 20000;
    for (int i = 0; i < rows; ++i) {
        facts.rows.push_back(Row(facts, Day(2026, 1, 1) + i % 365, "M01",
                                 ("set-" + std::to_string(i)).c_str(), "C001", "WB-1", i, 1));
    }
    std::vector<std::string> pieces;
    const std::string csv = Csv(facts, &pieces);
    EXPECT_GT(pieces.size(), 1u);
    for (const std::string& piece : pieces) {
        EXPECT_TRUE(piece.ends_with("\r\n"));
    }
    std::size_t lines = 0;
    for (std::size_t at = csv.find("\r\n"); at != std::string::npos;
         at = csv.find("\r\n", at + 2)) {
        ++lines;
    }
    EXPECT_EQ(lines, rows + 1u);
    EXPECT_TRUE(csv.ends_with("\r\n2026-10-17,M01,set-19999,C001,WB-1,19999,1\r\n"))
        << csv.substr(csv.size() - 100);
}

}  // namespace
}  // namespace qz

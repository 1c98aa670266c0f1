#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "report/CustomerList.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using Entries = std::map<std::string, std::string>;

// The names in a stable order, for whole-content comparisons.
Entries Sorted(const CustomerNames& names) {
    return Entries(names.begin(), names.end());
}

class CustomerListTest : public ::testing::Test {
  protected:
    test::TempDir m_dir;
};

TEST_F(CustomerListTest, CodeIsFirstFourBytesAndNameFollowsFirstSeparator) {
    const std::string path = m_dir.Write("CustomerList.lst",
                                         "0A1B _ Cable Maker One\r\n"
                                         "0A1B _ Cable Maker Two\n"  // later line wins
                                         "0C2D_Cable Maker Three\r\n"
                                         "0E3F _ North _ South\n"
                                         "AB _ Short\n"  // code and separator overlap
                                         "XY\n"
                                         "\n"
                                         " LD _ Lead blank  \n"
                                         "ABC _ Three\n"
                                         "9Z9Z _ Caf\xe9 \xc3\xa9\n"  // bytes kept as read
                                         "7Q7Q _ Last line");

    const CustomerList list = LoadCustomerList(path);

    const Entries expected = {
        {"0A1B", "Cable Maker Two"},
        {"0C2D", "0C2D_Cable Maker Three"},
        {"0E3F", "North _ South"},
        {"AB _", "Short"},
        {"XY", "XY"},
        {"", ""},
        {" LD ", "Lead blank  "},
        {"ABC ", "Three"},
        {"9Z9Z", "Caf\xe9 \xc3\xa9"},
        {"7Q7Q", "Last line"},
    };
    EXPECT_EQ(Sorted(list.names), expected);
    EXPECT_FALSE(list.error);
}

TEST_F(CustomerListTest, MissingFileGivesItsErrorAndNoNames) {
    const CustomerList list = LoadCustomerList(m_dir.path() + "/CustomerList.lst");

    EXPECT_TRUE(list.names.empty());
    ASSERT_TRUE(list.error);
    const std::string text = list.error->ShownDescription();
    EXPECT_NE(text.find("CustomerList.lst"), std::string::npos) << text;
}

TEST_F(CustomerListTest, FileHeldByAnotherLockHolderIsNotRead) {
    const std::string path = m_dir.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

    const CustomerList list = LoadCustomerList(path);

    ::close(fd);
    EXPECT_TRUE(list.names.empty());
    EXPECT_TRUE(list.error);
}

TEST(CustomerLabelTest, NameOfExactlyTheCodeOrUnknown) {
    const CustomerNames names = {{"0A1B", "Cable Maker One"}, {"AB", "Short"}, {"9Z9Z", ""}};
    const struct {
        std::string code;
        std::string label;
    } cases[] = {
        {"0A1B", "0A1B_Cable Maker One"},
        {"AB", "AB_Short"},
        {"9Z9Z", "9Z9Z_"},  // a known code with an empty name
        {"0a1b", "0a1b_Unknown"},
        {"0A1", "0A1_Unknown"},
        {"0A1BC", "0A1BC_Unknown"},  // not cut to four bytes
        {"", "_Unknown"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CustomerLabel(names, c.code), c.label) << '"' << c.code << '"';
    }
}

}  // namespace
}  // namespace qz

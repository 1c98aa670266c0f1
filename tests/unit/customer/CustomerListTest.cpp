#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <map>
#include <string>

#include <gtest/gtest.h>

#include "report/CustomerList.h"
#include "report/DataPaths.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

using Entries = std::map<std::string, std::string>;

class CustomerListTest : public ::testing::Test {
  protected:
    CustomerListTest() : m_savedPath(g_strCustomerListPath) { g_customerNames.clear(); }
    ~CustomerListTest() override {
        g_strCustomerListPath = m_savedPath;
        g_customerNames.clear();
    }

    // The map in a stable order, for whole-content comparisons.
    static Entries Loaded() { return Entries(g_customerNames.begin(), g_customerNames.end()); }

    test::TempDir m_dir;
    test::MessageBoxRecorder m_messages;

  private:
    std::string m_savedPath;
};

TEST_F(CustomerListTest, CodeIsFirstFourBytesAndNameFollowsFirstSeparator) {
    g_strCustomerListPath = m_dir.Write("CustomerList.lst",
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

    LoadCustomerList();

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
    EXPECT_EQ(Loaded(), expected);
    EXPECT_TRUE(m_messages.texts().empty());
}

TEST_F(CustomerListTest, MissingFileShowsOneMessageAndLeavesMapEmpty) {
    g_strCustomerListPath = m_dir.path() + "/CustomerList.lst";

    LoadCustomerList();

    EXPECT_TRUE(g_customerNames.empty());
    const auto texts = m_messages.texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("CustomerList.lst"), std::string::npos) << texts[0];
}

TEST_F(CustomerListTest, FileHeldByAnotherLockHolderIsNotRead) {
    g_strCustomerListPath = m_dir.Write("CustomerList.lst", "0A1B _ Cable Maker One\n");
    const int fd = ::open(g_strCustomerListPath.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);

    LoadCustomerList();

    ::close(fd);
    EXPECT_TRUE(g_customerNames.empty());
    EXPECT_EQ(m_messages.texts().size(), 1u);
}

}  // namespace
}  // namespace qz

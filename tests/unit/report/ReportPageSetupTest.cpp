#include "report/ReportPageSetup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Path.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

// A data tree without its page gets the installed page's files and the
// script folder; a page file the site changed is kept; a second start copies
// nothing more.
TEST(ReportPageSetupTest, CopiesTheMissingPageFilesAndCreatesTheScriptFolder) {
    test::TempDir dir;
    const std::string installed = dir.path() + "/share/report";
    dir.Write("share/report/report.html", "<html>page</html>\n");
    dir.Write("share/report/report.css", "/* installed */\n");
    dir.Write("data/Report/report.css", "/* the site's own */\n");
    const DataPaths paths = DataPaths::Under(dir.path() + "/data" + kPathSeparator);

    ASSERT_EQ(PrepareReportPage(paths, installed), "");
    EXPECT_EQ(test::ReadFile(paths.strReportHtmlPath), "<html>page</html>\n");
    EXPECT_EQ(test::ReadFile(dir.path() + "/data/Report/report.css"), "/* the site's own */\n");
    EXPECT_TRUE(std::filesystem::is_directory(paths.strReportJsPath));
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path() + "/data/Report")) {
        files += entry.is_regular_file() ? 1u : 0u;
    }
    EXPECT_EQ(files, 2u) << "no copy left behind";

    dir.Write("share/report/report.html", "<html>new page</html>\n");
    ASSERT_EQ(PrepareReportPage(paths, installed), "");
    EXPECT_EQ(test::ReadFile(paths.strReportHtmlPath), "<html>page</html>\n");
}

// Without an installed page only the folders are made; a file where the page
// folder should be is a failure that names the path.
TEST(ReportPageSetupTest, WithoutAPageOnlyTheFoldersAndFailuresNameThePath) {
    test::TempDir dir;
    const DataPaths paths = DataPaths::Under(dir.path() + "/data" + kPathSeparator);
    ASSERT_EQ(PrepareReportPage(paths, ""), "");
    EXPECT_TRUE(std::filesystem::is_directory(paths.strReportJsPath));
    EXPECT_FALSE(std::filesystem::exists(paths.strReportHtmlPath));

    dir.Write("blocked/Report", "a file, not a folder");
    const DataPaths blocked = DataPaths::Under(dir.path() + "/blocked" + kPathSeparator);
    const std::string failure = PrepareReportPage(blocked, "");
    EXPECT_NE(failure.find(ToNativePath(dir.path() + "/blocked/Report")), std::string::npos)
        << failure;
}

}  // namespace
}  // namespace qz

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "report/DataPaths.h"
#include "tests/support/TestSupport.h"

namespace qz::test {
namespace {

// The data paths are process-wide and InitDataPaths is not idempotent, so
// every test gets them back as it found them.
class DataPathsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_saved = {g_strReportDataPath, g_strCustomerListPath, g_strReportHtmlPath,
                   g_strReportJsPath};
        m_savedNames = g_machineFolderNames;
    }
    void TearDown() override {
        g_strReportDataPath = m_saved[0];
        g_strCustomerListPath = m_saved[1];
        g_strReportHtmlPath = m_saved[2];
        g_strReportJsPath = m_saved[3];
        g_machineFolderNames = m_savedNames;
    }

    HomeRedirect m_home;

  private:
    std::vector<std::string> m_saved;
    std::vector<std::string> m_savedNames;
};

TEST_F(DataPathsTest, PathsLieBelowTheDocumentsFolder) {
    InitDataPaths();

    const std::string root = m_home.documents() + "\\Norvale\\TavriloIC\\";
    EXPECT_EQ(g_strReportDataPath, root + "ReportData");
    EXPECT_EQ(g_strCustomerListPath, root + "CustomerList.lst");
    EXPECT_EQ(g_strReportHtmlPath, root + "Report\\report.html");
    EXPECT_EQ(g_strReportJsPath, root + "Report\\js\\");
    EXPECT_FALSE(std::filesystem::exists(m_home.documents())) << "no folder is created";
}

TEST_F(DataPathsTest, WithoutADocumentsFolderThePathsStartWithABackslash) {
    ScopedEnv noHome("HOME", std::nullopt);
    InitDataPaths();

    EXPECT_EQ(g_strReportDataPath, "\\Norvale\\TavriloIC\\ReportData");
    EXPECT_EQ(g_strCustomerListPath, "\\Norvale\\TavriloIC\\CustomerList.lst");
    EXPECT_EQ(g_strReportHtmlPath, "\\Norvale\\TavriloIC\\Report\\report.html");
    EXPECT_EQ(g_strReportJsPath, "\\Norvale\\TavriloIC\\Report\\js\\");
}

// The running executable's folder, found without the code under test.
std::string ExecutableFolderInBackslashForm() {
    std::string folder = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

TEST_F(DataPathsTest, ExpandsEachMacroEverywhereItOccurs) {
    const std::string documents = m_home.documents();
    const std::string desktop = m_home.desktop();
    const std::string exeFolder = ExecutableFolderInBackslashForm();
    const struct {
        std::string path;
        std::string expanded;
    } cases[] = {
        {"%MYDOCUMENT%\\a\\%MYDOCUMENT%", documents + "\\a\\" + documents},
        {"%mydocument%\\a", "%mydocument%\\a"},
        {"%DESKTOP%\\report", desktop + "\\report"},
        {"%EXEPATH%\\res", exeFolder + "\\res"},
        {"%MYDOCUMENT%%DESKTOP%%EXEPATH%", documents + desktop + exeFolder},
        {"%MYDOCUMENT\\%DESKTOP", "%MYDOCUMENT\\%DESKTOP"},
        {"C:\\plain", "C:\\plain"},
    };
    for (const auto& c : cases) {
        std::string path = c.path;
        ExpandPathMacros(path);
        EXPECT_EQ(path, c.expanded) << "from " << c.path;
    }
    EXPECT_EQ(GetExeFolder(), exeFolder);
}

TEST_F(DataPathsTest, FoldersAreLookedUpOnEveryCall) {
    std::string before = "%MYDOCUMENT%";
    ExpandPathMacros(before);
    m_home.WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    std::string after = "%MYDOCUMENT%";
    ExpandPathMacros(after);

    EXPECT_EQ(before, m_home.documents());
    EXPECT_EQ(after, m_home.home() + "/Papers");
}

TEST_F(DataPathsTest, MachineFoldersAreTheSubFoldersOfTheRecordFolder) {
    const TempDir& dir = m_home.tempDir();
    for (const char* machine : {"PF-1", "PF 2", "pf3"}) {
        dir.MakeDir(std::string("ReportData/") + machine);
    }
    dir.Write("ReportData/loose.log", "x");
    dir.Write("ReportData/notes.txt", "y");
    dir.Write("ReportData/PF-1/20240101.log", "z");
    g_strReportDataPath = dir.path() + "\\ReportData";
    g_machineFolderNames = {"left over"};

    ScanMachineFolders();

    std::vector<std::string> names = g_machineFolderNames;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"PF 2", "PF-1", "pf3"}));
}

TEST_F(DataPathsTest, MissingRecordFolderGivesNoMachinesAndNoMessage) {
    MessageBoxRecorder messages;
    g_strReportDataPath = m_home.tempDir().path() + "\\absent";
    g_machineFolderNames = {"left over"};

    ScanMachineFolders();

    EXPECT_TRUE(g_machineFolderNames.empty());
    EXPECT_TRUE(messages.texts().empty());
}

}  // namespace
}  // namespace qz::test

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Path.h"
#include "report/DataPaths.h"
#include "tests/support/TestSupport.h"

namespace qz::test {
namespace {

// Every test runs under a home folder of its own.
class DataPathsTest : public ::testing::Test {
  protected:
    HomeRedirect m_home;
};

TEST_F(DataPathsTest, PathsLieBelowTheDocumentsFolder) {
    const DataPaths paths = DataPaths::Resolve();

    const std::string root = m_home.documents() + "/Norvale/TavriloIC/";
    EXPECT_EQ(paths.strReportDataPath, root + "ReportData");
    EXPECT_EQ(paths.strCustomerListPath, root + "CustomerList.lst");
    EXPECT_EQ(paths.strReportHtmlPath, root + "Report/report.html");
    EXPECT_EQ(paths.strReportJsPath, root + "Report/js/");
    EXPECT_EQ(paths.MachineFolder("back\\slash"), root + "ReportData/back\\slash");
    EXPECT_FALSE(std::filesystem::exists(m_home.documents())) << "no folder is created";
}

TEST_F(DataPathsTest, WithoutADocumentsFolderThePathsStartWithASeparator) {
    ScopedEnv noHome("HOME", std::nullopt);
    const DataPaths paths = DataPaths::Resolve();

    EXPECT_EQ(paths.strReportDataPath, "/Norvale/TavriloIC/ReportData");
    EXPECT_EQ(paths.strCustomerListPath, "/Norvale/TavriloIC/CustomerList.lst");
    EXPECT_EQ(paths.strReportHtmlPath, "/Norvale/TavriloIC/Report/report.html");
    EXPECT_EQ(paths.strReportJsPath, "/Norvale/TavriloIC/Report/js/");
}

// A documents folder whose name holds a '\\' keeps it.
TEST_F(DataPathsTest, ADocumentsFolderWithABackslashIsNotRewritten) {
    m_home.WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/back\\\\slash\"\n");
    EXPECT_EQ(DataPaths::Resolve().strReportDataPath,
              m_home.home() + "/back\\slash/Norvale/TavriloIC/ReportData");
}

// The running executable's folder, found without the code under test.
std::string ExecutableFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

TEST_F(DataPathsTest, ExpandsEachMacroEverywhereItOccurs) {
    const std::string documents = m_home.documents();
    const std::string desktop = m_home.desktop();
    const std::string exeFolder = ExecutableFolder();
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
    for (const char* machine : {"PF-1", "PF 2", "pf3", "back\\slash"}) {
        dir.MakeDir(std::string("ReportData/") + machine);
    }
    dir.Write("ReportData/loose.log", "x");
    dir.Write("ReportData/notes.txt", "y");
    dir.Write("ReportData/PF-1/20240101.log", "z");
    dir.Write("ReportData/back/slash.log", "a machine \"back\" beside \"back\\slash\"");
    const DataPaths paths = DataPaths::Under(dir.path() + "/");

    std::vector<std::string> names = ScanMachineFolders(paths);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"PF 2", "PF-1", "back", "back\\slash", "pf3"}));
    for (const std::string& name : names) {
        EXPECT_TRUE(std::filesystem::is_directory(paths.MachineFolder(name))) << name;
    }
    EXPECT_TRUE(std::filesystem::is_empty(paths.MachineFolder("back\\slash")));
}

TEST_F(DataPathsTest, MissingRecordFolderGivesNoMachines) {
    const DataPaths paths = DataPaths::Under(m_home.tempDir().path() + "/absent/");

    EXPECT_TRUE(ScanMachineFolders(paths).empty());
}

}  // namespace
}  // namespace qz::test

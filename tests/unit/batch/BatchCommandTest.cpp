// qz8840-report run as a child process over small data trees.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

// The JSON output with the value of "made" (the time the report was made)
// left out.
std::string WithoutMade(const std::string& json) {
    return std::regex_replace(json, std::regex("\"made\":\"[^\"]*\""), "\"made\":\"\"");
}

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class BatchCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = m_dir.path() + "/root";
        m_dir.MakeDir("root/Report/js");
        m_dir.MakeDir("root/ReportData");
    }

    // Runs the command with args; its standard output and error go to files,
    // or standard output to stdoutFd when one is given (result.out is empty).
    Result Run(std::vector<std::string> args, int stdoutFd = -1) {
        args.insert(args.begin(), QZ_BATCH_EXECUTABLE);
        return Spawn(std::move(args), stdoutFd);
    }

    // Runs args[0] (a path) with the rest as its arguments.
    Result Spawn(const std::vector<std::string>& args, int stdoutFd = -1) {
        test::ChildResult run = test::RunChild(args, m_dir.path(), {.stdoutFd = stdoutFd});
        if (run.signal != 0) {
            ADD_FAILURE() << args[0] << " ended by signal " << run.signal;
        }
        return {run.status, std::move(run.out), std::move(run.err)};
    }

    void Record(const std::string& machine, const std::string& name, const std::string& content) {
        m_dir.Write("root/ReportData/" + machine + "/" + name, content);
    }

    // A tree with known counts: in May 2018 and with no exclusions, 3 OK and
    // 2 NG on machine A, 1 OK on machine B.
    void WriteTree() {
        Record("A", "1.csv",
               "header\n"
               "2018/05/03 10:00:00,c1,SET_A,C001,WB-1,1,OK\n"
               "2018/05/03,c2,SET_A,C001,WB-2,1,NG\n"
               "2018/05/31 23:59:59,c3,SET_B,C002,WB-1,1,OK\n"
               "2018/06/01,c4,SET_B,C002,WB-1,1,OK\n");
        Record("A", "2.csv",
               "header\r\n"
               "2018/05/10,c5,SET_B,C003,WB-2,1,OK\r\n"
               "2018/05/11,c6,SET_A,C003,WB-2,1,ok\r\n");
        Record("B", "1.csv", "header\n2018/05/20,c7,SET_C,C001,WB-9,1,OK\n");
        m_dir.Write("root/CustomerList.lst", "C001 _ First Customer\nC002 _ Second\n");
    }

    std::string Script(const std::string& name) {
        return test::ReadFile(m_root + "/Report/js/" + name);
    }

    test::TempDir m_dir;
    test::HomeRedirect m_home;  // the default root must never be the real one
    test::ScopedEnv m_locale{"LC_ALL", "en_US.UTF-8"};
    std::string m_root;
};

TEST_F(BatchCommandTest, WritesTheSixScriptsWithTheTotals) {
    WriteTree();
    struct Case {
        std::vector<std::string> extra;
        int ok;
        int ng;
    };
    const Case cases[] = {
        {{}, 4, 2},
        {{"--machine", "A"}, 3, 2},
        {{"--machine", "B", "--machine", "A", "--workers", "1"}, 4, 2},
        {{"--exclude-setting-file", "SET_A"}, 3, 0},
        {{"--exclude-board", "WB-2", "--exclude-customer", "C002"}, 2, 0},
        {{"--to", "2018-06-01"}, 5, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"--root",     m_root, "--from",
                                         "2018-05-01", "--to", "2018-05-31"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        const Result result = Run(args);
        SCOPED_TRACE(testing::PrintToString(c.extra) + "\n" + result.err);
        ASSERT_EQ(result.status, 0);
        EXPECT_EQ(result.out,
                  "OK: " + std::to_string(c.ok) + "\nNG: " + std::to_string(c.ng) + "\n");
        EXPECT_EQ(result.err, "Report scripts written to " + m_root + "/Report/js/\n");
        const std::string summary = Script("tableSummary.js");
        EXPECT_NE(
            summary.find("['Summary', " + std::to_string(c.ok) + ", " + std::to_string(c.ng) + ","),
            std::string::npos)
            << summary;
        for (const char* name : {"chartSummary.js", "chartSettingFile.js", "chartMachineId.js",
                                 "tableSettingFile.js", "tableMachineId.js"}) {
            EXPECT_FALSE(Script(name).empty()) << name;
        }
    }
}

TEST_F(BatchCommandTest, ScriptsGoToTheOutFolder) {
    WriteTree();
    const std::string out = m_dir.MakeDir("elsewhere");
    const Result result =
        Run({"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31", "--out", out});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "Report scripts written to " + out + "/\n");
    EXPECT_NE(test::ReadFile(out + "/tableSummary.js").find("['Summary', 4, 2,"),
              std::string::npos);
}

TEST_F(BatchCommandTest, JsonGivesTheTotalsAndTheRowsInScriptOrder) {
    WriteTree();
    Result result =
        Run({"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31", "--format", "json"});
    ASSERT_EQ(result.status, 0) << result.err;
    // The report's scope and days follow the scripts' folder (ScopeAndDaysInJson).
    const std::size_t scope = result.out.find(",\"scope\":{");
    ASSERT_NE(scope, std::string::npos) << result.out;
    EXPECT_EQ(result.out.substr(0, scope) + "}\n",
              "{\"from\":\"2018-05-01\",\"to\":\"2018-05-31\",\"ok\":4,\"ng\":2,\"yield\":66.67,"
              "\"settingFiles\":[{\"name\":\"SET_A\",\"ok\":1,\"ng\":2,\"yield\":33.33},"
              "{\"name\":\"SET_B\",\"ok\":2,\"ng\":0,\"yield\":100.00},"
              "{\"name\":\"SET_C\",\"ok\":1,\"ng\":0,\"yield\":100.00}],"
              "\"machineIds\":[{\"name\":\"WB-1\",\"ok\":2,\"ng\":0,\"yield\":100.00},"
              "{\"name\":\"WB-2\",\"ok\":1,\"ng\":2,\"yield\":33.33},"
              "{\"name\":\"WB-9\",\"ok\":1,\"ng\":0,\"yield\":100.00}],"
              "\"scripts\":\"" +
                  m_root + "/Report/js/\"}\n");
    EXPECT_NE(Script("tableSummary.js").find("['Summary', 4, 2,"), std::string::npos);
    {
        // A locale whose decimal point is a comma must not reach the numbers.
        test::ScopedEnv comma{"LC_ALL", "de_DE.UTF-8"};
        const Result german = Run(
            {"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31", "--format", "json"});
        EXPECT_EQ(WithoutMade(german.out), WithoutMade(result.out));
    }

    // A key is any bytes: quote, backslash, control and high bytes are escaped.
    Record("C", "1.csv", "header\n2018/05/20,c8,Q\"u\\o\t\xE9,C001,WB-9,1,NG\n");
    result = Run({"--root", m_root, "--machine", "C", "--from", "2018-05-01", "--to", "2018-05-31",
                  "--format", "json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\"settingFiles\":[{\"name\":\"Q\\\"u\\\\o\\t\\u00e9\",\"ok\":0,"
                              "\"ng\":1,\"yield\":0.00}]"),
              std::string::npos)
        << result.out;

    result = Run({"--root", m_root, "--scan", "--machine", "A", "--format", "json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "{\"settingFiles\":[\"SET_A\",\"SET_B\"],\"machineIds\":[\"WB-1\",\"WB-2\"],"
              "\"customers\":[{\"code\":\"C001\",\"name\":\"First Customer\"},"
              "{\"code\":\"C002\",\"name\":\"Second\"},{\"code\":\"C003\",\"name\":null}]}\n");
}

// The scope object and the day rows; "made" is checked for its form.
TEST_F(BatchCommandTest, ScopeAndDaysInJson) {
    WriteTree();
    // A machine folder whose one entry fails, and a customer the list does
    // not name.
    m_dir.MakeDir("root/ReportData/C/sub");
    const Result result =
        Run({"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31", "--format", "json",
             "--exclude-customer", "C009", "--exclude-customer", "C002", "--exclude-board",
             "WB-\xE9\"", "--exclude-setting-file", "SET_Z"});
    ASSERT_EQ(result.status, 0) << result.err;
    const std::size_t scope = result.out.find(",\"scope\":{");
    ASSERT_NE(scope, std::string::npos) << result.out;
    const std::string tail = result.out.substr(scope);
    const std::size_t made = tail.find("\"made\":\"");
    ASSERT_NE(made, std::string::npos) << tail;
    EXPECT_TRUE(std::regex_match(tail.substr(made + 7, 21),
                                 std::regex("\"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\"")))
        << tail;

    // Every day of May; the records left are of 3 (OK and NG), 10, 11 (NG) and 20.
    std::string days;
    for (int day = 1; day <= 31; ++day) {
        const std::string counts = day == 3    ? "\"ok\":1,\"ng\":1,\"yield\":50.00"
                                   : day == 10 ? "\"ok\":1,\"ng\":0,\"yield\":100.00"
                                   : day == 11 ? "\"ok\":0,\"ng\":1,\"yield\":0.00"
                                   : day == 20 ? "\"ok\":1,\"ng\":0,\"yield\":100.00"
                                               : "\"ok\":0,\"ng\":0,\"yield\":null";
        days += std::string(day == 1 ? "" : ",") + "{\"day\":\"2018-05-" + (day < 10 ? "0" : "") +
                std::to_string(day) + "\"," + counts + "}";
    }
    EXPECT_EQ(WithoutMade(tail),
              ",\"scope\":{\"firstDay\":\"2018-05-01\",\"lastDay\":\"2018-05-31\",\"made\":\"\","
              "\"machines\":[\"A\",\"B\",\"C\"],\"excludedSettingFiles\":[\"SET_Z\"],"
              "\"excludedMachineIds\":[\"WB-\\u00e9\\\"\"],"
              "\"excludedCustomers\":[[\"C002\",\"Second\"],[\"C009\",\"\"]],"
              "\"filesRead\":3,\"filesFailed\":1,\"failedFiles\":[\"C/"
              "sub\"],\"failedFilesMore\":0,\"ok\":3,\"ng\":2,\"linesLeftOut\":0,"
              "\"daysFrom\":\"2018-05-01\",\"daysTo\":\"2018-05-31\",\"everyDay\":true,"
              "\"dayRowsLeftOut\":0},"
              "\"days\":[" +
                  days + "]}\n");
}

// The customer names are read for the excluded customers only: a list that
// cannot be read (a folder in its place) is said on standard error, and the
// report is made as usual, the names empty.
TEST_F(BatchCommandTest, AnUnreadableCustomerListIsSaidAndTheReportStillMade) {
    WriteTree();
    std::filesystem::remove(m_root + "/CustomerList.lst");
    m_dir.MakeDir("root/CustomerList.lst");
    const std::vector<std::string> may = {"--root",     m_root, "--from",
                                          "2018-05-01", "--to", "2018-05-31"};

    std::vector<std::string> args = may;
    args.insert(args.end(), {"--exclude-customer", "C002", "--format", "json"});
    const Result excluding = Run(args);
    EXPECT_EQ(excluding.status, 0) << excluding.err;
    EXPECT_NE(excluding.err.find("CustomerList.lst: "), std::string::npos) << excluding.err;
    EXPECT_NE(excluding.out.find("\"excludedCustomers\":[[\"C002\",\"\"]]"), std::string::npos)
        << excluding.out;
    EXPECT_NE(Script("reportScope.js").find("[['C002', '']]"), std::string::npos);

    const Result plain = Run(may);
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_EQ(plain.err.find("CustomerList.lst"), std::string::npos) << plain.err;
    EXPECT_NE(Script("reportFacts.js").find("\"customerNames\": {}"), std::string::npos);
}

// The facts script names the customers of its rows from the list, excluded
// customers or not, as the program's report does.
TEST_F(BatchCommandTest, TheFactsScriptNamesTheCustomersOfItsRows) {
    WriteTree();
    const Result result = Run({"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31",
                               "--exclude-customer", "C003"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(Script("reportFacts.js")
                  .find("\"customerNames\": {\"C001\": \"First Customer\", \"C002\": \"Second\"}"),
              std::string::npos)
        << Script("reportFacts.js");
    const Result plain = Run({"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(Script("reportFacts.js")
                  .find("\"customerNames\": {\"C001\": \"First Customer\", \"C002\": \"Second\"}"),
              std::string::npos)
        << Script("reportFacts.js");
}

TEST_F(BatchCommandTest, HelpListsTheExitStatuses) {
    const Result result = Run({"--help"});
    EXPECT_EQ(result.status, 0);
    for (const char* line :
         {"Exit status:", "  0  the scripts were written", "  1  nothing to report",
          "  2  bad arguments", "  3  a script could not be written",
          "  4  standard output could not be written", "--format"}) {
        EXPECT_NE(result.out.find(line), std::string::npos) << line << "\n" << result.out;
    }
}

TEST_F(BatchCommandTest, ScanListsTheFoundValuesWithCustomerNames) {
    WriteTree();
    const Result result = Run({"--root", m_root, "--scan", "--machine", "A"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out,
              "Setting File\nSET_A\nSET_B\n\n"
              "Machine (Write Board) ID\nWB-1\nWB-2\n\n"
              "Customer\nC001_First Customer\nC002_Second\nC003_Unknown\n");
}

// A closed pipe or a full disk on standard output loses the totals, never the
// scripts, and the exit status says so.
TEST_F(BatchCommandTest, ALostStandardOutputStillWritesTheScripts) {
    WriteTree();
    const std::vector<std::string> report = {"--root",     m_root, "--from",
                                             "2018-05-01", "--to", "2018-05-31"};
    std::vector<std::string> scan = {"--root", m_root, "--scan"};
    struct Case {
        std::vector<std::string> args;
        bool writesScripts;
    };
    const Case cases[] = {{report, true}, {scan, false}};
    for (const Case& c : cases) {
        for (const bool closedPipe : {true, false}) {
            SCOPED_TRACE(testing::PrintToString(c.args) +
                         (closedPipe ? " | true" : " > /dev/full"));
            std::remove((m_root + "/Report/js/tableSummary.js").c_str());
            int fds[2] = {-1, -1};
            if (closedPipe) {
                ASSERT_EQ(::pipe(fds), 0);
                ::close(fds[0]);  // no reader: a write fails with EPIPE
            } else {
                fds[1] = ::open("/dev/full", O_WRONLY);
                ASSERT_GE(fds[1], 0);
            }
            const Result result = Run(c.args, fds[1]);
            ::close(fds[1]);
            EXPECT_EQ(result.status, 4);
            EXPECT_NE(
                result.err.find(closedPipe ? "Standard output could not be written: Broken pipe"
                                           : "Standard output could not be written: No "
                                             "space left on device"),
                std::string::npos)
                << result.err;
            if (c.writesScripts) {
                EXPECT_NE(Script("tableSummary.js").find("['Summary', 4, 2,"), std::string::npos);
                EXPECT_NE(result.err.find("Report scripts written to"), std::string::npos);
            }
        }
    }
}

// A value read from a record or a file name from the disk cannot drive the
// terminal: its control bytes are shown as escapes; letters stay as they are.
TEST_F(BatchCommandTest, ControlBytesReachTheTerminalAsEscapes) {
    Record("A", "1.csv",
           "header\n2018/05/03,c1,\x1B]0;PWNED\a\x1B[2J,C001,WB-\xC3\xA9\x9B"
           "2J,1,OK\n");
    const Result scan = Run({"--root", m_root, "--scan"});
    ASSERT_EQ(scan.status, 0) << scan.err;
    EXPECT_EQ(scan.out,
              "Setting File\n\\x1B]0;PWNED\\x07\\x1B[2J\n\n"
              // Not UTF-8 as a whole, so read as ISO-8859-1 (as the lists
              // show it), in UTF-8, its C1 control escaped.
              "Machine (Write Board) ID\nWB-\xC3\x83\xC2\xA9\\xC2\\x9B2J\n\n"
              "Customer\nC001_Unknown\n");

    const std::string fifo = m_root + "/ReportData/A/\x1B[1;31mFIFO";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--root", m_root, "--scan"},
          std::vector<std::string>{"--root", m_root, "--from", "2018-05-01", "--to",
                                   "2018-05-31"}}) {
        const Result result = Run(args);
        SCOPED_TRACE(testing::PrintToString(args));
        EXPECT_NE(result.err.find("/ReportData/A/\\x1B[1;31mFIFO: "), std::string::npos)
            << result.err;
        EXPECT_EQ(result.err.find('\x1B'), std::string::npos) << result.err;
    }
    const Result unknown = Run({"--root", m_root, "--machine", "\x1B[2J"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("Unknown machine: \\x1B[2J"), std::string::npos) << unknown.err;
    const Result rejected = Run({"--root", m_root, "--format", "\x1B[2J"});
    EXPECT_EQ(rejected.status, 2);
    EXPECT_FALSE(rejected.err.empty());
    EXPECT_EQ(rejected.err.find('\x1B'), std::string::npos) << rejected.err;
}

// A '\\' is part of a name: a machine folder "back\\slash" counts, and
// --out "out\\js" is that folder, not out/js.
TEST_F(BatchCommandTest, NamesWithABackslashAreTakenAsTheyAre) {
    Record("back\\slash", "1.csv", "header\n2018/05/03,c1,SET_A,C001,WB-1,1,OK\n");
    const std::string out = m_dir.MakeDir("out\\js");
    const Result result = Run({"--root", m_root, "--machine", "back\\slash", "--from", "2018-05-01",
                               "--to", "2018-05-31", "--out", out});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "OK: 1\nNG: 0\n");
    EXPECT_EQ(result.err, "Report scripts written to " + out + "/\n");
    EXPECT_NE(test::ReadFile(out + "/tableSummary.js").find("['Summary', 1, 0,"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() + "/out/js"));
}

TEST_F(BatchCommandTest, NothingToReport) {
    Result result = Run({"--root", m_root});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "No machine folder found under " + m_root + "/ReportData\n");
    // The default root is named as the file system names it.
    result = Run({});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "No machine folder found under " + m_home.documents() +
                              "/Norvale/TavriloIC/ReportData\n");

    Record("A", "empty.csv", "");
    result = Run({"--root", m_root, "--from", "2018-05-01", "--to", "2018-05-31"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Production record not found!!\n");

    Record("A", "1.csv", "header\n2018/05/03,c1,SET_A,C001,WB-1,1,OK\n");
    result = Run({"--root", m_root, "--from", "2019-01-01", "--to", "2019-12-31"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "OK: 0\nNG: 0\n");
    EXPECT_EQ(result.err,
              "No record!!\r\nPlease check \"Machine (Platform)\", \"Date\" and \"Option\"!!\n");
    EXPECT_THROW(Script("tableSummary.js"), std::runtime_error);  // nothing written
}

TEST_F(BatchCommandTest, BadArgumentsExitWithTwo) {
    WriteTree();
    const std::vector<std::string> cases[] = {
        {"--from", "2018-02-30"},
        {"--to", "2018/05/31"},
        {"--from", "18-05-01"},
        {"--no-such-option"},
        {"--machine", "Z"},
        {"--workers", "0"},
        {"--out", m_dir.path() + "/no-such-folder"},
        {"--format", "xml"},
        {"--from", "2018-06-01", "--to", "2018-05-31"},
        {"--to", "2018-05-31"},  // the first day defaults to today
    };
    EXPECT_EQ(Run({"--root", m_dir.path() + "/no-such-root"}).status, 2);
    for (const auto& extra : cases) {
        std::vector<std::string> args = {"--root", m_root};
        args.insert(args.end(), extra.begin(), extra.end());
        const Result result = Run(args);
        SCOPED_TRACE(testing::PrintToString(extra));
        EXPECT_EQ(result.status, 2);
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(result.out.empty());
    }
    EXPECT_EQ(Run({"--root", m_root, "--from", "2018-06-01", "--to", "2018-05-31"}).err,
              "The first day (--from 2018-06-01) is after the last day (--to 2018-05-31)\n"
              "Run with --help for more information.\n");
    EXPECT_THROW(Script("tableSummary.js"), std::runtime_error);  // nothing written
}

// A data tree with records but no report page (a fresh install: the
// installer writes nothing into it): the report copies the installed page in
// and creates the script folder, so the first report is written whole; a page
// file that is there already stays as it is. A tree without machines, or a
// scan, gets nothing.
TEST_F(BatchCommandTest, FirstReportOfAFreshTreeInstallsThePage) {
    const std::string root = m_dir.path() + "/fresh";
    m_dir.Write("fresh/ReportData/A/1.csv", "header\n2018/05/03,c1,SET_A,C001,WB-1,1,OK\n");
    m_dir.Write("fresh/Report/report.css", "/* the site's own style */\n");
    Result result = Run({"--root", root, "--scan"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_FALSE(std::filesystem::exists(root + "/Report/js"));

    result = Run({"--root", root, "--from", "2018-05-01", "--to", "2018-05-31"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(test::ReadFile(root + "/Report/js/tableSummary.js").find("['Summary', 1, 0,"),
              std::string::npos);
    EXPECT_EQ(test::ReadFile(root + "/Report/report.css"), "/* the site's own style */\n");
    for (const auto& file : std::filesystem::directory_iterator(QZ_REPORT_PAGE_DIR)) {
        const std::string name = file.path().filename().string();
        if (name != "report.css") {
            EXPECT_EQ(test::ReadFile(root + "/Report/" + name), test::ReadFile(file.path()))
                << name;
        }
    }
    for (const auto& file : std::filesystem::directory_iterator(root + "/Report")) {
        EXPECT_EQ(file.path().filename().string().find(".copying-"), std::string::npos);
    }

    m_dir.MakeDir("empty");
    result = Run({"--root", m_dir.path() + "/empty"});
    EXPECT_EQ(result.status, 1);
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() + "/empty/Report"));
}

// --print-paths: the tree below --root, as make-demo-data reads it.
TEST_F(BatchCommandTest, PrintPathsNamesTheDataTree) {
    const Result result = Run({"--root", m_root, "--print-paths"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find("installed-page=")),
              "records=" + m_root + "/ReportData\ncustomers=" + m_root +
                  "/CustomerList.lst\npage=" + m_root + "/Report/report.html\nscripts=" + m_root +
                  "/Report/js/\n");
    const std::string page = result.out.substr(result.out.find("installed-page=") + 15);
    ASSERT_FALSE(page.empty());
    EXPECT_TRUE(std::filesystem::exists(page.substr(0, page.size() - 1) + "/report.html")) << page;
}

}  // namespace
}  // namespace qz

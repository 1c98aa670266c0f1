// qz8840-report as a child process under conditions an operator meets by bad
// luck or by someone's design: no room for the scripts, another writer of the
// script folder, a folder the writers may only write, a forged line in a file
// name, a record still being written, days centuries apart.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/FolderLock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordText.h"
#include "tests/support/TestSupport.h"

namespace qz {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::vector<std::string> kScripts = {
    "chartSummary.js",     "chartSettingFile.js", "chartMachineId.js", "tableSummary.js",
    "tableSettingFile.js", "tableMachineId.js",   "reportScope.js",    "reportFacts.js"};

class HostileBatchTest : public ::testing::Test {
  protected:
    void SetUp() override { m_js = m_dir.MakeDir("root/Report/js"); }

    test::ChildResult Run(std::vector<std::string> args, std::vector<std::string> prefix = {}) {
        std::vector<std::string> argv = std::move(prefix);
        argv.push_back(QZ_BATCH_EXECUTABLE);
        for (const std::string& extra :
             {std::string("--root"), m_dir.path() + "/root", std::string("--from"),
              std::string("2018-05-01"), std::string("--to"), std::string("2018-05-31")}) {
            argv.push_back(extra);
        }
        argv.insert(argv.end(), args.begin(), args.end());
        return test::RunChild(argv, m_dir.path(), {.limit = std::chrono::seconds(60)});
    }

    // One machine whose records are n OK writes under each of the setting
    // files named, replacing what the machine had.
    void Records(const std::string& machine, const std::vector<std::string>& settingFiles,
                 std::size_t n = 1) {
        fs::remove_all(m_dir.path() + "/root/ReportData/" + machine);
        test::RecordFileText text;
        for (const std::string& name : settingFiles) {
            text.Add({.settingFile = name}, n);
        }
        m_dir.Write("root/ReportData/" + machine + "/1.csv", text);
    }

    std::vector<std::string> ScriptSet() const {
        std::vector<std::string> set;
        for (const std::string& name : kScripts) {
            set.push_back(test::ReadFile(m_js + "/" + name));
        }
        return set;
    }

    // Names in the script folder other than the eight scripts and the lock.
    std::vector<std::string> Strays() const {
        std::vector<std::string> strays;
        for (const auto& entry : fs::directory_iterator(m_js)) {
            const std::string name = entry.path().filename().string();
            if (std::find(kScripts.begin(), kScripts.end(), name) == kScripts.end() &&
                name != FolderLock::kLockFileName) {
                strays.push_back(name);
            }
        }
        return strays;
    }

    test::TempDir m_dir;
    std::string m_js;
};

// With no room for all of the scripts (a file-size limit stands in for a
// small file system), none is replaced: the last report stays whole, no new
// file is left behind, and the operator reads which script failed and why.
// The limit's signal ends nothing: the failure is a write failure, exit 3.
TEST_F(HostileBatchTest, ScriptsThatDoNotFitReplaceNoneOfTheLastReport) {
    Records("A", {"OLD"});
    ASSERT_EQ(Run({}).status, 0);
    const std::vector<std::string> last = ScriptSet();

    std::vector<std::string> many;
    for (int i = 0; i < 400; ++i) {
        many.push_back("SETTING_FILE_WITH_A_LONG_NAME_" + std::to_string(i));
    }
    Records("A", many);
    const test::ChildResult run = Run({}, {"prlimit", "--fsize=8192", "--"});
    EXPECT_EQ(run.signal, 0) << "ended by signal " << run.signal;
    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("chartSettingFile.js: File too large"), std::string::npos) << run.err;
    EXPECT_EQ(ScriptSet(), last);
    EXPECT_EQ(Strays(), std::vector<std::string>());

    // With room, the same report is written whole.
    ASSERT_EQ(Run({}).status, 0);
    EXPECT_NE(test::ReadFile(m_js + "/tableSettingFile.js").find("LONG_NAME_399"),
              std::string::npos);
}

// Another process holding the folder's lock is waited for a few seconds, then
// the operator is told and the last report is kept.
TEST_F(HostileBatchTest, ALockHeldElsewhereIsWaitedForBrieflyThenTold) {
    Records("A", {"OLD"});
    ASSERT_EQ(Run({}).status, 0);
    const std::vector<std::string> last = ScriptSet();
    Records("A", {"NEW"});

    const int held = ::open((m_js + "/" + std::string(FolderLock::kLockFileName)).c_str(),
                            O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(held, 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        ::flock(held, LOCK_EX);
        ::pause();
        ::_exit(0);
    }
    while (test::FlocksOn(m_js + "/" + std::string(FolderLock::kLockFileName)).empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const auto start = Clock::now();
    const test::ChildResult run = Run({});
    const auto took = Clock::now() - start;
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(held);

    EXPECT_EQ(run.status, 3) << run.err;
    EXPECT_NE(run.err.find("Another report is being written"), std::string::npos) << run.err;
    EXPECT_LT(took, FolderLock::kDefaultWait + std::chrono::seconds(5));
    EXPECT_EQ(ScriptSet(), last);

    // Once the holder is gone, the report is written.
    ASSERT_EQ(Run({}).status, 0);
    EXPECT_NE(test::ReadFile(m_js + "/tableSettingFile.js").find("NEW"), std::string::npos);
}

// The OK count a script states, by the first match of pattern's group.
long long Count(const std::string& text, const std::string& pattern) {
    std::smatch match;
    return std::regex_search(text, match, std::regex(pattern)) ? std::stoll(match[1]) : -1;
}

// Writers that may write the script folder but not read it (mode 0333) still
// take turns: three at once, again and again, always leave one report's set.
// As root the writers run as nobody, whom the mode binds.
TEST_F(HostileBatchTest, ConcurrentWritersIntoAWriteOnlyFolderLeaveWholeSets) {
    std::vector<std::string> prefix;
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
        prefix = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
        for (const std::string& path : {m_dir.path(), m_dir.path() + "/root"}) {
            fs::permissions(path, fs::perms::others_read | fs::perms::others_exec,
                            fs::perm_options::add);
        }
        ASSERT_EQ(::chown(m_js.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown((m_dir.path() + "/root/Report").c_str(), kNobody, kNobody), 0);
    }
    // Writer w's report: w + 1 OK writes under setting file W<w>.
    std::vector<std::string> roots;
    for (int w = 0; w < 3; ++w) {
        const std::string root = m_dir.path() + "/w" + std::to_string(w);
        m_dir.Write("w" + std::to_string(w) + "/ReportData/A/1.csv",
                    test::RecordFileText().Add({.settingFile = "W" + std::to_string(w)},
                                               static_cast<std::size_t>(w) + 1));
        fs::permissions(root, fs::perms::all);
        fs::permissions(root + "/ReportData", fs::perms::all);
        fs::permissions(root + "/ReportData/A", fs::perms::all);
        fs::permissions(root + "/ReportData/A/1.csv",
                        fs::perms::owner_all | fs::perms::others_read);
        roots.push_back(root);
    }
    fs::permissions(m_js, fs::perms::owner_write | fs::perms::owner_exec | fs::perms::group_write |
                              fs::perms::group_exec | fs::perms::others_write |
                              fs::perms::others_exec);

    for (int round = 0; round < 12; ++round) {
        std::vector<std::thread> writers;
        std::vector<test::ChildResult> runs(3);
        for (std::size_t w = 0; w < 3; ++w) {
            writers.emplace_back([&, w] {
                std::vector<std::string> argv = prefix;
                for (const std::string& arg :
                     {std::string(QZ_BATCH_EXECUTABLE), std::string("--root"), roots[w],
                      std::string("--out"), m_js, std::string("--from"), std::string("2018-05-01"),
                      std::string("--to"), std::string("2018-05-31")}) {
                    argv.push_back(arg);
                }
                runs[w] = test::RunChild(argv, roots[w], {.limit = std::chrono::seconds(60)});
            });
        }
        for (std::thread& writer : writers) {
            writer.join();
        }
        for (const test::ChildResult& run : runs) {
            ASSERT_EQ(run.status, 0) << run.err;
        }
        const long long ok =
            Count(test::ReadFile(m_js + "/chartSummary.js"), R"(\['OK',\s+(\d+)\])");
        ASSERT_GE(ok, 1);
        ASSERT_LE(ok, 3);
        const std::string name = "'W" + std::to_string(ok - 1) + "'";
        for (const char* script : {"chartSettingFile.js", "tableSettingFile.js"}) {
            EXPECT_NE(test::ReadFile(m_js + "/" + script).find(name), std::string::npos)
                << "round " << round << ": " << script << " is of another report";
        }
        EXPECT_EQ(Count(test::ReadFile(m_js + "/tableSummary.js"), R"(\['Summary', (\d+),)"), ok)
            << "round " << round;
        EXPECT_EQ(Count(test::ReadFile(m_js + "/reportScope.js"), R"('ok': (\d+),)"), ok)
            << "round " << round;
    }
}

// A name on the terminal cannot make a line of its own: a folder name with a
// line feed forges no message.
TEST_F(HostileBatchTest, ALineFeedInANameCannotForgeAMessageLine) {
    Records("A", {"S"});
    m_dir.MakeDir("root/ReportData/A/x\nProduction record not found!!\r");
    const test::ChildResult run = Run({});
    EXPECT_NE(run.err.find("x\\x0AProduction record not found!!\\x0D"), std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find("\nProduction record"), std::string::npos) << run.err;

    const test::ChildResult bad = test::RunChild(
        {QZ_BATCH_EXECUTABLE, "--workers", "x\nProduction record not found!!"}, m_dir.path());
    EXPECT_EQ(bad.err.find("\nProduction record"), std::string::npos) << bad.err;
}

// A last line without its line end: a lone CR ends it; one being written
// (the file changed just now) is left out and the scope says so; in a file
// quiet for longer it counts as it stands.
TEST_F(HostileBatchTest, AnUnterminatedLastLineCountsOnlyOnceItsFileIsQuiet) {
    const std::string okLine = test::RecordLine({.settingFile = "S"}, "");
    m_dir.Write("root/ReportData/A/cr.csv",
                test::RecordFileText("\r\n").Add({.settingFile = "S"}).Append(okLine + "\r"));
    m_dir.Write("root/ReportData/A/half.csv", test::RecordFileText()
                                                  .Add({.settingFile = "S"})
                                                  .Append(okLine.substr(0, okLine.size() - 1)));
    test::ChildResult run = Run({});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK: 3\nNG: 0\n"), std::string::npos) << run.out;
    EXPECT_NE(test::ReadFile(m_js + "/reportScope.js").find("'linesLeftOut': 1,"),
              std::string::npos);

    // Quiet for longer than the quiet time: the half line counts, as NG.
    const std::string half = m_dir.path() + "/root/ReportData/A/half.csv";
    fs::last_write_time(half, fs::last_write_time(half) - std::chrono::seconds(60));
    fs::last_write_time(m_dir.path() + "/root/ReportData/A/cr.csv", fs::last_write_time(half));
    run = Run({});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("OK: 3\nNG: 1\n"), std::string::npos) << run.out;
    EXPECT_NE(test::ReadFile(m_js + "/reportScope.js").find("'linesLeftOut': 0,"),
              std::string::npos);
}

// A live writer flushing its lines in pieces of any size: a report made at
// any moment counts only whole records, never half of one as NG.
TEST_F(HostileBatchTest, ALiveWriterFlushingPiecesNeverCountsAHalfLine) {
    const std::string path = m_dir.path() + "/root/ReportData/A/live.csv";
    const std::string line = test::RecordLine({.settingFile = "S"}, "\r\n");
    m_dir.Write("root/ReportData/A/live.csv", std::string(test::kRecordHeader) + "\r\n" + line);
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int step = 0; step < 24; ++step) {
        // Piece sizes that cut the line everywhere, the CR LF included.
        const std::size_t cut = 1 + static_cast<std::size_t>(step) % (line.size() - 1);
        ASSERT_EQ(::write(fd, line.data(), cut), static_cast<ssize_t>(cut));
        const test::ChildResult run = Run({});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find("NG: 0\n"), std::string::npos) << "cut " << cut << ": " << run.out;
        ASSERT_EQ(::write(fd, line.data() + cut, line.size() - cut),
                  static_cast<ssize_t>(line.size() - cut));
    }
    ::close(fd);
}

// Records centuries apart in a full range give day rows of their days only,
// within the bound, not millions of empty days.
TEST_F(HostileBatchTest, DaysCenturiesApartGiveBoundedDayRows) {
    m_dir.Write("root/ReportData/A/1.csv", test::RecordFileText()
                                               .Add({.date = "0100/01/01"})
                                               .Add({.date = "9999/12/31", .result = "NG"}));
    const test::ChildResult run =
        test::RunChild({QZ_BATCH_EXECUTABLE, "--root", m_dir.path() + "/root", "--from",
                        "0100-01-01", "--to", "9999-12-31"},
                       m_dir.path());
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string scope = test::ReadFile(m_js + "/reportScope.js");
    EXPECT_LT(scope.size(), 4096u);
    EXPECT_NE(scope.find("'days': [['0100-01-01', 1, 0], ['9999-12-31', 0, 1]]"), std::string::npos)
        << scope;
    EXPECT_NE(scope.find("'everyDay': false,"), std::string::npos);
}

}  // namespace
}  // namespace qz

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FolderLock.h"
#include "records/ReportCounts.h"
#include "report/ReportScriptWriter.h"
#include "tests/unit/report/ScriptTestSupport.h"

namespace qz::test {
namespace {

// The three templates as the page contract prints them: one line of text cut
// before each run of tabs, "\t" written as two characters.
constexpr std::string_view kPieLines[] = {
    R"~(google.load("visualization", "1", {packages:["corechart"]});)~",
    R"~( \t\t\tgoogle.setOnLoadCallback(drawChartSummary);)~",
    R"~( \t\t\tfunction drawChartSummary() {)~",
    R"~( \t\t\t\tvar data = google.visualization.arrayToDataTable([)~",
    R"~( \t\t\t\t\t['Result', 'Number'],)~",
    R"~( \t\t\t\t\t['OK',     %d],)~",
    R"~( \t\t\t\t\t['NG',     %d],)~",
    R"~( \t\t\t\t]);)~",
    R"~( \t\t\tvar options = {)~",
    R"~( \t\t\t\tis3D: true,)~",
    R"~( \t\t\t\tchartArea: {)~",
    R"~( \t\t\t\t\tleft: '25%%',)~",
    R"~(\t\t\t\t},)~",
    R"~( \t\t\t\tbackgroundColor: 'transparent')~",
    R"~( \t\t\t};)~",
    R"~( \t\t\tvar chart = new google.visualization.PieChart(document.getElementById('chartContent'));)~",
    R"~( \t\t\tchart.draw(data, options);)~",
    R"~( \t\t\t})~",
};

constexpr std::string_view kBarLines[] = {
    R"~(google.load("visualization", "1", {packages:["bar"]});)~",
    R"~( \t\t\tfunction %s {)~",
    R"~( \t\t\tvar data = google.visualization.arrayToDataTable([)~",
    R"~( \t\t\t\t["%s", "Yield(%%)"],)~",
    R"~( \t\t\t\t%s)~",
    R"~( \t\t\t]);)~",
    R"~( \t\t\tvar options = {)~",
    R"~( \t\t\t\twidth: 1000,)~",
    R"~( \t\t\t\t%s)~",
    R"~( \t\t\t\tbars: 'horizontal',)~",
    R"~( \t\t\t\tlegend: { position: "none" },)~",
    R"~( \t\t\t\taxes: {)~",
    R"~( \t\t\t\t\tx: {)~",
    R"~( \t\t\t\t\t\t0: { side: "bottom", label: "Yield(%%)"})~",
    R"~( \t\t\t\t\t},)~",
    R"~( \t\t\t\t},)~",
    R"~( \t\t\t\tchartArea: {)~",
    R"~( \t\t\t\t\tright: 200,)~",
    R"~( \t\t\t\t},)~",
    R"~( \t\t\t\tbar: {groupWidth: "95%%"},)~",
    R"~( \t\t\t};)~",
    R"~( \t\t\tvar chart = new google.charts.Bar(document.getElementById("chartContent"));)~",
    R"~( \t\t\tchart.draw(data, options);)~",
    R"~( \t\t\t})~",
};

constexpr std::string_view kTableLines[] = {
    R"~(google.load("visualization", '1', {packages:['table']});)~",
    R"~( \t\t\t%s)~",
    R"~( \t\t\tfunction %s {)~",
    R"~( \t\t\t\tvar data = new google.visualization.DataTable();)~",
    R"~( \t\t\t\tdata.addColumn('string', '%s');)~",
    R"~( \t\t\t\tdata.addColumn('number', 'OK');)~",
    R"~( \t\t\t\tdata.addColumn('number', 'NG');)~",
    R"~( \t\t\t\tdata.addColumn('number', 'Yield(%%)');)~",
    R"~( \t\t\t\tdata.addRows([)~",
    R"~( \t\t\t\t%s)~",
    R"~( \t\t\t\t]);)~",
    R"~( \t\t\t\tvar table = new google.visualization.Table(document.getElementById('tableContent'));)~",
    R"~( \t\t\t\ttable.draw(data, {showRowNumber: %s});)~",
    R"~( \t\t\t})~",
};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    // Built anew rather than replaced in place, which g++ 12 misreads as an
    // overlapping copy (-Wrestrict) once inlined.
    std::string replaced;
    std::size_t start = 0;
    for (std::size_t pos = text.find(from); pos != std::string::npos;
         pos = text.find(from, start)) {
        replaced.append(text, start, pos - start);
        replaced.append(to);
        start = pos + from.size();
    }
    replaced.append(text, start);
    text = std::move(replaced);
}

// Joins the printed lines into the stored one-line template.
template <std::size_t N>
std::string Joined(const std::string_view (&lines)[N]) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
    }
    ReplaceAll(text, "\\t", "\t");
    return text;
}

// Puts the values into the template's fields ("%d", "%f", "%s") from left to
// right and turns each "%%" into "%".
std::string Filled(std::string text, std::initializer_list<std::string_view> values) {
    ReplaceAll(text, "%%", "%");
    // After that, a '%' followed by d, f or s can only be a field.
    auto nextField = [&text](std::size_t from) {
        for (std::size_t pos = text.find('%', from); pos != std::string::npos;
             pos = text.find('%', pos + 1)) {
            if (pos + 1 < text.size() &&
                std::string_view("dfs").find(text[pos + 1]) != std::string_view::npos) {
                return pos;
            }
        }
        return std::string::npos;
    };
    std::size_t pos = 0;
    for (std::string_view value : values) {
        pos = nextField(pos);
        if (pos == std::string::npos) {
            throw std::logic_error("more values than fields");
        }
        text.replace(pos, 2, value);
        pos += value.size();
    }
    if (nextField(pos) != std::string::npos) {
        throw std::logic_error("fewer values than fields");
    }
    return text;
}

struct ExpectedKey {
    KeyCounts counts;
    std::string yield;  // as the script must show it
};

// Setting files: five keys, so the bar chart keeps its default height.
const std::vector<ExpectedKey> kSettingFiles = {
    {{"A", 29, 1}, "96.666667"},        {{"B", 3, 0}, "100.000000"}, {{"C", 0, 4}, "0.000000"},
    {{"Set 4.bin", 9, 1}, "90.000000"}, {{"E", 1, 2}, "33.333333"},
};
// Machine IDs: six keys, so the bar chart gets a height of 100 per row.
const std::vector<ExpectedKey> kMachineIds = {
    {{"W01", 10, 0}, "100.000000"}, {{"W02", 8, 2}, "80.000000"},  {{"W03", 6, 1}, "85.714286"},
    {{"W04", 9, 1}, "90.000000"},   {{"W05", 9, 0}, "100.000000"}, {{"W06", 0, 4}, "0.000000"},
};
// Both dimensions sum to 42 OK and 8 NG.
constexpr std::string_view kTotalOk = "42";
constexpr std::string_view kTotalNg = "8";
constexpr std::string_view kTotalYield = "84.000000";

void SetTotals(CReportTotals& totals, const std::vector<ExpectedKey>& settingFiles,
               const std::vector<ExpectedKey>& machineIds) {
    std::vector<KeyCounts> counts;
    for (const ExpectedKey& entry : settingFiles) {
        counts.push_back(entry.counts);
    }
    FillMap(totals.m_settingFiles, counts);
    counts.clear();
    for (const ExpectedKey& entry : machineIds) {
        counts.push_back(entry.counts);
    }
    FillMap(totals.m_machineIds, counts);
    totals.m_nOk = 42;
    totals.m_nNg = 8;
}

struct ExpectedRows {
    std::string bar;
    std::string table;
};

// The rows in the order the keys were first counted, which is the order of
// keys (SetTotals counts them in that order).
ExpectedRows RowsFor(const std::vector<ExpectedKey>& keys) {
    ExpectedRows rows;
    for (const ExpectedKey& entry : keys) {
        rows.bar += "['" + entry.counts.key + "', " + entry.yield + "],";
        rows.table += "['" + entry.counts.key + "', " + std::to_string(entry.counts.ok) + ", " +
                      std::to_string(entry.counts.ng) + ", " + entry.yield + "],";
    }
    return rows;
}

std::string ExpectedBar(std::string_view function, std::string_view title, const ExpectedRows& rows,
                        std::string_view height) {
    return Filled(Joined(kBarLines), {function, title, rows.bar, height});
}

std::string ExpectedTable(std::string_view function, std::string_view title,
                          const ExpectedRows& rows) {
    return Filled(Joined(kTableLines), {"", function, title, rows.table, "true"});
}

// The six scripts for the totals of SetTotals(totals, kSettingFiles, kMachineIds).
std::map<std::string, std::string, std::less<>> ExpectedScripts() {
    const ExpectedRows settingRows = RowsFor(kSettingFiles);
    const ExpectedRows machineRows = RowsFor(kMachineIds);
    const std::string summaryRow = "['Summary', " + std::string(kTotalOk) + ", " +
                                   std::string(kTotalNg) + ", " + std::string(kTotalYield) + "],";
    return {
        {"chartSummary.js", Filled(Joined(kPieLines), {kTotalOk, kTotalNg})},
        {"chartSettingFile.js",
         ExpectedBar("drawChartSettingFile()", "Setting File", settingRows, "")},
        {"chartMachineId.js",
         ExpectedBar("drawChartMachineId()", "Machine ID", machineRows, "height: '600',")},
        {"tableSummary.js",
         Filled(Joined(kTableLines), {"google.setOnLoadCallback(drawTableSummary);",
                                      "drawTableSummary()", "", summaryRow, "false"})},
        {"tableSettingFile.js",
         ExpectedTable("drawTableSettingFile()", "Setting File", settingRows)},
        {"tableMachineId.js", ExpectedTable("drawTableMachineId()", "Machine ID", machineRows)},
    };
}

class ReportScriptWriterTest : public ScriptFolderTest {
  protected:
    void ExpectScript(std::string_view fileName, const std::string& expected) {
        SCOPED_TRACE(std::string(fileName));
        EXPECT_EQ(ReadFile(ScriptPath(fileName)), expected);
    }

    // The names in the script folder, which is the temporary folder itself.
    std::set<std::string> ScriptFolderEntries() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
            // The folder lock's own file stays.
            if (entry.path().filename() != FolderLock::kLockFileName) {
                names.insert(entry.path().filename().string());
            }
        }
        return names;
    }

    static std::set<std::string> ScriptFileNames() {
        return {std::begin(kScriptFiles), std::end(kScriptFiles)};
    }
};

TEST_F(ReportScriptWriterTest, WritesTheSixScriptsByteForByte) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    WriteAllScripts();

    for (const auto& [fileName, expected] : ExpectedScripts()) {
        ExpectScript(fileName, expected);
    }
    EXPECT_TRUE(m_failures.empty());
}

TEST_F(ReportScriptWriterTest, EmptyDimensionStillWritesItsScripts) {
    SetTotals(m_totals, {}, kMachineIds);
    WriteAllScripts();

    const ExpectedRows none;
    ExpectScript("chartSettingFile.js",
                 ExpectedBar("drawChartSettingFile()", "Setting File", none, ""));
    ExpectScript("tableSettingFile.js",
                 ExpectedTable("drawTableSettingFile()", "Setting File", none));
}

TEST_F(ReportScriptWriterTest, SecondRunWithFewerKeysLeavesNoRowsOfTheFirst) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    WriteAllScripts();

    const std::vector<ExpectedKey> fewer = {{{"W09", 1, 1}, "50.000000"}};
    SetTotals(m_totals, kSettingFiles, fewer);
    WriteAllScripts();

    const ExpectedRows rows = RowsFor(fewer);
    ExpectScript("chartMachineId.js", ExpectedBar("drawChartMachineId()", "Machine ID", rows, ""));
    ExpectScript("tableMachineId.js", ExpectedTable("drawTableMachineId()", "Machine ID", rows));
}

// How a key stands inside its single-quoted literal: backslash, quote and the
// control bytes are escaped; the characters of a UTF-8 key beyond ASCII are
// \u escapes; every byte of any other key is written as it is.
TEST_F(ReportScriptWriterTest, KeysAreEscapedOnlyWhereALiteralNeedsIt) {
    const struct {
        std::string key;
        std::string written;
    } cases[] = {
        {"it's", "it\\'s"},
        {"C:\\set\\", "C:\\\\set\\\\"},
        {std::string("\x00\t\x1f\x7f", 4), "\\x00\\x09\\x1F\\x7F"},
        {"\"%s%d%%\" </script>", "\"%s%d%%\" </script>"},
        // UTF-8 text: two-, three- and four-byte characters.
        {"Größe-設定.bin", "Gr\\u00F6\\u00DFe-\\u8A2D\\u5B9A.bin"},
        {"\xF0\x9F\x98\x80 it's\t\xC2\x80\xEF\xBF\xBF", "\\uD83D\\uDE00 it\\'s\\x09\\u0080\\uFFFF"},
        {"\xF4\x8F\xBF\xBF", "\\uDBFF\\uDFFF"},
        // Not UTF-8: every byte stays.
        {"caf\xe9 \xff\x80", "caf\xe9 \xff\x80"},
        {"\xC3\xA9\xFF", "\xC3\xA9\xFF"},                          // a stray byte behind text
        {"\xC0\xAF", "\xC0\xAF"},                                  // an overlong '/'
        {"\xED\xA0\x80\xED\xB0\x80", "\xED\xA0\x80\xED\xB0\x80"},  // encoded surrogates
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},                  // above U+10FFFF
        {"ab\xE2\x82", "ab\xE2\x82"},                              // cut off
    };
    std::vector<KeyCounts> keys;
    for (const auto& c : cases) {
        keys.push_back({c.key, 1, 0});
    }
    FillMap(m_totals.m_settingFiles, keys);
    WriteAllScripts();

    const std::string chart = ReadFile(ScriptPath("chartSettingFile.js"));
    const std::string table = ReadFile(ScriptPath("tableSettingFile.js"));
    for (const auto& c : cases) {
        EXPECT_NE(chart.find("['" + c.written + "', 100.000000],"), std::string::npos) << c.written;
        EXPECT_NE(table.find("['" + c.written + "', 1, 0, 100.000000],"), std::string::npos)
            << c.written;
    }
}

// Sets the whole process locale for the life of the object.
class ScopedLocale {
  public:
    explicit ScopedLocale(const char* name) : m_previous(std::setlocale(LC_ALL, nullptr)) {
        m_active = std::setlocale(LC_ALL, name) != nullptr;
    }
    ~ScopedLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;

    bool active() const { return m_active; }

  private:
    std::string m_previous;
    bool m_active = false;
};

TEST_F(ReportScriptWriterTest, NumbersUseADecimalPointUnderACommaLocale) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    {
        ScopedLocale german("de_DE.UTF-8");
        ASSERT_TRUE(german.active()) << "the de_DE.UTF-8 locale must be installed";
        char probe[32];
        std::snprintf(probe, sizeof probe, "%f", 0.5);
        ASSERT_STREQ(probe, "0,500000") << "the locale does not use a decimal comma";

        WriteAllScripts();
    }
    for (const auto& [fileName, expected] : ExpectedScripts()) {
        ExpectScript(fileName, expected);
    }
}

TEST_F(ReportScriptWriterTest, MissingFolderGivesOneFailureThatNamesIt) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    m_scriptFolder = m_dir.path() + "/missing/";
    WriteAllScripts();

    const std::vector<std::string> texts = m_failures;
    ASSERT_EQ(texts.size(), 1u);
    // The folder and the system's reason, in the system's words and path form.
    EXPECT_NE(texts[0].find("missing"), std::string::npos) << texts[0];
    EXPECT_EQ(texts[0].find(".js"), std::string::npos) << "a script, not the folder: " << texts[0];
    EXPECT_FALSE(std::filesystem::exists(m_dir.path() + "/missing"));
}

// A file that cannot be written is the one failure, which names it; no script
// of the report is replaced, so the folder keeps the last report whole.
class ScriptWriteFailureTest : public ReportScriptWriterTest {
  protected:
    void ExpectOnlyFailure(std::string_view failedFile) {
        ExpectOnlyFailure(failedFile, m_failures);
    }
    void ExpectOnlyFailure(std::string_view failedFile, const std::vector<std::string>& texts) {
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_NE(texts[0].find(failedFile), std::string::npos) << texts[0];
        for (const auto& [fileName, script] : ExpectedScripts()) {
            if (fileName != failedFile) {
                EXPECT_FALSE(std::filesystem::exists(ScriptPath(fileName)))
                    << fileName << " was replaced";
            }
        }
    }

    // Runs WriteAllScripts in a child process whose files may not grow past
    // limit bytes (a write past it fails part-way, as on a full device) and
    // returns the texts of the child's failures.
    std::vector<std::string> WriteAllScriptsWithFileSizeLimit(rlim_t limit) {
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) {
            ADD_FAILURE() << "pipe: " << std::strerror(errno);
            return {};
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(pipeFds[0]);
            const rlimit fileSize{limit, limit};
            std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead
            if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) {
                ::_exit(3);
            }
            WriteAllScripts();
            for (const std::string& text : m_failures) {
                const std::string record = text + '\0';
                if (::write(pipeFds[1], record.data(), record.size()) !=
                    static_cast<ssize_t>(record.size())) {
                    ::_exit(4);
                }
            }
            ::_exit(0);
        }
        ::close(pipeFds[1]);
        std::string received;
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) {
            received.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(pipeFds[0]);
        int status = 0;
        EXPECT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        std::vector<std::string> texts;
        for (std::size_t start = 0, end; (end = received.find('\0', start)) != std::string::npos;
             start = end + 1) {
            texts.push_back(received.substr(start, end - start));
        }
        return texts;
    }
};

TEST_F(ScriptWriteFailureTest, ScriptPathThatIsAFolder) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    m_dir.MakeDir("tableSettingFile.js");
    WriteAllScripts();
    ExpectOnlyFailure("tableSettingFile.js");
    EXPECT_EQ(ScriptFolderEntries(), std::set<std::string>{"tableSettingFile.js"})
        << "a new file was left behind";
}

// The largest script runs out of room part-way; it keeps its old content
// whole, no other script is written, and no part of a new one is left.
TEST_F(ScriptWriteFailureTest, FullDevice) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    std::string largest;
    std::size_t largestSize = 0;
    std::size_t nextSize = 0;
    for (const auto& [fileName, script] : ExpectedScripts()) {
        if (script.size() > largestSize) {
            nextSize = largestSize;
            largestSize = script.size();
            largest = fileName;
        } else {
            nextSize = std::max(nextSize, script.size());
        }
    }
    ASSERT_LT(nextSize + 1, largestSize);
    m_dir.Write(largest, "old script");

    const std::vector<std::string> texts =
        WriteAllScriptsWithFileSizeLimit((nextSize + largestSize) / 2);
    ExpectOnlyFailure(largest, texts);
    EXPECT_EQ(ReadFile(ScriptPath(largest)), "old script");
    EXPECT_EQ(ScriptFolderEntries(), std::set<std::string>{largest})
        << "a new file was left behind";
}

// A report stopped before its renames leaves its new scripts beside the old
// ones under hidden names; the next report removes them and nothing else.
TEST_F(ReportScriptWriterTest, NextReportRemovesWhatAStoppedOneLeft) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    for (const char* name : {".chartSummary.js.4242.0.tmp", ".tableMachineId.js.4242.5.tmp",
                             ".chartSummary.js.keep", "chartSummary.js.1.tmp", "notes.txt"}) {
        m_dir.Write(name, "x");
    }
    WriteAllScripts();
    std::set<std::string> expected = ScriptFileNames();
    expected.insert({".chartSummary.js.keep", "chartSummary.js.1.tmp", "notes.txt"});
    EXPECT_EQ(ScriptFolderEntries(), expected);
}

// "ln -s ../../victim.txt Report/js/chartSummary.js": the report replaces the
// link and never writes through it.
TEST_F(ReportScriptWriterTest, SymbolicLinkAtAScriptPathIsReplacedNotFollowed) {
    SetTotals(m_totals, kSettingFiles, kMachineIds);
    TempDir elsewhere;
    const std::string victim = elsewhere.Write("victim.txt", "precious");
    ASSERT_EQ(::symlink(victim.c_str(), ScriptPath("chartSummary.js").c_str()), 0);
    const std::string unborn = elsewhere.path() + "/unborn.txt";
    ASSERT_EQ(::symlink(unborn.c_str(), ScriptPath("tableSummary.js").c_str()), 0);
    WriteAllScripts();

    EXPECT_TRUE(m_failures.empty()) << m_failures.front();
    EXPECT_EQ(ReadFile(victim), "precious");
    EXPECT_FALSE(std::filesystem::exists(unborn)) << "a dangling link was written through";
    for (const auto& [fileName, expected] : ExpectedScripts()) {
        EXPECT_FALSE(std::filesystem::is_symlink(ScriptPath(fileName))) << fileName;
        ExpectScript(fileName, expected);
    }
}

}  // namespace
}  // namespace qz::test

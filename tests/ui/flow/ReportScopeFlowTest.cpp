// The program and the batch command write the same scope script for the same
// report: same machines, days, exclusions and files (the time made aside).

#include <cstdlib>
#include <regex>
#include <string>

#include <gtest/gtest.h>
#include <wx/datectrl.h>

#include "tests/ui/flow/FlowTestSupport.h"

namespace qz {
namespace {

using test::RecordLine;

// The scope script with its "made" line (the time of the report) left out;
// that line must be there, once.
std::string WithoutMade(const std::string& script) {
    static const std::regex kMade("\t'made': '\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d',\n");
    std::smatch match;
    EXPECT_TRUE(std::regex_search(script, match, kMade)) << script;
    return std::regex_replace(script, kMade, "");
}

using ReportScopeFlowTest = test::FlowTest;

TEST_F(ReportScopeFlowTest, ProgramAndBatchCommandWriteTheSameScope) {
    WriteRecords("M1", "1.csv",
                 {RecordLine("2018/05/03 10:21:07", "SET_A", "0A1B", "WB-1", "OK"),
                  RecordLine("2018/05/04 08:00:00", "SET_B", "0A1B", "WB-2", "NG"),
                  RecordLine("2018/06/01 00:00:00", "SET_A", "0A1B", "WB-1", "OK")});
    WriteRecords("M2", "1.csv",
                 {RecordLine("2018/05/01 00:00:00", "SET_B", "0A1B", "WB-1", "OK"),
                  RecordLine("2018/05/02 00:00:00", "SET_C", "0A1B", "WB-1", "OK")});
    WriteRecords("M3", "1.csv", {RecordLine("2018/05/10 10:00:00", "SET_A", "0A1B", "WB-3", "OK")});
    // An entry that fails when it is read.
    m_tree.MakeDir("ReportData/M1/sub");
    m_tree.Write("CustomerList.lst", "0A1C _ It's \xC3\xA9t\xC3\xA9\n");
    WritePreviousScripts();

    CQZ8840ReporterDlg& dlg = ShowMainDialog();
    CheckMachines({"M1", "M2"});
    dlg.StartPicker()->SetValue(wxDateTime(1, wxDateTime::May, 2018, 9, 30));
    dlg.EndPicker()->SetValue(wxDateTime(31, wxDateTime::May, 2018));
    dlg.ExcludedValues().settingFiles.Insert("SET_C");
    dlg.ExcludedValues().machineIds.Insert("WB-9");
    dlg.ExcludedValues().customers.Insert("0A1C");
    dlg.ExcludedValues().customers.Insert("Z999");
    dlg.OnBnClickedGenerateReport();
    ASSERT_EQ(m_messages.texts().size(), 1u);  // the failing entry's
    const std::string program = Script("reportScope.js");

    // The batch command on the same tree (the redirected home), into a
    // folder of its own.
    const std::string out = m_tree.MakeDir("batch-out");
    const std::string command = std::string("'") + QZ_BATCH_EXECUTABLE +
                                "' --machine M1 --machine M2 --from 2018-05-01 --to 2018-05-31"
                                " --exclude-setting-file SET_C --exclude-board WB-9"
                                " --exclude-customer Z999 --exclude-customer 0A1C --out '" +
                                out + "' >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string batch = test::ReadFile(out + "/reportScope.js");

    EXPECT_EQ(WithoutMade(program), WithoutMade(batch));
    for (const char* part :
         {"\t'machines': ['M1', 'M2'],\n",
          "\t'excludedCustomers': [['0A1C', 'It\\'s \\u00E9t\\u00E9'], ['Z999', '']],\n",
          "\t'filesRead': 2,\n\t'filesFailed': 1,\n\t'failedFiles': ['M1/sub'],\n"
          "\t'failedFilesMore': 0,\n",
          "\t'days': [['2018-05-01', 1, 0], ['2018-05-02', 0, 0], ['2018-05-03', 1, 0], "
          "['2018-05-04', 0, 1], ['2018-05-05', 0, 0], "}) {
        EXPECT_NE(program.find(part), std::string::npos) << part << "\n" << program;
    }
}

}  // namespace
}  // namespace qz

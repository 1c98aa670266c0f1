#include "report/DataPaths.h"

namespace qz {

const char* const kRootTemplate = "%MYDOCUMENT%\\Norvale\\TavriloIC\\";

std::string g_strReportDataPath = "ReportData";
std::string g_strCustomerListPath = "CustomerList.lst";
std::string g_strReportHtmlPath = "Report\\report.html";
std::string g_strReportJsPath = "Report\\js\\";

std::vector<std::string> g_machineFolderNames;

void InitDataPaths() {}
void ExpandPathMacros(std::string&) {}
std::string GetExeFolder() { return {}; }
void ScanMachineFolders() {}

}  // namespace qz

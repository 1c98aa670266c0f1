#pragma once
// The four data paths below the data root, and the machine folders of the
// record folder. The paths keep backslashes as built; the file layer maps them.
//
// Before InitDataPaths the paths hold their relative parts; InitDataPaths puts
// the root template in front of each and expands the folder macros (it is not
// idempotent: call it once). They are read-only afterwards.

#include <string>
#include <vector>

namespace qz {

extern const char* const kRootTemplate;  // "%MYDOCUMENT%\Norvale\TavriloIC\"

extern std::string g_strReportDataPath;    // record folder, no trailing backslash
extern std::string g_strCustomerListPath;  // customer list file
extern std::string g_strReportHtmlPath;    // report page
extern std::string g_strReportJsPath;      // script folder, with trailing backslash

extern std::vector<std::string> g_machineFolderNames;

void InitDataPaths();
// Replaces "%MYDOCUMENT%", then "%DESKTOP%", then "%EXEPATH%" (exact case) in
// path; a folder that cannot be found is replaced by an empty string.
void ExpandPathMacros(std::string& path);
// The executable's folder: its path cut before the last backslash.
std::string GetExeFolder();
// Refills g_machineFolderNames with the sub-folders of the record folder, in
// folder-search order; a missing record folder leaves it empty.
void ScanMachineFolders();

}  // namespace qz

#pragma once
// Where the program's data lies: the record folder with one folder per
// machine, the customer list, the report page and its script folder, in the
// system's form (the root template's '\' becomes the system's separator).
//
// The program resolves its paths once at start-up (Resolve) and passes the
// value to whoever needs it.

#include <string>
#include <string_view>
#include <vector>

namespace qz {

extern const char* const kRootTemplate;  // "%MYDOCUMENT%\Norvale\TavriloIC\"

struct DataPaths {
    std::string strReportDataPath;    // record folder, no trailing separator
    std::string strCustomerListPath;  // customer list file
    std::string strReportHtmlPath;    // report page
    std::string strReportJsPath;      // script folder, with trailing separator

    // The paths below root, which must end in a separator.
    static DataPaths Under(const std::string& root);
    // The program's paths: below kRootTemplate with its folder macros expanded.
    static DataPaths Resolve();

    // The path of a machine folder named name (as ScanMachineFolders lists it).
    std::string MachineFolder(std::string_view name) const;
};

// Replaces "%MYDOCUMENT%", then "%DESKTOP%", then "%EXEPATH%" (exact case) in
// path; a folder that cannot be found is replaced by an empty string.
void ExpandPathMacros(std::string& path);
// The executable's folder, in the system's form.
std::string GetExeFolder();
// The sub-folders of the record folder, in folder-search order; none when the
// record folder is missing.
std::vector<std::string> ScanMachineFolders(const DataPaths& paths);

}  // namespace qz

#include "report/DataPaths.h"

#include <optional>
#include <string_view>

#include "platform/FolderSearch.h"
#include "platform/KnownFolders.h"

namespace qz {

const char* const kRootTemplate = "%MYDOCUMENT%\\Norvale\\TavriloIC\\";

std::string g_strReportDataPath = "ReportData";
std::string g_strCustomerListPath = "CustomerList.lst";
std::string g_strReportHtmlPath = "Report\\report.html";
std::string g_strReportJsPath = "Report\\js\\";

std::vector<std::string> g_machineFolderNames;

namespace {

// Replaces every occurrence of macro, scanning left to right; the inserted
// text is not scanned again.
void ReplaceAll(std::string& path, std::string_view macro, std::string_view folder) {
    std::size_t pos = path.find(macro);
    while (pos != std::string::npos) {
        path.replace(pos, macro.size(), folder);
        pos = path.find(macro, pos + folder.size());
    }
}

}  // namespace

void InitDataPaths() {
    std::string* const paths[] = {&g_strReportDataPath, &g_strCustomerListPath,
                                  &g_strReportHtmlPath, &g_strReportJsPath};
    for (std::string* path : paths) {
        path->insert(0, kRootTemplate);
    }
    for (std::string* path : paths) {
        ExpandPathMacros(*path);
    }
}

void ExpandPathMacros(std::string& path) {
    // Looked up on every call: the folders may move while the program runs.
    // They keep the separators the platform gives them; the file layer accepts
    // a mix of '/' and '\'.
    const std::string desktop = GetDesktopFolder().value_or(std::string());
    const std::string documents = GetDocumentsFolder().value_or(std::string());
    const std::string exeFolder = GetExeFolder();

    ReplaceAll(path, "%MYDOCUMENT%", documents);
    ReplaceAll(path, "%DESKTOP%", desktop);
    ReplaceAll(path, "%EXEPATH%", exeFolder);
}

std::string GetExeFolder() {
    // The full path is taken whatever its length: a fixed path buffer is not a
    // limit of this platform.
    const std::string exePath = GetExecutablePath();
    const std::size_t lastBackslash = exePath.rfind('\\');
    if (lastBackslash == std::string::npos) {
        return std::string();
    }
    return exePath.substr(0, lastBackslash);
}

void ScanMachineFolders() {
    g_machineFolderNames.clear();
    for (const FolderEntry& entry : SearchFolder(g_strReportDataPath + "\\*")) {
        if (entry.IsDots() || !entry.isDirectory) {
            continue;
        }
        g_machineFolderNames.push_back(entry.name);
    }
}

}  // namespace qz

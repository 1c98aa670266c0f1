#include "report/DataPaths.h"

#include <optional>
#include <string_view>

#include "platform/FolderSearch.h"
#include "platform/KnownFolders.h"
#include "platform/Path.h"

namespace qz {

const char* const kRootTemplate = "%MYDOCUMENT%\\Norvale\\TavriloIC\\";

namespace {

// The data tree below the root, written as the templates are ('\' between
// folders).
constexpr char kRecordFolder[] = "ReportData";
constexpr char kCustomerListFile[] = "CustomerList.lst";
constexpr char kReportPage[] = "Report\\report.html";
constexpr char kScriptFolder[] = "Report\\js\\";

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

DataPaths DataPaths::Under(const std::string& root) {
    return {root + FromTemplatePath(kRecordFolder), root + FromTemplatePath(kCustomerListFile),
            root + FromTemplatePath(kReportPage), root + FromTemplatePath(kScriptFolder)};
}

DataPaths DataPaths::Resolve() {
    // The relative parts hold no macro, so expanding the root alone is the
    // same as expanding each whole path. The template's separators are mapped
    // before the folders go in: their names stay as the system gives them.
    std::string root = FromTemplatePath(kRootTemplate);
    ExpandPathMacros(root);
    return Under(root);
}

std::string DataPaths::MachineFolder(std::string_view name) const {
    std::string folder = strReportDataPath;
    folder += kPathSeparator;
    folder += name;
    return folder;
}

void ExpandPathMacros(std::string& path) {
    // Looked up on every call: the folders may move while the program runs.
    // They are inserted as the platform gives them.
    const std::string desktop = GetDesktopFolder().value_or(std::string());
    const std::string documents = GetDocumentsFolder().value_or(std::string());
    const std::string exeFolder = GetExeFolder();

    ReplaceAll(path, "%MYDOCUMENT%", documents);
    ReplaceAll(path, "%DESKTOP%", desktop);
    ReplaceAll(path, "%EXEPATH%", exeFolder);
}

std::string GetExeFolder() {
    // The full path is taken whatever its length: a fixed path buffer is not a
    // limit of this platform. GetExecutablePath writes it with '\'.
    const std::string exePath = GetExecutablePath();
    const std::size_t lastBackslash = exePath.rfind('\\');
    if (lastBackslash == std::string::npos) {
        return std::string();
    }
    return FromTemplatePath(exePath.substr(0, lastBackslash));
}

std::vector<std::string> ScanMachineFolders(const DataPaths& paths) {
    std::vector<std::string> names;
    for (const FolderEntry& entry : SearchFolder(paths.strReportDataPath + kPathSeparator + "*")) {
        if (entry.IsDots() || !entry.isDirectory) {
            continue;
        }
        names.push_back(entry.name);
    }
    return names;
}

}  // namespace qz

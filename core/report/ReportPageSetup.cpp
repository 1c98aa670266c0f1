#include "report/ReportPageSetup.h"

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "platform/FolderSearch.h"
#include "platform/Path.h"

namespace qz {

namespace {

constexpr char kPageFile[] = "report.html";

// The path without "." and ".." steps, in the program's form.
std::string Normal(const std::string& path) {
    const std::filesystem::path normal = FileSystemPath(path).lexically_normal();
#ifdef _WIN32
    const std::u8string text = normal.u8string();
    return std::string(text.begin(), text.end());
#else
    return normal.string();
#endif
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(FileSystemPath(path), error);
}

std::string Failure(const std::string& path, const std::error_code& error) {
    return ToNativePath(path) + ": " + error.message();
}

// Copies from to a hidden name beside to, then renames it into place, so a
// copy cut short never stands as the page's file. The hidden name is this
// copy's own: runs that set up a fresh tree at once each copy whole, and the
// last rename leaves the same file in place.
std::string CopyWhole(const std::string& from, const std::string& to, const std::string& folder,
                      const std::string& name) {
    std::random_device random;
    const std::string partial = folder + ".copying-" + std::to_string(random()) + "-" + name;
    std::error_code error;
    std::filesystem::copy_file(FileSystemPath(from), FileSystemPath(partial),
                               std::filesystem::copy_options::overwrite_existing, error);
    if (!error) {
        std::filesystem::rename(FileSystemPath(partial), FileSystemPath(to), error);
    }
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(FileSystemPath(partial), ignored);
        return Failure(to, error);
    }
    return std::string();
}

}  // namespace

std::optional<std::string> FindInstalledReportPage() {
    const std::string exeFolder = GetExeFolder();
    if (exeFolder.empty()) {
        return std::nullopt;
    }
    const std::string candidates[] = {
        exeFolder + FromTemplatePath("\\report"),
        exeFolder + FromTemplatePath("\\..\\share\\qz8840-reporter\\report"),
    };
    for (const std::string& folder : candidates) {
        if (IsFile(folder + kPathSeparator + kPageFile)) {
            return Normal(folder);
        }
    }
    return std::nullopt;
}

std::string PrepareReportPage(const DataPaths& paths, const std::string& installedPage) {
    const std::string pageFolder =
        paths.strReportHtmlPath.substr(0, paths.strReportHtmlPath.rfind(kPathSeparator) + 1);
    std::error_code error;
    for (const std::string& folder : {pageFolder, paths.strReportJsPath}) {
        std::filesystem::create_directories(FileSystemPath(folder), error);
        if (error) {
            return Failure(folder, error);
        }
    }
    if (installedPage.empty()) {
        return std::string();
    }
    for (const FolderEntry& entry : SearchFolder(installedPage + kPathSeparator + "*")) {
        const std::string target = pageFolder + entry.name;
        if (entry.IsDots() || entry.isDirectory || IsFile(target)) {
            continue;
        }
        std::string failure = CopyWhole(entry.path, target, pageFolder, entry.name);
        if (!failure.empty()) {
            return failure;
        }
    }
    return std::string();
}

std::string PrepareReportPage(const DataPaths& paths) {
    return PrepareReportPage(paths, FindInstalledReportPage().value_or(std::string()));
}

}  // namespace qz

// Folder-macro expansion of arbitrary paths: a path without '%' is returned
// as it is; otherwise the result is that of replacing "%MYDOCUMENT%", then
// "%DESKTOP%", then "%EXEPATH%", each left to right and never inside a folder
// text just inserted. With ordinary folders (no '%' in them) no macro is left.
// The program's data paths are the root template expanded the same way, with
// their fixed parts behind it; a machine folder is the record folder and the
// name as it is, macros and all.
// The first input byte picks the folders: ordinary ones, ones whose names
// hold macros themselves, or none at all (no home folder).

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "platform/KnownFolders.h"
#include "platform/Path.h"
#include "report/DataPaths.h"

using namespace qz;

namespace {

constexpr std::string_view kMacros[] = {"%MYDOCUMENT%", "%DESKTOP%", "%EXEPATH%"};

enum Folders { kOrdinary, kWithMacros, kNone, kFolderModes };

struct Environment {
    std::string home;
    std::string plainConfig;  // no user-dirs.dirs: Documents and Desktop below home
    std::string macroConfig;  // user-dirs.dirs naming folders that hold macros
};

// One fixed folder per user, rewritten by every run: libFuzzer ends its runs
// without running destructors, so a fresh folder per run would pile up.
const Environment& Env() {
    static const Environment env = [] {
        const char* tmp = std::getenv("TMPDIR");
        const std::string home = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                                 "/qz-fuzz-path-macros-" + std::to_string(::getuid());
        Environment e{home, home + "/plain", home + "/macro"};
        std::filesystem::create_directories(e.plainConfig);
        std::filesystem::create_directories(e.macroConfig);
        std::ofstream(e.macroConfig + "/user-dirs.dirs")
            << "XDG_DOCUMENTS_DIR=\"$HOME/d%DESKTOP%x\"\n"
               "XDG_DESKTOP_DIR=\"$HOME/%MYDOCUMENT%%EXEPATH%\"\n";
        return e;
    }();
    return env;
}

void SelectFolders(int mode) {
    const Environment& env = Env();
    if (mode == kNone) {
        ::unsetenv("HOME");
        ::unsetenv("XDG_CONFIG_HOME");
        return;
    }
    ::setenv("HOME", env.home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (mode == kOrdinary ? env.plainConfig : env.macroConfig).c_str(), 1);
}

// One macro replaced in one left-to-right pass over the text, the output
// built anew.
std::string ReplaceMacro(std::string_view text, std::string_view macro, std::string_view folder) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.compare(i, macro.size(), macro) == 0) {
            out += folder;
            i += macro.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int mode = data[0] % kFolderModes;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    SelectFolders(mode);

    const std::string folders[] = {GetDocumentsFolder().value_or(""),
                                   GetDesktopFolder().value_or(""), GetExeFolder()};
    std::string expected = input;
    for (int m = 0; m < 3; ++m) {
        expected = ReplaceMacro(expected, kMacros[m], folders[m]);
    }

    std::string path = input;
    ExpandPathMacros(path);
    QZ_FUZZ_CHECK(path == expected);
    if (input.find('%') == std::string::npos) {
        QZ_FUZZ_CHECK(path == input);
    }
    // The template's separators are the system's before the folders go in.
    std::string root = FromTemplatePath(kRootTemplate);
    for (int m = 0; m < 3; ++m) {
        root = ReplaceMacro(root, kMacros[m], folders[m]);
    }
    const DataPaths paths = DataPaths::Resolve();
    QZ_FUZZ_CHECK(paths.strReportDataPath == root + "ReportData");
    QZ_FUZZ_CHECK(paths.strCustomerListPath == root + "CustomerList.lst");
    QZ_FUZZ_CHECK(paths.strReportHtmlPath == root + FromTemplatePath("Report\\report.html"));
    QZ_FUZZ_CHECK(paths.strReportJsPath == root + FromTemplatePath("Report\\js\\"));
    QZ_FUZZ_CHECK(paths.MachineFolder(input) == paths.strReportDataPath + kPathSeparator + input);

    if (mode == kOrdinary) {
        for (const std::string& folder : folders) {
            QZ_FUZZ_CHECK(!folder.empty() && folder.find('%') == std::string::npos);
        }
        for (std::string_view macro : kMacros) {
            QZ_FUZZ_CHECK(path.find(macro) == std::string::npos);
        }
    }
    return 0;
}

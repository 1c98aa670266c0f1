#include "batch/CommandLine.h"

#ifdef _WIN32
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/SystemWin.h"
// After windows.h, whose lean form leaves it out.
#include <shellapi.h>
#endif

namespace qz {

#ifdef _WIN32

namespace {

UINT g_consoleOutputCodePage = 0;

void RestoreConsoleOutputCodePage() {
    SetConsoleOutputCP(g_consoleOutputCodePage);
}

}  // namespace

int RunWithUtf8CommandLine(int argc, char** argv, MainFunction main) {
    // The console's code page outlives the process: it is put back at exit.
    g_consoleOutputCodePage = GetConsoleOutputCP();
    if (g_consoleOutputCodePage != 0 && SetConsoleOutputCP(CP_UTF8)) {
        std::atexit(RestoreConsoleOutputCodePage);
    }
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr) {
        return main(argc, argv);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        arguments.push_back(win::Utf8(wide[i]));
    }
    LocalFree(wide);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    return main(count, pointers.data());
}

#else

// POSIX arguments are the bytes the caller gave, and the terminal takes the
// bytes written.
int RunWithUtf8CommandLine(int argc, char** argv, MainFunction main) {
    return main(argc, argv);
}

#endif

}  // namespace qz

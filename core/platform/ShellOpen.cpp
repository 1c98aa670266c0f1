#include "platform/ShellOpen.h"

#include <mutex>
#include <utility>

namespace qz {

namespace {

std::mutex g_handlerMutex;
ShellOpenHandler g_handler;

}  // namespace

bool ShellOpen(const std::string& path) {
    ShellOpenHandler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    if (!handler)
        return OpenWithDefaultProgram(path);
    handler(path);
    return true;
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    ShellOpenHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

}  // namespace qz

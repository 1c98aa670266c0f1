#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

namespace qz {

namespace {

std::mutex g_handlerMutex;
MessageBoxHandler g_handler;

void WriteToStandardError(const std::string& text) {
    std::string line = text;
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void ShowMessageBox(std::string_view text) {
    MessageBoxHandler handler;
    {
        std::lock_guard lock(g_handlerMutex);
        handler = g_handler;
    }
    // Called outside the lock: a handler blocks until the operator answers, and
    // other threads must be able to show their boxes meanwhile.
    const std::string message(text);
    if (handler) {
        handler(message);
    } else {
        WriteToStandardError(message);
    }
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard lock(g_handlerMutex);
    MessageBoxHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

}  // namespace qz

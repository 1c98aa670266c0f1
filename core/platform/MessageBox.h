#pragma once
// The one message box of the program: a text with an OK button. It may be shown
// from any thread; the calling thread waits until the operator closes it.
// The GUI installs a handler that shows a real box on the UI thread; tests
// install a recorder; without a handler the text goes to standard error.

#include <functional>
#include <string>
#include <string_view>

namespace qz {

using MessageBoxHandler = std::function<void(const std::string& text)>;

void ShowMessageBox(std::string_view text);

// Installs a handler (an empty one restores the standard-error default) and
// returns the previous one. Thread-safe.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace qz

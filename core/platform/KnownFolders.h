#pragma once
// The user's documents and desktop folders (XDG user directories:
// $XDG_CONFIG_HOME/user-dirs.dirs, else ~/.config/user-dirs.dirs, else
// $HOME/Documents and $HOME/Desktop) and the running executable's path
// (/proc/self/exe). None of them ends in a separator. Folders are not created.

#include <optional>
#include <string>

namespace qz {

std::optional<std::string> GetDocumentsFolder();
std::optional<std::string> GetDesktopFolder();
// Full path of the running executable, in backslash form (every '/' shown as
// '\'), so that the data-path rules can cut it at its last backslash.
std::string GetExecutablePath();

}  // namespace qz

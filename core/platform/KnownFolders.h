#pragma once
// The user's documents and desktop folders and the running executable's path.
// None of them ends in a separator. Folders are not created.
// POSIX: the XDG user directories ($XDG_CONFIG_HOME/user-dirs.dirs, else
// ~/.config/user-dirs.dirs, else $HOME/Documents and $HOME/Desktop) and
// /proc/self/exe. Windows: the shell's known folders and the module's path.
// The cache folder: $XDG_CACHE_HOME, else $HOME/.cache; Windows: the local
// application data folder.

#include <optional>
#include <string>

namespace qz {

std::optional<std::string> GetDocumentsFolder();
std::optional<std::string> GetDesktopFolder();
// The user's folder for data a program can always make again.
std::optional<std::string> GetCacheFolder();
// Full path of the running executable, in backslash form (every '/' shown as
// '\'), so that the data-path rules can cut it at its last backslash.
std::string GetExecutablePath();

}  // namespace qz

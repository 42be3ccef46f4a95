#pragma once
// The output folder offered at start: the user's videos folder.

#include <string>

// XDG_VIDEOS_DIR of the user-dirs file (with "$HOME" expanded) when it names
// an existing folder, else `home` when that exists, else "/"; always ending
// with "/".
std::string VideosFolderFrom(const std::string& userDirsFile, const std::string& home);

// The same for this user: $XDG_CONFIG_HOME/user-dirs.dirs (by default
// ~/.config/user-dirs.dirs) and $HOME.
std::string DefaultOutputFolder();

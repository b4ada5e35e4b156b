// The program's folder and the places the settings file and the Outlook stand-in's store live.
// On Windows both sit beside the executable. Here an installed binary lives in a read-only
// folder, so they go to the XDG places unless the user names a home (--home DIR,
// TWINLEAF_HOME) or the executable's folder holds a settings file (a portable install).
#pragma once

#include <filesystem>

namespace twinleaf {

// --home DIR: wins over the environment. An empty path removes the override.
void setProgramFolderOverride(const std::filesystem::path& folder);

// --home, else $TWINLEAF_HOME, else the folder of the running executable. Absolute. The help
// file is looked up here.
std::filesystem::path programFolder();

// Where "corvane.ini" lives: the named home; else the executable's folder when it holds a
// "corvane.ini"; else $XDG_CONFIG_HOME/twinleaf (default ~/.config/twinleaf).
std::filesystem::path settingsFolder();

// Where the Outlook stand-in's store lives: the named home; else the executable's folder when it
// holds a "corvane.ini"; else $XDG_DATA_HOME/twinleaf (default ~/.local/share/twinleaf).
std::filesystem::path dataFolder();

} // namespace twinleaf

// The program's folder, where the settings file, the Outlook log, the help and the Outlook
// stand-in's store live. On Windows it is the folder of the executable; here a user may point it
// elsewhere with --home DIR or TWINLEAF_HOME, so that one installed binary serves several homes.
#pragma once

#include <filesystem>

namespace twinleaf {

// --home DIR: wins over the environment. An empty path removes the override.
void setProgramFolderOverride(const std::filesystem::path& folder);

// --home, else $TWINLEAF_HOME, else the folder of the running executable. Absolute.
std::filesystem::path programFolder();

} // namespace twinleaf

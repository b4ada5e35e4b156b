// Where the program keeps its settings.
#pragma once

#include <string>

namespace twinleaf {

// "corvane.ini" in the program's folder (see programFolder()).
std::string settingsFilePath();

} // namespace twinleaf

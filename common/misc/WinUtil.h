// Where the program keeps its settings.
#pragma once

#include <string>

namespace twinleaf {

// "corvane.ini" in the settings folder (see settingsFolder()).
std::string settingsFilePath();

} // namespace twinleaf

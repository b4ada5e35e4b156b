// The settings file's place, derived from the program folder.
#include "common/misc/WinUtil.h"

#include "platform/files/ProgramFolder.h"

namespace twinleaf {

std::string settingsFilePath() {
    return (programFolder() / "corvane.ini").string();
}

} // namespace twinleaf

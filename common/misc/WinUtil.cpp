// The settings file's place, the home folder, a portable install or the XDG config place.
#include "common/misc/WinUtil.h"

#include "platform/files/ProgramFolder.h"

namespace twinleaf {

std::string settingsFilePath() {
    return (settingsFolder() / "corvane.ini").string();
}

} // namespace twinleaf

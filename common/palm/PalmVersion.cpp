// The Palm Desktop version: the file version of palm.exe in the Palm Desktop folder.
#include "common/misc/CxFile.h"
#include "common/palm/PalmEnv.h"
#include "platform/files/PathCase.h"

#include <filesystem>

namespace twinleaf {

int GetPalmDesktopVersion() {
    char folder[win::MAX_PATH];
    if (GetPalmDesktopPath(folder, sizeof folder) != kPalmPathFound) {
        return -1;
    }
    // Installers spelled it "Palm.exe" as often as "palm.exe".
    const std::filesystem::path program =
        resolvePathCase(std::filesystem::path(folder) / "palm.exe");
    win::DWORD major = 0;
    win::DWORD minor = 0;
    win::DWORD build = 0;
    win::DWORD revision = 0;
    if (!GetFileVersion(program.c_str(), major, minor, build, revision)) {
        return -1;
    }
    return static_cast<int>(major * 10000 + minor * 100 + build);
}

} // namespace twinleaf

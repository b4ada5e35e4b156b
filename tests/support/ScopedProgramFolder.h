// Points programFolder() (and so the settings file) at a test's folder for the life of the object.
#pragma once

#include "platform/files/ProgramFolder.h"

#include <filesystem>

namespace twinleaf::test {

class ScopedProgramFolder {
public:
    explicit ScopedProgramFolder(const std::filesystem::path& folder) {
        setProgramFolderOverride(folder);
    }
    ~ScopedProgramFolder() { setProgramFolderOverride({}); }
    ScopedProgramFolder(const ScopedProgramFolder&) = delete;
    ScopedProgramFolder& operator=(const ScopedProgramFolder&) = delete;
};

} // namespace twinleaf::test

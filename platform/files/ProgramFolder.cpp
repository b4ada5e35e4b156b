// Where the program's folder, the settings and the store are.
#include "platform/files/ProgramFolder.h"

#include <cstdlib>
#include <system_error>

namespace twinleaf {
namespace {

std::filesystem::path& override() {
    static std::filesystem::path folder;
    return folder;
}

std::filesystem::path absoluteOf(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    return ec ? folder : absolute.lexically_normal();
}

std::filesystem::path namedHome() {
    if (!override().empty()) {
        return absoluteOf(override());
    }
    if (const char* home = std::getenv("TWINLEAF_HOME"); home && *home) {
        return absoluteOf(home);
    }
    return {};
}

std::filesystem::path executableFolder() {
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? absoluteOf(".") : executable.parent_path();
}

bool isPortable() {
    std::error_code ec;
    return std::filesystem::is_regular_file(executableFolder() / "corvane.ini", ec);
}

// An XDG variable must hold an absolute path; anything else is ignored, as the XDG Base Directory
// rules ask, and the default under $HOME is used. The folder is created when missing: on a first
// run nothing else would, and the settings written at exit would have nowhere to go.
std::filesystem::path xdgFolder(const char* variable, const char* fallbackUnderHome) {
    std::filesystem::path folder;
    if (const char* value = std::getenv(variable);
        value && *value && std::filesystem::path(value).is_absolute()) {
        folder = std::filesystem::path(value) / "twinleaf";
    } else {
        const char* home = std::getenv("HOME");
        folder = (home && *home ? std::filesystem::path(home) : absoluteOf(".")) /
                 fallbackUnderHome / "twinleaf";
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

} // namespace

void setProgramFolderOverride(const std::filesystem::path& folder) {
    override() = folder;
}

std::filesystem::path programFolder() {
    std::filesystem::path home = namedHome();
    return home.empty() ? executableFolder() : home;
}

std::filesystem::path settingsFolder() {
    if (std::filesystem::path home = namedHome(); !home.empty()) {
        return home;
    }
    return isPortable() ? executableFolder() : xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path dataFolder() {
    if (std::filesystem::path home = namedHome(); !home.empty()) {
        return home;
    }
    return isPortable() ? executableFolder() : xdgFolder("XDG_DATA_HOME", ".local/share");
}

} // namespace twinleaf

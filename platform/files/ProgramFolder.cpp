// Where the program's folder is.
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

} // namespace

void setProgramFolderOverride(const std::filesystem::path& folder) { override() = folder; }

std::filesystem::path programFolder() {
    if (!override().empty()) {
        return absoluteOf(override());
    }
    if (const char* home = std::getenv("TWINLEAF_HOME"); home && *home) {
        return absoluteOf(home);
    }
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return absoluteOf(".");
    }
    return executable.parent_path();
}

} // namespace twinleaf

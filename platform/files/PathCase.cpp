// Case-insensitive lookup of path components.
#include "platform/files/PathCase.h"

#include "platform/text/NoCase.h"

#include <optional>
#include <string>
#include <system_error>

namespace twinleaf {
namespace {

namespace fs = std::filesystem;

bool existsAsWritten(const fs::path& path) {
    std::error_code ec;
    // symlink_status: a dangling link still names an entry, so it is not replaced by another one.
    return fs::exists(fs::symlink_status(path, ec));
}

std::optional<std::string> findNameIgnoringCase(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec);
    std::optional<std::string> best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (equalsAsciiNoCase(candidate, name) && (!best || candidate < *best)) {
            best = std::move(candidate);
        }
    }
    return best;
}

} // namespace

std::filesystem::path resolvePathCase(const std::filesystem::path& path) {
    fs::path result;
    bool lost = false; // a component was not found: the rest cannot exist either
    for (const fs::path& component : path) {
        const std::string name = component.string();
        if (lost || name.empty() || name == "." || name == ".." || component == path.root_path() ||
            component == path.root_directory()) {
            result /= component;
            continue;
        }
        if (existsAsWritten(result / component)) {
            result /= component;
            continue;
        }
        if (std::optional<std::string> found = findNameIgnoringCase(result, name)) {
            result /= *found;
        } else {
            result /= component;
            lost = true;
        }
    }
    return result;
}

} // namespace twinleaf

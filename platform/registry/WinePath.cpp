// Translation of Windows paths through a Wine prefix's drive links.
#include "platform/registry/WinePath.h"

#include "platform/codepage/Codepage.h"
#include "platform/files/PathCase.h"

#include <string>
#include <system_error>

namespace twinleaf {
namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool isDriveLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string withSlashes(std::string_view ansi) {
    std::string path = ansiToUtf8(ansi);
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    return path;
}

} // namespace

bool isWindowsPath(std::string_view path) {
    const bool drive = path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':' &&
                       (path.size() == 2 || isSeparator(path[2]));
    const bool unc = path.size() > 2 && path[0] == '\\' && path[1] == '\\';
    return drive || unc;
}

std::filesystem::path linuxPathFromWindows(std::string_view windowsPath,
                                           const std::filesystem::path& prefix) {
    if (!isWindowsPath(windowsPath)) {
        return withSlashes(windowsPath);
    }
    std::filesystem::path base;
    std::string_view rest;
    if (windowsPath[0] == '\\') {
        base = prefix / "dosdevices" / "unc";
        rest = windowsPath.substr(2);
    } else {
        const char letter = static_cast<char>(windowsPath[0] | 0x20);
        base = prefix / "dosdevices" / (std::string(1, letter) + ":");
        std::error_code ec;
        if (letter == 'c' && !std::filesystem::exists(base, ec)) {
            base = prefix / "drive_c";
        }
        rest = windowsPath.substr(2);
    }
    while (!rest.empty() && isSeparator(rest.front())) {
        rest.remove_prefix(1);
    }
    std::string joined = base.string();
    if (!rest.empty()) {
        joined += '/'; // appended apart: "/" + text trips GCC 12's -Wrestrict at -O3
        joined += withSlashes(rest);
    }
    return resolvePathCase(joined);
}

} // namespace twinleaf

// Windows paths found in data (a registry value such as "C:\Program Files\Palm\") name files
// inside a Wine prefix. Wine keeps one link per drive in "dosdevices/" ("c:" -> "../drive_c");
// drive C: is also reachable as "drive_c/" in prefixes whose links are gone.
#pragma once

#include <filesystem>
#include <string_view>

namespace twinleaf {

// True for "X:" followed by nothing or a separator, and for "\\server\share" paths.
bool isWindowsPath(std::string_view path);

// The Linux path of `windowsPath` (Windows-1252) inside `prefix`: "C:\Program Files\Palm\"
// becomes "<prefix>/dosdevices/c:/Program Files/Palm/" (or "<prefix>/drive_c/..." when the
// link is missing), a UNC path goes through "dosdevices/unc/". Backslashes become slashes, a
// trailing one is kept, and each component is looked up without regard to case as Windows
// would. Anything that is not a Windows path only has its backslashes turned into slashes.
std::filesystem::path linuxPathFromWindows(std::string_view windowsPath,
                                           const std::filesystem::path& prefix);

} // namespace twinleaf

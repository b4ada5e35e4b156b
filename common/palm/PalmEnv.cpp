// Locating Palm Desktop (settings, then the Wine prefix's registry) and its users.
#include "common/palm/PalmEnv.h"

#include "common/misc/WinUtil.h"
#include "platform/Assert.h"
#include "platform/ini/Profile.h"
#include "platform/registry/Registry.h"
#include "platform/registry/WinePath.h"
#include "platform/ui/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace twinleaf {
namespace {

using win::DWORD;
using win::SHORT;

constexpr const char* kNoUsersMessage = "Can not find any Palm users in your desktop environment.";

// Longer than any path the settings file may hold, so a long one is reported, never cut.
constexpr DWORD kSettingBufferSize = 4096;

std::optional<std::string> queryString(win::HKEY key, const char* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (win::RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != win::ERROR_SUCCESS ||
        (type != win::REG_SZ && type != win::REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::string value(size, '\0');
    if (win::RegQueryValueExA(key, name, nullptr, nullptr,
                              reinterpret_cast<win::BYTE*>(value.data()),
                              &size) != win::ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.resize(std::strlen(value.c_str()));
    return value;
}

// The Palm Desktop folder as the registry records it, a Windows path; nullopt when not found.
std::optional<std::string> folderFromRegistry() {
    win::HKEY key = nullptr;
    if (win::RegOpenKeyExA(win::HKEY_CURRENT_USER, "Software\\U.S. Robotics\\Pilot Desktop\\Core",
                           0, win::KEY_READ, &key) != win::ERROR_SUCCESS &&
        win::RegOpenKeyExA(win::HKEY_LOCAL_MACHINE, "Software\\PalmSource\\Desktop\\Core", 0,
                           win::KEY_READ, &key) != win::ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::optional<std::string> folder = queryString(key, "DesktopPath");
    if (!folder) {
        // Drive and directory of the HotSync program, with the separator that ends them.
        if (std::optional<std::string> program = queryString(key, "HotSyncPath")) {
            const std::size_t separator = program->find_last_of("\\/:");
            if (separator != std::string::npos) {
                folder = program->substr(0, separator + 1);
            }
        }
    }
    win::RegCloseKey(key);
    // An empty value names no folder: reading "palm.exe" from the current one would be wrong.
    if (folder && folder->empty()) {
        return std::nullopt;
    }
    return folder;
}

std::string toLinuxPath(const std::string& path) {
    return isWindowsPath(path) ? linuxPathFromWindows(path, registryPrefix()).string() : path;
}

std::string& folderOverride() {
    static std::string folder;
    return folder;
}

std::string configuredSetting() {
    char setting[kSettingBufferSize];
    win::GetPrivateProfileStringA("Path", "PDPath", "", setting, sizeof setting,
                                  settingsFilePath().c_str());
    return setting;
}

PalmUserRec* newUserRec() {
    // Zeroed, so a field the library does not fill reads as empty text.
    auto* rec = static_cast<PalmUserRec*>(std::calloc(1, sizeof(PalmUserRec)));
    TL_ASSERT(rec);
    return rec;
}

} // namespace

int GetPalmDesktopPath(char* buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        return kPalmPathNoBuffer;
    }
    buffer[0] = '\0';
    std::string folder;
    const std::string setting = configuredSetting();
    if (!folderOverride().empty()) {
        folder = folderOverride();
    } else if (!setting.empty()) {
        folder = toLinuxPath(setting);
    } else if (std::optional<std::string> registered = folderFromRegistry()) {
        folder = toLinuxPath(*registered);
    } else {
        return kPalmPathNotFound;
    }
    if (folder.size() + 1 > size) {
        return kPalmPathTooLong;
    }
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return kPalmPathFound;
}

void setPalmDesktopFolderOverride(const std::string& folder) {
    folderOverride() = folder;
}

std::string palmDesktopFolderProblem() {
    char folder[kSettingBufferSize];
    const int status = GetPalmDesktopPath(folder, sizeof folder);
    const std::string settings = settingsFilePath();
    if (status == kPalmPathNotFound) {
        return "No Palm Desktop folder found. Looked for PDPath in section [Path] of " + settings +
               ", and for Palm Desktop's registry keys in the Wine prefix " +
               registryPrefix().string() + " (user.reg, system.reg).";
    }
    if (status != kPalmPathFound) {
        return "The Palm Desktop folder named in " + settings + " is too long.";
    }
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) {
        return {};
    }
    const std::string source = !folderOverride().empty() ? "named by --palm-dir"
                               : !configuredSetting().empty()
                                   ? "named by PDPath in section [Path] of " + settings
                                   : "named by the Wine prefix " + registryPrefix().string();
    return "The Palm Desktop folder " + std::string(folder) + " (" + source + ") does not exist.";
}

bool EnumeratePalmUsers() {
    CxList& users = palmUserList();
    users.Clear(true);
    const SHORT count = UmGetUserCount();
    for (SHORT i = 0; i < count; ++i) {
        PalmUserRec* rec = newUserRec();
        SHORT nameSize = sizeof rec->name;
        SHORT directorySize = sizeof rec->directory;
        UmGetUserID(static_cast<win::WORD>(i), &rec->id);
        UmGetUserName(rec->id, rec->name, &nameSize);
        UmGetUserDirectory(rec->id, rec->directory, &directorySize);
        // Whatever a library wrote, the fields stay terminated.
        rec->name[sizeof rec->name - 1] = '\0';
        rec->directory[sizeof rec->directory - 1] = '\0';
        users.Add(rec);
    }
    if (count < 0) {
        win::MessageBoxA(nullptr, kNoUsersMessage, "Error", win::MB_OK | win::MB_ICONERROR);
        return false;
    }
    return true;
}

bool GetUserDataFolder(DWORD id, char* buffer) {
    if (buffer == nullptr) {
        return false;
    }
    buffer[0] = '\0';
    char root[win::MAX_PATH] = {};
    char directory[win::MAX_PATH] = {};
    SHORT size = win::MAX_PATH;
    // Positive is the library's success: the -100 of a missing function must not pass.
    if (UmGetRootDirectory(root, &size) <= 0) {
        return false;
    }
    size = win::MAX_PATH; // a library may have changed it
    UmGetUserDirectory(id, directory, &size);
    root[sizeof root - 1] = '\0';
    directory[sizeof directory - 1] = '\0';
    const int length = std::snprintf(buffer, win::MAX_PATH, "%s%s/", root, directory);
    if (length < 0 || length >= static_cast<int>(win::MAX_PATH)) {
        buffer[0] = '\0'; // a cut path would name another folder
        return false;
    }
    return true;
}

CxList& palmUserList() {
    static CxList users;
    return users;
}

bool OpenPalmEnvironment() {
    // The process's current directory stays as it is: every path handed out here is complete,
    // and a command-line user's relative paths must keep meaning what they meant.
    // Only the user-data library loads: the HotSync manager's libraries are Windows programs
    // nothing here calls, so requiring them would only stop the user list from loading.
    LoadPalmLibraries(kUserDataDll);
    EnumeratePalmUsers();
    return true;
}

bool ClosePalmEnvironment() {
    palmUserList().Clear(true);
    UnloadPalmLibraries(kAllPalmDlls);
    return true;
}

} // namespace twinleaf

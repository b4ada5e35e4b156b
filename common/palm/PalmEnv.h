// The Palm Desktop environment: where Palm Desktop is, which version it is, its users and each
// user's data folder, and the start-up and shut-down hooks that set this up and tear it down.
#pragma once

#include "common/misc/CxList.h"
#include "common/palm/PalmLibraries.h"
#include "platform/win/WinTypes.h"

#include <string>

namespace twinleaf {

struct PalmUserRec {
    win::DWORD id;       // as the user-data library gives it
    char name[64];       // Windows-1252
    char directory[256]; // the user's folder name as the library gives it
};

// Status results of GetPalmDesktopPath.
inline constexpr int kPalmPathFound = 0;
inline constexpr int kPalmPathNoBuffer = -100;
inline constexpr int kPalmPathNotFound = -101;
inline constexpr int kPalmPathTooLong = -102;

// The Palm Desktop folder, as a Linux path: the folder named for this run, else the settings file's
// "PDPath" of section "Path" when set (taken as it is, without checking that it exists; a Windows
// path there is translated through the Wine prefix), else the registry's "DesktopPath", else the
// folder of its "HotSyncPath" program, both of the Palm Desktop keys of the Wine prefix's registry.
int GetPalmDesktopPath(char* buffer, win::DWORD size);

// A folder the user named for this run (--palm-dir DIR); it wins over the settings file and the
// registry. An empty path removes it.
void setPalmDesktopFolderOverride(const std::string& folder);

// What a user must know when the Palm Desktop folder is missing: where it was looked for (the
// settings file with its section and key, the Wine prefix), or which configured folder does not
// exist and who named it. Empty when the folder was found and exists. UTF-8.
std::string palmDesktopFolderProblem();

// major * 10000 + minor * 100 + build of palm.exe in the Palm Desktop folder (4.1.2 gives
// 40102), or -1 when there is no folder, no palm.exe or no readable version in it.
int GetPalmDesktopVersion();

// Rebuilds palmUserList() from the user-data library. When the library reports no count (it is
// not loaded, or fails), shows "Can not find any Palm users in your desktop environment." and
// answers false; zero users are no error.
bool EnumeratePalmUsers();

// The data folder of the user with `id` into `buffer` (MAX_PATH bytes): the library's root
// directory, the user's directory and a '/'. False when the library cannot say, or the path
// does not fit.
bool GetUserDataFolder(win::DWORD id, char* buffer);

// The process-wide list of the Palm users (owned PalmUserRec*), in the library's order.
CxList& palmUserList();

// Start-up: loads the user-data library and lists the users. Always true.
bool OpenPalmEnvironment();
// Shut-down: frees the user list and unloads the libraries. Always true.
bool ClosePalmEnvironment();

} // namespace twinleaf

// Palm Desktop's libraries, loaded from the Palm Desktop folder: the conduit manager, the
// user-data library, the HotSync interface and the install aide. Each has a table with a
// function pointer for every name of its list, filled by name when it loads (null where the
// library lacks the function) and emptied when it unloads. The functions the program calls go
// through wrappers that answer -100 when the function is missing, so a library without some of
// its functions is still usable.
#pragma once

#include "platform/library/Library.h"
#include "platform/library/UserDataLibrary.h"
#include "platform/win/WinTypes.h"

#include <span>
#include <string_view>
#include <vector>

namespace twinleaf {

// Library selection flags.
inline constexpr win::DWORD kCondMgrDll = 1;  // condmgr.dll
inline constexpr win::DWORD kUserDataDll = 2; // UserData.dll
inline constexpr win::DWORD kHsApiDll = 4;    // HSAPI.DLL
inline constexpr win::DWORD kInstAideDll = 8; // instaide.dll
inline constexpr win::DWORD kAllPalmDlls = 15;

// What a wrapper answers for a function the library does not have.
inline constexpr int kMissingFunction = -100;

struct PalmLibrary {
    const char* fileName;
    std::span<const char* const> functionNames; // in resolution order
    win::HMODULE module = nullptr;
    std::vector<win::FARPROC> functions; // one per name once loaded; empty when unloaded

    bool loaded() const { return module != nullptr; }
    // The pointer for `name`; null when unloaded, missing or not a name of the list.
    win::FARPROC function(std::string_view name) const;
};

// The table of the library with one flag, e.g. palmLibrary(kUserDataDll).
PalmLibrary& palmLibrary(win::DWORD flag);

// Loads the libraries whose flags are set, in the order condmgr.dll, UserData.dll, HSAPI.DLL,
// instaide.dll, each from the Palm Desktop folder after unloading it if loaded. Stops at the
// first that does not load and answers false; true when all of them loaded.
bool LoadPalmLibraries(win::DWORD flags);
void UnloadPalmLibraries(win::DWORD flags);

// The user-data library's functions as the program calls them.
win::SHORT UmGetUserCount();
win::LONG UmGetUserID(win::WORD index, win::DWORD* id);
win::LONG UmGetUserName(win::DWORD id, char* name, win::SHORT* size);
win::LONG UmGetUserDirectory(win::DWORD id, char* directory, win::SHORT* size);
win::LONG UmGetRootDirectory(char* root, win::SHORT* size);

} // namespace twinleaf

// Palm Desktop's user-data library ("UserData.dll"), built in. Palm Desktop keeps one folder per
// Palm user inside its own folder, holding that user's "address", "datebook", "todo" and
// "memopad" folders; the library's user functions answer from those folders:
// - the users are the sub-folders of the folder the library was loaded from that hold at least
//   one of those four folders (any letter case), ordered by name without regard to ASCII case;
// - a user's name is its folder's name in Windows-1252 (folder names are UTF-8 here), its
//   directory the folder's name as it is on disk, so that root + directory opens it;
// - a user's id is userIdForFolderName of the folder's name; should two users' ids collide, the
//   later one in name order takes the next free number;
// - the root directory is the folder the library was loaded from, ending in '/'.
// The user list is read again at every UmGetUserCount, so the indices of one walk over the users
// stay valid until the next count.
#pragma once

#include "platform/library/Library.h"
#include "platform/win/WinTypes.h"

#include <string_view>

namespace twinleaf {

// The calling conventions of the functions callers use. Sizes are in characters and are not
// changed by the calls. 0 is success and a negative number failure, except for
// UmGetUserCount (the number of users) and UmGetRootDirectory (the length of the root, so that
// 0 means failure as its callers expect).
using UmGetUserCountFunction = win::SHORT (*)();
using UmGetUserIDFunction = win::LONG (*)(win::WORD index, win::DWORD* id);
using UmGetUserNameFunction = win::LONG (*)(win::DWORD id, char* name, win::SHORT* size);
using UmGetUserDirectoryFunction = win::LONG (*)(win::DWORD id, char* directory, win::SHORT* size);
using UmGetRootDirectoryFunction = win::LONG (*)(char* root, win::SHORT* size);

BuiltinLibrary userDataLibrary();

// FNV-1a (32 bits) of the folder name's bytes as they are on disk; 0, which Palm Desktop never
// uses as a user id, becomes 1. Stable across runs and machines.
win::DWORD userIdForFolderName(std::string_view folderName);

} // namespace twinleaf

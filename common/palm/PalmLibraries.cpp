// The four Palm libraries' function tables, their loading and the wrappers of the functions
// called.
#include "common/palm/PalmLibraries.h"

#include "common/palm/PalmEnv.h"
#include "platform/Assert.h"

#include <string>

namespace twinleaf {
namespace {

using win::DWORD;
using win::LONG;
using win::SHORT;
using win::WORD;

constexpr const char* kCondMgrFunctions[] = {"CmGetLibVersion",
                                             "CmConvertCreatorIDToString",
                                             "CmConvertStringToCreatorID",
                                             "CmGetConduitCount",
                                             "CmGetCreatorIDList",
                                             "CmGetConduitCreatorID",
                                             "CmGetConduitByCreator",
                                             "CmGetConduitByIndex",
                                             "CmGetDiscoveryInfoByIndex",
                                             "CmGetSystemConduitCount",
                                             "CmGetSystemCreatorIDList",
                                             "CmGetSystemConduitCreatorID",
                                             "CmGetSystemConduitByCreator",
                                             "CmGetSystemConduitByIndex",
                                             "CmGetSystemDiscoveryInfoByIndex",
                                             "CmInstallConduit",
                                             "CmInstallCreator",
                                             "CmInstallConduitByStruct",
                                             "CmInstallSystemCreator",
                                             "CmInstallSystemConduitByStruct",
                                             "CmRemoveConduitByIndex",
                                             "CmRemoveConduitByCreatorID",
                                             "CmRemoveSystemConduitByIndex",
                                             "CmRemoveSystemConduitByCreatorID",
                                             "CmSetCreatorPriority",
                                             "CmGetCreatorPriority",
                                             "CmSetCreatorName",
                                             "CmGetCreatorName",
                                             "CmSetCreatorDirectory",
                                             "CmGetCreatorDirectory",
                                             "CmSetCreatorRemote",
                                             "CmGetCreatorRemote",
                                             "CmSetCreatorUser",
                                             "CmGetCreatorUser",
                                             "CmSetCreatorTitle",
                                             "CmGetCreatorTitle",
                                             "CmSetCreatorInfo",
                                             "CmGetCreatorInfo",
                                             "CmSetCreatorFile",
                                             "CmGetCreatorFile",
                                             "CmSetSystemCreatorPriority",
                                             "CmGetSystemCreatorPriority",
                                             "CmSetSystemCreatorName",
                                             "CmGetSystemCreatorName",
                                             "CmSetSystemCreatorDirectory",
                                             "CmGetSystemCreatorDirectory",
                                             "CmSetSystemCreatorRemote",
                                             "CmGetSystemCreatorRemote",
                                             "CmSetSystemCreatorTitle",
                                             "CmGetSystemCreatorTitle",
                                             "CmSetSystemCreatorFile",
                                             "CmGetSystemCreatorFile",
                                             "CmGetCreatorType",
                                             "CmSetCreatorIntegrate",
                                             "CmGetCreatorIntegrate",
                                             "CmSetCreatorModule",
                                             "CmGetCreatorModule",
                                             "CmSetCreatorArgument",
                                             "CmGetCreatorArgument",
                                             "CmSetComPort",
                                             "CmGetComPort",
                                             "CmSetBackupConduit",
                                             "CmGetBackupConduit",
                                             "CmSetNotifierDll",
                                             "CmGetNotifierDll",
                                             "CmSetPCIdentifier",
                                             "CmGetPCIdentifier",
                                             "CmGetCorePath",
                                             "CmSetCorePath",
                                             "CmGetHotSyncExecPath",
                                             "CmSetHotSyncExecPath",
                                             "CmSetCreatorValueDword",
                                             "CmGetCreatorValueDword",
                                             "CmSetCreatorValueString",
                                             "CmGetCreatorValueString",
                                             "CmRestoreHotSyncSettings",
                                             "FmGetCurrentUserConduitFolder",
                                             "FmGetCurrentUserDisabledConduitFolder",
                                             "FmGetSystemConduitFolder",
                                             "FmGetSystemDisabledConduitFolder",
                                             "FmGetCurrentUserConduitCount",
                                             "FmGetCurrentUserConduitByIndex",
                                             "FmDisableCurrentUserConduitByIndex",
                                             "FmDisableCurrentUserConduitByPath",
                                             "FmEnableCurrentUserConduitByPath",
                                             "FmGetSystemConduitCount",
                                             "FmGetSystemConduitByIndex",
                                             "FmDisableSystemConduitByIndex",
                                             "FmDisableSystemConduitByPath",
                                             "FmEnableSystemConduitByPath"};
static_assert(std::size(kCondMgrFunctions) == 90);

constexpr const char* kUserDataFunctions[] = {"UmGetUserCount",
                                              "UmGetUserID",
                                              "UmGetUserName",
                                              "UmGetUserDirectory",
                                              "UmGetRootDirectory",
                                              "UmGetLibVersion",
                                              "UmGetUserPassword",
                                              "UmIsUserInstalled",
                                              "UmIsUserProfile",
                                              "UmSetUserName",
                                              "UmSetUserDirectory",
                                              "UmSetUserInstall",
                                              "UmSetUserPermSyncPreferences",
                                              "UmSetUserTempSyncPreferences",
                                              "UmGetUserPermSyncPreferences",
                                              "UmGetUserTempSyncPreferences",
                                              "UmRemoveUserTempSyncPreferences",
                                              "UmDeleteUserPermSyncPreferences",
                                              "UmDeleteUserTempSyncPreferences",
                                              "UmAddUser",
                                              "UmDeleteUser",
                                              "UmIsInstallMaskSet",
                                              "UmClearInstallMask",
                                              "UmSetInstallMask",
                                              "UmGetString",
                                              "UmSetString",
                                              "UmGetInteger",
                                              "UmSetInteger",
                                              "UmDeleteKey",
                                              "UmGetIDFromPath",
                                              "UmGetIDFromName",
                                              "UmSlotGetExpMgrVersion",
                                              "UmSlotGetSlotCount",
                                              "UmSlotGetInfo",
                                              "UmSlotGetMediaType",
                                              "UmSlotGetDisplayName",
                                              "UmSlotGetInstallDirectory"};
static_assert(std::size(kUserDataFunctions) == 37);

constexpr const char* kHsApiFunctions[] = {
    "HsGetApiVersion", "HsGetSyncStatus",   "HsCheckApiStatus",    "HsDisplayCustomDlg",
    "HsDisplayLog",    "HsDisplayFileLink", "HsResetComm",         "HsSetCommStatus",
    "HsGetCommStatus", "HsSetAppStatus",    "HsRefreshConduitInfo"};
static_assert(std::size(kHsApiFunctions) == 11);

// "PlmGetLibVesion" is spelled as the library exports it.
constexpr const char* kInstAideFunctions[] = {"PlmGetLibVesion",
                                              "PltGetUserCount",
                                              "PltGetUser",
                                              "PltInstallFile",
                                              "PltGetFileCount",
                                              "PltGetFileName",
                                              "PltGetFileInfo",
                                              "PltRemoveInstallFile",
                                              "PltGetPath",
                                              "PltSetPath",
                                              "PltGetInstallFileFilter",
                                              "PltGetFileTypesCount",
                                              "PltGetFileTypeExtension",
                                              "PltGetInstallConduitCount",
                                              "PltGetInstallConduitInfo",
                                              "PltIsInstallMaskSet",
                                              "PltResetInstallMask",
                                              "PltGetInstallCreatorInfo",
                                              "PltSetInstallRegistry",
                                              "PltGetRegistryPath",
                                              "PltGetUserDirectory",
                                              "PltIsUserProfile",
                                              "PlmGetUserNameFromID",
                                              "PlmGetUserIDFromName",
                                              "PltInstallFileToDest",
                                              "PltGetInstallFileFilterForUser",
                                              "PlmSlotGetFileCount",
                                              "PlmSlotGetFileInfo",
                                              "PlmSlotInstallFile",
                                              "PlmSlotRemoveInstallFile",
                                              "PlmSlotMoveInstallFile",
                                              "PlmMoveInstallFileToSlot",
                                              "PlmMoveInstallFileToHandheld"};
static_assert(std::size(kInstAideFunctions) == 33);

// Indices into kUserDataFunctions of the functions called.
enum UserDataFunction {
    kUmGetUserCount,
    kUmGetUserID,
    kUmGetUserName,
    kUmGetUserDirectory,
    kUmGetRootDirectory
};

PalmLibrary g_libraries[] = {
    {"condmgr.dll", kCondMgrFunctions, nullptr, {}},
    {"UserData.dll", kUserDataFunctions, nullptr, {}},
    {"HSAPI.DLL", kHsApiFunctions, nullptr, {}},
    {"instaide.dll", kInstAideFunctions, nullptr, {}},
};
constexpr DWORD kFlags[] = {kCondMgrDll, kUserDataDll, kHsApiDll, kInstAideDll};

void unload(PalmLibrary& library) {
    if (library.module != nullptr) {
        win::FreeLibrary(library.module);
        library.module = nullptr;
    }
    library.functions.clear();
}

bool load(PalmLibrary& library) {
    unload(library);
    char folder[win::MAX_PATH];
    if (GetPalmDesktopPath(folder, sizeof folder) != 0) {
        return false;
    }
    std::string path = folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') {
        path += '/';
    }
    path += library.fileName;
    library.module = win::LoadLibraryA(path.c_str());
    if (library.module == nullptr) {
        return false;
    }
    library.functions.reserve(library.functionNames.size());
    for (const char* name : library.functionNames) {
        library.functions.push_back(win::GetProcAddress(library.module, name));
    }
    return true;
}

template <typename Function> Function userDataFunction(UserDataFunction index) {
    const PalmLibrary& library = palmLibrary(kUserDataDll);
    return static_cast<std::size_t>(index) < library.functions.size()
               ? reinterpret_cast<Function>(library.functions[index])
               : nullptr;
}

} // namespace

win::FARPROC PalmLibrary::function(std::string_view name) const {
    for (std::size_t i = 0; i < functions.size() && i < functionNames.size(); ++i) {
        if (name == functionNames[i]) {
            return functions[i];
        }
    }
    return nullptr;
}

PalmLibrary& palmLibrary(DWORD flag) {
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        if (kFlags[i] == flag) {
            return g_libraries[i];
        }
    }
    TL_ASSERT(!"one library flag");
    return g_libraries[0];
}

bool LoadPalmLibraries(DWORD flags) {
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        if ((flags & kFlags[i]) != 0 && !load(g_libraries[i])) {
            return false;
        }
    }
    return true;
}

void UnloadPalmLibraries(DWORD flags) {
    for (std::size_t i = 0; i < std::size(kFlags); ++i) {
        if ((flags & kFlags[i]) != 0) {
            unload(g_libraries[i]);
        }
    }
}

SHORT UmGetUserCount() {
    const auto function = userDataFunction<UmGetUserCountFunction>(kUmGetUserCount);
    return function != nullptr ? function() : static_cast<SHORT>(kMissingFunction);
}

LONG UmGetUserID(WORD index, DWORD* id) {
    const auto function = userDataFunction<UmGetUserIDFunction>(kUmGetUserID);
    return function != nullptr ? function(index, id) : kMissingFunction;
}

LONG UmGetUserName(DWORD id, char* name, SHORT* size) {
    const auto function = userDataFunction<UmGetUserNameFunction>(kUmGetUserName);
    return function != nullptr ? function(id, name, size) : kMissingFunction;
}

LONG UmGetUserDirectory(DWORD id, char* directory, SHORT* size) {
    const auto function = userDataFunction<UmGetUserDirectoryFunction>(kUmGetUserDirectory);
    return function != nullptr ? function(id, directory, size) : kMissingFunction;
}

LONG UmGetRootDirectory(char* root, SHORT* size) {
    const auto function = userDataFunction<UmGetRootDirectoryFunction>(kUmGetRootDirectory);
    return function != nullptr ? function(root, size) : kMissingFunction;
}

} // namespace twinleaf

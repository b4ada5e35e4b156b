// The registry calls in Windows' shape, answered read-only from a Wine prefix's hives through
// RegistryView. Only reading exists: opening a key, reading one value, closing the key.
#pragma once

#include "platform/registry/RegistryView.h"
#include "platform/win/WinTypes.h"

#include <filesystem>

namespace twinleaf::win {

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;
using REGSAM = DWORD;

extern const HKEY HKEY_CURRENT_USER;
extern const HKEY HKEY_LOCAL_MACHINE;

inline constexpr LONG ERROR_SUCCESS = 0;
inline constexpr LONG ERROR_FILE_NOT_FOUND = 2;
inline constexpr LONG ERROR_INVALID_HANDLE = 6;
inline constexpr LONG ERROR_INVALID_PARAMETER = 87;
inline constexpr LONG ERROR_MORE_DATA = 234;

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_READ = 0x20019;

// Opens `subKey` below `key` (an open key or one of the two roots). ERROR_FILE_NOT_FOUND when it
// does not exist, its hive is missing or is not a registry file. Options and access rights are
// accepted and ignored: every key is readable and none writable.
LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD options, REGSAM access, HKEY* result);

// Windows' rules: strings come back in Windows-1252 with their terminator, and the size counts
// it; without `data` only the size is told; a buffer too small gives ERROR_MORE_DATA and the
// size needed. NULL or "" names the key's default value.
LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* dataSize);

LONG RegCloseKey(HKEY key);

} // namespace twinleaf::win

namespace twinleaf {

// Points the registry calls at another Wine prefix for the life of the object (tests), instead of
// RegistryView::defaultPrefix().
class ScopedRegistryPrefix {
public:
    explicit ScopedRegistryPrefix(std::filesystem::path prefix);
    ~ScopedRegistryPrefix();
    ScopedRegistryPrefix(const ScopedRegistryPrefix&) = delete;
    ScopedRegistryPrefix& operator=(const ScopedRegistryPrefix&) = delete;

private:
    std::filesystem::path m_previous;
};

// The prefix the registry calls read from now.
std::filesystem::path registryPrefix();

} // namespace twinleaf

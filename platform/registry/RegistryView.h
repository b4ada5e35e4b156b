// Registry reads answered from a Wine prefix's text hives: "user.reg" holds the current user's
// hive (HKEY_CURRENT_USER), "system.reg" the machine's (HKEY_LOCAL_MACHINE). Palm Desktop,
// installed under Wine, records its folder there.
// Read-only: nothing here writes to a user's prefix. A hive that is missing or is not a registry
// file has no keys; a line that cannot be parsed is skipped. Key and value names are compared
// without regard to case, as Windows does.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace twinleaf::win {

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

} // namespace twinleaf::win

namespace twinleaf {

enum class Hive { CurrentUser, LocalMachine };

// One value as Windows keeps it: strings are UTF-16LE bytes with their terminator.
struct RegistryValue {
    win::DWORD type = win::REG_NONE;
    std::vector<std::uint8_t> data;
};

// The values of one key, in file order; names are Windows-1252, "" is the default value.
struct RegistryKey {
    std::string path; // as the hive spells it, single backslashes
    std::vector<std::pair<std::string, RegistryValue>> values;
    const RegistryValue* find(std::string_view name) const;
};

class RegistryView {
public:
    explicit RegistryView(std::filesystem::path prefix); // tests pass a temporary folder

    // $WINEPREFIX when set, else ~/.wine.
    static std::filesystem::path defaultPrefix();

    const std::filesystem::path& prefix() const { return m_prefix; }
    std::filesystem::path hiveFile(Hive hive) const;

    // The key at `path` ("Software\Vendor\Product", single backslashes, any case). A key that
    // only has sub-keys exists too, with no values. nullopt when it does not exist.
    std::optional<RegistryKey> openKey(Hive hive, std::string_view path) const;

    // A REG_SZ or REG_EXPAND_SZ value converted to Windows-1252, without its terminator.
    std::optional<std::string> readString(Hive hive, std::string_view path,
                                          std::string_view name) const;

private:
    std::filesystem::path m_prefix;
};

// Parses the text of one hive file and returns the key at `path`; exposed for tests and fuzzing.
std::optional<RegistryKey> findKeyInHive(std::string_view hiveText, std::string_view path);

} // namespace twinleaf

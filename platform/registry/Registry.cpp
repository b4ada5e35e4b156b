// Key handles over RegistryView. An open key holds a copy of its values, read when it was opened,
// as a snapshot of a registry nobody writes to while we run.
#include "platform/registry/Registry.h"

#include "platform/codepage/Codepage.h"

#include <algorithm>
#include <string>
#include <utility>

namespace twinleaf::win {

struct RegistryKeyHandle {
    Hive hive;
    bool root;
    RegistryKey key;
};

namespace {

RegistryKeyHandle g_currentUser{Hive::CurrentUser, true, {}};
RegistryKeyHandle g_localMachine{Hive::LocalMachine, true, {}};

bool isRoot(HKEY key) {
    return key == &g_currentUser || key == &g_localMachine;
}

// A string value in Windows-1252 with its terminator, as the A functions give it.
std::string ansiString(const RegistryValue& value) {
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
        text += static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
    }
    std::string ansi = utf16ToAnsi(text);
    if (ansi.empty() || ansi.back() != '\0') {
        ansi += '\0';
    }
    return ansi;
}

} // namespace

const HKEY HKEY_CURRENT_USER = &g_currentUser;
const HKEY HKEY_LOCAL_MACHINE = &g_localMachine;

LONG RegOpenKeyExA(HKEY key, const char* subKey, DWORD /*options*/, REGSAM /*access*/,
                   HKEY* result) {
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    std::string path = key->key.path;
    if (subKey != nullptr && *subKey != '\0') {
        path += path.empty() ? "" : "\\";
        path += subKey;
    }
    const RegistryView view(registryPrefix());
    std::optional<RegistryKey> found = view.openKey(key->hive, path);
    if (!found) {
        return ERROR_FILE_NOT_FOUND;
    }
    *result = new RegistryKeyHandle{key->hive, false, std::move(*found)};
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, const char* valueName, DWORD* /*reserved*/, DWORD* type, BYTE* data,
                      DWORD* dataSize) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (data != nullptr && dataSize == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    const RegistryValue* value = key->key.find(valueName != nullptr ? valueName : "");
    if (value == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    std::string bytes;
    if (value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ) {
        bytes = ansiString(*value);
    } else {
        bytes.assign(value->data.begin(), value->data.end());
    }
    if (type != nullptr) {
        *type = value->type;
    }
    if (dataSize == nullptr) {
        return ERROR_SUCCESS;
    }
    const DWORD needed = static_cast<DWORD>(bytes.size());
    const DWORD room = *dataSize;
    *dataSize = needed;
    if (data == nullptr) {
        return ERROR_SUCCESS;
    }
    if (room < needed) {
        return ERROR_MORE_DATA;
    }
    std::copy(bytes.begin(), bytes.end(), data);
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    if (!isRoot(key)) {
        delete key;
    }
    return ERROR_SUCCESS;
}

} // namespace twinleaf::win

namespace twinleaf {
namespace {

std::filesystem::path& prefixOverride() {
    static std::filesystem::path prefix;
    return prefix;
}

} // namespace

ScopedRegistryPrefix::ScopedRegistryPrefix(std::filesystem::path prefix)
    : m_previous(std::exchange(prefixOverride(), std::move(prefix))) {}

ScopedRegistryPrefix::~ScopedRegistryPrefix() {
    prefixOverride() = std::move(m_previous);
}

std::filesystem::path registryPrefix() {
    return prefixOverride().empty() ? RegistryView::defaultPrefix() : prefixOverride();
}

} // namespace twinleaf

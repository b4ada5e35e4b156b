// The table of built-in libraries and the handles of loaded ones.
#include "platform/library/Library.h"

#include "platform/files/PathCase.h"
#include "platform/library/UserDataLibrary.h"
#include "platform/text/NoCase.h"

#include <algorithm>
#include <string_view>
#include <system_error>

namespace twinleaf {
namespace {

struct Entry {
    BuiltinLibrary library;
    int loads = 0; // handles not yet freed
};

std::vector<Entry>& table() {
    static std::vector<Entry> entries = [] {
        std::vector<Entry> builtins;
        builtins.push_back({userDataLibrary(), 0});
        return builtins;
    }();
    return entries;
}

Entry* find(std::string_view fileName) {
    for (Entry& entry : table()) {
        if (equalsNoCase(entry.library.fileName, fileName)) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

ScopedBuiltinLibrary::ScopedBuiltinLibrary(std::string fileName,
                                           std::optional<BuiltinLibrary> library)
    : m_fileName(std::move(fileName)) {
    auto& entries = table();
    auto it = std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) {
        return equalsNoCase(entry.library.fileName, m_fileName);
    });
    if (it != entries.end()) {
        m_previous = std::move(it->library);
        entries.erase(it);
    }
    if (library) {
        library->fileName = m_fileName;
        entries.push_back({std::move(*library), 0});
    }
}

ScopedBuiltinLibrary::~ScopedBuiltinLibrary() {
    auto& entries = table();
    std::erase_if(entries, [&](const Entry& entry) {
        return equalsNoCase(entry.library.fileName, m_fileName);
    });
    if (m_previous) {
        entries.push_back({std::move(*m_previous), 0});
    }
}

} // namespace twinleaf

namespace twinleaf::win {

struct LoadedLibrary {
    std::string fileName;
    std::vector<LibraryExport> exports;
};

HMODULE LoadLibraryA(const char* path) {
    if (path == nullptr || *path == '\0') {
        return nullptr;
    }
    std::string linuxPath = path;
    std::replace(linuxPath.begin(), linuxPath.end(), '\\', '/');
    const std::filesystem::path full(linuxPath);
    Entry* entry = find(full.filename().string());
    if (entry == nullptr) {
        return nullptr;
    }
    const std::filesystem::path folder =
        resolvePathCase(full.has_parent_path() ? full.parent_path() : std::filesystem::path("."));
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        return nullptr;
    }
    if (entry->library.attach && !entry->library.attach(folder)) {
        return nullptr;
    }
    ++entry->loads;
    return new LoadedLibrary{entry->library.fileName, entry->library.exports};
}

FARPROC GetProcAddress(HMODULE module, const char* name) {
    if (module == nullptr || name == nullptr) {
        return nullptr;
    }
    for (const LibraryExport& function : module->exports) {
        if (function.name == name) {
            return function.function;
        }
    }
    return nullptr;
}

BOOL FreeLibrary(HMODULE module) {
    if (module == nullptr) {
        return 0;
    }
    Entry* entry = find(module->fileName);
    if (entry != nullptr && entry->loads > 0 && --entry->loads == 0 && entry->library.detach) {
        entry->library.detach();
    }
    delete module;
    return 1;
}

} // namespace twinleaf::win

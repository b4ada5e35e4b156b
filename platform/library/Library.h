// Loading libraries by file name, in Windows' shape. Windows DLLs cannot run here, so the
// libraries the program needs are built into it: each is a named table of exported functions.
// LoadLibraryA finds the built-in library whose file name (compared without case) is the last
// component of the path and "loads" it from the folder the path names, which must exist; the
// library is told that folder and may refuse it. GetProcAddress answers null for a name the
// library does not export, exactly as for a DLL that lacks a function.
//
// The table of built-in libraries can be changed for the length of a scope, so a test can load a
// library that lacks functions, or find one missing.
#pragma once

#include "platform/win/WinTypes.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace twinleaf::win {

struct LoadedLibrary;
using HMODULE = LoadedLibrary*;
using FARPROC = void (*)();

// Null when no built-in library has the file name, the folder does not exist, or the library
// refused to load from it.
HMODULE LoadLibraryA(const char* path);
FARPROC GetProcAddress(HMODULE module, const char* name);
BOOL FreeLibrary(HMODULE module);

} // namespace twinleaf::win

namespace twinleaf {

struct LibraryExport {
    std::string name; // compared with case, as GetProcAddress does
    win::FARPROC function;
};

struct BuiltinLibrary {
    std::string fileName;
    std::vector<LibraryExport> exports;
    // Called on every load with the folder loaded from; false fails the load. May be empty.
    std::function<bool(const std::filesystem::path& folder)> attach;
    // Called when the last loaded handle of the library is freed. May be empty.
    std::function<void()> detach;
};

// Casts a function to the type GetProcAddress hands out; callers cast it back to its own type.
template <typename Function> win::FARPROC exportOf(Function* function) {
    return reinterpret_cast<win::FARPROC>(function);
}

// Replaces, adds or (with nullopt) removes the built-in library of `fileName` until the object
// goes out of scope.
class ScopedBuiltinLibrary {
public:
    ScopedBuiltinLibrary(std::string fileName, std::optional<BuiltinLibrary> library);
    ~ScopedBuiltinLibrary();
    ScopedBuiltinLibrary(const ScopedBuiltinLibrary&) = delete;
    ScopedBuiltinLibrary& operator=(const ScopedBuiltinLibrary&) = delete;

private:
    std::string m_fileName;
    std::optional<BuiltinLibrary> m_previous;
};

} // namespace twinleaf

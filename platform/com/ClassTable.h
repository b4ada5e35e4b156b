// Creating automation objects by ProgID: CLSIDFromProgID, CoCreateInstance and OleRun, answered
// from one process-wide table of classes instead of the registry. A class is registered with
// `add` (the Outlook stand-in registers "Outlook.Application"); tests put a class of their own in
// place, or hide one, for the length of a scope.
#pragma once

#include "platform/com/Com.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace twinleaf::win {

// Makes a new instance and hands out the interface asked for, as IClassFactory::CreateInstance.
using ClassFactory = std::function<HRESULT(REFIID riid, void** object)>;

struct ClassRegistration {
    std::u16string progId;
    CLSID clsid;
    ClassFactory create;
};

class ClassTable {
public:
    // Replaces an entry with the same ProgID or class id.
    static void add(ClassRegistration registration);
    static bool remove(std::u16string_view progId);
    // ProgIDs are compared without regard to case, as the registry compares key names.
    static std::optional<ClassRegistration> find(std::u16string_view progId);
    static std::optional<ClassRegistration> find(REFCLSID clsid);
};

// Puts `registration` in place of whatever the table holds under its ProgID until the scope
// ends; a registration without `create` hides the ProgID, as if the program were not installed.
class ScopedClassRegistration {
public:
    explicit ScopedClassRegistration(ClassRegistration registration);
    ~ScopedClassRegistration();
    ScopedClassRegistration(const ScopedClassRegistration&) = delete;
    ScopedClassRegistration& operator=(const ScopedClassRegistration&) = delete;

private:
    std::u16string m_progId;
    std::optional<ClassRegistration> m_previous;
};

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);
// Asks the object to start (IRunnableObject::Run); an object without that interface counts as
// running already.
HRESULT OleRun(IUnknown* object);

} // namespace twinleaf::win

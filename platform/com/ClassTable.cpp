// The process-wide table of automation classes and the calls that create objects from it.
#include "platform/com/ClassTable.h"

#include "platform/com/DispatchObject.h"

#include <algorithm>
#include <vector>

namespace twinleaf::win {
namespace {

std::vector<ClassRegistration>& table() {
    static std::vector<ClassRegistration> classes;
    return classes;
}

std::vector<ClassRegistration>::iterator findByProgId(std::u16string_view progId) {
    return std::find_if(table().begin(), table().end(), [&](const ClassRegistration& entry) {
        return equalNamesIgnoringCase(entry.progId, progId);
    });
}

} // namespace

void ClassTable::add(ClassRegistration registration) {
    auto& classes = table();
    std::erase_if(classes, [&](const ClassRegistration& entry) {
        return equalNamesIgnoringCase(entry.progId, registration.progId) ||
               entry.clsid == registration.clsid;
    });
    classes.push_back(std::move(registration));
}

bool ClassTable::remove(std::u16string_view progId) {
    const auto entry = findByProgId(progId);
    if (entry == table().end()) {
        return false;
    }
    table().erase(entry);
    return true;
}

std::optional<ClassRegistration> ClassTable::find(std::u16string_view progId) {
    const auto entry = findByProgId(progId);
    if (entry == table().end()) {
        return std::nullopt;
    }
    return *entry;
}

std::optional<ClassRegistration> ClassTable::find(REFCLSID clsid) {
    const auto entry =
        std::find_if(table().begin(), table().end(),
                     [&](const ClassRegistration& item) { return item.clsid == clsid; });
    if (entry == table().end()) {
        return std::nullopt;
    }
    return *entry;
}

ScopedClassRegistration::ScopedClassRegistration(ClassRegistration registration)
    : m_progId(registration.progId), m_previous(ClassTable::find(registration.progId)) {
    ClassTable::remove(m_progId);
    if (registration.create) {
        ClassTable::add(std::move(registration));
    }
}

ScopedClassRegistration::~ScopedClassRegistration() {
    ClassTable::remove(m_progId);
    if (m_previous) {
        ClassTable::add(std::move(*m_previous));
    }
}

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
    if (progId == nullptr || clsid == nullptr) {
        return E_INVALIDARG;
    }
    const auto entry = ClassTable::find(std::u16string_view(progId));
    if (!entry) {
        return CO_E_CLASSSTRING;
    }
    *clsid = entry->clsid;
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    const auto entry = ClassTable::find(clsid);
    if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER)) == 0 || !entry || !entry->create) {
        return REGDB_E_CLASSNOTREG;
    }
    return entry->create(riid, object);
}

HRESULT OleRun(IUnknown* object) {
    if (object == nullptr) {
        return E_INVALIDARG;
    }
    void* runnable = nullptr;
    if (FAILED(object->QueryInterface(IID_IRunnableObject, &runnable)) || runnable == nullptr) {
        return S_OK;
    }
    auto* runnableObject = static_cast<IRunnableObject*>(runnable);
    const HRESULT hr = runnableObject->Run(nullptr);
    runnableObject->Release();
    return hr;
}

} // namespace twinleaf::win

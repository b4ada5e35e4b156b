// Reference counting, name lookup and argument checks shared by our automation objects.
#include "platform/com/DispatchObject.h"

#include <algorithm>

namespace twinleaf::win {
namespace {

long g_liveObjects = 0;

char16_t lowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c;
}

} // namespace

bool equalNamesIgnoringCase(std::u16string_view left, std::u16string_view right) {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (lowerAscii(left[i]) != lowerAscii(right[i])) {
            return false;
        }
    }
    return true;
}

// The length and three letters, without regard to case: a table holds a few dozen names, which
// this tells apart well enough, and a lookup need not read every letter twice.
std::size_t MemberTable::hashOf(std::u16string_view name) {
    if (name.empty()) {
        return 0;
    }
    std::uint64_t hash = name.size();
    hash = hash * 0x100000001b3ULL + lowerAscii(name.front());
    hash = hash * 0x100000001b3ULL + lowerAscii(name[name.size() / 2]);
    hash = hash * 0x100000001b3ULL + lowerAscii(name.back());
    hash ^= hash >> 29;
    return static_cast<std::size_t>(hash * 0xbf58476d1ce4e5b9ULL) ^ (hash >> 32);
}

std::size_t MemberTable::slotOf(std::u16string_view name, std::size_t hash) const {
    const std::size_t mask = m_slots.size() - 1;
    std::size_t slot = hash & mask;
    while (m_slots[slot] != 0) {
        const Member& member = m_members[m_slots[slot] - 1];
        // Callers nearly always spell a name as the table does.
        if (member.hash == hash &&
            (member.name == name || equalNamesIgnoringCase(member.name, name))) {
            break;
        }
        slot = (slot + 1) & mask;
    }
    return slot;
}

void MemberTable::add(std::u16string_view name, DISPID id) {
    const std::size_t hash = hashOf(name);
    if (!m_slots.empty()) {
        if (const std::uint32_t known = m_slots[slotOf(name, hash)]; known != 0) {
            m_members[known - 1].id = id;
            return;
        }
    }
    m_members.push_back({std::u16string(name), hash, id});
    if (m_members.size() * 2 > m_slots.size()) {
        m_slots.assign(std::max<std::size_t>(16, m_slots.size() * 2), 0);
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            m_slots[slotOf(m_members[i].name, m_members[i].hash)] =
                static_cast<std::uint32_t>(i + 1);
        }
        return;
    }
    m_slots[slotOf(name, hash)] = static_cast<std::uint32_t>(m_members.size());
}

DISPID MemberTable::find(std::u16string_view name) const {
    if (m_slots.empty()) {
        return DISPID_UNKNOWN;
    }
    const std::uint32_t member = m_slots[slotOf(name, hashOf(name))];
    return member == 0 ? DISPID_UNKNOWN : m_members[member - 1].id;
}

DispatchObject::DispatchObject() {
    ++g_liveObjects;
}

DispatchObject::~DispatchObject() {
    --g_liveObjects;
}

long DispatchObject::liveObjects() {
    return g_liveObjects;
}

HRESULT DispatchObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch) {
        found = static_cast<IDispatch*>(this);
    } else {
        found = extraInterface(riid);
    }
    *object = found;
    if (found == nullptr) {
        return E_NOINTERFACE;
    }
    found->AddRef();
    return S_OK;
}

ULONG DispatchObject::AddRef() {
    return ++m_references;
}

ULONG DispatchObject::Release() {
    const ULONG left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT DispatchObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID /*locale*/,
                                      DISPID* ids) {
    if (!(riid == IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    if (names == nullptr || ids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    // Names after the first would be parameter names; no member here has named parameters.
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = i == 0 && names[0] != nullptr ? memberId(names[0]) : DISPID_UNKNOWN;
        if (ids[i] == DISPID_UNKNOWN) {
            hr = DISP_E_UNKNOWNNAME;
        }
    }
    return hr;
}

HRESULT DispatchObject::Invoke(DISPID member, REFIID riid, LCID /*locale*/, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* /*exception*/,
                               UINT* /*argumentError*/) {
    if (!(riid == IID_NULL)) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const DISPPARAMS& arguments = params != nullptr ? *params : none;
    if ((arguments.cArgs > 0 && arguments.rgvarg == nullptr) ||
        (arguments.cNamedArgs > 0 && arguments.rgdispidNamedArgs == nullptr) ||
        arguments.cNamedArgs > arguments.cArgs) {
        return E_INVALIDARG;
    }
    VariantInit(result);
    // Keeps the object alive while a member runs, even if the member drops the last outside
    // reference.
    AddRef();
    const HRESULT hr = invokeMember(member, flags, arguments, result);
    Release();
    return hr;
}

HRESULT checkMethodCall(WORD flags, const DISPPARAMS& params, UINT required, UINT optional) {
    if ((flags & DISPATCH_METHOD) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params.cNamedArgs != 0) {
        return DISP_E_NONAMEDARGS;
    }
    if (params.cArgs < required) {
        return DISP_E_PARAMNOTOPTIONAL;
    }
    if (params.cArgs > required + optional) {
        return DISP_E_BADPARAMCOUNT;
    }
    return S_OK;
}

bool isPropertyGet(WORD flags, const DISPPARAMS& params) {
    return params.cArgs == 0 && (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) != 0;
}

HRESULT propertyPutValue(WORD flags, const DISPPARAMS& params, const VARIANT** value) {
    if ((flags & DISPATCH_PROPERTYPUT) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params.cArgs != 1) {
        return DISP_E_BADPARAMCOUNT;
    }
    if (params.cNamedArgs != 1 || params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) {
        return DISP_E_PARAMNOTFOUND;
    }
    *value = &params.rgvarg[0];
    return S_OK;
}

const VARIANT& argumentAt(const DISPPARAMS& params, UINT position) {
    return params.rgvarg[params.cArgs - 1 - position];
}

bool variantToLong(const VARIANT& value, LONG& out) {
    switch (value.vt) {
    case VT_I4:
        out = value.lVal;
        return true;
    case VT_I2:
        out = value.iVal;
        return true;
    default:
        return false;
    }
}

bool variantToBool(const VARIANT& value, bool& out) {
    switch (value.vt) {
    case VT_BOOL:
        out = value.boolVal != 0;
        return true;
    case VT_I4:
        out = value.lVal != 0;
        return true;
    case VT_I2:
        out = value.iVal != 0;
        return true;
    default:
        return false;
    }
}

bool variantToDate(const VARIANT& value, DATE& out) {
    switch (value.vt) {
    case VT_DATE:
        out = value.date;
        return true;
    case VT_R8:
        out = value.dblVal;
        return true;
    default:
        return false;
    }
}

bool variantToText(const VARIANT& value, std::u16string& out) {
    switch (value.vt) {
    case VT_BSTR:
        out.assign(bstrView(value.bstrVal));
        return true;
    case VT_EMPTY:
    case VT_NULL:
        out.clear();
        return true;
    default:
        return false;
    }
}

HRESULT returnText(VARIANT* result, std::u16string_view text) {
    if (result == nullptr) {
        return S_OK;
    }
    // A null BSTR is the empty string by automation's convention; most properties of an item
    // are empty, and a load reads every one of them.
    result->vt = VT_BSTR;
    result->bstrVal = nullptr;
    if (text.empty()) {
        return S_OK;
    }
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (result->bstrVal == nullptr) {
        result->vt = VT_EMPTY;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT returnLong(VARIANT* result, LONG value) {
    if (result != nullptr) {
        result->vt = VT_I4;
        result->lVal = value;
    }
    return S_OK;
}

HRESULT returnBool(VARIANT* result, bool value) {
    if (result != nullptr) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT returnDate(VARIANT* result, DATE value) {
    if (result != nullptr) {
        result->vt = VT_DATE;
        result->date = value;
    }
    return S_OK;
}

HRESULT returnObject(VARIANT* result, IDispatch* adopted) {
    if (result == nullptr) {
        if (adopted != nullptr) {
            adopted->Release();
        }
        return S_OK;
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = adopted;
    return S_OK;
}

} // namespace twinleaf::win

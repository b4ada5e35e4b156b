// Late-bound calls by member name and the typed property readers and writers.
#include "common/outlook/DispCmd.h"

#include "platform/codepage/Codepage.h"
#include "platform/text/FieldText.h"

#include <cstring>

namespace twinleaf {

using namespace win;

namespace {

constexpr HRESULT kNoValue = 1;

// A variant that releases what it holds when the call is done with it.
struct OwnedVariant {
    VARIANT v;
    OwnedVariant() { VariantInit(&v); }
    ~OwnedVariant() { VariantClear(&v); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
};

// Reads a property into `value` and checks its type: the call's own failure, kNoValue for a value
// of another type, S_OK when `value` holds one of `type`.
HRESULT getTyped(CDispCmd& command, DispMember member, VARTYPE type, VARIANT* value) {
    const HRESULT hr = command.GetProperty(member, value);
    if (FAILED(hr)) {
        return hr;
    }
    return value->vt == type ? S_OK : kNoValue;
}

} // namespace

CDispCmd::CDispCmd(IDispatch* pDisp) : m_pDisp(pDisp) {
    if (m_pDisp != nullptr) {
        m_pDisp->AddRef();
    }
}

CDispCmd::~CDispCmd() {
    if (m_pDisp != nullptr) {
        m_pDisp->Release();
        m_pDisp = nullptr;
    }
}

HRESULT CDispCmd::InvokeByName(LPCOLESTR szName, WORD wFlags, DISPPARAMS* pParams,
                               VARIANT* pResult) {
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = GetMemberId(szName, &id);
    return FAILED(hr) ? hr : InvokeById(id, wFlags, pParams, pResult);
}

HRESULT CDispCmd::GetMemberId(LPCOLESTR szName, DISPID* pId) {
    *pId = DISPID_UNKNOWN;
    if (m_pDisp == nullptr) {
        return E_INVALIDARG;
    }
    auto* name = const_cast<LPOLESTR>(szName);
    const HRESULT hr = m_pDisp->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, pId);
    if (FAILED(hr)) {
        *pId = DISPID_UNKNOWN;
    }
    return hr;
}

HRESULT CDispCmd::InvokeById(DISPID id, WORD wFlags, DISPPARAMS* pParams, VARIANT* pResult) {
    if (m_pDisp == nullptr) {
        return E_INVALIDARG;
    }
    // The lookup runs in the user's locale, the call in the system's, as Outlook expects.
    return m_pDisp->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, wFlags, pParams, pResult, nullptr,
                           nullptr);
}

HRESULT CDispCmd::CallMethod(LPCOLESTR szName, VARIANT* pArgs, UINT nArgs, VARIANT* pResult,
                             WORD wFlags, DISPID* pNamedArgs, UINT nNamedArgs) {
    DISPPARAMS params{pArgs, pNamedArgs, nArgs, nNamedArgs};
    return InvokeByName(szName, wFlags, &params, pResult);
}

HRESULT CDispCmd::GetProperty(DispMember member, VARIANT* pResult) {
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return member.name != nullptr ? InvokeByName(member.name, DISPATCH_PROPERTYGET, &none, pResult)
                                  : InvokeById(member.id, DISPATCH_PROPERTYGET, &none, pResult);
}

HRESULT CDispCmd::PutProperty(LPCOLESTR szName, VARIANT* pValue) {
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{pValue, &named, 1, 1};
    return InvokeByName(szName, DISPATCH_PROPERTYPUT, &params, nullptr);
}

HRESULT CDispCmd::GetText(DispMember member, char* szBuf, int nSize) {
    // A buffer without room for the terminator cannot take a text either.
    if (szBuf == nullptr || nSize <= 0) {
        return kNoValue;
    }
    OwnedVariant value;
    if (const HRESULT hr = getTyped(*this, member, VT_BSTR, &value.v); hr != S_OK) {
        return hr;
    }
    if (value.v.bstrVal == nullptr) {
        szBuf[0] = '\0';
        return S_OK;
    }
    copyToField(szBuf, static_cast<std::size_t>(nSize), utf16ToAnsi(bstrView(value.v.bstrVal)));
    return S_OK;
}

HRESULT CDispCmd::GetLong(DispMember member, LONG* pValue) {
    if (pValue == nullptr) {
        return kNoValue;
    }
    OwnedVariant value;
    if (const HRESULT hr = getTyped(*this, member, VT_I4, &value.v); hr != S_OK) {
        return hr;
    }
    *pValue = value.v.lVal;
    return S_OK;
}

HRESULT CDispCmd::GetBool(DispMember member, BYTE* pValue) {
    if (pValue == nullptr) {
        return kNoValue;
    }
    OwnedVariant value;
    if (const HRESULT hr = getTyped(*this, member, VT_BOOL, &value.v); hr != S_OK) {
        return hr;
    }
    *pValue = value.v.boolVal != 0 ? 1 : 0;
    return S_OK;
}

HRESULT CDispCmd::GetDate(DispMember member, double* pValue) {
    if (pValue == nullptr) {
        return kNoValue;
    }
    OwnedVariant value;
    if (const HRESULT hr = getTyped(*this, member, VT_DATE, &value.v); hr != S_OK) {
        return hr;
    }
    *pValue = value.v.date;
    return S_OK;
}

HRESULT CDispCmd::GetObject(LPCOLESTR szName, IDispatch** ppDisp) {
    if (ppDisp == nullptr) {
        return kNoValue;
    }
    *ppDisp = nullptr;
    OwnedVariant value;
    if (const HRESULT hr = getTyped(*this, szName, VT_DISPATCH, &value.v); hr != S_OK) {
        return hr;
    }
    // The reference goes to the caller; the variant must not release it.
    *ppDisp = value.v.pdispVal;
    VariantInit(&value.v);
    return S_OK;
}

HRESULT CDispCmd::PutText(LPCOLESTR szName, const char* szText) {
    if (szText == nullptr || *szText == '\0') {
        return S_OK;
    }
    // The whole text is converted: a fixed conversion buffer would cut long appointment bodies.
    const std::u16string wide = ansiToUtf16(szText);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (value.bstrVal == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = PutProperty(szName, &value);
    SysFreeString(value.bstrVal);
    return hr;
}

HRESULT CDispCmd::PutLong(LPCOLESTR szName, LONG nValue) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = nValue;
    return PutProperty(szName, &value);
}

HRESULT CDispCmd::PutBool(LPCOLESTR szName, BYTE bValue) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BOOL;
    value.boolVal = static_cast<VARIANT_BOOL>(bValue);
    return PutProperty(szName, &value);
}

HRESULT CDispCmd::PutDate(LPCOLESTR szName, double dValue) {
    // A zero date stands for "no date" and is never written.
    if (dValue > -0.00001 && dValue < 0.00001) {
        return S_OK;
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_DATE;
    value.date = dValue;
    return PutProperty(szName, &value);
}

} // namespace twinleaf

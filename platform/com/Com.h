// The part of COM and OLE Automation that late-bound callers use: HRESULT codes, GUIDs,
// IUnknown and IDispatch, automation strings (BSTR), VARIANTs and DISPPARAMS, under their Windows
// names so that code written against Automation reads as it would on Windows.
//
// Reproduced from Windows: the HRESULT values, the interface method order and signatures, BSTRs
// carrying their length in front of the characters (a null BSTR is the empty string), arguments
// in DISPPARAMS in reverse order, and VariantClear releasing what a VARIANT owns. Not
// reproduced: apartments, marshalling, type information and the other VARIANT types; nothing
// here crosses a process boundary.
//
// OLECHAR is a UTF-16 unit (char16_t), as on Windows, so member names are u"..." literals.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace twinleaf::win {

using HRESULT = std::int32_t;
using SCODE = std::int32_t;
using ULONG = std::uint32_t;
using LCID = std::uint32_t;
using DISPID = std::int32_t;
using VARTYPE = std::uint16_t;
using VARIANT_BOOL = std::int16_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

constexpr HRESULT hresult(std::uint32_t code) {
    return static_cast<HRESULT>(code);
}

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = hresult(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = hresult(0x80004002);
inline constexpr HRESULT E_POINTER = hresult(0x80004003);
inline constexpr HRESULT E_FAIL = hresult(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = hresult(0x8000FFFF);
inline constexpr HRESULT E_ACCESSDENIED = hresult(0x80070005);
inline constexpr HRESULT E_OUTOFMEMORY = hresult(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = hresult(0x80070057);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = hresult(0x80040110);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = hresult(0x80040154);
inline constexpr HRESULT CO_E_CLASSSTRING = hresult(0x800401F3);
inline constexpr HRESULT CO_E_SERVER_EXEC_FAILURE = hresult(0x80080005);
inline constexpr HRESULT STG_E_WRITEFAULT = hresult(0x8003001D);
inline constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hresult(0x80020001);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = hresult(0x80020003);
inline constexpr HRESULT DISP_E_PARAMNOTFOUND = hresult(0x80020004);
inline constexpr HRESULT DISP_E_TYPEMISMATCH = hresult(0x80020005);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = hresult(0x80020006);
inline constexpr HRESULT DISP_E_NONAMEDARGS = hresult(0x80020007);
inline constexpr HRESULT DISP_E_BADVARTYPE = hresult(0x80020008);
inline constexpr HRESULT DISP_E_EXCEPTION = hresult(0x80020009);
inline constexpr HRESULT DISP_E_BADINDEX = hresult(0x8002000B);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = hresult(0x8002000E);
inline constexpr HRESULT DISP_E_PARAMNOTOPTIONAL = hresult(0x8002000F);

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_IUnknown = {0x00000000, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IDispatch = {0x00020400, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_IRunnableObject = {0x00000126, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

inline constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
inline constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;

inline constexpr WORD DISPATCH_METHOD = 1;
inline constexpr WORD DISPATCH_PROPERTYGET = 2;
inline constexpr WORD DISPATCH_PROPERTYPUT = 4;
inline constexpr WORD DISPATCH_PROPERTYPUTREF = 8;

inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr DISPID DISPID_PROPERTYPUT = -3;

inline constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
inline constexpr DWORD CLSCTX_INPROC_HANDLER = 0x2;
inline constexpr DWORD CLSCTX_LOCAL_SERVER = 0x4;
inline constexpr DWORD CLSCTX_REMOTE_SERVER = 0x10;
inline constexpr DWORD CLSCTX_SERVER =
    CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R8 = 5,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_UNKNOWN = 13,
};

inline constexpr VARIANT_BOOL VARIANT_TRUE = -1;
inline constexpr VARIANT_BOOL VARIANT_FALSE = 0;

// The interfaces carry a protected destructor: objects are destroyed by their last Release, never
// through an interface pointer.
struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    IUnknown() = default;
    IUnknown(const IUnknown&) = default;
    IUnknown& operator=(const IUnknown&) = default;
    ~IUnknown() = default;
};

struct VARIANT;
using VARIANTARG = VARIANT;

struct DISPPARAMS {
    VARIANTARG* rgvarg;        // the arguments, last argument first
    DISPID* rgdispidNamedArgs; // ids of the first cNamedArgs entries of rgvarg
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    void* pfnDeferredFillIn;
    SCODE scode;
};

struct IDispatch : IUnknown {
    virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                                  DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) = 0;

protected:
    IDispatch() = default;
    IDispatch(const IDispatch&) = default;
    IDispatch& operator=(const IDispatch&) = default;
    ~IDispatch() = default;
};

// What OleRun asks a freshly created object to do: start whatever it stands for.
struct IBindCtx;
struct IRunnableObject : IUnknown {
    virtual HRESULT Run(IBindCtx* context) = 0;
    virtual BOOL IsRunning() = 0;

protected:
    IRunnableObject() = default;
    IRunnableObject(const IRunnableObject&) = default;
    IRunnableObject& operator=(const IRunnableObject&) = default;
    ~IRunnableObject() = default;
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONG lVal;
        SHORT iVal;
        double dblVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
    };
};

// Automation strings. The length (in bytes, as Windows keeps it) is stored in front of the
// characters and a terminator follows them, so a BSTR can be read as a plain zero-terminated
// string as well. SysFreeString(nullptr) does nothing.
BSTR SysAllocString(LPCOLESTR text);
BSTR SysAllocStringLen(LPCOLESTR text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);

void VariantInit(VARIANT* variant);
// Releases the string or object the variant holds and leaves it VT_EMPTY.
HRESULT VariantClear(VARIANT* variant);
// Clears `destination`, then makes it a copy of `source` that owns its own string or reference.
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);

// Process-wide counters standing in for the apartment initialisation. Nothing else depends on
// them: the class table works whether or not a caller initialised COM.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Owns one BSTR for a scope, for code of our own that needs a string only briefly.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::u16string_view text);
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    Bstr(Bstr&& other) noexcept : m_text(other.release()) {}
    Bstr& operator=(Bstr&& other) noexcept;
    BSTR get() const { return m_text; }
    BSTR release();
    std::u16string_view view() const { return {m_text ? m_text : u"", SysStringLen(m_text)}; }

private:
    BSTR m_text = nullptr;
};

// The text of a BSTR without taking it over; a null BSTR is empty.
inline std::u16string_view bstrView(BSTR text) {
    return {text ? text : u"", SysStringLen(text)};
}

} // namespace twinleaf::win

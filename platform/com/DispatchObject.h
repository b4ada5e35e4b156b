// The base of our own automation objects (the Outlook stand-in's application, folders, items):
// reference counting, QueryInterface for IUnknown and IDispatch, member lookup by name and the
// checks every Invoke makes, so that each object only says which members it has and what they do.
//
// Automation compares member names without regard to case ("getfirst" finds "GetFirst"); an
// unknown name fails GetIDsOfNames with DISP_E_UNKNOWNNAME, as a real server does for a property
// it lacks. Property gets are accepted with DISPATCH_PROPERTYGET or, without arguments, with
// DISPATCH_METHOD, as Visual Basic callers send both.
#pragma once

#include "platform/com/Com.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::win {

bool equalNamesIgnoringCase(std::u16string_view left, std::u16string_view right);

// Member names and their ids, looked up without regard to case. A load asks for every property
// of every item by name, so a lookup is one hash of the name and, as a rule, one comparison.
class MemberTable {
public:
    MemberTable() = default;
    void add(std::u16string_view name, DISPID id);
    DISPID find(std::u16string_view name) const; // DISPID_UNKNOWN when absent

private:
    struct Member {
        std::u16string name;
        std::size_t hash;
        DISPID id;
    };
    static std::size_t hashOf(std::u16string_view name);
    // The slot of `name`: the one holding it, or the free one where it would go.
    std::size_t slotOf(std::u16string_view name, std::size_t hash) const;
    std::vector<Member> m_members;
    // Open addressing over m_members, at most half full: an index plus one, 0 for a free slot.
    std::vector<std::uint32_t> m_slots;
};

class DispatchObject : public IDispatch {
public:
    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale,
                          DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // Objects of this family alive in the process; tests use it to show nothing leaks.
    static long liveObjects();

protected:
    DispatchObject();
    virtual ~DispatchObject();
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    virtual DISPID memberId(std::u16string_view name) const = 0;
    // `params` is never null here; `result`, when given, has been initialised to VT_EMPTY.
    virtual HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                                 VARIANT* result) = 0;
    // Further interfaces an object offers (already cast); the base adds the reference.
    virtual IUnknown* extraInterface(REFIID /*riid*/) { return nullptr; }

private:
    ULONG m_references = 1;
};

// Checks of a call's shape, each answering the HRESULT a server gives for the mistake.
HRESULT checkMethodCall(WORD flags, const DISPPARAMS& params, UINT required, UINT optional = 0);
bool isPropertyGet(WORD flags, const DISPPARAMS& params);
// The value of a property put: exactly one argument, named DISPID_PROPERTYPUT.
HRESULT propertyPutValue(WORD flags, const DISPPARAMS& params, const VARIANT** value);
// Arguments counted from the left, as the caller wrote them.
const VARIANT& argumentAt(const DISPPARAMS& params, UINT position);

// Reading arguments; false when the value has a type that does not convert.
bool variantToLong(const VARIANT& value, LONG& out); // VT_I4, VT_I2
bool variantToBool(const VARIANT& value, bool& out); // VT_BOOL, VT_I4, VT_I2; non-zero is true
bool variantToDate(const VARIANT& value, DATE& out); // VT_DATE, VT_R8
bool variantToText(const VARIANT& value, std::u16string& out); // VT_BSTR; VT_EMPTY, VT_NULL: ""

// Results. A null `result` means the caller does not want the value; returnObject then releases
// the object it was handed.
HRESULT returnText(VARIANT* result, std::u16string_view text);
HRESULT returnLong(VARIANT* result, LONG value);
HRESULT returnBool(VARIANT* result, bool value);
HRESULT returnDate(VARIANT* result, DATE value);
HRESULT returnObject(VARIANT* result, IDispatch* adopted);

} // namespace twinleaf::win

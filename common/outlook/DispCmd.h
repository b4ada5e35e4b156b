// CDispCmd: the one door through which the program talks to Outlook. It wraps one late-bound
// automation object and turns a member name into the two automation steps (name lookup, then
// invocation), with typed readers and writers that convert between the program's 8-bit ANSI
// texts and automation strings and check the type of every value that comes back.
//
// Every operation returns a status: negative is the failing HRESULT of the call, 0 success, 1 a
// call that worked but gave nothing usable (a value of another type, a missing output pointer).
// The writers never send an empty text or a zero date, so a value cleared on the Palm side never
// clears the Outlook property; readers leave their output untouched unless they succeed.
#pragma once

#include "platform/com/Com.h"

namespace twinleaf {

// A member of an automation object: by name, looked up on every call, or by the id a lookup gave
// before (an object's ids stay the same for every object of its class).
struct DispMember {
    DispMember(win::LPCOLESTR memberName)
        : name(memberName) {}                          // NOLINT(google-explicit-constructor)
    DispMember(win::DISPID memberId) : id(memberId) {} // NOLINT(google-explicit-constructor)
    win::LPCOLESTR name = nullptr;
    win::DISPID id = win::DISPID_UNKNOWN;
};

class CDispCmd {
public:
    // Adds a reference to pDisp (which may be null); the caller keeps its own.
    explicit CDispCmd(win::IDispatch* pDisp);
    ~CDispCmd();
    CDispCmd(const CDispCmd&) = delete;
    CDispCmd& operator=(const CDispCmd&) = delete;

    win::HRESULT InvokeByName(win::LPCOLESTR szName, win::WORD wFlags, win::DISPPARAMS* pParams,
                              win::VARIANT* pResult);
    win::HRESULT InvokeById(win::DISPID id, win::WORD wFlags, win::DISPPARAMS* pParams,
                            win::VARIANT* pResult);
    // The id of a member, for calls by id; DISPID_UNKNOWN and the failure when there is none.
    win::HRESULT GetMemberId(win::LPCOLESTR szName, win::DISPID* pId);
    // Arguments are given last first, as DISPPARAMS keeps them. The program always calls with
    // DISPATCH_METHOD and no named arguments.
    win::HRESULT CallMethod(win::LPCOLESTR szName, win::VARIANT* pArgs, win::UINT nArgs,
                            win::VARIANT* pResult, win::WORD wFlags = win::DISPATCH_METHOD,
                            win::DISPID* pNamedArgs = nullptr, win::UINT nNamedArgs = 0);
    win::HRESULT GetProperty(DispMember member, win::VARIANT* pResult);
    win::HRESULT PutProperty(win::LPCOLESTR szName, win::VARIANT* pValue);

    // Reads a string property into szBuf, cut to nSize - 1 bytes and always terminated.
    win::HRESULT GetText(DispMember member, char* szBuf, int nSize);
    win::HRESULT GetLong(DispMember member, win::LONG* pValue);
    // Stores 1 for a true boolean, 0 for false.
    win::HRESULT GetBool(DispMember member, win::BYTE* pValue);
    win::HRESULT GetDate(DispMember member, double* pValue);
    // Clears *ppDisp first; on success the caller owns the reference it receives.
    win::HRESULT GetObject(win::LPCOLESTR szName, win::IDispatch** ppDisp);

    win::HRESULT PutText(win::LPCOLESTR szName, const char* szText);
    win::HRESULT PutLong(win::LPCOLESTR szName, win::LONG nValue);
    // Sends the byte itself (0 or 1) as the boolean, not the all-ones true.
    win::HRESULT PutBool(win::LPCOLESTR szName, win::BYTE bValue);
    win::HRESULT PutDate(win::LPCOLESTR szName, double dValue);

    // The wrapped reference, without adding one.
    win::IDispatch* GetDispatch() const { return m_pDisp; }

private:
    win::IDispatch* m_pDisp;
};

} // namespace twinleaf

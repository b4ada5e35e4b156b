#include "platform/com/ClassTable.h"
#include "platform/com/DispatchObject.h"

#include <gtest/gtest.h>

namespace twinleaf::win {
namespace {

// A small server: one read-write text property "Label", one method "Twice" taking an integer,
// and a switch that makes it refuse to start.
class Counter final : public DispatchObject, public IRunnableObject {
public:
    explicit Counter(bool startFails = false) : m_startFails(startFails) {
        m_members.add(u"Label", 1);
        m_members.add(u"Twice", 2);
    }
    HRESULT QueryInterface(REFIID riid, void** object) override {
        return DispatchObject::QueryInterface(riid, object);
    }
    ULONG AddRef() override { return DispatchObject::AddRef(); }
    ULONG Release() override { return DispatchObject::Release(); }
    HRESULT Run(IBindCtx* /*context*/) override {
        m_running = !m_startFails;
        return m_startFails ? E_FAIL : S_OK;
    }
    BOOL IsRunning() override { return m_running; }

protected:
    DISPID memberId(std::u16string_view name) const override { return m_members.find(name); }
    IUnknown* extraInterface(REFIID riid) override {
        return riid == IID_IRunnableObject ? static_cast<IRunnableObject*>(this) : nullptr;
    }
    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        if (member == 1) {
            if (isPropertyGet(flags, params)) {
                return returnText(result, m_label);
            }
            const VARIANT* value = nullptr;
            HRESULT hr = propertyPutValue(flags, params, &value);
            if (FAILED(hr)) {
                return hr;
            }
            return variantToText(*value, m_label) ? S_OK : DISP_E_TYPEMISMATCH;
        }
        if (member == 2) {
            HRESULT hr = checkMethodCall(flags, params, 1);
            LONG number = 0;
            if (SUCCEEDED(hr) && !variantToLong(argumentAt(params, 0), number)) {
                hr = DISP_E_TYPEMISMATCH;
            }
            return SUCCEEDED(hr) ? returnLong(result, number * 2) : hr;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    MemberTable m_members;
    std::u16string m_label;
    bool m_startFails;
    bool m_running = false;
};

constexpr CLSID kCounterClass = {0x12345678, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};

ClassRegistration counterClass(bool startFails) {
    return {u"Test.Counter", kCounterClass, [startFails](REFIID riid, void** object) {
                auto* counter = new Counter(startFails);
                const HRESULT hr = counter->QueryInterface(riid, object);
                counter->Release();
                return hr;
            }};
}

DISPID idOf(IDispatch* object, const char16_t* name, HRESULT* hr = nullptr) {
    std::u16string copy(name);
    LPOLESTR names[] = {copy.data()};
    DISPID id = 0;
    const HRESULT result = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (hr != nullptr) {
        *hr = result;
    }
    return id;
}

TEST(Com, BstrKeepsItsLengthAndANullBstrIsEmpty) {
    BSTR text = SysAllocString(u"K\u00f6ln");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 4u);
    EXPECT_EQ(bstrView(text), u"K\u00f6ln");
    SysFreeString(text);
    BSTR withZero = SysAllocStringLen(u"a\0b", 3);
    EXPECT_EQ(SysStringLen(withZero), 3u);
    SysFreeString(withZero);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(bstrView(nullptr), u"");
    SysFreeString(nullptr);
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
}

TEST(Com, VariantCopyOwnsItsStringAndObjectReference) {
    const long before = DispatchObject::liveObjects();
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"copy me");
    VARIANT copy;
    VariantInit(&copy);
    ASSERT_EQ(VariantCopy(&copy, &text), S_OK);
    EXPECT_NE(copy.bstrVal, text.bstrVal);
    VariantClear(&text);
    EXPECT_EQ(bstrView(copy.bstrVal), u"copy me");

    VARIANT object;
    VariantInit(&object);
    object.vt = VT_DISPATCH;
    object.pdispVal = new Counter;
    ASSERT_EQ(VariantCopy(&copy, &object), S_OK); // clears the string it held first
    EXPECT_EQ(copy.vt, VT_DISPATCH);
    VariantClear(&object);
    EXPECT_EQ(DispatchObject::liveObjects(), before + 1);
    VariantClear(&copy);
    EXPECT_EQ(copy.vt, VT_EMPTY);
    EXPECT_EQ(DispatchObject::liveObjects(), before);
}

TEST(Com, CreatesRegisteredClassesByProgIdAndRunsThem) {
    ScopedClassRegistration registration(counterClass(false));
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"test.COUNTER", &clsid), S_OK);
    EXPECT_EQ(clsid, kCounterClass);
    IUnknown* unknown = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&unknown)),
              S_OK);
    EXPECT_EQ(OleRun(unknown), S_OK);
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    void* nothing = &clsid;
    EXPECT_EQ(unknown->QueryInterface(IID_NULL, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);
    dispatch->Release();
    EXPECT_EQ(unknown->Release(), 0u);
}

TEST(Com, ReportsMissingClassesAndFailedStarts) {
    CLSID clsid{};
    {
        ScopedClassRegistration hidden({u"Test.Counter", kCounterClass, nullptr});
        EXPECT_EQ(CLSIDFromProgID(u"Test.Counter", &clsid), CO_E_CLASSSTRING);
        void* object = &clsid;
        EXPECT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
                  REGDB_E_CLASSNOTREG);
        EXPECT_EQ(object, nullptr);
    }
    ScopedClassRegistration failing(counterClass(true));
    IUnknown* unknown = nullptr;
    ASSERT_EQ(CoCreateInstance(kCounterClass, nullptr, CLSCTX_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&unknown)),
              S_OK);
    EXPECT_EQ(OleRun(unknown), E_FAIL);
    unknown->Release();
    Counter* notRegistered = new Counter;
    EXPECT_EQ(CoCreateInstance(kCounterClass, static_cast<IDispatch*>(notRegistered), CLSCTX_SERVER,
                               IID_IUnknown, reinterpret_cast<void**>(&unknown)),
              CLASS_E_NOAGGREGATION);
    notRegistered->Release();
}

TEST(Com, ScopedRegistrationPutsBackWhatWasThere) {
    ClassTable::add(counterClass(false));
    {
        ScopedClassRegistration hidden({u"Test.Counter", kCounterClass, nullptr});
        EXPECT_FALSE(ClassTable::find(u"Test.Counter"));
    }
    EXPECT_TRUE(ClassTable::find(u"Test.Counter"));
    EXPECT_TRUE(ClassTable::remove(u"Test.Counter"));
    EXPECT_FALSE(ClassTable::find(kCounterClass));
}

TEST(Com, DispatchChecksNamesAndTheShapeOfEachCall) {
    Counter* counter = new Counter;
    HRESULT hr = S_OK;
    EXPECT_EQ(idOf(counter, u"label"), 1);
    EXPECT_EQ(idOf(counter, u"Colour", &hr), DISPID_UNKNOWN);
    EXPECT_EQ(hr, DISP_E_UNKNOWNNAME);

    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(u"Stra\u00dfe");
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS put{&value, &named, 1, 1};
    EXPECT_EQ(
        counter->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr),
        S_OK);
    DISPPARAMS unnamedPut{&value, nullptr, 1, 0};
    EXPECT_EQ(counter->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYPUT, &unnamedPut, nullptr, nullptr,
                              nullptr),
              DISP_E_PARAMNOTFOUND);
    VariantClear(&value);

    VARIANT result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    ASSERT_EQ(
        counter->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(bstrView(result.bstrVal), u"Stra\u00dfe");
    VariantClear(&result);

    struct Case {
        const char* name;
        WORD flags;
        UINT count;
        VARTYPE type;
        HRESULT expected;
    };
    const Case cases[] = {
        {"method with its argument", DISPATCH_METHOD, 1, VT_I4, S_OK},
        {"missing argument", DISPATCH_METHOD, 0, VT_I4, DISP_E_PARAMNOTOPTIONAL},
        {"one argument too many", DISPATCH_METHOD, 2, VT_I4, DISP_E_BADPARAMCOUNT},
        {"text where a number belongs", DISPATCH_METHOD, 1, VT_BSTR, DISP_E_TYPEMISMATCH},
        {"method called as a property", DISPATCH_PROPERTYGET, 1, VT_I4, DISP_E_MEMBERNOTFOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        VARIANT arguments[2];
        for (VARIANT& argument : arguments) {
            VariantInit(&argument);
            argument.vt = c.type;
            argument.lVal = 21;
            if (c.type == VT_BSTR) {
                argument.bstrVal = SysAllocString(u"21");
            }
        }
        DISPPARAMS call{arguments, nullptr, c.count, 0};
        VARIANT answer;
        EXPECT_EQ(counter->Invoke(2, IID_NULL, 0, c.flags, &call, &answer, nullptr, nullptr),
                  c.expected);
        if (c.expected == S_OK) {
            EXPECT_EQ(answer.vt, VT_I4);
            EXPECT_EQ(answer.lVal, 42);
        }
        for (VARIANT& argument : arguments) {
            VariantClear(&argument);
        }
    }
    EXPECT_EQ(counter->Invoke(1, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr,
                              nullptr),
              DISP_E_UNKNOWNINTERFACE);
    counter->Release();
}

} // namespace
} // namespace twinleaf::win

// Calling automation objects by member name in tests, without the Outlook access layer.
#pragma once

#include "platform/com/Com.h"

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

namespace twinleaf::test {

// Owns a VARIANT for a test's scope.
struct Value {
    win::VARIANT v;
    Value() { win::VariantInit(&v); }
    ~Value() { win::VariantClear(&v); }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    static win::VARIANT longValue(win::LONG number) {
        win::VARIANT value;
        win::VariantInit(&value);
        value.vt = win::VT_I4;
        value.lVal = number;
        return value;
    }
    static win::VARIANT dateValue(double date) {
        win::VARIANT value;
        win::VariantInit(&value);
        value.vt = win::VT_DATE;
        value.date = date;
        return value;
    }
    // The caller clears it.
    static win::VARIANT textValue(std::u16string_view text) {
        win::VARIANT value;
        win::VariantInit(&value);
        value.vt = win::VT_BSTR;
        value.bstrVal = win::SysAllocStringLen(text.data(), static_cast<win::UINT>(text.size()));
        return value;
    }
};

inline win::HRESULT idOf(win::IDispatch* object, std::u16string_view name, win::DISPID& id) {
    std::u16string copy(name);
    win::LPOLESTR names[] = {copy.data()};
    return object->GetIDsOfNames(win::IID_NULL, names, 1, win::LOCALE_USER_DEFAULT, &id);
}

// Calls a method with its arguments in the order written; the arguments are cleared.
inline win::HRESULT callMethod(win::IDispatch* object, std::u16string_view name,
                               std::initializer_list<win::VARIANT> arguments, Value* result) {
    win::DISPID id = 0;
    win::HRESULT hr = idOf(object, name, id);
    std::vector<win::VARIANT> reversed(arguments.begin(), arguments.end());
    std::reverse(reversed.begin(), reversed.end());
    if (win::SUCCEEDED(hr)) {
        win::DISPPARAMS params{reversed.data(), nullptr, static_cast<win::UINT>(reversed.size()),
                               0};
        hr = object->Invoke(id, win::IID_NULL, win::LOCALE_SYSTEM_DEFAULT, win::DISPATCH_METHOD,
                            &params, result ? &result->v : nullptr, nullptr, nullptr);
    }
    for (win::VARIANT& argument : reversed) {
        win::VariantClear(&argument);
    }
    return hr;
}

inline win::HRESULT getProperty(win::IDispatch* object, std::u16string_view name, Value& result) {
    win::DISPID id = 0;
    win::HRESULT hr = idOf(object, name, id);
    if (win::SUCCEEDED(hr)) {
        win::DISPPARAMS none{nullptr, nullptr, 0, 0};
        hr = object->Invoke(id, win::IID_NULL, win::LOCALE_SYSTEM_DEFAULT,
                            win::DISPATCH_PROPERTYGET, &none, &result.v, nullptr, nullptr);
    }
    return hr;
}

// Puts a value; the value is cleared.
inline win::HRESULT putProperty(win::IDispatch* object, std::u16string_view name,
                                win::VARIANT value) {
    win::DISPID id = 0;
    win::HRESULT hr = idOf(object, name, id);
    if (win::SUCCEEDED(hr)) {
        win::DISPID named = win::DISPID_PROPERTYPUT;
        win::DISPPARAMS params{&value, &named, 1, 1};
        hr = object->Invoke(id, win::IID_NULL, win::LOCALE_SYSTEM_DEFAULT,
                            win::DISPATCH_PROPERTYPUT, &params, nullptr, nullptr, nullptr);
    }
    win::VariantClear(&value);
    return hr;
}

// Takes the object out of a result, leaving the result empty; the caller releases it.
inline win::IDispatch* takeObject(Value& result) {
    if (result.v.vt != win::VT_DISPATCH) {
        return nullptr;
    }
    win::IDispatch* object = result.v.pdispVal;
    win::VariantInit(&result.v);
    return object;
}

} // namespace twinleaf::test

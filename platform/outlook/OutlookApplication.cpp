// The automation objects of the Outlook stand-in.
#include "platform/outlook/OutlookApplication.h"

#include "platform/codepage/Codepage.h"
#include "platform/com/ClassTable.h"
#include "platform/com/DispatchObject.h"
#include "platform/outlook/OutlookStore.h"

#include <cmath>
#include <map>
#include <memory>

namespace twinleaf::outlook {
namespace {

using namespace twinleaf::win;

// Outlook shows "no date" as 1 January 4501; a caller that sends that date clears the value.
constexpr double kOutlookNoDate = 949998.0;

// Outlook's error for a store it cannot open: the server did not start.
constexpr HRESULT kCannotStart = CO_E_SERVER_EXEC_FAILURE;

std::u16string wide(std::string_view ascii) {
    return utf8ToUtf16(ascii);
}

class OutlookItem;

// Members of items and recurrence patterns: properties get ids from their place in the kind's
// table, methods ids of their own.
constexpr DISPID kSave = 0x10000;
constexpr DISPID kGetRecurrencePattern = 0x10001;
constexpr DISPID kClass = 0x10002;

// OlObjectClass: what "Class" answers for an item of the kind.
LONG objectClassOf(ItemType type) {
    switch (type) {
    case ItemType::Appointment:
        return 26;
    case ItemType::Contact:
        return 40;
    case ItemType::Task:
        return 48;
    case ItemType::Note:
        return 44;
    }
    return 0;
}

const MemberTable& membersOf(const ItemKind& kind, PropertyScope scope) {
    static std::map<std::pair<const ItemKind*, PropertyScope>, MemberTable> tables;
    const auto [entry, isNew] = tables.try_emplace({&kind, scope});
    MemberTable& table = entry->second;
    if (isNew) {
        for (std::size_t i = 0; i < kind.properties.size(); ++i) {
            if (kind.properties[i].scope == scope) {
                table.add(wide(kind.properties[i].name), static_cast<DISPID>(i + 1));
            }
        }
        if (scope == PropertyScope::Item) {
            table.add(u"Save", kSave);
            table.add(u"Class", kClass);
            if (kind.type == ItemType::Appointment) {
                table.add(u"GetRecurrencePattern", kGetRecurrencePattern);
            }
        }
    }
    return table;
}

class RecurrencePattern final : public DispatchObject {
public:
    explicit RecurrencePattern(OutlookItem* item);
    ~RecurrencePattern() override;

protected:
    DISPID memberId(std::u16string_view name) const override;
    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override;

private:
    OutlookItem* m_item;
};

class OutlookItem final : public DispatchObject {
public:
    // A stored item, or a new one when `stored` is null.
    OutlookItem(std::shared_ptr<Store> store, StoreFolder* folder,
                std::shared_ptr<const StoredItem> stored)
        : m_store(std::move(store)), m_folder(folder), m_stored(std::move(stored)) {
        if (!m_stored) {
            m_working = std::make_unique<StoredItem>();
            m_working->kind = &m_folder->kind();
            m_working->values = initialValues(m_folder->kind());
        }
    }

    const ItemKind& kind() const { return m_folder->kind(); }

    // Reads or writes one property of the given scope; `member` is its id.
    HRESULT property(DISPID member, PropertyScope scope, WORD flags, const DISPPARAMS& params,
                     VARIANT* result) {
        const std::size_t index = static_cast<std::size_t>(member - 1);
        if (member < 1 || index >= kind().properties.size() ||
            kind().properties[index].scope != scope) {
            return DISP_E_MEMBERNOTFOUND;
        }
        const PropertyDef& def = kind().properties[index];
        if (isPropertyGet(flags, params)) {
            return get(index, def, result);
        }
        const VARIANT* value = nullptr;
        const HRESULT hr = propertyPutValue(flags, params, &value);
        if (FAILED(hr)) {
            return hr;
        }
        if (def.readOnly) {
            return DISP_E_MEMBERNOTFOUND;
        }
        return put(index, def, *value);
    }

protected:
    DISPID memberId(std::u16string_view name) const override {
        return membersOf(kind(), PropertyScope::Item).find(name);
    }

    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        if (member == kSave) {
            const HRESULT hr = checkMethodCall(flags, params, 0);
            return FAILED(hr) ? hr : save();
        }
        if (member == kGetRecurrencePattern && kind().type == ItemType::Appointment) {
            const HRESULT hr = checkMethodCall(flags, params, 0);
            return FAILED(hr) ? hr : returnObject(result, new RecurrencePattern(this));
        }
        if (member == kClass) {
            // Read-only, as Outlook's is.
            return isPropertyGet(flags, params) ? returnLong(result, objectClassOf(kind().type))
                                                : DISP_E_MEMBERNOTFOUND;
        }
        return property(member, PropertyScope::Item, flags, params, result);
    }

private:
    const StoredItem& current() const { return m_working ? *m_working : *m_stored; }

    StoredItem& changing() {
        if (!m_working) {
            m_working = std::make_unique<StoredItem>(*m_stored);
        }
        return *m_working;
    }

    HRESULT get(std::size_t index, const PropertyDef& def, VARIANT* result) const {
        const std::string_view name = def.name;
        if (kind().type == ItemType::Note && name == "Saved") {
            return returnBool(result, m_stored && !m_working);
        }
        if (kind().type == ItemType::Note && name == "Subject") {
            // Outlook titles a note with the first line of its text.
            const std::string_view body = current().value("Body").text;
            return returnText(result, utf8ToUtf16(body.substr(0, body.find_first_of("\r\n"))));
        }
        const PropertyValue& value = current().values[index];
        switch (def.type) {
        case PropertyType::Text:
            return returnText(result, utf8ToUtf16(value.text));
        case PropertyType::Long:
            return returnLong(result, static_cast<LONG>(value.number));
        case PropertyType::Bool:
            return returnBool(result, value.number != 0);
        case PropertyType::Date:
            return returnDate(result, value.number);
        }
        return E_UNEXPECTED;
    }

    HRESULT put(std::size_t index, const PropertyDef& def, const VARIANT& value) {
        PropertyValue converted;
        switch (def.type) {
        case PropertyType::Text: {
            std::u16string text;
            if (!variantToText(value, text)) {
                return DISP_E_TYPEMISMATCH;
            }
            converted.text = utf16ToUtf8(text);
            break;
        }
        case PropertyType::Long: {
            LONG number = 0;
            if (!variantToLong(value, number)) {
                return DISP_E_TYPEMISMATCH;
            }
            converted.number = number;
            break;
        }
        case PropertyType::Bool: {
            bool flag = false;
            if (!variantToBool(value, flag)) {
                return DISP_E_TYPEMISMATCH;
            }
            converted.number = flag ? 1 : 0;
            break;
        }
        case PropertyType::Date: {
            DATE date = 0;
            if (!variantToDate(value, date) || !std::isfinite(date)) {
                return DISP_E_TYPEMISMATCH;
            }
            converted.number = date == kOutlookNoDate ? 0 : date;
            break;
        }
        }
        StoredItem& item = changing();
        item.values[index] = std::move(converted);
        if (def.scope == PropertyScope::Pattern) {
            item.value("IsRecurring").number = 1;
        }
        return S_OK;
    }

    HRESULT save() {
        if (!m_working) {
            return S_OK; // nothing changed since the item was read or last saved
        }
        // Values written back as they were change nothing either: a file another program wrote
        // stays byte for byte as it is rather than being rewritten in our form.
        if (m_stored && m_working->values == m_stored->values) {
            m_working.reset();
            return S_OK;
        }
        std::string error;
        auto stored = m_folder->save(*m_working, error);
        if (!stored) {
            storeWarning(error);
            return STG_E_WRITEFAULT;
        }
        m_stored = std::move(stored);
        m_working.reset();
        return S_OK;
    }

    std::shared_ptr<Store> m_store; // keeps the folder alive as long as the item
    StoreFolder* m_folder;
    std::shared_ptr<const StoredItem> m_stored;
    std::unique_ptr<StoredItem> m_working;
};

RecurrencePattern::RecurrencePattern(OutlookItem* item) : m_item(item) {
    m_item->AddRef();
}

RecurrencePattern::~RecurrencePattern() {
    m_item->Release();
}

DISPID RecurrencePattern::memberId(std::u16string_view name) const {
    return membersOf(m_item->kind(), PropertyScope::Pattern).find(name);
}

HRESULT RecurrencePattern::invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                                        VARIANT* result) {
    return m_item->property(member, PropertyScope::Pattern, flags, params, result);
}

enum ItemsMember : DISPID { kGetFirst = 1, kGetNext, kItem, kAdd, kCount };

class OutlookItems final : public DispatchObject {
public:
    OutlookItems(std::shared_ptr<Store> store, StoreFolder* folder)
        : m_store(std::move(store)), m_folder(folder) {}

protected:
    DISPID memberId(std::u16string_view name) const override {
        static const MemberTable members = [] {
            MemberTable table;
            table.add(u"GetFirst", kGetFirst);
            table.add(u"GetNext", kGetNext);
            table.add(u"Item", kItem);
            table.add(u"Add", kAdd);
            table.add(u"Count", kCount);
            return table;
        }();
        return members.find(name);
    }

    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        switch (member) {
        case kCount:
            return isPropertyGet(flags, params)
                       ? returnLong(result, static_cast<LONG>(m_folder->size()))
                       : DISP_E_MEMBERNOTFOUND;
        case kGetFirst:
        case kGetNext: {
            const HRESULT hr = checkMethodCall(flags, params, 0);
            if (FAILED(hr)) {
                return hr;
            }
            if (member == kGetFirst) {
                m_next = 0;
                if (std::string error; !m_folder->loadIfReread(error)) {
                    storeWarning("Outlook store: " + error);
                }
            }
            // Past the end the answer is Nothing: an empty object reference.
            return returnObject(result, m_next < m_folder->size() ? itemAt(m_next++) : nullptr);
        }
        case kItem: {
            HRESULT hr = checkMethodCall(flags | DISPATCH_METHOD, params, 1);
            LONG position = 0;
            if (SUCCEEDED(hr) && !variantToLong(argumentAt(params, 0), position)) {
                hr = DISP_E_TYPEMISMATCH;
            }
            if (SUCCEEDED(hr) &&
                (position < 1 || static_cast<std::size_t>(position) > m_folder->size())) {
                hr = DISP_E_BADINDEX;
            }
            return FAILED(hr)
                       ? hr
                       : returnObject(result, itemAt(static_cast<std::size_t>(position - 1)));
        }
        case kAdd: {
            HRESULT hr = checkMethodCall(flags, params, 0, 1);
            LONG type = static_cast<LONG>(m_folder->kind().type);
            if (SUCCEEDED(hr) && params.cArgs == 1 && !variantToLong(argumentAt(params, 0), type)) {
                hr = DISP_E_TYPEMISMATCH;
            }
            // A folder takes only items of its own kind, as Outlook's default folders do.
            if (SUCCEEDED(hr) && type != static_cast<LONG>(m_folder->kind().type)) {
                hr = E_INVALIDARG;
            }
            return FAILED(hr) ? hr
                              : returnObject(result, new OutlookItem(m_store, m_folder, nullptr));
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    IDispatch* itemAt(std::size_t index) {
        return new OutlookItem(m_store, m_folder, m_folder->at(index));
    }

    std::shared_ptr<Store> m_store;
    StoreFolder* m_folder;
    std::size_t m_next = 0;
};

enum FolderMember : DISPID { kName = 1, kItems, kDefaultItemType };

class OutlookFolder final : public DispatchObject {
public:
    OutlookFolder(std::shared_ptr<Store> store, StoreFolder* folder)
        : m_store(std::move(store)), m_folder(folder) {}

protected:
    DISPID memberId(std::u16string_view name) const override {
        static const MemberTable members = [] {
            MemberTable table;
            table.add(u"Name", kName);
            table.add(u"Items", kItems);
            table.add(u"DefaultItemType", kDefaultItemType);
            return table;
        }();
        return members.find(name);
    }

    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        if (!isPropertyGet(flags, params)) {
            return (flags & DISPATCH_PROPERTYPUT) != 0 ? DISP_E_MEMBERNOTFOUND
                                                       : DISP_E_BADPARAMCOUNT;
        }
        switch (member) {
        case kName:
            return returnText(result, wide(m_folder->kind().folderName));
        case kItems:
            return returnObject(result, new OutlookItems(m_store, m_folder));
        case kDefaultItemType:
            return returnLong(result, static_cast<LONG>(m_folder->kind().type));
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    std::shared_ptr<Store> m_store;
    StoreFolder* m_folder;
};

constexpr DISPID kGetDefaultFolder = 1;

class OutlookNameSpace final : public DispatchObject {
public:
    explicit OutlookNameSpace(std::shared_ptr<Store> store) : m_store(std::move(store)) {}

protected:
    DISPID memberId(std::u16string_view name) const override {
        return equalNamesIgnoringCase(name, u"GetDefaultFolder") ? kGetDefaultFolder
                                                                 : DISPID_UNKNOWN;
    }

    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        if (member != kGetDefaultFolder) {
            return DISP_E_MEMBERNOTFOUND;
        }
        HRESULT hr = checkMethodCall(flags, params, 1);
        LONG number = 0;
        if (SUCCEEDED(hr) && !variantToLong(argumentAt(params, 0), number)) {
            hr = DISP_E_TYPEMISMATCH;
        }
        if (FAILED(hr)) {
            return hr;
        }
        const ItemKind* kind = kindForFolder(number);
        if (kind == nullptr) {
            return E_INVALIDARG; // a folder the stand-in does not have (inbox, journal, ...)
        }
        std::string error;
        StoreFolder* folder = m_store->folder(*kind, error);
        if (folder == nullptr) {
            storeWarning(error);
            return E_FAIL;
        }
        return returnObject(result, new OutlookFolder(m_store, folder));
    }

private:
    std::shared_ptr<Store> m_store;
};

constexpr DISPID kGetNameSpace = 1;

class OutlookApplication final : public DispatchObject, public IRunnableObject {
public:
    OutlookApplication() : m_store(std::make_shared<Store>(storeFolder())) {}

    HRESULT QueryInterface(REFIID riid, void** object) override {
        return DispatchObject::QueryInterface(riid, object);
    }
    ULONG AddRef() override { return DispatchObject::AddRef(); }
    ULONG Release() override { return DispatchObject::Release(); }

    HRESULT Run(IBindCtx* /*context*/) override {
        if (m_running) {
            return S_OK;
        }
        std::string error;
        if (!m_store->open(error)) {
            storeWarning(error);
            return kCannotStart;
        }
        m_running = true;
        return S_OK;
    }
    BOOL IsRunning() override { return m_running ? 1 : 0; }

protected:
    DISPID memberId(std::u16string_view name) const override {
        return equalNamesIgnoringCase(name, u"GetNameSpace") ? kGetNameSpace : DISPID_UNKNOWN;
    }

    IUnknown* extraInterface(REFIID riid) override {
        return riid == IID_IRunnableObject ? static_cast<IRunnableObject*>(this) : nullptr;
    }

    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& params,
                         VARIANT* result) override {
        if (member != kGetNameSpace) {
            return DISP_E_MEMBERNOTFOUND;
        }
        HRESULT hr = checkMethodCall(flags, params, 1);
        std::u16string type;
        if (SUCCEEDED(hr) && !variantToText(argumentAt(params, 0), type)) {
            hr = DISP_E_TYPEMISMATCH;
        }
        if (SUCCEEDED(hr) && !equalNamesIgnoringCase(type, u"MAPI")) {
            hr = E_INVALIDARG; // MAPI is the only namespace Outlook has
        }
        // Asking for the namespace starts Outlook if nobody ran it yet.
        if (SUCCEEDED(hr)) {
            hr = Run(nullptr);
        }
        return FAILED(hr) ? hr : returnObject(result, new OutlookNameSpace(m_store));
    }

private:
    std::shared_ptr<Store> m_store;
    bool m_running = false;
};

HRESULT createApplication(REFIID riid, void** object) {
    auto* application = new OutlookApplication;
    const HRESULT hr = application->QueryInterface(riid, object);
    application->Release();
    return hr;
}

} // namespace

void registerOutlookApplication() {
    ClassTable::add({u"Outlook.Application", kOutlookApplicationClass, createApplication});
}

} // namespace twinleaf::outlook

// What the Outlook stand-in's items are made of: the four kinds of item with Outlook's published
// item-type and default-folder numbers, and for each kind the properties it answers by name,
// with their automation types. The store and the automation objects both work from these
// tables, so a property added here is at once readable, writable and kept.
//
// The property names are the ones the Outlook access code calls (some differ from the names in
// Outlook's own type library, e.g. "AssistName" or "BusinessAddressFaxNumber"): a stand-in that
// answered only Outlook's spelling would silently drop those values.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace twinleaf::outlook {

// OlItemType
enum class ItemType : win::LONG { Appointment = 1, Contact = 2, Task = 3, Note = 5 };
// OlDefaultFolders
enum class DefaultFolder : win::LONG { Calendar = 9, Contacts = 10, Notes = 12, Tasks = 13 };

enum class PropertyType { Text, Long, Bool, Date };

// Where a property is reached: on the item, or on the item's recurrence pattern.
enum class PropertyScope { Item, Pattern };

struct PropertyDef {
    const char* name;
    PropertyType type;
    bool readOnly = false;
    PropertyScope scope = PropertyScope::Item;
    double initial = 0; // value of a new item for numbers, booleans and dates
};

struct ItemKind {
    ItemType type;
    DefaultFolder folder;
    const char* folderName;    // the folder's "Name" and its sub-folder in the store
    const char* fileExtension; // ".vcf" or ".ics"
    std::span<const PropertyDef> properties;
    // Index of a property by name, compared without regard to case; -1 when the kind lacks it.
    int find(std::string_view name) const;
    int require(std::string_view name) const; // asserts that the property exists
};

const ItemKind& contactKind();
const ItemKind& appointmentKind();
const ItemKind& taskKind();
const ItemKind& noteKind();
const ItemKind* kindForFolder(win::LONG folderNumber);
const ItemKind* kindForItemType(win::LONG itemType);

// A property's text, UTF-8, held by length. A store holds every property of every item, most of
// them empty: an empty text costs one pointer, where a string would cost four.
class PropertyText {
public:
    PropertyText() = default;
    PropertyText(std::string_view text) { set(text); } // NOLINT(google-explicit-constructor)
    PropertyText(const std::string& text) : PropertyText(std::string_view(text)) {} // NOLINT
    PropertyText(const char* text) : PropertyText(std::string_view(text)) {}        // NOLINT
    PropertyText(const PropertyText& other) { set(other.view()); }
    PropertyText(PropertyText&& other) noexcept = default;
    PropertyText& operator=(const PropertyText& other) {
        if (this != &other) {
            set(other.view());
        }
        return *this;
    }
    PropertyText& operator=(PropertyText&& other) noexcept = default;
    ~PropertyText() = default;

    std::string_view view() const {
        return m_bytes == nullptr ? std::string_view()
                                  : std::string_view(m_bytes.get() + sizeof(std::size_t), size());
    }
    operator std::string_view() const { return view(); } // NOLINT(google-explicit-constructor)
    std::string str() const { return std::string(view()); }
    std::size_t size() const {
        std::size_t length = 0;
        if (m_bytes != nullptr) {
            std::memcpy(&length, m_bytes.get(), sizeof length);
        }
        return length;
    }
    bool empty() const { return m_bytes == nullptr; }
    friend bool operator==(const PropertyText& a, std::string_view b) { return a.view() == b; }

private:
    // The length, then the bytes; nothing for an empty text.
    void set(std::string_view text) {
        std::unique_ptr<char[]> bytes;
        if (!text.empty()) {
            const std::size_t length = text.size();
            bytes = std::make_unique_for_overwrite<char[]>(sizeof length + length);
            std::memcpy(bytes.get(), &length, sizeof length);
            std::memcpy(bytes.get() + sizeof length, text.data(), length);
        }
        m_bytes = std::move(bytes);
    }
    std::unique_ptr<char[]> m_bytes;
};

// One property's value. Texts are UTF-8; numbers, booleans and dates live in `number`.
struct PropertyValue {
    PropertyText text;
    double number = 0;
    friend bool operator==(const PropertyValue&, const PropertyValue&) = default;
};

using PropertyValues = std::vector<PropertyValue>;

// A new item's values: empty texts and each property's initial number.
PropertyValues initialValues(const ItemKind& kind);

} // namespace twinleaf::outlook

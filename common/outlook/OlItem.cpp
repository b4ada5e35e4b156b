// The default folder, the automation steps on items and the property table loops of every kind.
#include "common/outlook/OlItem.h"

#include "platform/Assert.h"

#include <algorithm>
#include <string>

namespace twinleaf {

using namespace win;

namespace {

VARIANT longArgument(LONG value) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = value;
    return argument;
}

// Calls a method that answers an object; null when the call fails or answers none.
std::unique_ptr<CDispCmd> callForObject(CDispCmd& target, LPCOLESTR szMethod,
                                        VARIANT* pArgs = nullptr, UINT nArgs = 0) {
    VARIANT result;
    VariantInit(&result);
    std::unique_ptr<CDispCmd> object;
    if (SUCCEEDED(target.CallMethod(szMethod, pArgs, nArgs, &result)) && result.vt == VT_DISPATCH &&
        result.pdispVal != nullptr) {
        object = std::make_unique<CDispCmd>(result.pdispVal);
    }
    VariantClear(&result);
    return object;
}

// The item's recurrence pattern, asked for on first use and at most once.
class PatternObject {
public:
    explicit PatternObject(CDispCmd& item) : m_item(item) {}
    CDispCmd* get() {
        if (!m_asked) {
            m_asked = true;
            m_pattern = callForObject(m_item, u"GetRecurrencePattern");
        }
        return m_pattern.get();
    }

private:
    CDispCmd& m_item;
    std::unique_ptr<CDispCmd> m_pattern;
    bool m_asked = false;
};

char* fieldAt(void* base, std::size_t offset) {
    return static_cast<char*>(base) + offset;
}
const char* fieldAt(const void* base, std::size_t offset) {
    return static_cast<const char*>(base) + offset;
}

// Whole numbers of the widths records and images use; one byte is unsigned (BYTE), the others
// signed.
std::int64_t loadInteger(const char* field, std::size_t width) {
    switch (width) {
    case 1:
        return static_cast<unsigned char>(*field);
    case 2: {
        std::int16_t value = 0;
        std::memcpy(&value, field, sizeof value);
        return value;
    }
    case 4: {
        std::int32_t value = 0;
        std::memcpy(&value, field, sizeof value);
        return value;
    }
    default: {
        std::int64_t value = 0;
        std::memcpy(&value, field, std::min(width, sizeof value));
        return value;
    }
    }
}

void storeInteger(char* field, std::size_t width, std::int64_t value) {
    switch (width) {
    case 1:
        *field = static_cast<char>(value);
        break;
    case 2: {
        const auto narrow = static_cast<std::int16_t>(value);
        std::memcpy(field, &narrow, sizeof narrow);
        break;
    }
    case 4: {
        const auto narrow = static_cast<std::int32_t>(value);
        std::memcpy(field, &narrow, sizeof narrow);
        break;
    }
    default:
        std::memcpy(field, &value, std::min(width, sizeof value));
        break;
    }
}

double loadDate(const char* field) {
    double value = 0;
    std::memcpy(&value, field, sizeof value);
    return value;
}

// Which way a value goes: an image keeps its texts in fixed fields, a record as TextValues.
enum class Toward : std::uint8_t { Record, Image };

// One value from a field of one struct into its field of the other.
void copyValue(const OlProperty& property, Toward toward, const char* from, std::size_t fromWidth,
               char* to, std::size_t toWidth) {
    switch (property.value) {
    case OlValue::Text:
        if (toward == Toward::Record) {
            TextMemberAt(to, 0).assign(fieldText(from, fromWidth), toWidth);
        } else {
            copyToField(to, toWidth, TextMemberAt(from, 0).view());
        }
        break;
    case OlValue::Long:
        storeInteger(to, toWidth, loadInteger(from, fromWidth));
        break;
    case OlValue::Bool:
        storeInteger(to, toWidth, loadInteger(from, fromWidth) != 0 ? 1 : 0);
        break;
    case OlValue::Date:
        TL_ASSERT(fromWidth == sizeof(DATE) && toWidth == sizeof(DATE));
        std::memcpy(to, from, sizeof(DATE));
        break;
    }
}

bool isAboveZero(const OlProperty& property, const char* field) {
    switch (property.value) {
    case OlValue::Date:
        return loadDate(field) > 1.0;
    case OlValue::Text:
        return *field != '\0';
    case OlValue::Long:
    case OlValue::Bool:
        return loadInteger(field, property.imageWidth) > 0;
    }
    return false;
}

// Whether the item's text already reads back as `text` through the image's field. Texts come to
// us in the ANSI code page and cut to the field, so an item holding a longer text, or characters
// the code page lacks, reads as its cut or `?`-marked form; putting that form back would destroy
// the whole value for nothing, as the record's text cannot be told apart from it.
bool readsAs(CDispCmd& target, const OlProperty& property, const std::string& text) {
    std::string current(property.imageWidth, '\0');
    return target.GetText(property.name, current.data(), static_cast<int>(current.size())) ==
               S_OK &&
           fieldText(current.data(), current.size()) == text;
}

} // namespace

OlFolderUtil::OlFolderUtil(const OlItemKind& kind, const char* szName)
    : OlBaseUtil(szName), m_bFolderOpen(false), m_kind(kind) {}

OlFolderUtil::~OlFolderUtil() = default;

bool OlFolderUtil::Connect() {
    if (!OlBaseUtil::Connect()) {
        return false;
    }
    VARIANT argument = longArgument(m_kind.folder);
    std::unique_ptr<CDispCmd> folder =
        m_pNameSpace != nullptr ? callForObject(*m_pNameSpace, u"GetDefaultFolder", &argument, 1)
                                : nullptr;
    if (folder != nullptr) {
        m_pFolder = std::move(folder);
        m_bFolderOpen = true;
        if (m_kind.folderOpenedLog != nullptr && s_pLog != nullptr) {
            s_pLog->WriteStamped(m_kind.folderOpenedLog);
        }
        return true;
    }
    Disconnect();
    m_bFolderOpen = false;
    return false;
}

void OlFolderUtil::Disconnect() {
    m_memberIds.clear(); // another Outlook may give other ids
    m_pFolder.reset();
    m_bFolderOpen = false;
    OlBaseUtil::Disconnect();
}

bool OlFolderUtil::UsesProperty(const OlProperty& /*property*/, const void* /*pImage*/,
                                OlDirection /*direction*/) const {
    return true;
}

std::unique_ptr<CDispCmd> OlFolderUtil::OpenItems() {
    IDispatch* items = nullptr;
    if (m_pFolder == nullptr || m_pFolder->GetObject(u"Items", &items) != S_OK ||
        items == nullptr) {
        return nullptr;
    }
    auto itemsCmd = std::make_unique<CDispCmd>(items);
    items->Release(); // the CDispCmd holds its own reference
    return itemsCmd;
}

bool OlFolderUtil::EnumerateFolder() {
    char folderName[31] = {};
    m_pFolder->GetText(u"Name", folderName, sizeof folderName);
    const std::unique_ptr<CDispCmd> items = OpenItems();
    if (items == nullptr) {
        if (m_kind.itemsFailedLog != nullptr && s_pLog != nullptr) {
            s_pLog->WriteStamped(m_kind.itemsFailedLog);
        }
        return false;
    }
    for (std::unique_ptr<CDispCmd> item = callForObject(*items, u"GetFirst"); item != nullptr;
         item = callForObject(*items, u"GetNext")) {
        AddFolderItem(*item, folderName);
    }
    return true;
}

std::unique_ptr<CDispCmd> OlFolderUtil::AddNewItem() {
    const std::unique_ptr<CDispCmd> items = OpenItems();
    if (items == nullptr) {
        return nullptr;
    }
    VARIANT argument = longArgument(m_kind.itemType);
    return callForObject(*items, u"Add", &argument, 1);
}

std::unique_ptr<CDispCmd> OlFolderUtil::ItemAt(int nIndex) {
    const std::unique_ptr<CDispCmd> items = OpenItems();
    if (items == nullptr) {
        return nullptr;
    }
    VARIANT argument = longArgument(nIndex + 1);
    return callForObject(*items, u"Item", &argument, 1);
}

const std::vector<DISPID>* OlFolderUtil::MemberIdsOf(CDispCmd& item) {
    LONG objectClass = 0;
    if (item.GetLong(u"Class", &objectClass) != S_OK) {
        return nullptr;
    }
    const auto [entry, isNew] = m_memberIds.try_emplace(objectClass);
    std::vector<DISPID>& ids = entry->second;
    if (isNew) {
        ids.assign(m_kind.properties.size(), DISPID_UNKNOWN);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const OlProperty& property = m_kind.properties[i];
            if (property.name != nullptr && property.scope == OlScope::Item) {
                item.GetMemberId(property.name, &ids[i]);
            }
        }
    }
    return &ids;
}

void OlFolderUtil::ReadProperties(CDispCmd& item, void* pImage) {
    PatternObject pattern(item);
    const std::vector<DISPID>* ids = MemberIdsOf(item);
    for (std::size_t i = 0; i < m_kind.properties.size(); ++i) {
        const OlProperty& property = m_kind.properties[i];
        if (property.name == nullptr || !UsesProperty(property, pImage, OlDirection::Read)) {
            continue;
        }
        const bool onItem = property.scope == OlScope::Item;
        CDispCmd* source = onItem ? &item : pattern.get();
        if (source == nullptr) {
            continue;
        }
        // A name the item's class does not have fails by id as it would by name.
        const DispMember member =
            onItem && ids != nullptr ? DispMember((*ids)[i]) : DispMember(property.name);
        char* field = fieldAt(pImage, property.imageOffset);
        switch (property.value) {
        case OlValue::Text:
            source->GetText(member, field, static_cast<int>(property.imageWidth));
            break;
        case OlValue::Long:
            source->GetLong(member, reinterpret_cast<LONG*>(field));
            break;
        case OlValue::Bool:
            source->GetBool(member, reinterpret_cast<BYTE*>(field));
            break;
        case OlValue::Date:
            source->GetDate(member, reinterpret_cast<double*>(field));
            break;
        }
    }
}

bool OlFolderUtil::WriteProperties(CDispCmd& item, const void* pImage) {
    PatternObject pattern(item);
    for (const OlProperty& property : m_kind.properties) {
        if (property.name == nullptr || (property.flags & kOlReadOnly) != 0 ||
            !UsesProperty(property, pImage, OlDirection::Write)) {
            continue;
        }
        const char* field = fieldAt(pImage, property.imageOffset);
        if ((property.flags & kOlPositiveOnly) != 0 && !isAboveZero(property, field)) {
            continue;
        }
        CDispCmd* target = property.scope == OlScope::Item ? &item : pattern.get();
        if (target == nullptr) {
            continue;
        }
        switch (property.value) {
        case OlValue::Text: {
            // Read within the field even if a stored image lost a terminator.
            const std::string text(fieldText(field, property.imageWidth));
            if (!readsAs(*target, property, text)) {
                target->PutText(property.name, text.c_str());
            }
            break;
        }
        case OlValue::Long:
            target->PutLong(property.name,
                            static_cast<LONG>(loadInteger(field, property.imageWidth)));
            break;
        case OlValue::Bool:
            target->PutBool(property.name, static_cast<BYTE>(*field));
            break;
        case OlValue::Date:
            target->PutDate(property.name, loadDate(field));
            break;
        }
    }
    return SUCCEEDED(item.CallMethod(u"Save", nullptr, 0, nullptr));
}

void OlFolderUtil::PropertiesToRecord(const void* pImage, void* pRec) const {
    for (const OlProperty& property : m_kind.properties) {
        if (property.recordOffset >= 0) {
            copyValue(property, Toward::Record, fieldAt(pImage, property.imageOffset),
                      property.imageWidth,
                      fieldAt(pRec, static_cast<std::size_t>(property.recordOffset)),
                      property.recordWidth);
        }
    }
}

void OlFolderUtil::KeepUnchangedProperties(void* pImage, const void* pStored,
                                           const void* pRewritten) const {
    for (const OlProperty& property : m_kind.properties) {
        char* field = fieldAt(pImage, property.imageOffset);
        const char* rewritten = fieldAt(pRewritten, property.imageOffset);
        const bool same =
            property.value == OlValue::Text
                ? fieldText(field, property.imageWidth) == fieldText(rewritten, property.imageWidth)
                : std::memcmp(field, rewritten, property.imageWidth) == 0;
        if (same) {
            std::memcpy(field, fieldAt(pStored, property.imageOffset), property.imageWidth);
        }
    }
}

void OlFolderUtil::RecordToProperties(const void* pRec, void* pImage) const {
    for (const OlProperty& property : m_kind.properties) {
        if (property.recordOffset >= 0 && (property.flags & kOlReadOnly) == 0) {
            copyValue(property, Toward::Image,
                      fieldAt(pRec, static_cast<std::size_t>(property.recordOffset)),
                      property.recordWidth, fieldAt(pImage, property.imageOffset),
                      property.imageWidth);
        }
    }
}

} // namespace twinleaf

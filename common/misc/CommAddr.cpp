// The common contact record described once: its field table, the descriptor table and field
// texts read off it, and the matching keys.
#include "common/misc/CommAddr.h"

#include "platform/text/FieldText.h"

#include <array>
#include <cstring>

namespace twinleaf {
namespace {

constexpr bool kCompared = true;
constexpr bool kIgnored = false;
constexpr FieldMerge kIfSet = FieldMerge::IfNotEmpty;
constexpr FieldMerge kKeep = FieldMerge::Keep;
constexpr FieldMerge kAlways = FieldMerge::Always;

const char* const kSourceTypeTexts[] = {
    "Palm",     "Palm(4.1.2 and aboves)",
    "Outlook",  "Windows Address Book",
    "MSN",      "ICQ",
    "Yahoo",    "Google",
    "Domino",   "Endora",
    "CSV",      "XML",
    "VCard",    "Database",
    "Rookbook",
};

bool sourceTypeText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    std::int32_t code = 0;
    std::memcpy(&code, member, sizeof code);
    const char* text = SourceTypeText(code);
    if (text == nullptr) {
        return false;
    }
    copyToField(szBuf, nBufLen, text);
    return true;
}

#define TL_ROW(name, kind, compared, merge)                                                        \
    CommField {                                                                                    \
#name, TL_OFFSET_WIDTH(CommAddrRec, name), FieldType::kind, compared, merge, 0, nullptr,   \
            0, nullptr                                                                             \
    }
#define TL_DESC(name, kind, compared, merge, id, displayName, guard, format)                       \
    CommField {                                                                                    \
#name, TL_OFFSET_WIDTH(CommAddrRec, name), FieldType::kind, compared, merge, id,           \
            displayName, guard, format                                                             \
    }

// Compared: the identity fields that decide between "same" and "different" for two matched
// records. Merged: every text but PalmSuffix when the incoming one is not empty, so a merge never
// erases data on the stored side; the birthday always. Descriptor sizes are buffer guards (24 for
// E-Mail, 4096 for Note), not widths. The last two rows carry a descriptor and no member.
const CommField kFields[] = {
    TL_DESC(FirstName, Text, kIgnored, kIfSet, 1, "First Name", 32, nullptr),
    TL_DESC(LastName, Text, kIgnored, kIfSet, 2, "Last Name", 32, nullptr),
    TL_ROW(MiddleName, Text, kIgnored, kIfSet),
    TL_ROW(Suffix, Text, kIgnored, kIfSet),
    TL_ROW(FullName, Text, kIgnored, kIfSet),
    TL_ROW(PalmSuffix, Text, kIgnored, kKeep),
    TL_ROW(Account, Text, kIgnored, kIfSet),
    TL_ROW(Anniversary, Date, kIgnored, kKeep),
    TL_ROW(Initials, Text, kIgnored, kIfSet),
    TL_ROW(Language, Text, kIgnored, kIfSet),
    TL_DESC(WorkStreet, Text, kCompared, kIfSet, 3, "(Work) Street", 256, nullptr),
    TL_DESC(WorkCity, Text, kCompared, kIfSet, 4, "(Work) City", 32, nullptr),
    TL_DESC(WorkState, Text, kCompared, kIfSet, 5, "(Work) State", 32, nullptr),
    TL_DESC(WorkPostal, Text, kCompared, kIfSet, 6, "(Work) Postal", 16, nullptr),
    TL_DESC(WorkCountry, Text, kCompared, kIfSet, 7, "(Work) Country", 32, nullptr),
    TL_DESC(HomeStreet, Text, kCompared, kIfSet, 8, "(Home) Street", 256, nullptr),
    TL_DESC(HomeCity, Text, kCompared, kIfSet, 9, "(Home) City", 32, nullptr),
    TL_DESC(HomeState, Text, kCompared, kIfSet, 10, "(Home) State", 32, nullptr),
    TL_DESC(HomePostal, Text, kCompared, kIfSet, 11, "(Home) Postal", 16, nullptr),
    TL_DESC(HomeCountry, Text, kCompared, kIfSet, 12, "(Home) Country", 32, nullptr),
    TL_DESC(OtherStreet, Text, kCompared, kIfSet, 13, "(Other) Street", 256, nullptr),
    TL_DESC(OtherCity, Text, kCompared, kIfSet, 14, "(Other) City", 32, nullptr),
    TL_DESC(OtherState, Text, kCompared, kIfSet, 15, "(Other) State", 32, nullptr),
    TL_DESC(OtherPostal, Text, kCompared, kIfSet, 16, "(Other) Postal", 16, nullptr),
    TL_DESC(OtherCountry, Text, kCompared, kIfSet, 17, "(Other) Country", 32, nullptr),
    TL_DESC(HomePhone, Text, kCompared, kIfSet, 18, "Home Phone", 24, nullptr),
    TL_DESC(WorkPhone, Text, kCompared, kIfSet, 19, "Work Phone", 24, nullptr),
    TL_DESC(MobilePhone, Text, kCompared, kIfSet, 20, "Mobile Phone", 24, nullptr),
    TL_DESC(MainPhone, Text, kCompared, kIfSet, 22, "Main Phone", 24, nullptr),
    TL_DESC(OtherPhone, Text, kIgnored, kIfSet, 21, "Other Phone", 24, nullptr),
    TL_ROW(RadioPhone, Text, kIgnored, kIfSet),
    TL_ROW(CarPhone, Text, kIgnored, kIfSet),
    TL_ROW(CallbackPhone, Text, kIgnored, kIfSet),
    TL_DESC(EMail, Text, kCompared, kIfSet, 25, "E-Mail", 24, nullptr),
    TL_ROW(EMail2, Text, kIgnored, kIfSet),
    TL_ROW(EMail3, Text, kIgnored, kIfSet),
    TL_DESC(Fax, Text, kCompared, kIfSet, 23, "Fax", 24, nullptr),
    TL_ROW(HomeFax, Text, kCompared, kIfSet),
    TL_DESC(Pager, Text, kIgnored, kIfSet, 24, "Pager", 24, nullptr),
    TL_ROW(EMail1Type, Text, kIgnored, kIfSet),
    TL_ROW(EMail2Type, Text, kIgnored, kIfSet),
    TL_ROW(EMail3Type, Text, kIgnored, kIfSet),
    TL_ROW(EMail1DisplayName, Text, kIgnored, kIfSet),
    TL_ROW(EMail2DisplayName, Text, kIgnored, kIfSet),
    TL_ROW(EMail3DisplayName, Text, kIgnored, kIfSet),
    TL_DESC(Company, Text, kCompared, kIfSet, 37, "Company", 64, nullptr),
    TL_DESC(Title, Text, kCompared, kIfSet, 38, "Title", 32, nullptr),
    TL_ROW(Department, Text, kIgnored, kIfSet),
    TL_ROW(AssistantName, Text, kIgnored, kIfSet),
    TL_ROW(AssistantPhone, Text, kIgnored, kIfSet),
    TL_ROW(Profession, Text, kIgnored, kIfSet),
    TL_ROW(Hobby, Text, kIgnored, kIfSet),
    TL_ROW(NickName, Text, kIgnored, kIfSet),
    TL_ROW(Spouse, Text, kIgnored, kIfSet),
    TL_ROW(ComputerNetworkName, Text, kIgnored, kIfSet),
    TL_ROW(CustomerID, Text, kIgnored, kIfSet),
    TL_ROW(FTPSite, Text, kIgnored, kIfSet),
    TL_ROW(IMAddress, Text, kIgnored, kIfSet),
    TL_ROW(IMAddress2, Text, kIgnored, kIfSet),
    TL_DESC(HomePage, Text, kCompared, kIfSet, 26, "Home Page", 256, nullptr),
    TL_ROW(PersonalHomePage, Text, kIgnored, kIfSet),
    TL_DESC(Note, Text, kCompared, kIfSet, 27, "Note", 4096, nullptr),
    TL_DESC(Custom1, Text, kIgnored, kIfSet, 28, "Custom 1", 64, nullptr),
    TL_DESC(Custom2, Text, kIgnored, kIfSet, 29, "Custom 2", 64, nullptr),
    TL_DESC(Custom3, Text, kIgnored, kIfSet, 30, "Custom 3", 64, nullptr),
    TL_DESC(Custom4, Text, kIgnored, kIfSet, 31, "Custom 4", 64, nullptr),
    TL_DESC(Custom5, Text, kIgnored, kIfSet, 32, "Custom 5", 64, nullptr),
    TL_DESC(Custom6, Text, kIgnored, kIfSet, 33, "Custom 6", 64, nullptr),
    TL_DESC(Custom7, Text, kIgnored, kIfSet, 34, "Custom 7", 64, nullptr),
    TL_DESC(Custom8, Text, kIgnored, kIfSet, 35, "Custom 8", 64, nullptr),
    TL_DESC(Custom9, Text, kIgnored, kIfSet, 36, "Custom 9", 64, nullptr),
    TL_DESC(Category, Text, kIgnored, kIfSet, 39, "Category", 64, nullptr),
    TL_ROW(Birthday, Date, kIgnored, kAlways),
    TL_DESC(CreationTime, Date, kIgnored, kKeep, 40, "CreationTime", 8, nullptr),
    TL_DESC(LastModificationTime, Date, kIgnored, kKeep, 41, "LastModificationTime", 8, nullptr),
    TL_DESC(SourceType, Int32, kIgnored, kKeep, 42, "Source Type", 8, sourceTypeText),
    TL_ROW(CompareStatus, Int32, kIgnored, kKeep),
    TL_ROW(SourceRecordId, UInt32, kIgnored, kKeep),
    TL_ROW(Private, Int32, kIgnored, kKeep),
    CommField{"", 0, 0, FieldType::None, kIgnored, kKeep, 43, "Display Name", 32, nullptr},
    CommField{"", 0, 0, FieldType::None, kIgnored, kKeep, 44, "Account", 32, nullptr},
};

#undef TL_ROW
#undef TL_DESC

constexpr std::size_t kMemberRows = std::size(kFields) - 2;

// The order in which the descriptor table lists the rows: the order the columns were first laid
// out in, which callers that scan the table rely on.
constexpr std::uint32_t kDescOrder[] = {1,  2,  37, 38, 3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                        14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,
                                        29, 30, 31, 32, 33, 34, 35, 36, 39, 40, 41, 42, 43, 44};
constexpr std::uint32_t kLastId = 44;

// The field table's row for each descriptor id, null where there is none.
const std::array<const CommField*, kLastId + 1>& rowsById() {
    static const std::array<const CommField*, kLastId + 1> rows = [] {
        std::array<const CommField*, kLastId + 1> byId{};
        for (const CommField& field : kFields) {
            if (field.descId != 0) {
                byId[field.descId] = &field;
            }
        }
        return byId;
    }();
    return rows;
}

const std::array<AddrFieldDesc, kAddrFieldDescRows>& descTable() {
    static const std::array<AddrFieldDesc, kAddrFieldDescRows> table = [] {
        std::array<AddrFieldDesc, kAddrFieldDescRows> rows{};
        std::size_t row = 0;
        for (std::uint32_t id : kDescOrder) {
            const CommField& field = *rowsById()[id];
            rows[row].nId = id;
            copyToField(rows[row].szName, field.descName);
            rows[row].nSize = field.descSize;
            ++row;
        }
        return rows;
    }();
    return table;
}

} // namespace

std::span<const CommField> AddrFieldLayoutTable() {
    return std::span<const CommField>(kFields, kMemberRows);
}

std::span<const AddrFieldDesc, kAddrFieldDescRows> AddrFieldDescTable() {
    return std::span<const AddrFieldDesc, kAddrFieldDescRows>(descTable());
}

bool FindFieldDesc(std::uint32_t id, AddrFieldDesc* pDesc) {
    if (pDesc == nullptr) {
        return false;
    }
    for (const AddrFieldDesc& row : descTable()) {
        if (row.nId == id) {
            *pDesc = row;
            return true;
        }
    }
    return false;
}

const char* SourceTypeText(std::int32_t sourceType) {
    if (sourceType < 1 || sourceType > static_cast<std::int32_t>(std::size(kSourceTypeTexts))) {
        return nullptr;
    }
    return kSourceTypeTexts[sourceType - 1];
}

bool GetFieldText(const CommAddrRec* pRec, const AddrFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen) {
    if (pRec == nullptr || pField == nullptr || szBuf == nullptr || pField->nSize >= nBufLen) {
        return false;
    }
    szBuf[0] = '\0';
    szBuf[nBufLen - 1] = '\0';
    if (pField->nId > kLastId || rowsById()[pField->nId] == nullptr) {
        return false;
    }
    return FormatField(*rowsById()[pField->nId], pRec, szBuf, nBufLen);
}

std::size_t AddrRecordTraits::Keys(const CommAddrRec& rec, MatchKey* keys) {
    const MatchKey::Part phones[] = {KeyPart(rec.HomePhone), KeyPart(rec.WorkPhone),
                                     KeyPart(rec.MobilePhone), KeyPart(rec.MainPhone)};
    std::size_t count = 0;
    for (std::uint32_t field = 0; field < std::size(phones); ++field) {
        keys[count++] =
            MatchKey{field, 3, {KeyPart(rec.LastName), KeyPart(rec.FirstName), phones[field]}};
    }
    // Two empty addresses are no key.
    if (rec.EMail[0] != '\0') {
        for (std::uint32_t field = 0; field < std::size(phones); ++field) {
            keys[count++] = MatchKey{4 + field, 2, {KeyPart(rec.EMail), phones[field], {}}};
        }
    }
    return count;
}

} // namespace twinleaf

// The common contact record: descriptor table, field texts, the record list and FindMatch.
#include "common/misc/CommAddr.h"

#include "common/misc/CxDateTime.h"
#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>

namespace twinleaf {
namespace {

#define TL_TEXT(name)                                                                              \
    AddrFieldLayout {                                                                              \
#name, offsetof(CommAddrRec, name), sizeof(CommAddrRec::name), AddrFieldKind::Text         \
    }
#define TL_VALUE(name, kind)                                                                       \
    AddrFieldLayout {                                                                              \
#name, offsetof(CommAddrRec, name), sizeof(CommAddrRec::name), kind                        \
    }

const AddrFieldLayout kLayout[] = {
    TL_TEXT(FirstName),
    TL_TEXT(LastName),
    TL_TEXT(MiddleName),
    TL_TEXT(Suffix),
    TL_TEXT(FullName),
    TL_TEXT(PalmSuffix),
    TL_TEXT(Account),
    TL_VALUE(Anniversary, AddrFieldKind::Date),
    TL_TEXT(Initials),
    TL_TEXT(Language),
    TL_TEXT(WorkStreet),
    TL_TEXT(WorkCity),
    TL_TEXT(WorkState),
    TL_TEXT(WorkPostal),
    TL_TEXT(WorkCountry),
    TL_TEXT(HomeStreet),
    TL_TEXT(HomeCity),
    TL_TEXT(HomeState),
    TL_TEXT(HomePostal),
    TL_TEXT(HomeCountry),
    TL_TEXT(OtherStreet),
    TL_TEXT(OtherCity),
    TL_TEXT(OtherState),
    TL_TEXT(OtherPostal),
    TL_TEXT(OtherCountry),
    TL_TEXT(HomePhone),
    TL_TEXT(WorkPhone),
    TL_TEXT(MobilePhone),
    TL_TEXT(MainPhone),
    TL_TEXT(OtherPhone),
    TL_TEXT(RadioPhone),
    TL_TEXT(CarPhone),
    TL_TEXT(CallbackPhone),
    TL_TEXT(EMail),
    TL_TEXT(EMail2),
    TL_TEXT(EMail3),
    TL_TEXT(Fax),
    TL_TEXT(HomeFax),
    TL_TEXT(Pager),
    TL_TEXT(EMail1Type),
    TL_TEXT(EMail2Type),
    TL_TEXT(EMail3Type),
    TL_TEXT(EMail1DisplayName),
    TL_TEXT(EMail2DisplayName),
    TL_TEXT(EMail3DisplayName),
    TL_TEXT(Company),
    TL_TEXT(Title),
    TL_TEXT(Department),
    TL_TEXT(AssistantName),
    TL_TEXT(AssistantPhone),
    TL_TEXT(Profession),
    TL_TEXT(Hobby),
    TL_TEXT(NickName),
    TL_TEXT(Spouse),
    TL_TEXT(ComputerNetworkName),
    TL_TEXT(CustomerID),
    TL_TEXT(FTPSite),
    TL_TEXT(IMAddress),
    TL_TEXT(IMAddress2),
    TL_TEXT(HomePage),
    TL_TEXT(PersonalHomePage),
    TL_TEXT(Note),
    TL_TEXT(Custom1),
    TL_TEXT(Custom2),
    TL_TEXT(Custom3),
    TL_TEXT(Custom4),
    TL_TEXT(Custom5),
    TL_TEXT(Custom6),
    TL_TEXT(Custom7),
    TL_TEXT(Custom8),
    TL_TEXT(Custom9),
    TL_TEXT(Category),
    TL_VALUE(Birthday, AddrFieldKind::Date),
    TL_VALUE(CreationTime, AddrFieldKind::Date),
    TL_VALUE(LastModificationTime, AddrFieldKind::Date),
    TL_VALUE(SourceType, AddrFieldKind::Int32),
    TL_VALUE(CompareStatus, AddrFieldKind::Int32),
    TL_VALUE(SourceRecordId, AddrFieldKind::UInt32),
    TL_VALUE(Private, AddrFieldKind::Int32),
};

constexpr std::array<AddrFieldDesc, kAddrFieldDescRows> makeDescTable() {
    std::array<AddrFieldDesc, kAddrFieldDescRows> table{};
    const AddrFieldDesc filled[] = {
        {1, "First Name", 32},
        {2, "Last Name", 32},
        {37, "Company", 64},
        {38, "Title", 32},
        {3, "(Work) Street", 256},
        {4, "(Work) City", 32},
        {5, "(Work) State", 32},
        {6, "(Work) Postal", 16},
        {7, "(Work) Country", 32},
        {8, "(Home) Street", 256},
        {9, "(Home) City", 32},
        {10, "(Home) State", 32},
        {11, "(Home) Postal", 16},
        {12, "(Home) Country", 32},
        {13, "(Other) Street", 256},
        {14, "(Other) City", 32},
        {15, "(Other) State", 32},
        {16, "(Other) Postal", 16},
        {17, "(Other) Country", 32},
        {18, "Home Phone", 24},
        {19, "Work Phone", 24},
        {20, "Mobile Phone", 24},
        {21, "Other Phone", 24},
        {22, "Main Phone", 24},
        {23, "Fax", 24},
        {24, "Pager", 24},
        {25, "E-Mail", 24},
        {26, "Home Page", 256},
        {27, "Note", 4096},
        {28, "Custom 1", 64},
        {29, "Custom 2", 64},
        {30, "Custom 3", 64},
        {31, "Custom 4", 64},
        {32, "Custom 5", 64},
        {33, "Custom 6", 64},
        {34, "Custom 7", 64},
        {35, "Custom 8", 64},
        {36, "Custom 9", 64},
        {39, "Category", 64},
        {40, "CreationTime", 8},
        {41, "LastModificationTime", 8},
        {42, "Source Type", 8},
        {43, "Display Name", 32},
        {44, "Account", 32},
    };
    std::size_t row = 0;
    for (const AddrFieldDesc& desc : filled) {
        table[row++] = desc;
    }
    return table;
}

constexpr std::array<AddrFieldDesc, kAddrFieldDescRows> kDescTable = makeDescTable();

struct TextField {
    std::size_t offset;
    std::size_t width;
};

#define TL_FIELD(name)                                                                             \
    TextField {                                                                                    \
        offsetof(CommAddrRec, name), sizeof(CommAddrRec::name)                                     \
    }

// The field behind each text id 1 to 39 of the descriptor table.
constexpr TextField kIdFields[40] = {
    TextField{0, 0},       TL_FIELD(FirstName),    TL_FIELD(LastName),   TL_FIELD(WorkStreet),
    TL_FIELD(WorkCity),    TL_FIELD(WorkState),    TL_FIELD(WorkPostal), TL_FIELD(WorkCountry),
    TL_FIELD(HomeStreet),  TL_FIELD(HomeCity),     TL_FIELD(HomeState),  TL_FIELD(HomePostal),
    TL_FIELD(HomeCountry), TL_FIELD(OtherStreet),  TL_FIELD(OtherCity),  TL_FIELD(OtherState),
    TL_FIELD(OtherPostal), TL_FIELD(OtherCountry), TL_FIELD(HomePhone),  TL_FIELD(WorkPhone),
    TL_FIELD(MobilePhone), TL_FIELD(OtherPhone),   TL_FIELD(MainPhone),  TL_FIELD(Fax),
    TL_FIELD(Pager),       TL_FIELD(EMail),        TL_FIELD(HomePage),   TL_FIELD(Note),
    TL_FIELD(Custom1),     TL_FIELD(Custom2),      TL_FIELD(Custom3),    TL_FIELD(Custom4),
    TL_FIELD(Custom5),     TL_FIELD(Custom6),      TL_FIELD(Custom7),    TL_FIELD(Custom8),
    TL_FIELD(Custom9),     TL_FIELD(Company),      TL_FIELD(Title),      TL_FIELD(Category),
};

// The fields whose equality decides between "same" and "different", in comparison order.
constexpr TextField kIdentityFields[] = {
    TL_FIELD(HomePhone),  TL_FIELD(WorkPhone),   TL_FIELD(MobilePhone), TL_FIELD(MainPhone),
    TL_FIELD(EMail),      TL_FIELD(Fax),         TL_FIELD(HomeFax),     TL_FIELD(Company),
    TL_FIELD(Title),      TL_FIELD(WorkCountry), TL_FIELD(WorkState),   TL_FIELD(WorkCity),
    TL_FIELD(WorkStreet), TL_FIELD(WorkPostal),  TL_FIELD(HomeCountry), TL_FIELD(HomeState),
    TL_FIELD(HomeCity),   TL_FIELD(HomeStreet),  TL_FIELD(HomePostal),  TL_FIELD(OtherCountry),
    TL_FIELD(OtherState), TL_FIELD(OtherCity),   TL_FIELD(OtherStreet), TL_FIELD(OtherPostal),
    TL_FIELD(HomePage),   TL_FIELD(Note),
};

#undef TL_FIELD
#undef TL_TEXT
#undef TL_VALUE

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

std::string_view textAt(const CommAddrRec& rec, TextField field) {
    return fieldText(reinterpret_cast<const char*>(&rec) + field.offset, field.width);
}

bool sameText(const CommAddrRec& a, const CommAddrRec& b, TextField field) {
    return textAt(a, field) == textAt(b, field);
}

#define TL_SAME(a, b, name)                                                                        \
    sameText(a, b, TextField{offsetof(CommAddrRec, name), sizeof(CommAddrRec::name)})

// Key test (names or first e-mail) and telephone test (one of four numbers equal, two empty
// numbers counting as equal).
bool isCandidate(const CommAddrRec& r, const CommAddrRec& x) {
    const bool namesAgree = TL_SAME(r, x, LastName) && TL_SAME(r, x, FirstName);
    const bool mailAgrees =
        TL_SAME(r, x, EMail) && !fieldText(r.EMail).empty() && !fieldText(x.EMail).empty();
    if (!namesAgree && !mailAgrees) {
        return false;
    }
    return TL_SAME(r, x, HomePhone) || TL_SAME(r, x, WorkPhone) || TL_SAME(r, x, MobilePhone) ||
           TL_SAME(r, x, MainPhone);
}

#undef TL_SAME

void freeRecord(CommAddrRec* rec) {
    std::free(rec->Native);
    std::free(rec);
}

} // namespace

std::span<const AddrFieldDesc, kAddrFieldDescRows> AddrFieldDescTable() {
    return std::span<const AddrFieldDesc, kAddrFieldDescRows>(kDescTable);
}

std::span<const AddrFieldLayout> AddrFieldLayoutTable() {
    return kLayout;
}

bool FindFieldDesc(std::uint32_t id, AddrFieldDesc* pDesc) {
    if (pDesc == nullptr) {
        return false;
    }
    for (const AddrFieldDesc& row : kDescTable) {
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
    const std::uint32_t id = pField->nId;
    if (id >= 1 && id <= 39) {
        copyToField(szBuf, nBufLen, textAt(*pRec, kIdFields[id]));
        return true;
    }
    if (id == 40 || id == 41) {
        CxDateTime moment;
        moment.SetVariantTime(id == 40 ? pRec->CreationTime : pRec->LastModificationTime);
        // A date the conversion refuses shows as nothing rather than as the current time the
        // object started with.
        if (moment.IsValid()) {
            moment.DateTimeText(szBuf, nBufLen);
        }
        return true;
    }
    if (id == 42) {
        const char* text = SourceTypeText(pRec->SourceType);
        if (text == nullptr) {
            return false;
        }
        copyToField(szBuf, nBufLen, text);
        return true;
    }
    return false;
}

CommAddrMgr::CommAddrMgr() : m_Recs(new (std::nothrow) CxList) {
    TL_ASSERT(m_Recs);
}

CommAddrMgr::~CommAddrMgr() {
    RemoveAll();
    delete m_Recs;
}

void CommAddrMgr::RemoveAll() {
    TL_ASSERT(m_Recs);
    for (void* p = m_Recs->First(); p != nullptr; p = m_Recs->Next()) {
        freeRecord(static_cast<CommAddrRec*>(p));
    }
    m_Recs->Clear(false);
}

CommAddrRec* CommAddrMgr::AddCopy(const CommAddrRec* pRec) {
    if (pRec == nullptr) {
        return nullptr;
    }
    TL_ASSERT(m_Recs);
    auto* copy = static_cast<CommAddrRec*>(std::malloc(sizeof(CommAddrRec)));
    if (copy == nullptr) {
        return nullptr;
    }
    std::memcpy(copy, pRec, sizeof(CommAddrRec));
    copy->Native = nullptr;
    copy->NativeSize = 0;
    if (pRec->Native != nullptr && pRec->NativeSize != 0) {
        copy->Native = std::malloc(pRec->NativeSize);
        if (copy->Native != nullptr) {
            std::memcpy(copy->Native, pRec->Native, pRec->NativeSize);
            copy->NativeSize = pRec->NativeSize;
        }
    }
    if (!m_Recs->Add(copy)) {
        freeRecord(copy);
        return nullptr;
    }
    return copy;
}

bool CommAddrMgr::MergeAt(const CommAddrRec* pRec, int nIndex) {
    TL_ASSERT(m_Recs);
    if (pRec == nullptr || nIndex < 0 || static_cast<std::uint32_t>(nIndex) >= m_Recs->GetCount()) {
        return false;
    }
    auto* stored = static_cast<CommAddrRec*>(m_Recs->GetAt(static_cast<std::uint32_t>(nIndex)));
    if (stored == nullptr) {
        return false;
    }
    for (const AddrFieldLayout& field : kLayout) {
        if (field.kind != AddrFieldKind::Text ||
            field.offset == offsetof(CommAddrRec, PalmSuffix)) {
            continue;
        }
        const std::string_view text = textAt(*pRec, TextField{field.offset, field.width});
        if (!text.empty()) {
            copyToField(reinterpret_cast<char*>(stored) + field.offset, field.width, text);
        }
    }
    stored->Birthday = pRec->Birthday;
    return true;
}

CommAddrRec* CommAddrMgr::First() {
    TL_ASSERT(m_Recs);
    return static_cast<CommAddrRec*>(m_Recs->First());
}

CommAddrRec* CommAddrMgr::Next() {
    TL_ASSERT(m_Recs);
    return static_cast<CommAddrRec*>(m_Recs->Next());
}

CommAddrRec* CommAddrMgr::GetAt(std::uint32_t nIndex) {
    TL_ASSERT(m_Recs);
    return static_cast<CommAddrRec*>(m_Recs->GetAt(nIndex));
}

std::uint32_t CommAddrMgr::GetCount() const {
    TL_ASSERT(m_Recs);
    return m_Recs->GetCount();
}

int CommAddrMgr::FindMatch(const CommAddrRec* pRec, CommAddrRec** ppMatch, int* pnIndex) {
    if (pRec == nullptr) {
        return kMatchNoRecord;
    }
    TL_ASSERT(m_Recs);
    int k = 0;
    for (auto* x = static_cast<CommAddrRec*>(m_Recs->First()); x != nullptr;
         x = static_cast<CommAddrRec*>(m_Recs->Next()), ++k) {
        if (x == pRec) {
            if (ppMatch != nullptr) {
                *ppMatch = x;
            }
            if (pnIndex != nullptr) {
                *pnIndex = k;
            }
            return kMatchSame;
        }
        if (!isCandidate(*pRec, *x)) {
            continue;
        }
        if (ppMatch != nullptr) {
            *ppMatch = x;
        }
        if (pnIndex != nullptr) {
            *pnIndex = k;
        }
        for (const TextField& field : kIdentityFields) {
            if (!sameText(*pRec, *x, field)) {
                return kMatchDifferent;
            }
        }
        return kMatchSame;
    }
    if (pnIndex != nullptr) {
        *pnIndex = k;
    }
    return kMatchNotFound;
}

bool CommAddrMgr::CompareWith(CommAddrMgr* pOther) {
    if (pOther == nullptr) {
        return false;
    }
    TL_ASSERT(m_Recs);
    // Walked by position rather than with the cursor: comparing a list with itself would
    // otherwise let FindMatch move the cursor under this loop.
    const std::uint32_t count = m_Recs->GetCount();
    for (std::uint32_t i = 0; i < count; ++i) {
        auto* rec = static_cast<CommAddrRec*>(m_Recs->GetAt(i));
        rec->CompareStatus = CompareStatusFor(pOther->FindMatch(rec));
    }
    return true;
}

} // namespace twinleaf

// The contact facade over the Palm address book forms.
#include "common/palm/PalmAddrInfo.h"

#include "common/palm/PalmEnv.h"
#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string_view>
#include <type_traits>

namespace twinleaf {
namespace {

// The phone slots of a record: label and text side by side, const when the record is.
template <class Rec> struct PhoneSlot {
    static constexpr bool kConst = std::is_const_v<Rec>;
    std::conditional_t<kConst, const std::int32_t, std::int32_t>* label;
    std::conditional_t<kConst, const char, char>* text;
    std::size_t width;
};

template <class Rec> std::array<PhoneSlot<Rec>, palm::kAddrPhoneSlots> classicSlots(Rec& r) {
    return {{
        {&r.PhoneLabel1, r.Phone1, sizeof r.Phone1},
        {&r.PhoneLabel2, r.Phone2, sizeof r.Phone2},
        {&r.PhoneLabel3, r.Phone3, sizeof r.Phone3},
        {&r.PhoneLabel4, r.Phone4, sizeof r.Phone4},
        {&r.PhoneLabel5, r.Phone5, sizeof r.Phone5},
    }};
}

std::string_view phoneValue(const CommAddrRec& c, std::int32_t label) {
    switch (label) {
    case kPhoneWork:
        return fieldText(c.WorkPhone);
    case kPhoneHome:
        return fieldText(c.HomePhone);
    case kPhoneFax:
        return fieldText(c.Fax).empty() ? fieldText(c.HomeFax) : fieldText(c.Fax);
    case kPhoneOther:
        return fieldText(c.OtherPhone);
    case kPhoneEMail:
        return fieldText(c.EMail);
    case kPhoneMain:
        return fieldText(c.MainPhone);
    case kPhoneMobile:
        return fieldText(c.MobilePhone);
    default:
        return {};
    }
}

// Keeps an existing number where it is, fills new numbers into free slots in label order; a value
// whose label has no slot and finds no empty one is dropped. Pager has no common value.
template <class Slots> void phonesToPalm(Slots& slots, const CommAddrRec& c) {
    for (std::int32_t label = kPhoneWork; label <= kPhoneMobile; ++label) {
        if (label == kPhonePager) {
            continue;
        }
        const std::string_view value = phoneValue(c, label);
        auto* target = static_cast<typename Slots::value_type*>(nullptr);
        for (auto& slot : slots) {
            if (*slot.label == label) {
                target = &slot;
                break;
            }
        }
        if (target == nullptr) {
            for (auto& slot : slots) {
                if (fieldText(slot.text, slot.width).empty()) {
                    target = &slot;
                    *slot.label = label;
                    break;
                }
            }
        }
        if (target != nullptr && !value.empty()) {
            copyToField(target->text, target->width, value);
        }
    }
}

template <class Slots> void phonesToCommon(const Slots& slots, CommAddrRec& c) {
    for (const auto& slot : slots) {
        const std::string_view text = fieldText(slot.text, slot.width);
        if (text.empty()) {
            continue;
        }
        switch (*slot.label) {
        case kPhoneWork:
            copyToField(c.WorkPhone, text);
            break;
        case kPhoneHome:
            copyToField(c.HomePhone, text);
            break;
        case kPhoneFax:
            copyToField(c.Fax, text);
            break;
        case kPhoneOther:
            copyToField(c.OtherPhone, text);
            break;
        case kPhoneEMail:
            copyToField(c.EMail, text);
            break;
        case kPhoneMain:
            copyToField(c.MainPhone, text);
            break;
        case kPhoneMobile:
            copyToField(c.MobilePhone, text);
            break;
        default: // the pager and unknown labels have no common field
            break;
        }
    }
}

template <std::size_t To, std::size_t From>
void copyIfSet(char (&to)[To], const char (&from)[From]) {
    const std::string_view text = fieldText(from);
    if (!text.empty()) {
        copyToField(to, text);
    }
}

bool beginsWith(const std::string& path, std::size_t offset, std::string_view expected) {
    std::ifstream in(path, std::ios::binary);
    std::string head(offset + expected.size(), '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    return in.gcount() == static_cast<std::streamsize>(head.size()) &&
           std::string_view(head).substr(offset) == expected;
}

// A Palm Desktop 6 database: a Jet file, or the SQLite file our database stand-in keeps.
bool looksLikeDatabase(const std::string& path) {
    return beginsWith(path, 4, "Standard Jet DB") || beginsWith(path, 4, "Standard ACE DB") ||
           beginsWith(path, 0, std::string_view("SQLite format 3\0", 16));
}

bool hasExtendedSignature(const std::string& path) {
    return beginsWith(path, palm::kExtendedMagic.size(), palm::kExtendedSignatureText);
}

} // namespace

PmAddrInfo::PmAddrInfo()
    : m_pItems(new (std::nothrow) CxList), m_pCommMgr(new (std::nothrow) CommAddrMgr),
      m_pClassic(new (std::nothrow) PmAddrUtil) {
    TL_ASSERT(m_pItems && m_pCommMgr && m_pClassic);
}

PmAddrInfo::~PmAddrInfo() {
    Close();
    delete m_pItems;
    delete m_pCommMgr;
    delete m_pClassic;
}

void PmAddrInfo::SetSwapName(bool swap) {
    m_pClassic->SetSwapName(swap);
}

bool PmAddrInfo::Open(std::uint32_t userId) {
    Close();
    char folder[win::MAX_PATH];
    if (!GetUserDataFolder(userId, folder)) {
        m_format = PalmFormat::Invalid;
        m_lastError = "Palm user " + std::to_string(userId) + " has no data folder";
        return false;
    }
    return OpenFiles(PalmUserFilePath(userId, "address", "Address.mdb"),
                     PalmUserFilePath(userId, "address", "address.dat"));
}

bool PmAddrInfo::OpenPath(const char* path) {
    Close();
    const std::string file = path == nullptr ? std::string() : std::string(path);
    return OpenFiles(file, file);
}

bool PmAddrInfo::OpenFiles(const std::string& database, const std::string& dataFile) {
    if (OpenDesktop6(database) || OpenExtended(dataFile) || OpenClassic(dataFile)) {
        BuildItems();
        return true;
    }
    m_format = PalmFormat::Invalid;
    return false;
}

// Palm Desktop 6 databases are not read yet: a database found is named in the error, and the
// files are tried next.
bool PmAddrInfo::OpenDesktop6(const std::string& path) {
    if (!path.empty() && looksLikeDatabase(path)) {
        m_lastError = path + ": a Palm Desktop 6 address database, which is not read yet";
    }
    return false;
}

// Extended files are not read yet either; the classic reader then refuses the file by its tag.
bool PmAddrInfo::OpenExtended(const std::string& path) {
    if (!path.empty() && hasExtendedSignature(path)) {
        m_lastError = path + ": an extended Palm Desktop address book, which is not read yet";
    }
    return false;
}

bool PmAddrInfo::OpenClassic(const std::string& path) {
    if (m_pClassic->Load(path.c_str())) {
        m_format = PalmFormat::Classic;
        // A file read only in part is listed as far as it is whole; the error says what is missing.
        m_lastError = m_pClassic->GetLastError();
        return true;
    }
    // The note of a form found earlier explains more than "another version tag".
    if (m_lastError.empty() || m_pClassic->GetLoadResult() != LoadResult::NotThisFormat) {
        m_lastError = m_pClassic->GetLastError();
    }
    return false;
}

void PmAddrInfo::Close() {
    m_format = PalmFormat::None;
    m_pClassic->Unload();
    m_pItems->Clear(true);
    m_pCommMgr->RemoveAll();
    m_lastError.clear();
}

bool PmAddrInfo::IsOpen() const {
    return m_format == PalmFormat::Classic || m_format == PalmFormat::Extended ||
           m_format == PalmFormat::Desktop6;
}

PmAddrItem* PmAddrInfo::First() {
    return static_cast<PmAddrItem*>(m_pItems->First());
}
PmAddrItem* PmAddrInfo::Next() {
    return static_cast<PmAddrItem*>(m_pItems->Next());
}

void PmAddrInfo::BuildItems() {
    PmAddrDataMgr& records = *m_pClassic->GetRecords();
    // The common record is made in place in the list: an empty record carrying the item as its
    // Native block is added, then filled, which spares a second copy of every record.
    CommAddrRec blank{};
    blank.SourceType = kSourcePalm;
    blank.NativeSize = sizeof(PmAddrItem);
    // Both lists grow in step: entry n of the common list is item n.
    for (PmAddrRec* source = records.First(); source != nullptr; source = records.Next()) {
        const std::int32_t status = source->Status & 0xFF;
        if ((status & (palm::kStatusDeleted | palm::kStatusArchived)) != 0) {
            continue;
        }
        auto* item = static_cast<PmAddrItem*>(std::malloc(sizeof(PmAddrItem)));
        if (item == nullptr) {
            continue;
        }
        item->format = PalmFormat::Classic;
        item->source = source;
        item->commEntry = nullptr;
        item->record.classic = *source;
        blank.SourceRecordId = static_cast<std::uint32_t>(source->RecordId);
        blank.CompareStatus = source->Status;
        blank.Native = item;
        CommAddrRec* entry = m_pCommMgr->AddCopy(&blank);
        if (entry == nullptr) {
            std::free(item);
            continue;
        }
        ClassicToCommon(*source, *entry);
        item->commEntry = entry;
        m_pItems->Add(item);
    }
}

void PmAddrInfo::ClassicToCommon(const PmAddrRec& palmRec, CommAddrRec& common) {
    copyToField(common.LastName, fieldText(palmRec.LastName));
    copyToField(common.FirstName, fieldText(palmRec.FirstName));
    copyToField(common.Title, fieldText(palmRec.Title));
    copyToField(common.Company, fieldText(palmRec.Company));
    copyToField(common.WorkStreet, fieldText(palmRec.Address));
    copyToField(common.WorkCity, fieldText(palmRec.City));
    copyToField(common.WorkState, fieldText(palmRec.State));
    copyToField(common.WorkPostal, fieldText(palmRec.Zip));
    copyToField(common.WorkCountry, fieldText(palmRec.Country));
    copyToField(common.Note, fieldText(palmRec.Note));
    copyToField(common.Custom1, fieldText(palmRec.Custom1));
    copyToField(common.Custom2, fieldText(palmRec.Custom2));
    copyToField(common.Custom3, fieldText(palmRec.Custom3));
    copyToField(common.Custom4, fieldText(palmRec.Custom4));
    copyToField(common.Category, fieldText(palmRec.CategoryName));
    common.Private = palmRec.Private != 0 ? 1 : 0;
    phonesToCommon(classicSlots(palmRec), common);
}

void PmAddrInfo::CommonToClassic(const CommAddrRec& common, PmAddrRec& palmRec) {
    auto phones = classicSlots(palmRec);
    phonesToPalm(phones, common);
    copyIfSet(palmRec.LastName, common.LastName);
    copyIfSet(palmRec.FirstName, common.FirstName);
    copyIfSet(palmRec.Title, common.Title);
    copyIfSet(palmRec.Company, common.Company);
    copyIfSet(palmRec.Address, common.WorkStreet);
    copyIfSet(palmRec.City, common.WorkCity);
    copyIfSet(palmRec.State, common.WorkState);
    copyIfSet(palmRec.Zip, common.WorkPostal);
    copyIfSet(palmRec.Country, common.WorkCountry);
    copyIfSet(palmRec.Note, common.Note);
    copyIfSet(palmRec.Custom1, common.Custom1);
    copyIfSet(palmRec.Custom2, common.Custom2);
    copyIfSet(palmRec.Custom3, common.Custom3);
    copyIfSet(palmRec.Custom4, common.Custom4);
    copyIfSet(palmRec.CategoryName, common.Category);
    // Outlook contacts carry no private mark (their Private is always 0): an update from one must
    // not make a private Palm contact public.
    if (common.Private != 0) {
        palmRec.Private = 1;
    }
}

bool PmAddrInfo::ResolveCategory(PmAddrRec& palmRec) {
    std::int32_t id = 0;
    if (m_pClassic->GetCategoryIdByName(palmRec.CategoryName, &id, true)) {
        palmRec.Category = id;
        return true;
    }
    // The table is full: the record keeps the category it had (Unfiled for a new one) rather than
    // pointing at an id no category carries.
    std::memset(palmRec.CategoryName, 0, sizeof palmRec.CategoryName);
    m_pClassic->GetCategoryName(palmRec.Category, palmRec.CategoryName);
    return false;
}

bool PmAddrInfo::WriteRecord(const CommAddrRec* pRec) {
    if (pRec == nullptr) {
        return false;
    }
    int position = 0;
    switch (m_pCommMgr->FindMatch(pRec, nullptr, &position)) {
    case kMatchNotFound:
        return AddRecord(pRec);
    case kMatchDifferent:
        return UpdateRecord(pRec, position);
    default:
        return false;
    }
}

bool PmAddrInfo::AddRecord(const CommAddrRec* pRec) {
    if (pRec == nullptr || m_format != PalmFormat::Classic) {
        return false;
    }
    auto* item = static_cast<PmAddrItem*>(std::calloc(1, sizeof(PmAddrItem)));
    if (item == nullptr) {
        return false;
    }
    item->format = PalmFormat::Classic;
    PmAddrRec& palmRec = item->record.classic;
    CommonToClassic(*pRec, palmRec);
    ResolveCategory(palmRec);
    palmRec.Status |= palm::kStatusAdded;
    palmRec.Position = palm::kNewRecordPosition;
    CommAddrRec* entry = m_pCommMgr->AddCopy(pRec);
    if (entry == nullptr) {
        std::free(item);
        return false;
    }
    PmAddrDataMgr& records = *m_pClassic->GetRecords();
    if (!records.Add(&palmRec)) {
        std::free(item);
        return false;
    }
    item->source = records.At(records.Count() - 1);
    item->commEntry = entry;
    m_pItems->Add(item);
    return true;
}

bool PmAddrInfo::UpdateRecord(const CommAddrRec* pRec, int n) {
    if (pRec == nullptr || n < 0 || !IsOpen()) {
        return false;
    }
    auto* item = static_cast<PmAddrItem*>(m_pItems->GetAt(static_cast<std::uint32_t>(n)));
    if (item == nullptr || item->format != PalmFormat::Classic) {
        return false;
    }
    PmAddrRec& palmRec = item->record.classic;
    CommonToClassic(*pRec, palmRec);
    ResolveCategory(palmRec);
    m_pCommMgr->MergeAt(pRec, n);
    palmRec.Status |= palm::kStatusChanged;
    std::memcpy(item->source, &palmRec, sizeof palmRec);
    return true;
}

bool PmAddrInfo::Save() {
    if (m_format != PalmFormat::Classic) {
        return false;
    }
    if (!m_pClassic->SaveInPlace()) {
        m_lastError = m_pClassic->GetLastError();
        return false;
    }
    return true;
}

PalmFormat PmAddrInfo::DetectFileFormat(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return PalmFormat::Invalid;
    }
    PmAddrUtil classic(path);
    return classic.IsLoaded() ? PalmFormat::Classic : PalmFormat::Invalid;
}

} // namespace twinleaf

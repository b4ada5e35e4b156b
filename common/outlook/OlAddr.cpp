// Outlook contacts: reading the contacts folder into common records and writing records back.
#include "common/outlook/OlAddr.h"

#include "common/misc/CxDateTime.h"
#include "platform/text/FieldText.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

namespace twinleaf {

using namespace win;

namespace {

constexpr LONG kContactsFolder = 10; // olFolderContacts
constexpr LONG kContactItem = 2;     // olContactItem

enum class ImageKind { Text, Long, Date };

// One property of OlContactImage: its name (null for the two fields that are no property), its
// place in the image and, where it has one, its field in CommAddrRec.
struct ContactProperty {
    const char16_t* name;
    std::size_t imageOffset;
    std::size_t imageWidth;
    ImageKind kind;
    std::ptrdiff_t recordOffset; // -1: kept in the image only
    std::size_t recordWidth;
    bool readOnly;
};

#define IMAGE(field) offsetof(OlContactImage, field), sizeof(OlContactImage::field)
#define RECORD(field)                                                                              \
    static_cast<std::ptrdiff_t>(offsetof(CommAddrRec, field)), sizeof(CommAddrRec::field)
#define IMAGE_ONLY -1, 0
#define TEXT(property, record)                                                                     \
    { u## #property, IMAGE(property), ImageKind::Text, record, false }

// In table order: the order in which properties are read and written.
const ContactProperty kContactProperties[] = {
    TEXT(Account, RECORD(Account)),
    {u"Anniversary", IMAGE(Anniversary), ImageKind::Date, RECORD(Anniversary), false},
    TEXT(AssistName, RECORD(AssistantName)),
    TEXT(AssistTelephoneNumber, RECORD(AssistantPhone)),
    {u"Birthday", IMAGE(Birthday), ImageKind::Date, RECORD(Birthday), false},
    TEXT(Business2TelephoneNumber, IMAGE_ONLY),
    TEXT(BusinessAddressCity, RECORD(WorkCity)),
    TEXT(BusinessAddressCountry, RECORD(WorkCountry)),
    TEXT(BusinessAddressPostalCode, RECORD(WorkPostal)),
    TEXT(BusinessAddressPostOfficeBox, IMAGE_ONLY),
    TEXT(BusinessAddressState, RECORD(WorkState)),
    TEXT(BusinessAddressStreet, RECORD(WorkStreet)),
    TEXT(BusinessAddressFaxNumber, RECORD(Fax)),
    TEXT(BusinessHomePage, RECORD(HomePage)),
    TEXT(BusinessTelephoneNumber, RECORD(WorkPhone)),
    TEXT(CallbackTelephoneNumber, RECORD(CallbackPhone)),
    TEXT(CarTelephoneNumber, RECORD(CarPhone)),
    TEXT(CompanyMainTelephoneNumber, IMAGE_ONLY),
    TEXT(CompanyName, RECORD(Company)),
    TEXT(ComputerNetworkName, RECORD(ComputerNetworkName)),
    TEXT(CustomerID, RECORD(CustomerID)),
    TEXT(Department, RECORD(Department)),
    TEXT(Email1Address, RECORD(EMail)),
    TEXT(Email1AddressType, RECORD(EMail1Type)),
    TEXT(Email1DisplayName, RECORD(EMail1DisplayName)),
    TEXT(Email2Address, RECORD(EMail2)),
    TEXT(Email2AddressType, RECORD(EMail2Type)),
    TEXT(Email2DisplayName, RECORD(EMail2DisplayName)),
    TEXT(Email3Address, RECORD(EMail3)),
    TEXT(Email3AddressType, RECORD(EMail3Type)),
    TEXT(Email3DisplayName, RECORD(EMail3DisplayName)),
    TEXT(FirstName, RECORD(FirstName)),
    TEXT(FTPSite, RECORD(FTPSite)),
    TEXT(FullName, RECORD(FullName)),
    {u"Gender", IMAGE(Gender), ImageKind::Long, IMAGE_ONLY, false},
    TEXT(Hobby, RECORD(Hobby)),
    TEXT(Home2TelephoneNumber, IMAGE_ONLY),
    TEXT(HomeAddressCity, RECORD(HomeCity)),
    TEXT(HomeAddressCountry, RECORD(HomeCountry)),
    TEXT(HomeAddressPostalCode, RECORD(HomePostal)),
    TEXT(HomeAddressPostOfficeBox, IMAGE_ONLY),
    TEXT(HomeAddressState, RECORD(HomeState)),
    TEXT(HomeAddressStreet, RECORD(HomeStreet)),
    TEXT(HomeFaxNumber, RECORD(HomeFax)),
    TEXT(HomeTelephoneNumber, RECORD(HomePhone)),
    TEXT(IMAddress, RECORD(IMAddress)),
    TEXT(Initials, RECORD(Initials)),
    TEXT(ISDNNumber, IMAGE_ONLY),
    TEXT(JobTitle, RECORD(Title)),
    TEXT(Language, RECORD(Language)),
    TEXT(LastName, RECORD(LastName)),
    TEXT(MailingAddressCity, IMAGE_ONLY),
    TEXT(MailingAddressCountry, IMAGE_ONLY),
    TEXT(MailingAddressPostalCode, IMAGE_ONLY),
    TEXT(MailingAddressPOBox, IMAGE_ONLY),
    TEXT(MailingAddressState, IMAGE_ONLY),
    TEXT(MailingAddressStreet, IMAGE_ONLY),
    TEXT(ManagerName, IMAGE_ONLY),
    TEXT(MiddleName, RECORD(MiddleName)),
    TEXT(MobileTelephoneNumber, RECORD(MobilePhone)),
    TEXT(NickName, RECORD(NickName)),
    TEXT(OtherAddressCity, RECORD(OtherCity)),
    TEXT(OtherAddressCountry, RECORD(OtherCountry)),
    TEXT(OtherAddressPostalCode, RECORD(OtherPostal)),
    TEXT(OtherAddressPostOfficeBox, IMAGE_ONLY),
    TEXT(OtherAddressState, RECORD(OtherState)),
    TEXT(OtherAddressStreet, RECORD(OtherStreet)),
    TEXT(OtherTelephoneNumber, RECORD(OtherPhone)),
    // Pager numbers do not travel between Palm Desktop and Outlook.
    TEXT(PagerNumber, IMAGE_ONLY),
    TEXT(PersonalHomePage, RECORD(PersonalHomePage)),
    TEXT(PrimaryTelephoneNumber, RECORD(MainPhone)),
    TEXT(Profession, RECORD(Profession)),
    TEXT(RadioTelephoneNumber, RECORD(RadioPhone)),
    TEXT(Spouse, RECORD(Spouse)),
    {nullptr, IMAGE(Suffix), ImageKind::Text, RECORD(Suffix), false},
    TEXT(WebPage, IMAGE_ONLY),
    // Body and the folder name are exchanged with Note and Category by hand, after the custom
    // fields, so they stay out of the record columns here.
    TEXT(Body, IMAGE_ONLY),
    {nullptr, IMAGE(FolderName), ImageKind::Text, IMAGE_ONLY, true},
    {u"CreationTime", IMAGE(CreationTime), ImageKind::Date, IMAGE_ONLY, true},
    {u"LastModificationTime", IMAGE(LastModificationTime), ImageKind::Date, IMAGE_ONLY, true},
};

enum class SourceKind { None, Text, Date };

struct CustomFieldSource {
    const char* name;
    SourceKind kind;
    std::size_t offset; // in OlContactImage
    std::size_t width;
};

#define SOURCE(name, field)                                                                        \
    { name, SourceKind::Text, IMAGE(field) }
#define DATE_SOURCE(name, field)                                                                   \
    { name, SourceKind::Date, IMAGE(field) }

const CustomFieldSource kCustomFieldSources[kCustomFieldSourceCount] = {
    {"None", SourceKind::None, 0, 0},
    SOURCE("Account", Account),
    DATE_SOURCE("Anniversary", Anniversary),
    SOURCE("AssistantName", AssistName),
    SOURCE("AssistantTelephoneNumber", AssistTelephoneNumber),
    DATE_SOURCE("Birthday", Birthday),
    SOURCE("Business2TelephoneNumber", Business2TelephoneNumber),
    SOURCE("BusinessAddressCity", BusinessAddressCity),
    SOURCE("BusinessAddressCountry", BusinessAddressCountry),
    SOURCE("BusinessAddressPostal", BusinessAddressPostalCode),
    SOURCE("BusinessAddressPostOfficeBox", BusinessAddressPostOfficeBox),
    SOURCE("BusinessAddressState", BusinessAddressState),
    SOURCE("BusinessAddressStreet", BusinessAddressStreet),
    SOURCE("BusinessAddressFaxNumber", BusinessAddressFaxNumber),
    SOURCE("BusinessHomePage", BusinessHomePage),
    SOURCE("BusinessTelephoneNumber", BusinessTelephoneNumber),
    SOURCE("CallbackTelephoneNumber", CallbackTelephoneNumber),
    SOURCE("CarTelephoneNumber", CarTelephoneNumber),
    SOURCE("CompanyTelephoneNumber", CompanyMainTelephoneNumber),
    SOURCE("CompanyName", CompanyName),
    SOURCE("ComputerNetworkName", ComputerNetworkName),
    SOURCE("CustomerID", CustomerID),
    SOURCE("Department", Department),
    SOURCE("Email1Address", Email1Address),
    SOURCE("Email1AddressType", Email1AddressType),
    SOURCE("Email1DisplayName", Email1DisplayName),
    SOURCE("Email2Address", Email2Address),
    SOURCE("Email2AddressType", Email2AddressType),
    SOURCE("Email2DisplayName", Email2DisplayName),
    SOURCE("Email3Address", Email3Address),
    SOURCE("Email3AddressType", Email3AddressType),
    SOURCE("Email3DisplayName", Email3DisplayName),
    SOURCE("FirstName", FirstName),
    SOURCE("FTPSite", FTPSite),
    {"Gender", SourceKind::None, 0, 0}, // a number, not a text
    SOURCE("Hobby", Hobby),
    SOURCE("Home2TelephoneNumber", Home2TelephoneNumber),
    SOURCE("HomeAddressCity", HomeAddressCity),
    SOURCE("HomeAddressCountry", HomeAddressCountry),
    SOURCE("HomeAddressPostal", HomeAddressPostalCode),
    SOURCE("HomeAddressPostOfficeBox", HomeAddressPostOfficeBox),
    SOURCE("HomeAddressState", HomeAddressState),
    SOURCE("HomeAddressStreet", HomeAddressStreet),
    SOURCE("HomeAddressFaxNumber", HomeFaxNumber),
    SOURCE("HomeAddressTelephoneNumber", HomeTelephoneNumber),
    SOURCE("ISDNNumber", ISDNNumber),
    SOURCE("JobTitle", JobTitle),
    SOURCE("LastName", LastName),
    SOURCE("MailAddressCity", MailingAddressCity),
    SOURCE("MailAddressCountry", MailingAddressCountry),
    SOURCE("MailAddressPostal", MailingAddressPostalCode),
    SOURCE("MailAddressPostOfficeBox", MailingAddressPOBox),
    SOURCE("MailAddressState", MailingAddressState),
    SOURCE("MailAddressStreet", MailingAddressStreet),
    SOURCE("ManagerName", ManagerName),
    SOURCE("MiddleName", MiddleName),
    SOURCE("MobileTelephoneNumber", MobileTelephoneNumber),
    SOURCE("NickName", NickName),
    SOURCE("OtherAddressCity", OtherAddressCity),
    SOURCE("OtherAddressCountry", OtherAddressCountry),
    SOURCE("OtherAddressPostal", OtherAddressPostalCode),
    SOURCE("OtherAddressPostOfficeBox", OtherAddressPostOfficeBox),
    SOURCE("OtherAddressState", OtherAddressState),
    SOURCE("OtherAddressStreet", OtherAddressStreet),
    SOURCE("PersonalHomePage", PersonalHomePage),
    SOURCE("PrimaryTelephoneNumber", PrimaryTelephoneNumber),
    SOURCE("Profession", Profession),
    SOURCE("WebPage", WebPage),
    SOURCE("Body", Body),
    SOURCE("FolderName", FolderName),
    SOURCE("OtherTelephoneNumber", OtherTelephoneNumber),
    SOURCE("RadioTelephoneNumber", RadioTelephoneNumber),
    SOURCE("PagerNumber", PagerNumber),
    SOURCE("FullName", FullName),
    SOURCE("Spouse", Spouse),
    SOURCE("Suffix", Suffix),
    SOURCE("Language", Language),
    SOURCE("IMAddress", IMAddress),
};

#undef SOURCE
#undef DATE_SOURCE
#undef TEXT
#undef IMAGE_ONLY
#undef RECORD
#undef IMAGE

char* imageField(OlContactImage* pImage, std::size_t offset) {
    return reinterpret_cast<char*>(pImage) + offset;
}
const char* imageField(const OlContactImage* pImage, std::size_t offset) {
    return reinterpret_cast<const char*>(pImage) + offset;
}
char* recordField(CommAddrRec* pRec, std::ptrdiff_t offset) {
    return reinterpret_cast<char*>(pRec) + offset;
}
const char* recordField(const CommAddrRec* pRec, std::ptrdiff_t offset) {
    return reinterpret_cast<const char*>(pRec) + offset;
}

// Custom1 to Custom9 of a record, in order.
char* customField(CommAddrRec* pRec, int n) {
    char* const fields[] = {pRec->Custom1, pRec->Custom2, pRec->Custom3,
                            pRec->Custom4, pRec->Custom5, pRec->Custom6,
                            pRec->Custom7, pRec->Custom8, pRec->Custom9};
    return fields[n - 1];
}

// The source of custom field n (1 to 9) when the map gives it one that stands for a field.
const CustomFieldSource* customSource(const int* pMap, int n) {
    if (pMap == nullptr || pMap[n] < 1 || pMap[n] >= kCustomFieldSourceCount) {
        return nullptr;
    }
    const CustomFieldSource& source = kCustomFieldSources[pMap[n]];
    return source.kind == SourceKind::None ? nullptr : &source;
}

// An owned result variant of a method call.
struct CallResult {
    VARIANT v;
    CallResult() { VariantInit(&v); }
    ~CallResult() { VariantClear(&v); }
    CallResult(const CallResult&) = delete;
    CallResult& operator=(const CallResult&) = delete;
    IDispatch* object() const { return v.vt == VT_DISPATCH ? v.pdispVal : nullptr; }
};

VARIANT longArgument(LONG value) {
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = value;
    return argument;
}

} // namespace

const char* CustomFieldSourceName(int nSource) {
    return nSource >= 0 && nSource < kCustomFieldSourceCount ? kCustomFieldSources[nSource].name
                                                             : "";
}

OlAddrUtil::OlAddrUtil(const char* szName)
    : OlBaseUtil(szName), m_pFolder(nullptr), m_pRecs(nullptr), m_bFolderOpen(false),
      m_pCustomMap(nullptr) {
    Init();
}

OlAddrUtil::~OlAddrUtil() {
    Shutdown();
}

bool OlAddrUtil::Reload() {
    OlBaseUtil::Reload();
    if (!m_bFolderOpen || m_pFolder == nullptr) {
        return false;
    }
    return EnumerateFolder();
}

void OlAddrUtil::Clear() {
    if (m_pRecs != nullptr) {
        m_pRecs->RemoveAll();
    }
    OlBaseUtil::Clear();
}

bool OlAddrUtil::Init() {
    if (m_pRecs == nullptr) {
        m_pRecs = new CommAddrMgr;
    }
    m_pFolder = nullptr;
    return Connect();
}

void OlAddrUtil::Shutdown() {
    Clear();
    delete m_pRecs;
    m_pRecs = nullptr;
    Disconnect();
}

bool OlAddrUtil::Connect() {
    if (!OlBaseUtil::Connect()) {
        return false;
    }
    VARIANT argument = longArgument(kContactsFolder);
    CallResult folder;
    if (m_pNameSpace != nullptr &&
        SUCCEEDED(m_pNameSpace->CallMethod(u"GetDefaultFolder", &argument, 1, &folder.v)) &&
        folder.object() != nullptr) {
        delete m_pFolder;
        m_pFolder = new CDispCmd(folder.object());
        m_bFolderOpen = true;
        return true;
    }
    Disconnect();
    m_bFolderOpen = false;
    return false;
}

void OlAddrUtil::Disconnect() {
    delete m_pFolder;
    m_pFolder = nullptr;
    m_bFolderOpen = false;
    OlBaseUtil::Disconnect();
}

bool OlAddrUtil::EnumerateFolder() {
    char folderName[31] = {};
    m_pFolder->GetText(u"Name", folderName, sizeof folderName);
    IDispatch* items = nullptr;
    if (m_pFolder->GetObject(u"Items", &items) != S_OK || items == nullptr) {
        return false;
    }
    CDispCmd itemsCmd(items);
    items->Release();
    bool first = true;
    for (;;) {
        CallResult next;
        const HRESULT hr =
            itemsCmd.CallMethod(first ? u"GetFirst" : u"GetNext", nullptr, 0, &next.v);
        first = false;
        if (FAILED(hr) || next.object() == nullptr) {
            break;
        }
        CDispCmd item(next.object());
        OlContactImage image{};
        copyToField(image.FolderName, folderName);
        ReadItem(item, &image);
        CommAddrRec record{};
        ImageToRecord(&image, &record);
        record.Native = std::malloc(sizeof image);
        if (record.Native != nullptr) {
            std::memcpy(record.Native, &image, sizeof image);
            record.NativeSize = sizeof image;
        }
        record.SourceType = kSourceOutlook;
        m_pRecs->AddCopy(&record);
        std::free(record.Native);
    }
    return true;
}

void OlAddrUtil::ReadItem(CDispCmd& item, OlContactImage* pImage) {
    for (const ContactProperty& property : kContactProperties) {
        if (property.name == nullptr) {
            continue;
        }
        char* field = imageField(pImage, property.imageOffset);
        switch (property.kind) {
        case ImageKind::Text:
            item.GetText(property.name, field, static_cast<int>(property.imageWidth));
            break;
        case ImageKind::Long:
            item.GetLong(property.name, reinterpret_cast<LONG*>(field));
            break;
        case ImageKind::Date:
            item.GetDate(property.name, reinterpret_cast<double*>(field));
            break;
        }
    }
    pImage->pItem = nullptr;
}

bool OlAddrUtil::WriteItem(CDispCmd& item, const OlContactImage* pImage) {
    for (const ContactProperty& property : kContactProperties) {
        if (property.name == nullptr || property.readOnly) {
            continue;
        }
        const char* field = imageField(pImage, property.imageOffset);
        switch (property.kind) {
        case ImageKind::Text: {
            // Read within the field even if a stored image lost a terminator.
            const std::string text(fieldText(field, property.imageWidth));
            item.PutText(property.name, text.c_str());
            break;
        }
        case ImageKind::Long: {
            LONG value = 0;
            std::memcpy(&value, field, sizeof value);
            item.PutLong(property.name, value);
            break;
        }
        case ImageKind::Date: {
            double value = 0;
            std::memcpy(&value, field, sizeof value);
            item.PutDate(property.name, value);
            break;
        }
        }
    }
    return SUCCEEDED(item.CallMethod(u"Save", nullptr, 0, nullptr));
}

void OlAddrUtil::ImageToRecord(const OlContactImage* pImage, CommAddrRec* pRec) {
    for (const ContactProperty& property : kContactProperties) {
        if (property.recordOffset < 0) {
            continue;
        }
        const char* field = imageField(pImage, property.imageOffset);
        char* target = recordField(pRec, property.recordOffset);
        if (property.kind == ImageKind::Text) {
            copyToField(target, property.recordWidth, fieldText(field, property.imageWidth));
        } else {
            std::memcpy(target, field, property.recordWidth);
        }
    }
    copyToField(pRec->Category, fieldText(pImage->FolderName));
    for (int n = 1; n <= 9; ++n) {
        const CustomFieldSource* source = customSource(m_pCustomMap, n);
        if (source == nullptr) {
            continue;
        }
        char* custom = customField(pRec, n);
        if (source->kind == SourceKind::Date) {
            double date = 0;
            std::memcpy(&date, imageField(pImage, source->offset), sizeof date);
            CxDateTime when;
            when.SetVariantTime(date);
            when.DateText(custom, sizeof pRec->Custom1);
        } else {
            copyToField(custom, sizeof pRec->Custom1,
                        fieldText(imageField(pImage, source->offset), source->width));
        }
    }
    copyToField(pRec->Note, fieldText(pImage->Body));
    pRec->CreationTime = pImage->CreationTime;
    pRec->LastModificationTime = pImage->LastModificationTime;
    pRec->SourceType = kSourceOutlook;
}

void OlAddrUtil::RecordToImage(const CommAddrRec* pRec, OlContactImage* pImage) {
    for (const ContactProperty& property : kContactProperties) {
        if (property.recordOffset < 0) {
            continue;
        }
        const char* field = recordField(pRec, property.recordOffset);
        char* target = imageField(pImage, property.imageOffset);
        if (property.kind == ImageKind::Text) {
            copyToField(target, property.imageWidth, fieldText(field, property.recordWidth));
        } else {
            std::memcpy(target, field, property.imageWidth);
        }
    }
    // A mapped custom field overrides the standard field of the same property; dates and the
    // gender cannot be written from a text.
    for (int n = 1; n <= 9; ++n) {
        const CustomFieldSource* source = customSource(m_pCustomMap, n);
        if (source == nullptr || source->kind != SourceKind::Text) {
            continue;
        }
        copyToField(
            imageField(pImage, source->offset), source->width,
            fieldText(customField(const_cast<CommAddrRec*>(pRec), n), sizeof pRec->Custom1));
    }
    copyToField(pImage->Body, fieldText(pRec->Note));
    copyToField(pImage->FolderName, fieldText(pRec->Category));
}

bool OlAddrUtil::CreateItem(CommAddrRec* pRec) {
    if (pRec == nullptr || m_pFolder == nullptr) {
        return false;
    }
    IDispatch* items = nullptr;
    if (m_pFolder->GetObject(u"Items", &items) != S_OK || items == nullptr) {
        return false;
    }
    CDispCmd itemsCmd(items);
    items->Release();
    VARIANT argument = longArgument(kContactItem);
    CallResult added;
    if (FAILED(itemsCmd.CallMethod(u"Add", &argument, 1, &added.v)) || added.object() == nullptr) {
        return false;
    }
    CDispCmd item(added.object());
    auto* image = static_cast<OlContactImage*>(std::calloc(1, sizeof(OlContactImage)));
    if (image == nullptr) {
        return false;
    }
    RecordToImage(pRec, image);
    // A contact that could not be stored is not in the folder: reporting it as created would
    // put a record into the list that no item stands behind.
    if (!WriteItem(item, image)) {
        std::free(image);
        return false;
    }
    pRec->Native = image;
    pRec->NativeSize = sizeof(OlContactImage);
    return true;
}

bool OlAddrUtil::UpdateItem(const CommAddrRec* pRec, int nIndex) {
    if (pRec == nullptr || nIndex < 0 || m_pFolder == nullptr) {
        return false;
    }
    IDispatch* items = nullptr;
    if (m_pFolder->GetObject(u"Items", &items) != S_OK || items == nullptr) {
        return false;
    }
    CDispCmd itemsCmd(items);
    items->Release();
    VARIANT argument = longArgument(nIndex + 1); // the collection counts from 1
    CallResult found;
    if (FAILED(itemsCmd.CallMethod(u"Item", &argument, 1, &found.v)) || found.object() == nullptr) {
        return false;
    }
    CDispCmd item(found.object());
    OlContactImage image{};
    // The stored image of the Outlook-side record at that place, not that of the record passed
    // in, which may be a Palm record.
    const CommAddrRec* stored =
        m_pRecs != nullptr ? m_pRecs->GetAt(static_cast<std::uint32_t>(nIndex)) : nullptr;
    if (stored != nullptr && stored->Native != nullptr) {
        std::memcpy(&image, stored->Native,
                    stored->NativeSize < sizeof image ? stored->NativeSize : sizeof image);
    }
    RecordToImage(pRec, &image);
    return WriteItem(item, &image);
}

bool OlAddrUtil::SaveRecord(const CommAddrRec* pRec) {
    if (pRec == nullptr || m_pRecs == nullptr || m_pFolder == nullptr) {
        return false;
    }
    CommAddrRec* match = nullptr;
    int position = 0;
    const int result = m_pRecs->FindMatch(pRec, &match, &position);
    if (result == kMatchDifferent && match != nullptr) {
        // The list changes only once Outlook has the new values, so list and folder agree.
        if (!UpdateItem(pRec, position)) {
            return false;
        }
        void* native = match->Native;
        const std::uint32_t nativeSize = match->NativeSize;
        std::memcpy(match, pRec, sizeof(CommAddrRec));
        match->Native = native;
        match->NativeSize = nativeSize;
        return true;
    }
    if (result != kMatchNotFound) {
        return false;
    }
    CommAddrRec copy;
    std::memcpy(&copy, pRec, sizeof copy);
    if (!CreateItem(&copy)) {
        return false;
    }
    m_pRecs->AddCopy(&copy);
    std::free(copy.Native);
    return true;
}

} // namespace twinleaf

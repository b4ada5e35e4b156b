// Outlook contacts: reading the contacts folder into common records and writing records back.
#include "common/outlook/OlAddr.h"

#include "common/misc/CxDateTime.h"
#include "platform/text/FieldText.h"

#include <cstddef>
#include <cstring>

namespace twinleaf {

using namespace win;

namespace {

constexpr LONG kContactsFolder = 10; // olFolderContacts
constexpr LONG kContactItem = 2;     // olContactItem

#define IMAGE(field) OL_FIELD(OlContactImage, field)
#define RECORD(field) OL_RECORD(CommAddrRec, field)
#define IMAGE_ONLY OL_IMAGE_ONLY
#define TEXT(property, record)                                                                     \
    { u## #property, OlValue::Text, OlScope::Item, 0, IMAGE(property), record }
#define DATE_PROPERTY(property, record, flags)                                                     \
    { u## #property, OlValue::Date, OlScope::Item, flags, IMAGE(property), record }

// In table order: the order in which properties are read and written.
const OlProperty kContactProperties[] = {
    TEXT(Account, RECORD(Account)),
    DATE_PROPERTY(Anniversary, RECORD(Anniversary), 0),
    TEXT(AssistName, RECORD(AssistantName)),
    TEXT(AssistTelephoneNumber, RECORD(AssistantPhone)),
    DATE_PROPERTY(Birthday, RECORD(Birthday), 0),
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
    {u"Gender", OlValue::Long, OlScope::Item, 0, IMAGE(Gender), IMAGE_ONLY},
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
    {nullptr, OlValue::Text, OlScope::Item, 0, IMAGE(Suffix), RECORD(Suffix)},
    TEXT(WebPage, IMAGE_ONLY),
    // Body and the folder name are exchanged with Note and Category by hand, after the custom
    // fields, so they stay out of the record columns here.
    TEXT(Body, IMAGE_ONLY),
    {nullptr, OlValue::Text, OlScope::Item, kOlReadOnly, IMAGE(FolderName), IMAGE_ONLY},
    DATE_PROPERTY(CreationTime, RECORD(CreationTime), kOlReadOnly),
    DATE_PROPERTY(LastModificationTime, RECORD(LastModificationTime), kOlReadOnly),
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
#undef DATE_PROPERTY
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
// Custom1 to Custom9 of a record, in order.
using CustomText = decltype(CommAddrRec::Custom1);
template <class Rec> auto& customField(Rec& rec, int n) {
    decltype(&rec.Custom1)
        const fields[] = {&rec.Custom1, &rec.Custom2, &rec.Custom3, &rec.Custom4, &rec.Custom5,
                          &rec.Custom6, &rec.Custom7, &rec.Custom8, &rec.Custom9};
    return *fields[n - 1];
}

// The source of custom field n (1 to 9) when the map gives it one that stands for a field.
const CustomFieldSource* customSource(const int* pMap, int n) {
    if (pMap == nullptr || pMap[n] < 1 || pMap[n] >= kCustomFieldSourceCount) {
        return nullptr;
    }
    const CustomFieldSource& source = kCustomFieldSources[pMap[n]];
    return source.kind == SourceKind::None ? nullptr : &source;
}

} // namespace

const char* CustomFieldSourceName(int nSource) {
    return nSource >= 0 && nSource < kCustomFieldSourceCount ? kCustomFieldSources[nSource].name
                                                             : "";
}

template class OlItemUtil<OlContactKind>;

const OlItemKind& OlContactKind::Description() {
    static const OlItemKind kind{kContactsFolder, kContactItem, kContactProperties, nullptr,
                                 nullptr};
    return kind;
}

void OlAddrUtil::ImageToRecord(const OlContactImage* pImage, CommAddrRec* pRec) {
    OlItemUtil::ImageToRecord(pImage, pRec);
    copyToField(pRec->Category, fieldText(pImage->FolderName));
    for (int n = 1; n <= 9; ++n) {
        const CustomFieldSource* source = customSource(m_pCustomMap, n);
        if (source == nullptr) {
            continue;
        }
        auto& custom = customField(*pRec, n);
        if (source->kind == SourceKind::Date) {
            double date = 0;
            std::memcpy(&date, imageField(pImage, source->offset), sizeof date);
            CxDateTime when;
            when.SetVariantTime(date);
            char text[CustomText::kWidth]{};
            when.DateText(text, sizeof text);
            copyToField(custom, text);
        } else {
            copyToField(custom, fieldText(imageField(pImage, source->offset), source->width));
        }
    }
    copyToField(pRec->Note, fieldText(pImage->Body));
}

void OlAddrUtil::RecordToImage(const CommAddrRec* pRec, OlContactImage* pImage) {
    OlItemUtil::RecordToImage(pRec, pImage);
    // A mapped custom field overrides the standard field of the same property; dates and the
    // gender cannot be written from a text.
    for (int n = 1; n <= 9; ++n) {
        const CustomFieldSource* source = customSource(m_pCustomMap, n);
        if (source == nullptr || source->kind != SourceKind::Text) {
            continue;
        }
        copyToField(imageField(pImage, source->offset), source->width,
                    customField(*pRec, n).view());
    }
    copyToField(pImage->Body, fieldText(pRec->Note));
    copyToField(pImage->FolderName, fieldText(pRec->Category));
}

} // namespace twinleaf

// OlAddrUtil: the Outlook side of the contacts tab. It reads every item of Outlook's default
// contacts folder into common contact records, creates contacts from common records and
// rewrites existing ones. Between an item and a record stands OlContactImage, the in-memory copy
// of the item's properties; an update starts from the item's own image, so properties the record
// lacks are written back as they were read.
//
// Nine user-mappable custom fields connect the Palm custom fields with any of the Outlook
// contact properties listed in the CustomFieldSource table.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/outlook/OlItem.h"

namespace twinleaf {

// One Outlook contact's properties; texts are 8-bit ANSI, the width includes the terminator.
struct OlContactImage {
    char Account[32];
    win::DATE Anniversary;
    char AssistName[64];
    char AssistTelephoneNumber[24];
    win::DATE Birthday;
    char Business2TelephoneNumber[24];
    char BusinessAddressCity[24];
    char BusinessAddressCountry[24];
    char BusinessAddressPostalCode[12];
    char BusinessAddressPostOfficeBox[12];
    char BusinessAddressState[24];
    char BusinessAddressStreet[128];
    char BusinessAddressFaxNumber[24];
    char BusinessHomePage[256];
    char BusinessTelephoneNumber[24];
    char CallbackTelephoneNumber[24];
    char CarTelephoneNumber[24];
    char CompanyMainTelephoneNumber[24];
    char CompanyName[64];
    char ComputerNetworkName[32];
    char CustomerID[24];
    char Department[32];
    char Email1Address[64];
    char Email1AddressType[16];
    char Email1DisplayName[64];
    char Email2Address[64];
    char Email2AddressType[16];
    char Email2DisplayName[64];
    char Email3Address[64];
    char Email3AddressType[16];
    char Email3DisplayName[64];
    char FirstName[64];
    char FTPSite[256];
    char FullName[64];
    win::LONG Gender;
    char Hobby[128];
    char Home2TelephoneNumber[24];
    char HomeAddressCity[24];
    char HomeAddressCountry[24];
    char HomeAddressPostalCode[12];
    char HomeAddressPostOfficeBox[12];
    char HomeAddressState[24];
    char HomeAddressStreet[128];
    char HomeFaxNumber[24];
    char HomeTelephoneNumber[24];
    char IMAddress[32];
    char Initials[8];
    char ISDNNumber[24];
    char JobTitle[32];
    char Language[8];
    char LastName[64];
    char MailingAddressCity[24];
    char MailingAddressCountry[24];
    char MailingAddressPostalCode[12];
    char MailingAddressPOBox[12];
    char MailingAddressState[24];
    char MailingAddressStreet[128];
    char ManagerName[64];
    char MiddleName[64];
    char MobileTelephoneNumber[24];
    char NickName[64];
    char OtherAddressCity[24];
    char OtherAddressCountry[24];
    char OtherAddressPostalCode[12];
    char OtherAddressPostOfficeBox[12];
    char OtherAddressState[24];
    char OtherAddressStreet[128];
    char OtherTelephoneNumber[24];
    char PagerNumber[24];
    char PersonalHomePage[256];
    char PrimaryTelephoneNumber[24];
    char Profession[32];
    char RadioTelephoneNumber[24];
    char Spouse[64];
    char Suffix[8]; // no Outlook property: never read or written
    char WebPage[256];
    char Body[2048];
    char FolderName[32]; // the folder's "Name"; never written
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    // Always null: an image holds no automation reference. Items are found again by position.
    win::IDispatch* pItem;
};

// The entries the nine custom fields can be mapped to: 0 "None" to 77 "IMAddress".
inline constexpr int kCustomFieldSourceCount = 78;
// The display name of an entry; "" for a number outside the table.
const char* CustomFieldSourceName(int nSource);

struct OlContactKind {
    using Record = CommAddrRec;
    using List = CommAddrMgr;
    using Image = OlContactImage;
    // Properties the record does not carry are written back as the item had them.
    static constexpr bool kUpdateFromStoredImage = true;
    static const OlItemKind& Description();
};

extern template class OlItemUtil<OlContactKind>;

// Contacts add the custom-field map to the table: a mapped custom field is read from, and
// written over, the property it is mapped to.
class OlAddrUtil : public OlItemUtil<OlContactKind> {
public:
    explicit OlAddrUtil(const char* szName = nullptr) : OlItemUtil(szName), m_pCustomMap(nullptr) {}

    // A ten-entry map owned by the caller: entries 1 to 9 give the CustomFieldSource of Custom1 to
    // Custom9. Null means no mapping.
    void SetCustomMap(const int* pMap) { m_pCustomMap = pMap; }

    void ImageToRecord(const OlContactImage* pImage, CommAddrRec* pRec) override;
    void RecordToImage(const CommAddrRec* pRec, OlContactImage* pImage) override;

private:
    const int* m_pCustomMap;
};

} // namespace twinleaf

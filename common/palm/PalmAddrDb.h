// The contacts of a Palm Desktop 6 user: the table "Main" of Address.mdb in the user's address
// folder, one record per row with one field per column, read whole and stored row by row.
#pragma once

#include "common/palm/PalmDatabase.h"

#include <cstdint>

namespace twinleaf {

// One row of the contacts' "Main" table, fields in column order, texts in the ANSI code page.
struct PmAddrEx2Rec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Placement;
    std::uint8_t Private;
    std::int32_t Category;
    char Note[2048];
    char Prefix[32];
    char FirstName[64];
    char MiddleName[64];
    char LastName[64];
    char Suffix[32];
    char NickName[64];
    std::int32_t Anniversary;
    std::int32_t Birthday;
    char Profession[128];
    char Company[128];
    char JobTitle[128];
    char AssistantName[64];
    char AssistantPhone[64];
    char WorkStreet[256];
    char WorkCity[32];
    char WorkState[32];
    char WorkZip[32];
    char WorkCountry[32];
    char HomeStreet[256];
    char HomeCity[32];
    char HomeState[32];
    char HomeZip[32];
    char HomeCountry[32];
    char OtherStreet[256];
    char OtherCity[32];
    char OtherState[32];
    char OtherZip[32];
    char OtherCountry[32];
    char WorkPhone[128];
    char WorkFax[128];
    char WorkMobile[128];
    char HomePhone[128];
    char HomeFax[128];
    char HomeMobile[128];
    char OtherPhone[128];
    char OtherFax[128];
    char OtherMobile[128];
    char WorkEMail[128];
    char EMail1[128];
    char EMail2[128];
    char EMail3[128];
    char Pager[128];
    char Custom1[256];
    char Custom2[256];
    char Custom3[256];
    char Custom4[256];
    std::int32_t PrimaryContact;
    std::int32_t PhoneLabel1;
    std::int32_t PhoneLabel2;
    std::int32_t PhoneLabel3;
    std::int32_t PhoneLabel4;
    std::int32_t PhoneLabel5;
    std::int32_t PhoneLabel6;
    std::int32_t PhoneLabel7;
    char FirstYomi[64];
    char LastYomi[64];
    char CompanyYomi[64];
    char Chat1[128];
    char Chat2[128];
    std::int32_t Chat1LabelID;
    std::int32_t Chat2LabelID;
    char Website[256];
    char Custom5[256];
    char Custom6[256];
    char Custom7[256];
    char Custom8[256];
    char Custom9[256];
    char Custom10[256];
    char Custom11[256];
    char Custom12[256];
    char Custom13[256];
    char Custom14[256];
    std::uint8_t BirthdayAlarmSet;
    std::int32_t BirthdayAlarmAdv;
    std::int32_t Avatar;
    std::int32_t AddrLabel1;
    std::int32_t AddrLabel2;
    std::int32_t AddrLabel3;
    std::uint8_t AnniversaryAlarmSet;
    std::int32_t AnniversaryAlarmAdv;
    char EnglishName[128];
    char PictureURL[256];
    char PictureFilename[256];
    char PictureMIMEtype[32];
    char PictureSynccounter[32];
    char RingtoneURL[256];
    char RingtoneFilename[256];
    char RingtoneMIMEtype[32];
    char RingtoneSynccounter[32];
    // Not columns: the category name the facade sets, and the slot texts by phone label (0 to
    // 7) as the row held them when it was read.
    char CategoryName[32];
    char LabelPhones[8][128];
};

class PmAddrEx2DataMgr : public PmRecordList<PmAddrEx2Rec> {};

class PmAddrEx2Util : public PmEx2Table<PmAddrEx2Rec> {
public:
    PmAddrEx2Util();
    explicit PmAddrEx2Util(const std::string& path);

    // Kept for the facade's sake; the database keeps names as they are.
    void SetSwapName(bool swap) { m_bSwapName = swap; }

protected:
    void Completed(PmAddrEx2Rec& record) override;

private:
    bool m_bSwapName = false;
};

} // namespace twinleaf

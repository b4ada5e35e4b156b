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
    TextField<2048> Note;
    TextField<32> Prefix;
    TextField<64> FirstName;
    TextField<64> MiddleName;
    TextField<64> LastName;
    TextField<32> Suffix;
    TextField<64> NickName;
    std::int32_t Anniversary;
    std::int32_t Birthday;
    TextField<128> Profession;
    TextField<128> Company;
    TextField<128> JobTitle;
    TextField<64> AssistantName;
    TextField<64> AssistantPhone;
    TextField<256> WorkStreet;
    TextField<32> WorkCity;
    TextField<32> WorkState;
    TextField<32> WorkZip;
    TextField<32> WorkCountry;
    TextField<256> HomeStreet;
    TextField<32> HomeCity;
    TextField<32> HomeState;
    TextField<32> HomeZip;
    TextField<32> HomeCountry;
    TextField<256> OtherStreet;
    TextField<32> OtherCity;
    TextField<32> OtherState;
    TextField<32> OtherZip;
    TextField<32> OtherCountry;
    TextField<128> WorkPhone;
    TextField<128> WorkFax;
    TextField<128> WorkMobile;
    TextField<128> HomePhone;
    TextField<128> HomeFax;
    TextField<128> HomeMobile;
    TextField<128> OtherPhone;
    TextField<128> OtherFax;
    TextField<128> OtherMobile;
    TextField<128> WorkEMail;
    TextField<128> EMail1;
    TextField<128> EMail2;
    TextField<128> EMail3;
    TextField<128> Pager;
    TextField<256> Custom1;
    TextField<256> Custom2;
    TextField<256> Custom3;
    TextField<256> Custom4;
    std::int32_t PrimaryContact;
    std::int32_t PhoneLabel1;
    std::int32_t PhoneLabel2;
    std::int32_t PhoneLabel3;
    std::int32_t PhoneLabel4;
    std::int32_t PhoneLabel5;
    std::int32_t PhoneLabel6;
    std::int32_t PhoneLabel7;
    TextField<64> FirstYomi;
    TextField<64> LastYomi;
    TextField<64> CompanyYomi;
    TextField<128> Chat1;
    TextField<128> Chat2;
    std::int32_t Chat1LabelID;
    std::int32_t Chat2LabelID;
    TextField<256> Website;
    TextField<256> Custom5;
    TextField<256> Custom6;
    TextField<256> Custom7;
    TextField<256> Custom8;
    TextField<256> Custom9;
    TextField<256> Custom10;
    TextField<256> Custom11;
    TextField<256> Custom12;
    TextField<256> Custom13;
    TextField<256> Custom14;
    std::uint8_t BirthdayAlarmSet;
    std::int32_t BirthdayAlarmAdv;
    std::int32_t Avatar;
    std::int32_t AddrLabel1;
    std::int32_t AddrLabel2;
    std::int32_t AddrLabel3;
    std::uint8_t AnniversaryAlarmSet;
    std::int32_t AnniversaryAlarmAdv;
    TextField<128> EnglishName;
    TextField<256> PictureURL;
    TextField<256> PictureFilename;
    TextField<32> PictureMIMEtype;
    TextField<32> PictureSynccounter;
    TextField<256> RingtoneURL;
    TextField<256> RingtoneFilename;
    TextField<32> RingtoneMIMEtype;
    TextField<32> RingtoneSynccounter;
    // Not columns: the category name the facade sets, and the slot texts by phone label (0 to
    // 7) as the row held them when it was read.
    TextField<32> CategoryName;
    TextField<128> LabelPhones[8];
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

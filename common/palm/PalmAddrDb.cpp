// The contacts' columns and the per-label phone texts kept beside them.
#include "common/palm/PalmAddrDb.h"

#include <cstddef>

namespace twinleaf {
namespace {

// The columns in select and insert order. Every column the contact facade maps is compared and
// written, phone labels and chat addresses included, so that a change it makes reaches the row.
const PmColumn kAddrColumns[] = {
    {"Record ID", ColumnValue::Int, offsetof(PmAddrEx2Rec, RecordId), 0, true, true},
    {"Status", ColumnValue::Int, offsetof(PmAddrEx2Rec, Status), 0, true, true},
    {"Placement", ColumnValue::Int, offsetof(PmAddrEx2Rec, Placement), 0, false, true},
    {"Private", ColumnValue::Bool, offsetof(PmAddrEx2Rec, Private), 0, true, true},
    {"Category", ColumnValue::NumberText, offsetof(PmAddrEx2Rec, Category), 0, true, true},
    {"Note", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Note), true, true},
    {"Prefix", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Prefix), true, true},
    {"First Name", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, FirstName), true, true},
    {"Middle Name", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, MiddleName), true, true},
    {"Last Name", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, LastName), true, true},
    {"Suffix", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Suffix), true, true},
    {"NickName", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, NickName), true, true},
    {"Anniversary", ColumnValue::Int, offsetof(PmAddrEx2Rec, Anniversary), 0, true, true},
    {"Birthday", ColumnValue::Int, offsetof(PmAddrEx2Rec, Birthday), 0, true, true},
    {"Profession", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Profession), true, true},
    {"Company", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Company), true, true},
    {"Job Title", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, JobTitle), true, true},
    {"Assistant Name", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, AssistantName), true, true},
    {"Assistant Phone", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, AssistantPhone), true,
     true},
    {"Work Street", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkStreet), true, true},
    {"Work City", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkCity), true, true},
    {"Work State", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkState), true, true},
    {"Work Zip", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkZip), true, true},
    {"Work Country", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkCountry), true, true},
    {"Home Street", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeStreet), true, true},
    {"Home City", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeCity), true, true},
    {"Home State", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeState), true, true},
    {"Home Zip", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeZip), true, true},
    {"Home Country", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeCountry), true, true},
    {"Other Street", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherStreet), true, true},
    {"Other City", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherCity), true, true},
    {"Other State", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherState), true, true},
    {"Other Zip", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherZip), true, true},
    {"Other Country", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherCountry), true, true},
    {"Work Phone", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkPhone), true, true},
    {"Work Fax", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkFax), true, true},
    {"Work Mobile", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkMobile), true, true},
    {"Home Phone", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomePhone), true, true},
    {"Home Fax", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeFax), true, true},
    {"Home Mobile", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, HomeMobile), true, true},
    {"Other Phone", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherPhone), true, true},
    {"Other Fax", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherFax), false, false},
    {"Other Mobile", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, OtherMobile), false, false},
    {"Work E-mail", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, WorkEMail), false, false},
    {"E-mail 1", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, EMail1), false, false},
    {"E-mail 2", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, EMail2), false, false},
    {"E-mail 3", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, EMail3), false, false},
    {"Pager", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Pager), false, false},
    {"Custom 1", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom1), true, true},
    {"Custom 2", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom2), true, true},
    {"Custom 3", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom3), true, true},
    {"Custom 4", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom4), true, true},
    {"Primary Contact", ColumnValue::Int, offsetof(PmAddrEx2Rec, PrimaryContact), 0, true, true},
    {"Phone Label1", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel1), 0, true, true},
    {"Phone Label2", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel2), 0, true, true},
    {"Phone Label3", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel3), 0, true, true},
    {"Phone Label4", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel4), 0, true, true},
    {"Phone Label5", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel5), 0, true, true},
    {"Phone Label6", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel6), 0, true, true},
    {"Phone Label7", ColumnValue::Int, offsetof(PmAddrEx2Rec, PhoneLabel7), 0, true, true},
    {"First Yomi", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, FirstYomi), false, false},
    {"Last Yomi", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, LastYomi), false, false},
    {"Company Yomi", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, CompanyYomi), false, false},
    {"Chat1", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Chat1), true, true},
    {"Chat2", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Chat2), true, true},
    {"Chat1 LabelID", ColumnValue::Int, offsetof(PmAddrEx2Rec, Chat1LabelID), 0, true, false},
    {"Chat2 LabelID", ColumnValue::Int, offsetof(PmAddrEx2Rec, Chat2LabelID), 0, true, false},
    {"Website", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Website), true, true},
    {"Custom 5", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom5), true, true},
    {"Custom 6", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom6), true, true},
    {"Custom 7", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom7), true, true},
    {"Custom 8", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom8), true, true},
    {"Custom 9", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom9), true, true},
    {"Custom 10", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom10), true, true},
    {"Custom 11", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom11), true, true},
    {"Custom 12", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom12), true, true},
    {"Custom 13", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom13), true, true},
    {"Custom 14", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, Custom14), true, true},
    {"Birthday AlarmSet", ColumnValue::Bool, offsetof(PmAddrEx2Rec, BirthdayAlarmSet), 0, true,
     true},
    {"Birthday AlarmAdv", ColumnValue::Int, offsetof(PmAddrEx2Rec, BirthdayAlarmAdv), 0, true,
     true},
    {"Avatar", ColumnValue::Int, offsetof(PmAddrEx2Rec, Avatar), 0, false, true},
    {"Addr Label1", ColumnValue::Int, offsetof(PmAddrEx2Rec, AddrLabel1), 0, true, false},
    {"Addr Label2", ColumnValue::Int, offsetof(PmAddrEx2Rec, AddrLabel2), 0, true, false},
    {"Addr Label3", ColumnValue::Int, offsetof(PmAddrEx2Rec, AddrLabel3), 0, true, false},
    {"Anniversary AlarmSet", ColumnValue::Bool, offsetof(PmAddrEx2Rec, AnniversaryAlarmSet), 0,
     true, true},
    {"Anniversary AlarmAdv", ColumnValue::Int, offsetof(PmAddrEx2Rec, AnniversaryAlarmAdv), 0, true,
     true},
    {"English Name", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, EnglishName), true, true},
    {"Picture URL", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, PictureURL), true, true},
    {"Picture Filename", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, PictureFilename), true,
     true},
    {"Picture MIME type", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, PictureMIMEtype), true,
     true},
    {"Picture Sync counter", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, PictureSynccounter),
     true, true},
    {"Ringtone URL", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, RingtoneURL), true, true},
    {"Ringtone Filename", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, RingtoneFilename), true,
     true},
    {"Ringtone MIME type", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, RingtoneMIMEtype), true,
     true},
    {"Ringtone Sync counter", ColumnValue::Text, TL_OFFSET_WIDTH(PmAddrEx2Rec, RingtoneSynccounter),
     true, true},
};

// A row whose "Record ID" is 0 has no identity of its own: it is found by its names.
const char* const kAddrKeys[] = {"Record ID", "First Name", "Last Name"};

const PmEx2Layout kAddrLayout = {kAddrColumns, kAddrKeys, PmDataKind::Addr, "address",
                                 "Address.mdb"};

} // namespace

PmAddrEx2Util::PmAddrEx2Util() : PmEx2Table(kAddrLayout) {}

PmAddrEx2Util::PmAddrEx2Util(const std::string& path) : PmAddrEx2Util() {
    OpenFile(path);
}

// The slot texts by label; a later slot with the same label wins.
void PmAddrEx2Util::Completed(PmAddrEx2Rec& record) {
    const std::int32_t labels[] = {record.PhoneLabel1, record.PhoneLabel2, record.PhoneLabel3,
                                   record.PhoneLabel4, record.PhoneLabel5, record.PhoneLabel6,
                                   record.PhoneLabel7};
    const TextField<128>* texts[] = {&record.WorkPhone, &record.WorkFax, &record.WorkMobile,
                                     &record.HomePhone, &record.HomeFax, &record.HomeMobile,
                                     &record.OtherPhone};
    for (std::size_t slot = 0; slot < 7; ++slot) {
        if (labels[slot] >= 0 && labels[slot] <= 7) {
            record.LabelPhones[labels[slot]] = *texts[slot];
        }
    }
}

} // namespace twinleaf

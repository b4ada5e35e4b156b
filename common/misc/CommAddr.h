// The common contact record both sides of the contacts tab are converted into, its list and the
// matching rule the whole contact sync rests on. Palm Desktop contacts and Outlook contacts are
// never compared directly: each side fills a CommAddrMgr, and records are paired with FindMatch.
#pragma once

#include "common/misc/CommRecord.h"
#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace twinleaf {

// A flat, fixed-size value record; a zeroed record is an empty one. Texts are 8-bit (Windows-1252),
// NUL-terminated, and the width includes the terminator. Dates are OLE automation dates.
struct CommAddrRec {
    TextField<32> FirstName;
    TextField<32> LastName;
    TextField<32> MiddleName;
    TextField<8> Suffix;
    TextField<32> FullName;
    TextField<32>
        PalmSuffix; // the suffix as the Desktop 6 database keeps it; not carried to Outlook
    TextField<32> Account;
    win::DATE Anniversary;
    TextField<16> Initials; // Outlook's initials; the Desktop 6 name prefix goes here
    TextField<8> Language;
    TextField<256> WorkStreet;
    TextField<32> WorkCity;
    TextField<32> WorkState;
    TextField<16> WorkPostal;
    TextField<32> WorkCountry;
    TextField<256> HomeStreet;
    TextField<32> HomeCity;
    TextField<32> HomeState;
    TextField<16> HomePostal;
    TextField<32> HomeCountry;
    TextField<256> OtherStreet;
    TextField<32> OtherCity;
    TextField<32> OtherState;
    TextField<16> OtherPostal;
    TextField<32> OtherCountry;
    TextField<24> HomePhone;
    TextField<24> WorkPhone;
    TextField<24> MobilePhone;
    TextField<24> MainPhone;
    TextField<24> OtherPhone;
    TextField<24> RadioPhone;
    TextField<24> CarPhone;
    TextField<24> CallbackPhone;
    TextField<64> EMail;
    TextField<64> EMail2;
    TextField<64> EMail3;
    TextField<24> Fax;
    TextField<24> HomeFax;
    TextField<24> Pager;
    TextField<16> EMail1Type;
    TextField<16> EMail2Type;
    TextField<16> EMail3Type;
    TextField<32> EMail1DisplayName;
    TextField<32> EMail2DisplayName;
    TextField<32> EMail3DisplayName;
    TextField<64> Company;
    TextField<32> Title;
    TextField<32> Department;
    TextField<32> AssistantName;
    TextField<16> AssistantPhone;
    TextField<32> Profession;
    TextField<128> Hobby;
    TextField<32> NickName;
    TextField<32> Spouse;
    TextField<32> ComputerNetworkName;
    TextField<32> CustomerID;
    TextField<256> FTPSite;
    TextField<32> IMAddress;
    TextField<32> IMAddress2;
    TextField<256> HomePage;
    TextField<256> PersonalHomePage;
    TextField<2048> Note;
    TextField<64> Custom1;
    TextField<64> Custom2;
    TextField<64> Custom3;
    TextField<64> Custom4;
    TextField<64> Custom5;
    TextField<64> Custom6;
    TextField<64> Custom7;
    TextField<64> Custom8;
    TextField<64> Custom9;
    TextField<64> Category;
    win::DATE Birthday;
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    std::int32_t SourceType;
    std::int32_t CompareStatus; // 0 same, 1 new, 2 different; the loader's status word before that
    std::uint32_t SourceRecordId;
    std::int32_t Private;
    void* Native; // owned, from malloc; copied with the record
    std::uint32_t NativeSize;
};

// Where a record came from (CommAddrRec::SourceType).
enum AddrSourceType : std::int32_t {
    kSourcePalm = 1,
    kSourcePalmExtended = 2,
    kSourceOutlook = 3,
    kSourcePalmDesktop6 = 16,
};

// One row of the field-descriptor table through which fields are chosen at run time (list-view
// columns, the conflict dialog). The size is the buffer guard GetFieldText applies, not always the
// field's width.
struct AddrFieldDesc {
    std::uint32_t nId;
    char szName[32];
    std::uint32_t nSize;
};

inline constexpr std::size_t kAddrFieldDescRows = 90;

// All 90 rows in table order; the filled ones first, the rest zero.
std::span<const AddrFieldDesc, kAddrFieldDescRows> AddrFieldDescTable();

// Copies the first row whose id equals `id`; id 0 therefore finds the first empty row.
bool FindFieldDesc(std::uint32_t id, AddrFieldDesc* pDesc);

// Writes the display text of one field into szBuf: texts cut to nBufLen - 1 characters, the two
// time stamps as "MM/DD/YYYY hh:mm:ss", the source type by name. False for a missing argument, a
// buffer not larger than the descriptor's size, or an id without text.
bool GetFieldText(const CommAddrRec* pRec, const AddrFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen);

// The text of a source type code, or null for a code without one (16 among them).
const char* SourceTypeText(std::int32_t sourceType);

// Every member of CommAddrRec in declaration order, with its type, merge rule, whether it takes
// part in equality and its descriptor, if it has one. Native and NativeSize are left out: they
// are not data.
std::span<const CommField> AddrFieldLayoutTable();

// Matching: a record is a candidate for another when the names agree (last and first name) or
// the first e-mail addresses agree (both non-empty), and one of the home, work, mobile and main
// numbers is the same on both (two empty numbers counting as the same). Written as keys, one per
// telephone field for the names and one per telephone field for the e-mail: two records are
// candidates exactly when they share one.
struct AddrRecordTraits {
    using Record = CommAddrRec;
    static constexpr std::size_t kMaxKeys = 8;
    static std::span<const CommField> Fields() { return AddrFieldLayoutTable(); }
    static std::size_t Keys(const CommAddrRec& rec, MatchKey* keys);
};

// The list of common contact records of one side.
class CommAddrMgr : public CommRecordMgr<AddrRecordTraits> {};

} // namespace twinleaf

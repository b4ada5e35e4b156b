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
    char FirstName[32];
    char LastName[32];
    char MiddleName[32];
    char Suffix[8];
    char FullName[32];
    char PalmSuffix[32]; // the suffix as the Desktop 6 database keeps it; not carried to Outlook
    char Account[32];
    win::DATE Anniversary;
    char Initials[16]; // Outlook's initials; the Desktop 6 name prefix goes here
    char Language[8];
    char WorkStreet[256];
    char WorkCity[32];
    char WorkState[32];
    char WorkPostal[16];
    char WorkCountry[32];
    char HomeStreet[256];
    char HomeCity[32];
    char HomeState[32];
    char HomePostal[16];
    char HomeCountry[32];
    char OtherStreet[256];
    char OtherCity[32];
    char OtherState[32];
    char OtherPostal[16];
    char OtherCountry[32];
    char HomePhone[24];
    char WorkPhone[24];
    char MobilePhone[24];
    char MainPhone[24];
    char OtherPhone[24];
    char RadioPhone[24];
    char CarPhone[24];
    char CallbackPhone[24];
    char EMail[64];
    char EMail2[64];
    char EMail3[64];
    char Fax[24];
    char HomeFax[24];
    char Pager[24];
    char EMail1Type[16];
    char EMail2Type[16];
    char EMail3Type[16];
    char EMail1DisplayName[32];
    char EMail2DisplayName[32];
    char EMail3DisplayName[32];
    char Company[64];
    char Title[32];
    char Department[32];
    char AssistantName[32];
    char AssistantPhone[16];
    char Profession[32];
    char Hobby[128];
    char NickName[32];
    char Spouse[32];
    char ComputerNetworkName[32];
    char CustomerID[32];
    char FTPSite[256];
    char IMAddress[32];
    char IMAddress2[32];
    char HomePage[256];
    char PersonalHomePage[256];
    char Note[2048];
    char Custom1[64];
    char Custom2[64];
    char Custom3[64];
    char Custom4[64];
    char Custom5[64];
    char Custom6[64];
    char Custom7[64];
    char Custom8[64];
    char Custom9[64];
    char Category[64];
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

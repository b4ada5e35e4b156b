// The contact facade: the one object through which the rest of the program reaches a Palm user's
// address book, whichever form it is stored in. It finds the form, loads it, keeps one item per
// listed Palm record and the common records made from them, and writes common records back.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/misc/CxList.h"
#include "common/palm/PalmAddr.h"
#include "common/palm/PalmComm.h"

#include <cstdint>
#include <string>

namespace twinleaf {

// Palm phone slot labels.
enum PalmPhoneLabel : std::int32_t {
    kPhoneWork = 0,
    kPhoneHome = 1,
    kPhoneFax = 2,
    kPhoneOther = 3,
    kPhoneEMail = 4,
    kPhoneMain = 5,
    kPhonePager = 6,
    kPhoneMobile = 7,
};

// The extended birthday and the Desktop 6 dates count days shifted by this against OLE dates.
inline constexpr std::int32_t kPalmDateOffset = 0x07B20101 - 25569;

// One listed Palm record: the facade's own copy of it, the record in the format object's list it
// stands for, and the common record made from it. One malloc'ed block; the common record carries
// a copy of it as its Native block.
struct PmAddrItem {
    PalmFormat format;
    void* source;
    CommAddrRec* commEntry;
    union {
        PmAddrRec classic;
    } record;
};

class PmAddrInfo {
public:
    PmAddrInfo();
    ~PmAddrInfo();
    PmAddrInfo(const PmAddrInfo&) = delete;
    PmAddrInfo& operator=(const PmAddrInfo&) = delete;

    // Whether the Palm files keep first and last name the other way round; set before Open.
    void SetSwapName(bool swap);
    // Loads the user's address book: the Desktop 6 database, else the extended file, else the
    // classic file. False (format Invalid) when none of them opens.
    bool Open(std::uint32_t userId);
    // The same for one given file of any form the facade knows.
    bool OpenPath(const char* path);
    void Close();
    bool IsOpen() const;
    PalmFormat GetFormat() const { return m_format; }
    CommAddrMgr* GetCommMgr() { return m_pCommMgr; }
    PmAddrItem* First();
    PmAddrItem* Next();

    // Adds the record when the list has no counterpart, updates the counterpart when it differs;
    // false when the two are the same.
    bool WriteRecord(const CommAddrRec* pRec);
    bool AddRecord(const CommAddrRec* pRec);
    // Overwrites listed record n (its position in the common list).
    bool UpdateRecord(const CommAddrRec* pRec, int n);
    // Writes the loaded file back in place.
    bool Save();

    static PalmFormat DetectFileFormat(const char* path);

    // Why the last Open, OpenPath or Save failed, naming the file; or, after an Open that read
    // only part of the file, what was left out.
    const std::string& GetLastError() const { return m_lastError; }
    PmAddrUtil* GetClassic() { return m_pClassic; }

    // The conversions between a classic record and a common record.
    static void ClassicToCommon(const PmAddrRec& palmRec, CommAddrRec& common);
    // On top of the record's current values: only non-empty texts are copied. The category is
    // resolved by the caller, which knows the file's table.
    static void CommonToClassic(const CommAddrRec& common, PmAddrRec& palmRec);

private:
    bool OpenFiles(const std::string& database, const std::string& dataFile);
    bool OpenDesktop6(const std::string& path);
    bool OpenExtended(const std::string& path);
    bool OpenClassic(const std::string& path);
    void BuildItems();
    bool ResolveCategory(PmAddrRec& palmRec);

    PalmFormat m_format = PalmFormat::None;
    CxList* m_pItems;
    CommAddrMgr* m_pCommMgr;
    PmAddrUtil* m_pClassic;
    std::string m_lastError;
};

} // namespace twinleaf

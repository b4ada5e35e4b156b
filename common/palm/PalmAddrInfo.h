// The contact facade: the one object through which the rest of the program reaches a Palm user's
// address book, whichever form it is stored in. It finds the form, loads it, keeps one item per
// listed Palm record and the common records made from them, and writes common records back.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/palm/PalmAddr.h"
#include "common/palm/PalmAddrDb.h"
#include "common/palm/PalmAddrEx.h"
#include "common/palm/PalmInfo.h"

#include <cstdint>

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

using PmAddrItem = PmItem<CommAddrRec>;

// The contacts as the generic Palm facade sees them.
struct PmAddrKind {
    using CommRec = CommAddrRec;
    using CommMgr = CommAddrMgr;
    using Item = PmAddrItem;
    using ClassicFile = PmAddrUtil;
    using ClassicRec = PmAddrRec;

    static constexpr const char* kFolder = "address";
    static constexpr const char* kClassicFile = "address.dat";
    static constexpr const char* kDatabaseFile = "Address.mdb";
    static constexpr const char* kDatabaseFolder = "address";
    using DatabaseUtil = PmAddrEx2Util;
    using DatabaseRec = PmAddrEx2Rec;
    static constexpr const char* kDatabaseNote = "a Palm Desktop 6 address database";
    static constexpr const char* kExtendedNote = "an extended Palm Desktop address book";
    static inline const ClassicFileKind& kClassicFileKind = kAddrClassicFile;

    static PmAddrRec& Classic(PmAddrItem& item) { return RowIn<PmAddrRec>(item); }
    static const PmAddrRec& Classic(const PmAddrItem& item) { return RowIn<PmAddrRec>(item); }
    static bool Listed(std::int32_t status) { return IsListedStatus(status); }
    static PmAddrEx2Rec& Database(PmAddrItem& item) { return RowIn<PmAddrEx2Rec>(item); }
    static const PmAddrEx2Rec& Database(const PmAddrItem& item) {
        return RowIn<PmAddrEx2Rec>(item);
    }
    static void DatabaseToCommon(const PmAddrEx2Rec& row, CommAddrRec& common);
    // On top of the row's current values: only non-empty texts are copied; the category name is
    // kept in the record but the row keeps its category id.
    static void CommonToDatabase(const CommAddrRec& common, PmAddrEx2Rec& row);
    static void ClassicToCommon(const PmAddrRec& palmRec, CommAddrRec& common);
    // On top of the record's current values: only non-empty texts are copied.
    static void CommonToClassic(const CommAddrRec& common, PmAddrRec& palmRec);
    // The record's category id from its name, created in the file's table when missing.
    static bool ResolveCategory(PmAddrUtil& file, PmAddrRec& palmRec);

    using ExtendedFile = PmAddrExUtil;
    using ExtendedRec = PmAddrExRec;
    static inline const ExtendedFileKind& kExtendedFileKind = kAddrExtendedFile;
    static PmAddrExRec& Extended(PmAddrItem& item) { return RowIn<PmAddrExRec>(item); }
    static const PmAddrExRec& Extended(const PmAddrItem& item) { return RowIn<PmAddrExRec>(item); }
    static void ExtendedToCommon(const PmAddrExRec& palmRec, CommAddrRec& common);
    // On top of the record's current values: only non-empty texts are copied.
    static void CommonToExtended(const CommAddrRec& common, PmAddrExRec& palmRec);
    static bool ResolveCategory(PmAddrExUtil& file, PmAddrExRec& palmRec);
};

class PmAddrInfo : public PmInfo<PmAddrKind> {
public:
    PmAddrInfo();

    // Whether the Palm files keep first and last name the other way round; set before Open.
    void SetSwapName(bool swap);
    static PalmFormat DetectFileFormat(const char* path);
    PmAddrUtil* GetClassic() { return m_pClassic; }
    PmAddrEx2Util* GetDesktop6() { return m_pDesktop6; }
    PmAddrExUtil* GetExtended() { return m_pExtended; }

    // The conversions between a classic record and a common record.
    static void ClassicToCommon(const PmAddrRec& palmRec, CommAddrRec& common) {
        PmAddrKind::ClassicToCommon(palmRec, common);
    }
    // On top of the record's current values: only non-empty texts are copied. The category is
    // resolved by the caller, which knows the file's table.
    static void CommonToClassic(const CommAddrRec& common, PmAddrRec& palmRec) {
        PmAddrKind::CommonToClassic(common, palmRec);
    }

private:
    PmAddrUtil* m_pClassic;     // owned by its form
    PmAddrEx2Util* m_pDesktop6; // owned by its form
    PmAddrExUtil* m_pExtended;  // owned by its form
};

} // namespace twinleaf

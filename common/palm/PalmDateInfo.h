// The calendar facade: the one object through which the rest of the program reaches a Palm user's
// date book. It finds the storage form, loads it, keeps one item per listed appointment and the
// common calendar records made from them, and writes common records back as new or changed
// appointments.
#pragma once

#include "common/misc/CommDate.h"
#include "common/palm/PalmDate.h"
#include "common/palm/PalmDateEx.h"
#include "common/palm/PalmInfo.h"
#include "common/palm/PalmKindsDb.h"

#include <cstdint>
#include <string>

namespace twinleaf {

using PmDateItem = PmItem<CommDateRec>;

// Whether a Palm repeat ends: not when its end date is the no-end date (or later) or -1.
bool PalmRepeatHasEnd(std::int32_t endDate);

struct PmDateKind {
    using CommRec = CommDateRec;
    using CommMgr = CommDateMgr;
    using Item = PmDateItem;
    using ClassicFile = PmDateUtil;
    using ClassicRec = PmDateRec;

    static constexpr const char* kFolder = "datebook";
    static constexpr const char* kClassicFile = "datebook.dat";
    static constexpr const char* kDatabaseFile = "DateBook.mdb";
    static constexpr const char* kDatabaseFolder = "datebook";
    using DatabaseUtil = PmDateEx2Util;
    using DatabaseRec = PmDateEx2Rec;
    static constexpr const char* kDatabaseNote = "a Palm Desktop 6 date book database";
    static constexpr const char* kExtendedNote = "an extended Palm Desktop date book";
    static inline const ClassicFileKind& kClassicFileKind = kDateClassicFile;

    static PmDateRec& Classic(PmDateItem& item) { return RowIn<PmDateRec>(item); }
    static const PmDateRec& Classic(const PmDateItem& item) { return RowIn<PmDateRec>(item); }
    static bool Listed(std::int32_t status) { return IsListedStatus(status); }
    static PmDateEx2Rec& Database(PmDateItem& item) { return RowIn<PmDateEx2Rec>(item); }
    static const PmDateEx2Rec& Database(const PmDateItem& item) {
        return RowIn<PmDateEx2Rec>(item);
    }
    static void DatabaseToCommon(const PmDateEx2Rec& row, CommDateRec& common);
    // On top of the row's current values; the row's own "Repeated Event" text is left alone.
    static void CommonToDatabase(const CommDateRec& common, PmDateEx2Rec& row);
    // Rows without a start or an end (-1) stay in the file but are not appointments anyone sees.
    static bool ClassicShown(const PmDateRec& palmRec) {
        return palmRec.StartTime != -1 && palmRec.EndTime != -1;
    }
    static void ClassicToCommon(const PmDateRec& palmRec, CommDateRec& common);
    // On top of the record's current values: empty texts leave the row's texts as they were.
    static void CommonToClassic(const CommDateRec& common, PmDateRec& palmRec);
    // Appointments keep their category; the common record's is not exchanged.
    static bool ResolveCategory(PmDateUtil&, PmDateRec&) { return true; }

    using ExtendedFile = PmDateExUtil;
    using ExtendedRec = PmDateExRec;
    static inline const ExtendedFileKind& kExtendedFileKind = kDateExtendedFile;
    static PmDateExRec& Extended(PmDateItem& item) { return RowIn<PmDateExRec>(item); }
    static const PmDateExRec& Extended(const PmDateItem& item) { return RowIn<PmDateExRec>(item); }
    // Unlike the classic file's, rows without a start or an end are listed.
    static void ExtendedToCommon(const PmDateExRec& palmRec, CommDateRec& common);
    static void CommonToExtended(const CommDateRec& common, PmDateExRec& palmRec);
    static bool ResolveCategory(PmDateExUtil&, PmDateExRec&) { return true; }
    // What of the record a date book row cannot hold and a write leaves out, naming the record
    // (Windows-1252); empty when the row holds all of it.
    static std::string Unheld(const CommDateRec& common, PalmFormat format);
};

class PmDateInfo : public PmInfo<PmDateKind> {
public:
    PmDateInfo();

    static PalmFormat DetectFileFormat(const char* path);
    PmDateUtil* GetClassic() { return m_pClassic; }
    PmDateEx2Util* GetDesktop6() { return m_pDesktop6; }
    PmDateExUtil* GetExtended() { return m_pExtended; }

private:
    PmDateUtil* m_pClassic;     // owned by its form
    PmDateEx2Util* m_pDesktop6; // owned by its form
    PmDateExUtil* m_pExtended;  // owned by its form
};

} // namespace twinleaf

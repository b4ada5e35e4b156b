// The memo facade: the one object through which the rest of the program reaches a Palm user's
// memo pad. It finds the storage form, loads it, keeps one item per listed memo and the common
// memo records made from them, and writes common records back as new or changed memos. A memo is
// one text; its first line serves as its subject.
#pragma once

#include "common/misc/CommNote.h"
#include "common/palm/PalmInfo.h"
#include "common/palm/PalmKindsDb.h"
#include "common/palm/PalmMemo.h"
#include "common/palm/PalmMemoEx.h"

#include <string_view>

namespace twinleaf {

using PmMemoItem = PmItem<CommNoteRec>;

// The first line of a memo's text: up to the first line break (CR, LF or both), at most 255
// characters.
std::string_view MemoSubjectOf(std::string_view text);

struct PmMemoKind {
    using CommRec = CommNoteRec;
    using CommMgr = CommNoteMgr;
    using Item = PmMemoItem;
    using ClassicFile = PmMemoUtil;
    using ClassicRec = PmMemoRec;
    using ExtendedFile = PmMemoExUtil;
    using ExtendedRec = PmMemoExRec;

    static constexpr const char* kFolder = "memopad";
    static constexpr const char* kClassicFile = "memopad.dat";
    static constexpr const char* kDatabaseFile = "MemoPad.mdb";
    static constexpr const char* kDatabaseFolder = "MemoPad";
    using DatabaseUtil = PmMemoEx2Util;
    using DatabaseRec = PmMemoEx2Rec;
    static constexpr const char* kDatabaseNote = "a Palm Desktop 6 memo database";
    static constexpr const char* kExtendedNote = "an extended Palm Desktop memo pad";
    static inline const ClassicFileKind& kClassicFileKind = kMemoClassicFile;
    static inline const ExtendedFileKind& kExtendedFileKind = kMemoExtendedFile;

    static PmMemoRec& Classic(PmMemoItem& item) { return RowIn<PmMemoRec>(item); }
    static const PmMemoRec& Classic(const PmMemoItem& item) { return RowIn<PmMemoRec>(item); }
    static bool Listed(std::int32_t status) { return IsListedStatus(status); }
    static PmMemoEx2Rec& Database(PmMemoItem& item) { return RowIn<PmMemoEx2Rec>(item); }
    static const PmMemoEx2Rec& Database(const PmMemoItem& item) {
        return RowIn<PmMemoEx2Rec>(item);
    }
    static void DatabaseToCommon(const PmMemoEx2Rec& row, CommNoteRec& common);
    // On top of the row's current values: an empty text leaves the memo's text as it was.
    static void CommonToDatabase(const CommNoteRec& common, PmMemoEx2Rec& row);
    static void ClassicToCommon(const PmMemoRec& palmRec, CommNoteRec& common);
    // On top of the record's current values: an empty text leaves the memo's text as it was.
    static void CommonToClassic(const CommNoteRec& common, PmMemoRec& palmRec);
    // Memos keep their category; the common record carries none.
    static bool ResolveCategory(PmMemoUtil&, PmMemoRec&) { return true; }

    static PmMemoExRec& Extended(PmMemoItem& item) { return RowIn<PmMemoExRec>(item); }
    static const PmMemoExRec& Extended(const PmMemoItem& item) { return RowIn<PmMemoExRec>(item); }
    static void ExtendedToCommon(const PmMemoExRec& palmRec, CommNoteRec& common);
    static void CommonToExtended(const CommNoteRec& common, PmMemoExRec& palmRec);
    static bool ResolveCategory(PmMemoExUtil&, PmMemoExRec&) { return true; }
};

class PmMemoInfo : public PmInfo<PmMemoKind> {
public:
    PmMemoInfo();

    static PalmFormat DetectFileFormat(const char* path);
    PmMemoUtil* GetClassic() { return m_pClassic; }
    PmMemoEx2Util* GetDesktop6() { return m_pDesktop6; }
    PmMemoExUtil* GetExtended() { return m_pExtended; }

private:
    PmMemoUtil* m_pClassic;     // owned by its form
    PmMemoEx2Util* m_pDesktop6; // owned by its form
    PmMemoExUtil* m_pExtended;  // owned by its form
};

} // namespace twinleaf

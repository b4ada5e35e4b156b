// The task facade: the one object through which the rest of the program reaches a Palm user's
// to-do list. It finds the storage form, loads it, keeps one item per listed to-do and the common
// task records made from them, and writes common records back as new or changed to-dos.
#pragma once

#include "common/misc/CommTask.h"
#include "common/palm/PalmInfo.h"
#include "common/palm/PalmKindsDb.h"
#include "common/palm/PalmTodo.h"
#include "common/palm/PalmTodoEx.h"

#include <cstdint>

namespace twinleaf {

using PmTodoItem = PmItem<CommTaskRec>;

// Palm priorities run from 1 (highest) to 5 (lowest); the common record knows high, normal, low.
std::int32_t PalmPriorityOf(std::int32_t commonPriority);
std::int32_t CommonPriorityOf(std::int32_t palmPriority);

struct PmTodoKind {
    using CommRec = CommTaskRec;
    using CommMgr = CommTaskMgr;
    using Item = PmTodoItem;
    using ClassicFile = PmTodoUtil;
    using ClassicRec = PmTodoRec;
    using ExtendedFile = PmTodoExUtil;
    using ExtendedRec = PmTodoExRec;

    static constexpr const char* kFolder = "todo";
    static constexpr const char* kClassicFile = "todo.dat";
    static constexpr const char* kDatabaseFile = "Todolist.mdb";
    static constexpr const char* kDatabaseFolder = "todo";
    using DatabaseUtil = PmTodoEx2Util;
    using DatabaseRec = PmTodoEx2Rec;
    static constexpr const char* kDatabaseNote = "a Palm Desktop 6 to-do database";
    static constexpr const char* kExtendedNote = "an extended Palm Desktop to-do list";
    static inline const ClassicFileKind& kClassicFileKind = kTodoClassicFile;
    static inline const ExtendedFileKind& kExtendedFileKind = kTodoExtendedFile;

    static PmTodoRec& Classic(PmTodoItem& item) { return RowIn<PmTodoRec>(item); }
    static const PmTodoRec& Classic(const PmTodoItem& item) { return RowIn<PmTodoRec>(item); }
    static bool Listed(std::int32_t status) { return IsListedStatus(status); }
    static PmTodoEx2Rec& Database(PmTodoItem& item) { return RowIn<PmTodoEx2Rec>(item); }
    static const PmTodoEx2Rec& Database(const PmTodoItem& item) {
        return RowIn<PmTodoEx2Rec>(item);
    }
    static void DatabaseToCommon(const PmTodoEx2Rec& row, CommTaskRec& common);
    static void CommonToDatabase(const CommTaskRec& common, PmTodoEx2Rec& row);
    static void ClassicToCommon(const PmTodoRec& palmRec, CommTaskRec& common);
    // On top of the record's current values: only non-empty texts are copied.
    static void CommonToClassic(const CommTaskRec& common, PmTodoRec& palmRec);
    // To-dos keep their category; the common record carries none.
    static bool ResolveCategory(PmTodoUtil&, PmTodoRec&) { return true; }

    static PmTodoExRec& Extended(PmTodoItem& item) { return RowIn<PmTodoExRec>(item); }
    static const PmTodoExRec& Extended(const PmTodoItem& item) { return RowIn<PmTodoExRec>(item); }
    static void ExtendedToCommon(const PmTodoExRec& palmRec, CommTaskRec& common);
    static void CommonToExtended(const CommTaskRec& common, PmTodoExRec& palmRec);
    static bool ResolveCategory(PmTodoExUtil&, PmTodoExRec&) { return true; }
};

class PmTodoInfo : public PmInfo<PmTodoKind> {
public:
    PmTodoInfo();

    static PalmFormat DetectFileFormat(const char* path);
    PmTodoUtil* GetClassic() { return m_pClassic; }
    PmTodoEx2Util* GetDesktop6() { return m_pDesktop6; }
    PmTodoExUtil* GetExtended() { return m_pExtended; }

private:
    PmTodoUtil* m_pClassic;     // owned by its form
    PmTodoEx2Util* m_pDesktop6; // owned by its form
    PmTodoExUtil* m_pExtended;  // owned by its form
};

} // namespace twinleaf

// The tasks kind for KindSidesOf: common task records compared through the match index, the to-do
// facade opened for the tasks' Palm user. A template over the facade and the access so that tests
// can put doubles in their place.
#pragma once

#include "common/misc/CommTask.h"
#include "common/palm/PalmTodoInfo.h"
#include "common/sync/KindSides.h"
#include "common/sync/Options.h"

#include <cstdint>
#include <string>

namespace twinleaf {

// The file the task facade writes on Save; empty when it cannot be named.
inline std::string palmFileName(PmTodoInfo& palm) {
    if (palm.GetFormat() == PalmFormat::Classic && palm.GetClassic() != nullptr) {
        return palm.GetClassic()->GetPath();
    }
    return {};
}

template <class PalmFacade, class OutlookAccess> struct TaskKindOf {
    using Record = CommTaskRec;
    using List = CommTaskMgr;
    using Palm = PalmFacade;
    using Outlook = OutlookAccess;
    struct State {};

    static void setUp(Palm&, Outlook&, const OptionBlock&, State&) {}

    static void openPalm(Palm& palm, const OptionBlock& options) {
        palm.Open(static_cast<std::uint32_t>(options.TodoUserID));
    }

    static List& palmList(Palm& palm) { return list(palm.GetCommMgr()); }
    static List& outlookList(Outlook& outlook) { return list(outlook.GetRecords()); }

    static void compare(List& own, List& other) { own.CompareWith(&other); }

    static PalmSaveResult save(Palm& palm) {
        PalmSaveResult result;
        result.ok = palm.Save();
        if (!result.ok) {
            result.file = palmFileName(palm);
            result.reason = palm.GetLastError();
        }
        return result;
    }

private:
    static List& list(List& mgr) { return mgr; }
    static List& list(List* mgr) { return *mgr; }
};

} // namespace twinleaf

// The tasks kind for KindSidesOf: common task records compared through the match index, the to-do
// facade opened for the tasks' Palm user. A template over the facade and the access so that tests
// can put doubles in their place.
#pragma once

#include "common/misc/CommTask.h"
#include "common/palm/PalmTodoInfo.h"
#include "common/sync/FacadeKind.h"
#include "common/sync/Options.h"

#include <cstdint>

namespace twinleaf {

template <class PalmFacade, class OutlookAccess>
struct TaskKindOf : FacadeKind<CommTaskRec, CommTaskMgr, PalmFacade, OutlookAccess> {
    struct State {};

    static void setUp(PalmFacade&, OutlookAccess&, const OptionBlock&, State&) {}

    static void openPalm(PalmFacade& palm, const OptionBlock& options) {
        openPalmSide(palm, options, DataKind::Todo, options.TodoUserID);
    }
};

} // namespace twinleaf

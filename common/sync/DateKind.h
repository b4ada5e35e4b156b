// The calendar kind for KindSidesOf: common calendar records compared through the match index,
// the date book facade opened for the calendar's Palm user, and the Outlook calendar with its
// appointments' bodies exchanged. A template over the facade and the access so that tests can put
// doubles in their place.
#pragma once

#include "common/misc/CommDate.h"
#include "common/palm/PalmDateInfo.h"
#include "common/sync/FacadeKind.h"
#include "common/sync/Options.h"

#include <cstdint>

namespace twinleaf {

template <class PalmFacade, class OutlookAccess>
struct DateKindOf : FacadeKind<CommDateRec, CommDateMgr, PalmFacade, OutlookAccess> {
    struct State {};

    // The calendar is the one kind whose notes travel only once this is switched on.
    static void setUp(PalmFacade&, OutlookAccess& outlook, const OptionBlock&, State&) {
        outlook.SetIncludeBody(1);
    }

    static void openPalm(PalmFacade& palm, const OptionBlock& options) {
        openPalmSide(palm, options, DataKind::Date, options.DateUserID);
    }
};

} // namespace twinleaf

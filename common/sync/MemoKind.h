// The memos kind for KindSidesOf: common memo records compared through the match index, the memo
// facade opened for the memos' Palm user. A template over the facade and the access so that tests
// can put doubles in their place.
#pragma once

#include "common/misc/CommNote.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/sync/FacadeKind.h"
#include "common/sync/Options.h"

#include <array>
#include <cstdint>

namespace twinleaf {

template <class PalmFacade, class OutlookAccess>
struct MemoKindOf : FacadeKind<CommNoteRec, CommNoteMgr, PalmFacade, OutlookAccess> {
    struct State {};
    // Both sides make a memo's subject of the first line of its text.
    static constexpr std::array<const char*, 1> kDerivedFields = {"Subject"};

    static void setUp(PalmFacade&, OutlookAccess&, const OptionBlock&, State&) {}

    static void openPalm(PalmFacade& palm, const OptionBlock& options) {
        openPalmSide(palm, options, DataKind::Memo, options.MemoUserID);
    }
};

} // namespace twinleaf

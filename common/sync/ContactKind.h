// The contacts kind for KindSidesOf: common contact records, compared through the match index,
// and the contact set-up (the custom-field map for the Outlook access, the name swap for the
// facade). A template over the facade and the access so that tests can put doubles in their place.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/sync/FacadeKind.h"
#include "common/sync/Options.h"

#include <array>
#include <cstdint>

namespace twinleaf {

// The contact field map handed to the Outlook contact access: AddrType and the nine AddrCustom
// values. The access keeps a pointer to it, so it lives with the kind's sides.
using ContactFieldMap = std::array<std::int32_t, 10>;

// The map as every reader of Outlook contacts must use it, so that what `show` prints is what a
// sync compares and writes.
inline ContactFieldMap contactFieldMap(const OptionBlock& options) {
    ContactFieldMap map{};
    map[0] = options.AddrType;
    for (std::size_t i = 0; i < 9; ++i) {
        map[i + 1] = options.AddrCustom[i];
    }
    return map;
}

template <class PalmFacade, class OutlookAccess>
struct ContactKindOf : FacadeKind<CommAddrRec, CommAddrMgr, PalmFacade, OutlookAccess> {
    using Palm = PalmFacade;
    using Outlook = OutlookAccess;
    struct State {
        ContactFieldMap fieldMap;
    };
    // Outlook makes these of the names; the Palm record has the names themselves.
    static constexpr std::array<const char*, 2> kDerivedFields = {"FullName", "Initials"};

    static void setUp(Palm&, Outlook& outlook, const OptionBlock& options, State& state) {
        state.fieldMap = contactFieldMap(options);
        outlook.SetCustomMap(state.fieldMap.data());
    }

    static void openPalm(Palm& palm, const OptionBlock& options) {
        palm.SetSwapName(options.AddrSwapName != 0);
        openPalmSide(palm, options, DataKind::Addr, options.AddrUserID);
    }
};

} // namespace twinleaf

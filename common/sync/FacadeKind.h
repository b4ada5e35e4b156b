// What every kind for KindSidesOf built on a Palm facade and an Outlook access shares: the two
// common lists, the comparison through the match index, and the save of the Palm side with the
// file it writes. A kind derives from it and adds its State, setUp and openPalm.
#pragma once

#include "common/palm/PalmInfo.h"
#include "common/sync/KindSides.h"
#include "common/sync/Options.h"

#include <cstdint>
#include <string>

namespace twinleaf {

// The file a facade writes on Save; empty when it cannot be named.
template <class Facade> std::string palmFileName(Facade& palm) {
    return palm.GetLoadedPath();
}

// Opens a kind's Palm side from the file the user chose by name, or else from the Palm user's
// own data: a chosen file that has gone (a removed stick, a renamed folder) leaves the user's
// data in view rather than an empty list.
template <class Facade>
void openPalmSide(Facade& palm, const OptionBlock& options, DataKind kind, std::int32_t userId) {
    if (const std::string file = usablePalmFile(options, kind); !file.empty()) {
        palm.OpenPath(file.c_str());
    } else {
        palm.Open(static_cast<std::uint32_t>(userId));
    }
}

template <class Rec, class Mgr, class PalmFacade, class OutlookAccess> struct FacadeKind {
    using Record = Rec;
    using List = Mgr;
    using Palm = PalmFacade;
    using Outlook = OutlookAccess;

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

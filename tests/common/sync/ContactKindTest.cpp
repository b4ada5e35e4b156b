// What the contacts kind does beyond the common algorithm: the custom-field map handed to the
// Outlook access, living as long as the sides, the name swap set before the Palm side opens, and
// the Outlook side compared and written as the Palm form holds records.
#include "common/sync/ContactKind.h"

#include "common/sync/KindSides.h"
#include "common/sync/Options.h"
#include "platform/text/FieldText.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace twinleaf {
namespace {

struct SwapRecordingFacade {
    CommAddrMgr list;
    std::vector<bool> swapAtOpen;
    bool swap = false;
    void SetSwapName(bool flag) { swap = flag; }
    bool Open(std::uint32_t) {
        swapAtOpen.push_back(swap);
        return true;
    }
    bool OpenPath(const char*) { return true; }
    bool IsOpen() const { return true; }
    CommAddrMgr* GetCommMgr() { return &list; }
    bool WriteRecord(CommAddrRec*) { return false; }
    bool AddRecord(CommAddrRec*) { return false; }
    bool UpdateRecord(CommAddrRec*, int) { return false; }
    bool Save() { return true; }
    std::string GetLastError() const { return {}; }
};

struct MapRecordingAccess {
    CommAddrMgr list;
    const std::int32_t* customMap = nullptr;
    bool Reload() { return true; }
    CommAddrMgr* GetRecords() { return &list; }
    void SetCustomMap(const std::int32_t* map) { customMap = map; }
    CommAddrRec written{}; // the last record handed to SaveRecord or UpdateItem
    bool SaveRecord(const CommAddrRec* rec) {
        written = *rec;
        return false;
    }
    bool CreateAndAdd(const CommAddrRec*) { return false; }
    bool UpdateItem(CommAddrRec* rec, int) {
        written = *rec;
        return false;
    }
};

std::string palmFileName(SwapRecordingFacade&) {
    return {};
}

TEST(ContactKind, OpeningHandsTheFieldMapToOutlookAndSwapsNamesBeforeOpening) {
    OptionBlock options{};
    options.AddrSwapName = true;
    options.AddrType = 1;
    options.AddrCustom[0] = 22;
    options.AddrCustom[8] = 77;
    auto facade = std::make_unique<SwapRecordingFacade>();
    auto access = std::make_unique<MapRecordingAccess>();
    SwapRecordingFacade* palm = facade.get();
    MapRecordingAccess* outlook = access.get();

    KindSidesOf<ContactKindOf<SwapRecordingFacade, MapRecordingAccess>> sides(
        std::move(facade), std::move(access), options);
    options.AddrCustom[0] = 5; // the map is what the options held when the kind was opened
    sides.openPalm(options);

    ASSERT_NE(outlook->customMap, nullptr);
    EXPECT_EQ(outlook->customMap[0], 1);
    EXPECT_EQ(outlook->customMap[1], 22);
    EXPECT_EQ(outlook->customMap[9], 77);
    EXPECT_EQ(palm->swapAtOpen, std::vector<bool>{true});
}

// A Palm form with no place for a home address and room for 11 characters of e-mail.
void heldWithoutHome(const CommAddrRec& rec, const CommAddrRec&, CommAddrRec& held) {
    held = rec;
    held.Native = nullptr;
    held.NativeSize = 0;
    held.HomeStreet.clear();
    copyToField(held.EMail, held.EMail.view().substr(0, 11));
}

using ContactSidesOverDoubles = KindSidesOf<ContactKindOf<SwapRecordingFacade, MapRecordingAccess>>;

// The contact sides over the two doubles, which stay reachable; the Palm form holds records as
// heldWithoutHome does.
class ContactSides : public testing::Test {
protected:
    ContactSides() {
        auto facade = std::make_unique<SwapRecordingFacade>();
        auto access = std::make_unique<MapRecordingAccess>();
        palm = facade.get();
        outlook = access.get();
        sides = std::make_unique<ContactSidesOverDoubles>(std::move(facade), std::move(access),
                                                          OptionBlock{});
        palm->list.SetHeldAs(&heldWithoutHome);
    }
    static CommAddrRec annSmith() {
        CommAddrRec rec{};
        copyToField(rec.FirstName, "Ann");
        copyToField(rec.LastName, "Smith");
        return rec;
    }

    SwapRecordingFacade* palm = nullptr;
    MapRecordingAccess* outlook = nullptr;
    std::unique_ptr<ContactSidesOverDoubles> sides;
};

// The Outlook list compares as the Palm form holds records, whichever way the controller asks:
// statuses of both lists, a lookup in the Outlook list and the access's own lookup on save.
TEST_F(ContactSides, OutlookSideComparesAsThePalmFormHoldsRecords) {
    CommAddrRec rec = annSmith();
    CommAddrRec* palmRec = palm->list.AddCopy(&rec);
    copyToField(rec.HomeStreet, "2 Elm Rd");
    CommAddrRec* outlookRec = outlook->list.AddCopy(&rec);

    sides->compare();
    EXPECT_EQ(palmRec->CompareStatus, 0);
    EXPECT_EQ(outlookRec->CompareStatus, 0);
    EXPECT_EQ(sides->findInOutlook(palmRec).code, kMatchSame);
    EXPECT_EQ(sides->findInPalm(outlookRec).code, kMatchSame);
    outlook->list.SetHeldAs(nullptr);
    sides->saveRecord(palmRec);
    EXPECT_EQ(outlook->list.GetHeldAs(), &heldWithoutHome) << "set before the access looks";
}

// Writing a Palm record over its Outlook counterpart keeps what the Palm form could not hold of
// the counterpart, and writes every value it holds.
TEST_F(ContactSides, WritingToOutlookKeepsWhatPalmCannotHold) {
    CommAddrRec rec = annSmith();
    copyToField(rec.EMail, "ann.smith@mail.example.org");
    copyToField(rec.HomeStreet, "2 Elm Rd");
    copyToField(rec.WorkCity, "Boston");
    outlook->list.AddCopy(&rec);
    CommAddrRec fromPalm = annSmith();
    copyToField(fromPalm.EMail, "ann.smith@m");
    copyToField(fromPalm.WorkCity, "Salem");

    for (const bool update : {false, true}) {
        SCOPED_TRACE(update ? "UpdateItem" : "SaveRecord");
        outlook->written = CommAddrRec{};
        if (update) {
            sides->updateItem(&fromPalm, 0);
        } else {
            sides->saveRecord(&fromPalm);
        }
        EXPECT_EQ(fieldText(outlook->written.EMail), "ann.smith@mail.example.org");
        EXPECT_EQ(fieldText(outlook->written.HomeStreet), "2 Elm Rd");
        EXPECT_EQ(fieldText(outlook->written.WorkCity), "Salem");
    }
}

} // namespace
} // namespace twinleaf

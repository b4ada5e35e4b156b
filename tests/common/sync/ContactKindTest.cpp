// What opening the contacts kind does beyond the common algorithm: the custom-field map handed to
// the Outlook access, living as long as the sides, and the name swap set before the Palm side
// opens.
#include "common/sync/ContactKind.h"

#include "common/sync/KindSides.h"
#include "common/sync/Options.h"

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
    bool SaveRecord(const CommAddrRec*) { return false; }
    bool CreateAndAdd(const CommAddrRec*) { return false; }
    bool UpdateItem(CommAddrRec*, int) { return false; }
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

} // namespace
} // namespace twinleaf

#include "common/sync/SyncController.h"

#include "common/sync/KindTable.h"
#include "common/sync/Options.h"
#include "platform/ui/MessageBox.h"
#include "tests/common/sync/SyncDoubles.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::contact;
using test::FakeAddrFacade;
using test::FakeContactSides;
using test::FakeOlAddr;
using test::RecordingUi;
using test::ShownMessage;

constexpr std::int32_t kUser = 7;

class SyncControllerTest : public ::testing::Test {
protected:
    SyncControllerTest() { options.AddrUserID = kUser; }

    // Opens contacts on doubles holding palmData and outlookData; the other kinds stay empty.
    void open() {
        controller = std::make_unique<SyncController>(
            options, ui,
            [this](DataKind kind, const OptionBlock& block,
                   ContactFieldMap& fieldMap) -> std::unique_ptr<KindSides> {
                if (kind != DataKind::Addr) {
                    return std::make_unique<EmptySides>();
                }
                auto facade = std::make_unique<FakeAddrFacade>();
                facade->users[kUser] = palmData;
                facade->users[9] = {contact("Zoe", "Zhang")};
                palm = facade.get();
                auto access = std::make_unique<FakeOlAddr>();
                access->folder = outlookData;
                outlook = access.get();
                return std::make_unique<FakeContactSides>(std::move(facade), std::move(access),
                                                          block, fieldMap);
            });
        controller->OpenKind(DataKind::Addr);
    }

    std::vector<int> statuses(ViewSide side) {
        std::vector<int> result;
        for (void* rec : ui.view(DataKind::Addr, side).rows) {
            result.push_back(static_cast<CommAddrRec*>(rec)->CompareStatus);
        }
        return result;
    }
    CommAddrRec& row(ViewSide side, std::size_t n) {
        return *static_cast<CommAddrRec*>(ui.view(DataKind::Addr, side).rows.at(n));
    }
    void answer(int direction, bool thisRun = false, bool always = false) {
        ui.answers.push_back({true, direction, thisRun, always});
    }
    SyncRunResult run(SyncMode mode) { return controller->RunSync(DataKind::Addr, mode); }

    OptionBlock options{};
    RecordingUi ui;
    std::vector<CommAddrRec> palmData;
    std::vector<CommAddrRec> outlookData;
    FakeAddrFacade* palm = nullptr;
    FakeOlAddr* outlook = nullptr;
    std::unique_ptr<SyncController> controller;
};

const ShownMessage kUpdated(int count) {
    return {"Contact information synchronized successfully. " + std::to_string(count) +
                " records updated.",
            "Information", win::MB_ICONINFORMATION};
}

void expectMessages(const std::vector<ShownMessage>& shown,
                    const std::vector<ShownMessage>& expected) {
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_EQ(shown[i].caption, expected[i].caption);
        EXPECT_EQ(shown[i].icon, expected[i].icon);
    }
}

TEST_F(SyncControllerTest, OpeningContactsLoadsComparesAndHandsOverTheFieldMap) {
    options.AddrSwapName = true;
    options.AddrType = 1;
    options.AddrCustom[0] = 22;
    options.AddrCustom[8] = 77;
    palmData = {contact("Ann", "Ames", "1"), contact("Bob", "Berg", "2"),
                contact("Carla", "Cruz", "3", "Acme")};
    outlookData = {contact("Bob", "Berg", "2"), contact("Carla", "Cruz", "3", "Initech"),
                   contact("Dora", "Diaz", "4")};
    open();

    EXPECT_EQ(palm->opened, std::vector<std::int32_t>{kUser});
    EXPECT_TRUE(palm->swapName);
    EXPECT_EQ(outlook->reloads, 1);
    ASSERT_NE(outlook->customMap, nullptr);
    EXPECT_EQ(outlook->customMap[0], 1);
    EXPECT_EQ(outlook->customMap[1], 22);
    EXPECT_EQ(outlook->customMap[9], 77);
    EXPECT_EQ(ui.selectorUser[DataKind::Addr], kUser);
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Palm).repaints, 1);
}

TEST_F(SyncControllerTest, PalmToOutlookCountsWritesAndStepsTheBarByThem) {
    palmData = {contact("Ann", "Ames", "1"), contact("Bob", "Berg", "2"),
                contact("Carla", "Cruz", "3")};
    outlookData = {contact("Bob", "Berg", "2")};
    open();
    ui.check(DataKind::Addr, ViewSide::Palm, {true, true, true});

    const SyncRunResult result = run(SyncMode::P2O);

    EXPECT_EQ(result.outcome, SyncOutcome::Done);
    EXPECT_EQ(result.updated, 2);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 33, 33, 66, 100}));
    EXPECT_EQ(outlook->writes, (std::vector<std::string>{"create Ann", "create Carla"}));
    EXPECT_EQ(palm->saves, 0);
    expectMessages(ui.messages, {kUpdated(2)});
    EXPECT_EQ(ui.events, (std::vector<std::string>{"busy", "bar shown", "bar hidden",
                                                   "message Information", "normal cursor"}));
    // Rebuilt from the lists in memory and compared again: the created items are there.
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).rows.size(), 3u);
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 0, 0}));
}

TEST_F(SyncControllerTest, OutlookToPalmWithNothingToWriteNeitherSavesNorRebuilds) {
    palmData = {contact("Bob", "Berg", "2")};
    outlookData = {contact("Bob", "Berg", "2"), contact("Carla", "Cruz", "3")};
    open();
    ui.check(DataKind::Addr, ViewSide::Outlook, {true, false});
    const int fills = ui.view(DataKind::Addr, ViewSide::Outlook).fills;

    const SyncRunResult result = run(SyncMode::O2P);

    EXPECT_EQ(result.updated, 0);
    EXPECT_EQ(palm->saves, 0);
    EXPECT_TRUE(palm->writes.empty());
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).fills, fills);
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).checked,
              (std::vector<bool>{false, false}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 1}));
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 0, 100}));
    expectMessages(ui.messages, {kUpdated(0)});
}

TEST_F(SyncControllerTest, OutlookToPalmWritesTheCheckedRowsAndSavesOnce) {
    palmData = {contact("Carla", "Cruz", "3", "Acme")};
    outlookData = {contact("Carla", "Cruz", "3", "Initech"), contact("Dora", "Diaz", "4")};
    open();
    controller->SelectDiff(DataKind::Addr, ViewSide::Outlook);

    EXPECT_EQ(run(SyncMode::O2P).updated, 2);
    EXPECT_EQ(palm->writes, (std::vector<std::string>{"update 0 Carla", "add Dora"}));
    EXPECT_EQ(palm->saves, 1);
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{0, 0}));
    EXPECT_STREQ(row(ViewSide::Palm, 0).Company, "Initech");
}

struct RefusalCase {
    const char* name;
    DataKind kind;
    SyncMode mode;
    bool withRecords;
    const char* text;
};

TEST_F(SyncControllerTest, EmptySelectionsAndEmptyViewsAreRefusedWithTheirMessages) {
    const RefusalCase cases[] = {
        {"contacts, nothing checked on the Palm side", DataKind::Addr, SyncMode::P2O, true,
         "No Palm Desktop contact record is selected. \r\n\r\nPlease select the records that you "
         "want to update to Outlook."},
        {"contacts, nothing checked on the Outlook side", DataKind::Addr, SyncMode::O2P, true,
         "No Outlook contact record is selected.\r\n\r\nPlease select the records that you want "
         "to update to Palm Desktop."},
        {"contacts, both views empty", DataKind::Addr, SyncMode::Sync, false,
         "No contact information records found. Synchronization abort."},
        {"calendar, both views empty", DataKind::Date, SyncMode::Sync, false,
         "No calendar information records found. Synchronization abort."},
        {"tasks, nothing checked on the Palm side", DataKind::Todo, SyncMode::P2O, false,
         "No Palm Desktop task record is selected. \r\n\r\nPlease select the records that you "
         "want to update to Outlook."},
        {"memos, nothing checked on the Outlook side", DataKind::Memo, SyncMode::O2P, false,
         "No Outlook memo record is selected.\r\n\r\nPlease select the records that you want to "
         "update to Palm Desktop."},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        palmData = c.withRecords ? std::vector<CommAddrRec>{contact("Ann", "Ames")}
                                 : std::vector<CommAddrRec>{};
        outlookData = palmData;
        ui = RecordingUi();
        open();
        controller->OpenKind(c.kind);
        ui.events.clear();

        const SyncRunResult result = controller->RunSync(c.kind, c.mode);

        EXPECT_EQ(result.outcome, SyncOutcome::Refused);
        expectMessages(ui.messages, {{c.text, "Error", win::MB_ICONERROR}});
        EXPECT_EQ(ui.events, (std::vector<std::string>{"busy", "bar shown", "message Error",
                                                       "bar hidden", "normal cursor"}));
        EXPECT_TRUE(outlook->writes.empty());
        EXPECT_TRUE(palm->writes.empty());
        EXPECT_EQ(palm->saves, 0);
    }
}

TEST_F(SyncControllerTest, StoredConflictRuleDecidesWithoutAsking) {
    palmData = {contact("Carla", "Cruz", "3", "Acme")};
    outlookData = {contact("Carla", "Cruz", "3", "Initech")};

    SCOPED_TRACE("ConfMode 2: Outlook overwrites Palm Desktop");
    options.ConfMode = 2;
    open();
    EXPECT_EQ(run(SyncMode::Sync).updated, 1);
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_EQ(palm->writes, std::vector<std::string>{"update 0 Carla"});
    EXPECT_TRUE(outlook->writes.empty());
    EXPECT_EQ(palm->saves, 1);
    EXPECT_STREQ(row(ViewSide::Palm, 0).Company, "Initech");
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{0});

    SCOPED_TRACE("ConfMode 1: Palm Desktop overwrites Outlook");
    options.ConfMode = 1;
    ui = RecordingUi();
    open();
    // The contact access does not merge what it writes into its list, so the Outlook pass meets
    // the pair again and writes it again.
    EXPECT_EQ(run(SyncMode::Sync).updated, 2);
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_EQ(outlook->writes, (std::vector<std::string>{"update 0 Carla", "update 0 Carla"}));
    EXPECT_TRUE(palm->writes.empty());
    EXPECT_EQ(palm->saves, 0);
}

TEST_F(SyncControllerTest, UnrememberedAnswerIsAskedAgainForTheSamePairInTheOutlookPass) {
    palmData = {contact("Carla", "Cruz", "3", "Acme")};
    outlookData = {contact("Carla", "Cruz", "3", "Initech")};
    open();
    answer(1);
    answer(1);

    const SyncRunResult result = run(SyncMode::Sync);

    ASSERT_EQ(ui.asked.size(), 2u);
    for (const test::AskedConflict& asked : ui.asked) {
        EXPECT_EQ(asked.kind, DataKind::Addr);
        EXPECT_EQ(asked.palm, "Carla");
        EXPECT_EQ(asked.outlook, "Carla");
    }
    EXPECT_EQ(result.updated, 2);
    EXPECT_EQ(outlook->writes, (std::vector<std::string>{"update 0 Carla", "update 0 Carla"}));
    EXPECT_EQ(options.ConfMode, 0);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 50, 100, 100}));
}

TEST_F(SyncControllerTest, RuleForThisRunAsksOnceAndLeavesTheStoredModeAlone) {
    palmData = {contact("Carla", "Cruz", "3", "Acme"), contact("Dieter", "Dorn", "4", "Acme")};
    outlookData = {contact("Carla", "Cruz", "3", "Initech"), contact("Dieter", "Dorn", "4")};
    open();
    answer(1, /*thisRun=*/true);

    EXPECT_EQ(run(SyncMode::Sync).updated, 4);
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(outlook->writes, (std::vector<std::string>{"update 0 Carla", "update 1 Dieter",
                                                         "update 0 Carla", "update 1 Dieter"}));
    EXPECT_EQ(options.ConfMode, 0);
}

TEST_F(SyncControllerTest, RuleForAllFutureRunsIsStoredAndStopsTheQuestions) {
    palmData = {contact("Carla", "Cruz", "3", "Acme"), contact("Dieter", "Dorn", "4", "Acme")};
    outlookData = {contact("Carla", "Cruz", "3", "Initech"),
                   contact("Dieter", "Dorn", "4", "Globex")};
    open();
    answer(2, /*thisRun=*/false, /*always=*/true);

    EXPECT_EQ(run(SyncMode::Sync).updated, 2);
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(options.ConfMode, 2);
    EXPECT_EQ(palm->writes, (std::vector<std::string>{"update 0 Carla", "update 1 Dieter"}));

    // The next run with a new conflict asks nothing either.
    outlook->folder = {contact("Carla", "Cruz", "3", "Globex"),
                       contact("Dieter", "Dorn", "4", "Globex")};
    controller->LoadOutlookSide(DataKind::Addr, true);
    EXPECT_EQ(run(SyncMode::Sync).updated, 1);
    EXPECT_EQ(ui.asked.size(), 1u);
}

TEST_F(SyncControllerTest, CancelStopsTheRunUnsavedAndReportsWhatWasWritten) {
    palmData = {contact("Ann", "Ames", "1"), contact("Carla", "Cruz", "3", "Acme")};
    outlookData = {contact("Carla", "Cruz", "3", "Initech"), contact("Dora", "Diaz", "4")};
    options.ConfMode = 0;
    open();

    const SyncRunResult result = run(SyncMode::Sync);

    EXPECT_EQ(result.outcome, SyncOutcome::Cancelled);
    EXPECT_EQ(result.updated, 1);
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(options.ConfMode, 3);
    EXPECT_EQ(outlook->writes, std::vector<std::string>{"create Ann"});
    EXPECT_TRUE(palm->writes.empty()) << "the Outlook pass must not run";
    EXPECT_EQ(palm->saves, 0);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 25, 50, 100}));
    expectMessages(ui.messages, {kUpdated(1)});
}

TEST_F(SyncControllerTest, TwoWayModeCreatesTheMissingItemOnceAndBothRowsEndTheSame) {
    palmData = {contact("Ann", "Ames", "1")};
    options.AddrSyncMode = 4;
    open();
    CommAddrRec& palmRecord = row(ViewSide::Palm, 0);

    EXPECT_EQ(controller->RunSync(DataKind::Addr).updated, 1) << "the stored mode: Synchronize All";

    EXPECT_EQ(outlook->writes, std::vector<std::string>{"create Ann"});
    EXPECT_EQ(palmRecord.Native, nullptr) << "the Palm record keeps its own Native block";
    ASSERT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).rows.size(), 1u);
    ASSERT_NE(row(ViewSide::Outlook, 0).Native, nullptr);
    EXPECT_EQ(row(ViewSide::Outlook, 0).NativeSize, sizeof(test::FakeImage));
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{0});
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{0});
}

TEST_F(SyncControllerTest, TwoWayModeCountsOnlyWritesThatHappened) {
    palmData = {contact("Ann", "Ames", "1")};
    open();
    outlook->createSucceeds = false;

    EXPECT_EQ(run(SyncMode::Sync).updated, 0);
    EXPECT_EQ(outlook->GetRecords()->GetCount(), 0u) << "no item, no record";
    expectMessages(ui.messages, {kUpdated(0)});
}

struct SaveFailureCase {
    const char* name;
    SyncMode mode;
};

TEST_F(SyncControllerTest, FailedPalmSaveIsReportedAsAnErrorNamingTheFile) {
    for (const SaveFailureCase& c : {SaveFailureCase{"Outlook to Palm Desktop", SyncMode::O2P},
                                     SaveFailureCase{"Synchronize All", SyncMode::Sync}}) {
        SCOPED_TRACE(c.name);
        palmData = {};
        outlookData = {contact("Dora", "Diaz", "4")};
        ui = RecordingUi();
        open();
        palm->saveSucceeds = false;
        ui.check(DataKind::Addr, ViewSide::Outlook, {true});
        ui.events.clear();

        const SyncRunResult result = run(c.mode);

        EXPECT_EQ(result.outcome, SyncOutcome::SaveFailed);
        EXPECT_EQ(palm->saves, 1);
        expectMessages(ui.messages,
                       {{"The Palm Desktop contact data could not be saved to "
                         "\"/home/user/Palm/ann/address/address.dat\".\r\n\r\nNothing was written "
                         "to this file; it still holds what it held before this "
                         "synchronization.\r\n\r\n/home/user/Palm/ann/address/address.dat: not "
                         "saved: No space left on device",
                         "Error", win::MB_ICONERROR}});
        EXPECT_EQ(ui.events, (std::vector<std::string>{"busy", "bar shown", "bar hidden",
                                                       "message Error", "normal cursor"}));
        // The Palm side is read back from its file: Dora is not in it and still shows as new.
        EXPECT_EQ(palm->opened, (std::vector<std::int32_t>{kUser, kUser}));
        EXPECT_TRUE(ui.view(DataKind::Addr, ViewSide::Palm).rows.empty());
        EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{1});
    }
}

TEST_F(SyncControllerTest, SelectionButtonsCheckAllNewAndDifferentOrNothing) {
    palmData = {contact("Ann", "Ames", "1"), contact("Bob", "Berg", "2"),
                contact("Carla", "Cruz", "3", "Acme")};
    outlookData = {contact("Bob", "Berg", "2"), contact("Carla", "Cruz", "3", "Initech")};
    open();
    const auto checked = [&] { return ui.view(DataKind::Addr, ViewSide::Palm).checked; };

    controller->SelectAll(DataKind::Addr, ViewSide::Palm);
    EXPECT_EQ(checked(), (std::vector<bool>{true, true, true}));
    controller->SelectDiff(DataKind::Addr, ViewSide::Palm);
    EXPECT_EQ(checked(), (std::vector<bool>{true, false, true}));
    controller->ClearSelection(DataKind::Addr, ViewSide::Palm);
    EXPECT_EQ(checked(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).checked,
              (std::vector<bool>{false, false}));
}

TEST_F(SyncControllerTest, ChangingTheUserReloadsOnlyThePalmSide) {
    outlookData = {contact("Zoe", "Zhang")};
    open();
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{1});

    controller->ChangeUser(DataKind::Addr, 9);

    EXPECT_EQ(options.AddrUserID, 9);
    EXPECT_EQ(palm->opened, (std::vector<std::int32_t>{kUser, 9}));
    EXPECT_EQ(outlook->reloads, 1);
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{0});
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{0});
}

TEST_F(SyncControllerTest, KindsWithoutSidesOpenEmptyAndClosingEmptiesTheViews) {
    palmData = {contact("Ann", "Ames")};
    open();
    for (DataKind kind : {DataKind::Date, DataKind::Todo, DataKind::Memo}) {
        controller->OpenKind(kind);
        EXPECT_TRUE(controller->IsOpen(kind));
        EXPECT_TRUE(ui.view(kind, ViewSide::Palm).rows.empty());
        EXPECT_TRUE(ui.view(kind, ViewSide::Outlook).rows.empty());
    }
    controller->CloseKind(DataKind::Addr);
    EXPECT_FALSE(controller->IsOpen(DataKind::Addr));
    EXPECT_TRUE(ui.view(DataKind::Addr, ViewSide::Palm).rows.empty());
    EXPECT_TRUE(controller->Rows(DataKind::Addr, ViewSide::Palm).empty());
}

} // namespace
} // namespace twinleaf

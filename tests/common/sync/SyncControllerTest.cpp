#include "common/sync/SyncController.h"

#include "common/sync/KindTable.h"
#include "common/sync/Options.h"
#include "platform/files/AtomicFile.h"
#include "platform/ui/MessageBox.h"
#include "tests/common/sync/SyncDoubles.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::FakeRecord;
using test::FakeSides;
using test::record;
using test::RecordingUi;
using test::ShownMessage;

constexpr std::int32_t kUser = 7;

// The controller over the kind-neutral sides: the contacts tab unless a test picks another kind.
class SyncControllerTest : public ::testing::Test {
protected:
    SyncControllerTest() {
        for (DataKind each : kDataKinds) {
            options.*describeKind(each).userId = kUser;
        }
    }

    // Opens `kind` on sides holding palmData and outlookData; the other kinds stay empty.
    void open() {
        controller = std::make_unique<SyncController>(
            options, ui, [this](DataKind opened, const OptionBlock&) -> std::unique_ptr<KindSides> {
                if (opened != kind) {
                    return std::make_unique<EmptySides>();
                }
                auto made = std::make_unique<FakeSides>(kind);
                made->users[kUser] = palmData;
                made->users[9] = {record("Zoe")};
                made->folder = outlookData;
                sides = made.get();
                return made;
            });
        controller->OpenKind(kind);
    }

    std::vector<int> statuses(ViewSide side) {
        std::vector<int> result;
        for (void* rec : ui.view(kind, side).rows) {
            result.push_back(static_cast<FakeRecord*>(rec)->CompareStatus);
        }
        return result;
    }
    FakeRecord& row(ViewSide side, std::size_t n) {
        return *static_cast<FakeRecord*>(ui.view(kind, side).rows.at(n));
    }
    void answer(int direction, bool thisRun = false, bool always = false) {
        ui.answers.push_back({true, direction, thisRun, always});
    }
    SyncRunResult run(SyncMode mode) { return controller->RunSync(kind, mode); }

    DataKind kind = DataKind::Addr;
    OptionBlock options{};
    RecordingUi ui;
    std::vector<FakeRecord> palmData;
    std::vector<FakeRecord> outlookData;
    FakeSides* sides = nullptr;
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

TEST_F(SyncControllerTest, OpeningAKindLoadsBothSidesAndComparesThem) {
    palmData = {record("Ann", "1"), record("Bob", "2"), record("Carla", "Acme")};
    outlookData = {record("Bob", "2"), record("Carla", "Initech"), record("Dora", "4")};
    open();

    EXPECT_EQ(sides->opened, std::vector<std::int32_t>{kUser});
    EXPECT_EQ(sides->reloads, 1);
    EXPECT_EQ(ui.selectorUser[DataKind::Addr], kUser);
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 2, 1}));
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Palm).repaints, 1);
}

TEST_F(SyncControllerTest, PalmToOutlookCountsWritesAndStepsTheBarByThem) {
    palmData = {record("Ann"), record("Bob"), record("Carla")};
    outlookData = {record("Bob")};
    open();
    ui.check(DataKind::Addr, ViewSide::Palm, {true, true, true});

    const SyncRunResult result = run(SyncMode::P2O);

    EXPECT_EQ(result.outcome, SyncOutcome::Done);
    EXPECT_EQ(result.updated, 2);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 33, 33, 66, 100}));
    EXPECT_EQ(sides->outlookWrites, (std::vector<std::string>{"create Ann", "create Carla"}));
    EXPECT_EQ(sides->saves, 0);
    expectMessages(ui.messages, {kUpdated(2)});
    EXPECT_EQ(ui.events, (std::vector<std::string>{"busy", "bar shown", "bar hidden",
                                                   "message Information", "normal cursor"}));
    // Read again and compared again: the created items are there.
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).rows.size(), 3u);
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 0, 0}));
}

TEST_F(SyncControllerTest, OutlookToPalmWithNothingToWriteDoesNotSave) {
    palmData = {record("Bob")};
    outlookData = {record("Bob"), record("Carla")};
    open();
    ui.check(DataKind::Addr, ViewSide::Outlook, {true, false});

    const SyncRunResult result = run(SyncMode::O2P);

    EXPECT_EQ(result.updated, 0);
    EXPECT_EQ(sides->saves, 0);
    EXPECT_TRUE(sides->palmWrites.empty());
    EXPECT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).checked,
              (std::vector<bool>{false, false}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 1}));
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 0, 100}));
    expectMessages(ui.messages, {kUpdated(0)});
}

TEST_F(SyncControllerTest, OutlookToPalmWritesTheCheckedRowsAndSavesOnce) {
    palmData = {record("Carla", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dora")};
    open();
    controller->SelectDiff(DataKind::Addr, ViewSide::Outlook);

    EXPECT_EQ(run(SyncMode::O2P).updated, 2);
    EXPECT_EQ(sides->palmWrites, (std::vector<std::string>{"update 0 Carla", "add Dora"}));
    EXPECT_EQ(sides->saves, 1);
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{0, 0}));
    EXPECT_EQ(row(ViewSide::Palm, 0).value, "Initech");
}

// A run that reviews its losses goes through its decisions first with nothing written; the user
// sees the losses before anything changes, Cancel leaves both sides and the selection as they
// were, and Continue writes exactly what was selected. A run without losses asks nothing.
TEST_F(SyncControllerTest, LossesAreShownBeforeAnythingIsWrittenAndCancelChangesNothing) {
    const SyncRunOptions review{false, false, true};
    struct ReviewCase {
        const char* name;
        SyncMode mode;
        ViewSide from;
        bool accepted;
    };
    const ReviewCase cases[] = {
        {"to Outlook, cancelled", SyncMode::P2O, ViewSide::Palm, false},
        {"to Outlook, continued", SyncMode::P2O, ViewSide::Palm, true},
        {"to Palm, cancelled", SyncMode::O2P, ViewSide::Outlook, false},
        {"to Palm, continued", SyncMode::O2P, ViewSide::Outlook, true},
    };
    for (const ReviewCase& c : cases) {
        SCOPED_TRACE(c.name);
        ui = RecordingUi{};
        ui.lossesAccepted = c.accepted;
        const bool toOutlook = c.mode == SyncMode::P2O;
        palmData = toOutlook ? std::vector<FakeRecord>{record("Ann", "x"), record("Bob", "y")}
                             : std::vector<FakeRecord>{};
        outlookData = toOutlook ? std::vector<FakeRecord>{}
                                : std::vector<FakeRecord>{record("Ann", "x"), record("Bob", "y")};
        open();
        sides->losses["Ann"] = "cut";
        ui.check(kind, c.from, {true, false});

        const SyncRunResult result = controller->RunSync(kind, c.mode, ConflictRule::Ask, review);
        EXPECT_EQ(ui.reviewedLosses, std::vector<std::size_t>{1});
        const std::size_t written = c.accepted ? 1 : 0;
        EXPECT_EQ(toOutlook ? sides->folder.size() : sides->users[kUser].size(), written);
        EXPECT_EQ(sides->saves, c.accepted && !toOutlook ? 1 : 0);
        if (c.accepted) {
            EXPECT_EQ(result.outcome, SyncOutcome::Done);
            EXPECT_EQ(result.updated, 1);
        } else {
            EXPECT_EQ(result.outcome, SyncOutcome::Refused);
            EXPECT_EQ(ui.view(kind, c.from).checked, (std::vector<bool>{true, false}));
        }
    }

    ui = RecordingUi{};
    palmData = {record("Bob", "y")};
    outlookData = {};
    open();
    ui.check(kind, ViewSide::Palm, {true});
    EXPECT_EQ(controller->RunSync(kind, SyncMode::P2O, ConflictRule::Ask, review).updated, 1);
    EXPECT_TRUE(ui.reviewedLosses.empty());
    EXPECT_EQ(sides->folder.size(), 1u);
}

TEST_F(SyncControllerTest, RecordsWrittenWithoutWhatPalmCannotHoldAreNamedInAWarning) {
    palmData = {record("Carla", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dora"), record("Eve")};
    open();
    sides->unheld = {"Dora"};
    controller->SelectDiff(DataKind::Addr, ViewSide::Outlook);

    const SyncRunResult result = run(SyncMode::O2P);

    EXPECT_EQ(result.outcome, SyncOutcome::Done);
    EXPECT_EQ(result.updated, 3);
    EXPECT_EQ(result.warnings, std::vector<std::string>{"\"Dora\": no place for its repeat"});
    expectMessages(ui.messages, {{kUpdated(3).text +
                                      "\r\n\r\nWritten without what the Palm data cannot hold:\r\n"
                                      "\"Dora\": no place for its repeat",
                                  "Warning", win::MB_ICONWARNING}});

    // When the file could not be written, nothing was written without anything either.
    ui.messages.clear();
    sides->saveSucceeds = false;
    sides->users[kUser] = {record("Carla", "Acme")};
    controller->ChangeUser(DataKind::Addr, kUser);
    controller->SelectDiff(DataKind::Addr, ViewSide::Outlook);
    const SyncRunResult failed = run(SyncMode::O2P);
    EXPECT_EQ(failed.outcome, SyncOutcome::SaveFailed);
    EXPECT_TRUE(failed.warnings.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].caption, "Error");
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
         "No Palm Desktop contact record is ticked. \r\n\r\nPlease tick the records that you "
         "want to update to Outlook."},
        {"contacts, nothing checked on the Outlook side", DataKind::Addr, SyncMode::O2P, true,
         "No Outlook contact record is ticked.\r\n\r\nPlease tick the records that you want "
         "to update to Palm Desktop."},
        {"contacts, both views empty", DataKind::Addr, SyncMode::Sync, false,
         "No contact information records found. Synchronization abort."},
        {"calendar, both views empty", DataKind::Date, SyncMode::Sync, false,
         "No calendar information records found. Synchronization abort."},
        {"tasks, nothing checked on the Palm side", DataKind::Todo, SyncMode::P2O, false,
         "No Palm Desktop task record is ticked. \r\n\r\nPlease tick the records that you "
         "want to update to Outlook."},
        {"memos, nothing checked on the Outlook side", DataKind::Memo, SyncMode::O2P, false,
         "No Outlook memo record is ticked.\r\n\r\nPlease tick the records that you want to "
         "update to Palm Desktop."},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        palmData =
            c.withRecords ? std::vector<FakeRecord>{record("Ann")} : std::vector<FakeRecord>{};
        outlookData = palmData;
        ui = RecordingUi();
        kind = c.kind;
        open();
        ui.events.clear();

        const SyncRunResult result = controller->RunSync(c.kind, c.mode);

        EXPECT_EQ(result.outcome, SyncOutcome::Refused);
        expectMessages(ui.messages, {{c.text, "Error", win::MB_ICONERROR}});
        EXPECT_EQ(ui.events, (std::vector<std::string>{"busy", "bar shown", "message Error",
                                                       "bar hidden", "normal cursor"}));
        EXPECT_TRUE(sides->outlookWrites.empty());
        EXPECT_TRUE(sides->palmWrites.empty());
        EXPECT_EQ(sides->saves, 0);
    }
}

TEST_F(SyncControllerTest, StoredConflictRuleDecidesWithoutAsking) {
    palmData = {record("Carla", "Acme")};
    outlookData = {record("Carla", "Initech")};

    SCOPED_TRACE("ConfMode 2: Outlook overwrites Palm Desktop");
    options.ConfMode = 2;
    open();
    EXPECT_EQ(run(SyncMode::Sync).updated, 1);
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_EQ(sides->palmWrites, std::vector<std::string>{"update 0 Carla"});
    EXPECT_TRUE(sides->outlookWrites.empty());
    EXPECT_EQ(sides->saves, 1);
    EXPECT_EQ(row(ViewSide::Palm, 0).value, "Initech");
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{0});

    SCOPED_TRACE("ConfMode 1: Palm Desktop overwrites Outlook");
    options.ConfMode = 1;
    ui = RecordingUi();
    open();
    // The contact access does not merge what it writes into its list; the Outlook pass meets
    // the pair again but leaves it, as it was settled in the Palm pass.
    EXPECT_EQ(run(SyncMode::Sync).updated, 1);
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_EQ(sides->outlookWrites, std::vector<std::string>{"update 0 Carla"});
    EXPECT_TRUE(sides->palmWrites.empty());
    EXPECT_EQ(sides->saves, 0);
}

// An answer that holds neither for the run nor for later runs still settles its pair in both
// directions: the Outlook pass, which meets the pair again where the access does not merge what
// it wrote, neither asks nor writes a second time.
TEST_F(SyncControllerTest, EachConflictingPairIsAskedAboutOncePerRun) {
    palmData = {record("Carla", "Acme"), record("Dieter", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dieter", "Globex")};
    open();
    const void* carla = &row(ViewSide::Palm, 0);
    answer(1);
    answer(2);
    answer(1);

    const SyncRunResult result = run(SyncMode::Sync);

    ASSERT_EQ(ui.asked.size(), 2u);
    EXPECT_EQ(ui.asked[0].palm, carla);
    EXPECT_EQ(static_cast<FakeRecord*>(ui.asked[1].outlook)->name, "Dieter");
    EXPECT_EQ(result.updated, 2);
    EXPECT_EQ(sides->outlookWrites, std::vector<std::string>{"update 0 Carla"});
    EXPECT_EQ(sides->palmWrites, std::vector<std::string>{"update 1 Dieter"});
    EXPECT_EQ(options.ConfMode, 0);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 25, 50, 75, 100, 100}));
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{0, 0}));
    EXPECT_EQ(statuses(ViewSide::Outlook), (std::vector<int>{0, 0}));
}

TEST_F(SyncControllerTest, RuleForThisRunAsksOnceAndLeavesTheStoredModeAlone) {
    palmData = {record("Carla", "Acme"), record("Dieter", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dieter")};
    open();
    answer(1, /*thisRun=*/true);

    EXPECT_EQ(run(SyncMode::Sync).updated, 2);
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(sides->outlookWrites,
              (std::vector<std::string>{"update 0 Carla", "update 1 Dieter"}));
    EXPECT_EQ(options.ConfMode, 0);
}

TEST_F(SyncControllerTest, RuleForAllFutureRunsIsStoredAndStopsTheQuestions) {
    palmData = {record("Carla", "Acme"), record("Dieter", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dieter", "Globex")};
    open();
    answer(2, /*thisRun=*/false, /*always=*/true);

    EXPECT_EQ(run(SyncMode::Sync).updated, 2);
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(options.ConfMode, 2);
    EXPECT_EQ(sides->palmWrites, (std::vector<std::string>{"update 0 Carla", "update 1 Dieter"}));

    // The next run with a new conflict asks nothing either.
    sides->folder = {record("Carla", "Globex"), record("Dieter", "Globex")};
    controller->LoadOutlookSide(DataKind::Addr, true);
    EXPECT_EQ(run(SyncMode::Sync).updated, 1);
    EXPECT_EQ(ui.asked.size(), 1u);
}

TEST_F(SyncControllerTest, CancelStopsTheRunUnsavedAndReportsWhatWasWritten) {
    palmData = {record("Ann"), record("Carla", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dora")};
    options.ConfMode = 0;
    open();

    const SyncRunResult result = run(SyncMode::Sync);

    EXPECT_EQ(result.outcome, SyncOutcome::Cancelled);
    EXPECT_EQ(result.updated, 1);
    EXPECT_EQ(ui.asked.size(), 1u);
    EXPECT_EQ(options.ConfMode, 3);
    EXPECT_EQ(sides->outlookWrites, std::vector<std::string>{"create Ann"});
    EXPECT_TRUE(sides->palmWrites.empty()) << "the Outlook pass must not run";
    EXPECT_EQ(sides->saves, 0);
    EXPECT_EQ(ui.progress, (std::vector<int>{0, 25, 50, 100}));
    expectMessages(ui.messages,
                   {{"The contact synchronization was cancelled. 1 records were written before it "
                     "stopped; the Palm Desktop contact data was left as it was before this "
                     "synchronization.",
                     "Warning", win::MB_ICONWARNING}});
}

// A choice made before the cancel changed the Palm list in memory only; the Palm side is read
// again, so neither the rows nor a later run's save carry the choice the user cancelled.
TEST_F(SyncControllerTest, CancelThrowsAwayThePalmChangesOfTheRun) {
    palmData = {record("Carla", "Acme"), record("Dieter", "Acme")};
    outlookData = {record("Carla", "Initech"), record("Dieter", "Globex"), record("Eva")};
    open();
    answer(2);

    EXPECT_EQ(run(SyncMode::Sync).outcome, SyncOutcome::Cancelled);

    EXPECT_EQ(sides->palmWrites, std::vector<std::string>{"update 0 Carla"});
    EXPECT_EQ(sides->opened, (std::vector<std::int32_t>{kUser, kUser}));
    EXPECT_EQ(row(ViewSide::Palm, 0).value, "Acme");
    EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{2, 2}));

    // The next run writes only what it is told to: Eva, not the cancelled Carla.
    ui.check(DataKind::Addr, ViewSide::Outlook, {false, false, true});
    EXPECT_EQ(run(SyncMode::O2P).updated, 1);
    ASSERT_EQ(sides->users[kUser].size(), 3u);
    EXPECT_EQ(sides->users[kUser][0].value, "Acme");
}

// After every run both sides are read again, so the rows show what was stored: the contact
// access does not merge what it wrote into its list, and a row would otherwise keep the old
// value, for this user and, after a change of user, for the next.
TEST_F(SyncControllerTest, RowsShowWhatWasStoredAfterTheRunAndAfterAChangeOfUser) {
    palmData = {record("Zoe", "Acme")};
    outlookData = {record("Zoe", "Initech")};
    open();
    answer(1);

    run(SyncMode::Sync);
    EXPECT_EQ(sides->reloads, 2);
    EXPECT_EQ(row(ViewSide::Outlook, 0).value, "Acme");
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{0});

    controller->ChangeUser(DataKind::Addr, 9);
    EXPECT_EQ(row(ViewSide::Outlook, 0).value, "Acme");
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{2});
}

TEST_F(SyncControllerTest, TwoWayModeCreatesTheMissingItemOnceAndBothRowsEndTheSame) {
    palmData = {record("Ann")};
    options.AddrSyncMode = 4;
    open();
    FakeRecord& palmRecord = row(ViewSide::Palm, 0);

    EXPECT_EQ(controller->RunSync(DataKind::Addr).updated, 1) << "the stored mode: Synchronize All";

    EXPECT_EQ(sides->outlookWrites, std::vector<std::string>{"create Ann"});
    EXPECT_EQ(palmRecord.name, "Ann");
    ASSERT_EQ(ui.view(DataKind::Addr, ViewSide::Outlook).rows.size(), 1u);
    EXPECT_EQ(row(ViewSide::Outlook, 0).name, "Ann");
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{0});
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{0});
}

TEST_F(SyncControllerTest, TwoWayModeCountsOnlyWritesThatHappened) {
    palmData = {record("Ann")};
    open();
    sides->createSucceeds = false;

    EXPECT_EQ(run(SyncMode::Sync).updated, 0);
    EXPECT_EQ(sides->outlookList().size(), 0u) << "no item, no record";
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
        outlookData = {record("Dora")};
        ui = RecordingUi();
        open();
        sides->saveSucceeds = false;
        ui.check(DataKind::Addr, ViewSide::Outlook, {true});
        ui.events.clear();

        const SyncRunResult result = run(c.mode);

        EXPECT_EQ(result.outcome, SyncOutcome::SaveFailed);
        EXPECT_EQ(sides->saves, 1);
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
        EXPECT_EQ(sides->opened, (std::vector<std::int32_t>{kUser, kUser}));
        EXPECT_TRUE(ui.view(DataKind::Addr, ViewSide::Palm).rows.empty());
        EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{1});
    }
}

// Palm data that may only be read refuses, before anything is written on either side, every run
// that would change it; runs that only read it go ahead.
TEST_F(SyncControllerTest, ReadOnlyPalmDataRefusesRunsThatWouldChangeIt) {
    const std::string refusal =
        "/p/Address.mdb: Palm Desktop 6 databases can be read but not yet written";
    struct Case {
        const char* name;
        SyncMode mode;
        std::vector<FakeRecord> outlook;
        bool refused;
    };
    const Case cases[] = {
        {"new Outlook record both ways", SyncMode::Sync, {record("Dora")}, true},
        {"checked new Outlook record to Palm", SyncMode::O2P, {record("Dora")}, true},
        {"Outlook record the same as Palm's", SyncMode::O2P, {record("Bob")}, false},
        {"Palm to Outlook", SyncMode::P2O, {record("Dora")}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        palmData = {record("Bob"), record("Carla")};
        outlookData = c.outlook;
        ui = RecordingUi();
        open();
        sides->writeRefusal = refusal;
        controller->SelectAll(DataKind::Addr, ViewSide::Palm);
        controller->SelectAll(DataKind::Addr, ViewSide::Outlook);

        const SyncRunResult result = run(c.mode);

        EXPECT_TRUE(sides->palmWrites.empty());
        EXPECT_EQ(sides->saves, 0);
        if (c.refused) {
            EXPECT_EQ(result.outcome, SyncOutcome::Refused);
            EXPECT_TRUE(sides->outlookWrites.empty());
            expectMessages(ui.messages, {{refusal + "\r\n\r\nNothing was synchronized.", "Error",
                                          win::MB_ICONERROR}});
        } else {
            EXPECT_EQ(result.outcome, SyncOutcome::Done);
        }
    }
}

// A file the run could not write is named and the run fails; for a file another program changed
// between the load and the save, the user may have both sides read again.
TEST_F(SyncControllerTest, FilesNotWrittenFailTheRunAndThoseChangedElsewhereOfferAReload) {
    const std::string card = "/home/user/Outlook/Contacts/dora.vcf";
    struct ChangedCase {
        const char* name;
        bool palmChanged;
        bool cardRefused;
        bool reload;
        const char* text;
        const char* refusal = ": changed by another program since it was loaded; not written";
    };
    const ChangedCase cases[] = {
        {"the Palm file, reloaded", true, false, true,
         "The Palm Desktop contact data could not be saved to "
         "\"/home/user/Palm/ann/address/address.dat\".\r\n\r\nNothing was written to this file; "
         "it still holds what it held before this synchronization.\r\n\r\n/home/user/Palm/ann/"
         "address/address.dat: changed by another program since it was loaded; not written"},
        {"an Outlook card, not reloaded", false, true, false,
         "Some Outlook contact items could not be written; their files still hold what they held "
         "before this synchronization:\r\n/home/user/Outlook/Contacts/dora.vcf: changed by "
         "another program since it was loaded; not written"},
        {"a read-only card, a plain error", false, true, false,
         "Some Outlook contact items could not be written; their files still hold what they held "
         "before this synchronization:\r\n/home/user/Outlook/Contacts/dora.vcf: the file is "
         "read-only; it was not replaced",
         ": the file is read-only; it was not replaced"},
    };
    for (const ChangedCase& c : cases) {
        SCOPED_TRACE(c.name);
        palmData = {record("Dora")};
        outlookData = {record("Eve")};
        ui = RecordingUi();
        open();
        sides->saveSucceeds = !c.palmChanged;
        sides->saveFailure = c.refusal;
        sides->createSucceeds = !c.cardRefused;
        sides->createRefusal = c.cardRefused ? card + c.refusal : "";
        ui.reloadAnswer = c.reload;
        ui.answers.clear();

        const SyncRunResult result = run(SyncMode::Sync);

        EXPECT_EQ(result.outcome, SyncOutcome::SaveFailed);
        const bool changed = std::string(c.refusal) == kChangedSinceLoaded;
        EXPECT_EQ(ui.reloadQuestions,
                  changed ? std::vector<std::string>{c.text} : std::vector<std::string>{});
        if (!changed) {
            expectMessages(ui.messages, {{c.text, "Error", win::MB_ICONERROR}});
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        // Read after the run, and once more when the user asked for it.
        EXPECT_EQ(sides->opened.size(), c.reload ? 3u : 2u);
        EXPECT_EQ(sides->reloads, c.reload ? 3 : 2);
    }
}

TEST_F(SyncControllerTest, SelectionButtonsCheckAllNewAndDifferentOrNothing) {
    palmData = {record("Ann"), record("Bob"), record("Carla", "Acme")};
    outlookData = {record("Bob"), record("Carla", "Initech")};
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
    outlookData = {record("Zoe")};
    open();
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{1});

    controller->ChangeUser(DataKind::Addr, 9);

    EXPECT_EQ(options.AddrUserID, 9);
    EXPECT_EQ(sides->opened, (std::vector<std::int32_t>{kUser, 9}));
    EXPECT_EQ(sides->reloads, 1);
    EXPECT_EQ(statuses(ViewSide::Palm), std::vector<int>{0});
    EXPECT_EQ(statuses(ViewSide::Outlook), std::vector<int>{0});
}

TEST_F(SyncControllerTest, KindsWithoutSidesOpenEmptyAndClosingEmptiesTheViews) {
    palmData = {record("Ann")};
    open();
    for (DataKind other : {DataKind::Date, DataKind::Todo, DataKind::Memo}) {
        controller->OpenKind(other);
        EXPECT_TRUE(controller->IsOpen(other));
        EXPECT_TRUE(ui.view(other, ViewSide::Palm).rows.empty());
        EXPECT_TRUE(ui.view(other, ViewSide::Outlook).rows.empty());
    }
    controller->CloseKind(DataKind::Addr);
    EXPECT_FALSE(controller->IsOpen(DataKind::Addr));
    EXPECT_TRUE(ui.view(DataKind::Addr, ViewSide::Palm).rows.empty());
    EXPECT_TRUE(controller->Rows(DataKind::Addr, ViewSide::Palm).empty());
}

TEST_F(SyncControllerTest, RuleOfTheRunDecidesConflictsAndLeavesTheStoredRuleAlone) {
    palmData = {record("Carla", "Acme")};
    outlookData = {record("Carla", "Initech")};
    options.ConfMode = 1;
    open();

    const SyncRunResult result =
        controller->RunSync(kind, SyncMode::Sync, ConflictRule::OutlookWins);

    EXPECT_EQ(result.updated, 1);
    EXPECT_TRUE(ui.asked.empty());
    EXPECT_EQ(sides->palmWrites, std::vector<std::string>{"update 0 Carla"});
    EXPECT_TRUE(sides->outlookWrites.empty());
    EXPECT_EQ(options.ConfMode, 1);
}

struct KindRunCase {
    DataKind kind;
    const char* message;
};

// Every kind goes through the one algorithm; only the kind table's texts and settings differ.
TEST_F(SyncControllerTest, EveryKindSynchronisesThroughTheSameRunWithItsOwnTexts) {
    const KindRunCase cases[] = {
        {DataKind::Addr, "Contact information synchronized successfully. 3 records updated."},
        {DataKind::Date, "Calendar information synchronized successfully. 3 records updated."},
        {DataKind::Todo, "Task information synchronized successfully. 3 records updated."},
        {DataKind::Memo, "Memo information synchronized successfully. 3 records updated."},
    };
    for (const KindRunCase& c : cases) {
        SCOPED_TRACE(describeKind(c.kind).word);
        kind = c.kind;
        options.*describeKind(c.kind).syncMode = 4;
        palmData = {record("Ann", "1"), record("Carla", "Acme")};
        outlookData = {record("Carla", "Initech"), record("Dora", "4")};
        ui = RecordingUi();
        open();
        answer(2, /*thisRun=*/true);

        const SyncRunResult result = controller->RunSync(kind);

        EXPECT_EQ(result.outcome, SyncOutcome::Done);
        EXPECT_EQ(sides->outlookWrites, std::vector<std::string>{"create Ann"});
        EXPECT_EQ(sides->palmWrites, (std::vector<std::string>{"update 1 Carla", "add Dora"}));
        EXPECT_EQ(sides->saves, 1);
        ASSERT_EQ(ui.asked.size(), 1u);
        EXPECT_EQ(ui.asked[0].kind, c.kind);
        expectMessages(ui.messages, {{c.message, "Information", win::MB_ICONINFORMATION}});
        EXPECT_EQ(statuses(ViewSide::Palm), (std::vector<int>{0, 0, 0}));
    }
}

struct ReadCase {
    const char* name;
    const char* palmPartial;
    const char* outlookSkipped;
    bool palmMissing;
    SyncMode mode;
    bool confirm;
    bool asked;
    SyncOutcome outcome;
};

// A side read only in part is never synced from unasked. Writing to Outlook cannot lose a file
// the store skipped, so the user may confirm such a run; saving over a Palm file read in part,
// or syncing with a side that could not be read at all, is refused outright.
TEST_F(SyncControllerTest, SidesNotReadCompletelyAreSyncedOnlyWhereConfirmedAndSafe) {
    const char* cut = "address.dat: record 3 at offset 0x2f10: cut short";
    const char* skipped = "Outlook store: Contacts/b.vcf: cannot be read; skipped";
    const ReadCase cases[] = {
        {"Palm in part, P2O, not confirmed", cut, "", false, SyncMode::P2O, false, true,
         SyncOutcome::Refused},
        {"Palm in part, P2O, confirmed", cut, "", false, SyncMode::P2O, true, true,
         SyncOutcome::Done},
        {"Palm in part, O2P, even confirmed", cut, "", false, SyncMode::O2P, true, false,
         SyncOutcome::Refused},
        {"Palm in part, Sync, even confirmed", cut, "", false, SyncMode::Sync, true, false,
         SyncOutcome::Refused},
        {"Outlook in part, P2O, not confirmed", "", skipped, false, SyncMode::P2O, false, true,
         SyncOutcome::Refused},
        {"Outlook in part, O2P, confirmed", "", skipped, false, SyncMode::O2P, true, true,
         SyncOutcome::Done},
        {"Outlook in part, Sync, confirmed", "", skipped, false, SyncMode::Sync, true, true,
         SyncOutcome::Done},
        {"Palm unreadable, Sync", "", "", true, SyncMode::Sync, true, false, SyncOutcome::Refused},
        {"both complete, Sync", "", "", false, SyncMode::Sync, false, false, SyncOutcome::Done},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        palmData = {record("Ann"), record("Carla", "Acme")};
        outlookData = {record("Carla", "Initech"), record("Dora")};
        ui = RecordingUi();
        controller = std::make_unique<SyncController>(
            options, ui, [&](DataKind, const OptionBlock&) -> std::unique_ptr<KindSides> {
                auto made = std::make_unique<FakeSides>(DataKind::Addr);
                if (!c.palmMissing) {
                    made->users[kUser] = palmData;
                }
                made->folder = outlookData;
                made->palmPartial = c.palmPartial;
                made->outlookSkipped = c.outlookSkipped;
                sides = made.get();
                return made;
            });
        controller->OpenKind(kind);
        const bool partial = *c.palmPartial != 0 || *c.outlookSkipped != 0;
        ASSERT_EQ(ui.messages.size(), partial ? 1u : 0u) << "a part read is warned about at once";
        if (partial) {
            EXPECT_EQ(ui.messages[0].caption, "Warning");
            EXPECT_NE(ui.messages[0].text.find(*c.palmPartial != 0 ? cut : skipped),
                      std::string::npos);
        }
        controller->SelectAll(kind, ViewSide::Palm);
        controller->SelectAll(kind, ViewSide::Outlook);
        ui.confirmations.push_back(c.confirm);

        const SyncRunResult result = controller->RunSync(kind, c.mode, ConflictRule::PalmWins);

        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_EQ(ui.confirmQuestions.size(), c.asked ? 1u : 0u);
        const bool wrote = !sides->palmWrites.empty() || !sides->outlookWrites.empty();
        EXPECT_EQ(wrote, c.outcome == SyncOutcome::Done);
        if (c.outcome == SyncOutcome::Refused && !c.asked) {
            EXPECT_EQ(ui.messages.back().caption, "Error");
            EXPECT_NE(ui.messages.back().text.find(c.palmMissing ? sides->fileName.c_str() : cut),
                      std::string::npos);
        }
    }
}

} // namespace
} // namespace twinleaf

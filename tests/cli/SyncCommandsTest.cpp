#include "cli/CommandLine.h"
#include "cli/TerminalSyncUi.h"
#include "common/misc/CommAddr.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"

#include <gtest/gtest.h>
#include <sstream>

namespace twinleaf::cli {
namespace {

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* complaint;
};

TEST(SyncCommands, BadArgumentsAreUsageErrorsBeforeAnythingIsOpened) {
    const UsageCase cases[] = {
        {"sync without a mode", {"sync", "contacts"}, "--mode is required"},
        {"sync with an unknown mode", {"sync", "contacts", "--mode", "sideways"}, "--mode must"},
        {"sync of a kind that is not there", {"sync", "calendar", "--mode", "p2o"}, "kind"},
        {"sync without a kind", {"sync", "--mode", "p2o"}, "which kind"},
        {"unknown selection",
         {"sync", "contacts", "--mode", "p2o", "--select", "some"},
         "--select must"},
        {"unknown conflict rule",
         {"sync", "contacts", "--mode", "all", "--conflicts", "both"},
         "--conflicts must"},
        {"user id that is no number", {"compare", "contacts", "--user", "ann"}, "--user needs"},
        {"user id too large", {"compare", "contacts", "--user", "4294967296"}, "--user needs"},
        {"unknown option", {"compare", "contacts", "--colour"}, "unknown option --colour"},
        {"two kinds", {"compare", "contacts", "contacts"}, "kind"},
    };
    for (const UsageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out;
        std::ostringstream err;
        CommandContext context{out, err};
        bool startGui = false;
        EXPECT_EQ(runCommandLine(c.args, context, startGui), kExitUsage);
        EXPECT_NE(err.str().find(c.complaint), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
}

CommAddrRec person(const char* first, const char* company) {
    CommAddrRec rec{};
    copyToField(rec.FirstName, first);
    copyToField(rec.Company, company);
    return rec;
}

struct AnswerCase {
    const char* name;
    const char* typed;
    ConflictAnswer expected;
};

TEST(TerminalSyncUi, ReadsTheConflictAnswerFromTheTerminal) {
    const AnswerCase cases[] = {
        {"enter takes the preset direction", "\n", {true, 1, false, false}},
        {"Outlook wins", "2\n", {true, 2, false, false}},
        {"for this run", "2r\n", {true, 2, true, false}},
        {"for all runs, upper case and blanks", " 1 A\n", {true, 1, false, true}},
        {"both rules", "1ra\n", {true, 1, true, true}},
        {"cancel", "c\n", {false, 1, false, false}},
        {"nonsense is asked again", "yes\n2\n", {true, 2, false, false}},
        {"end of input cancels", "", {false, 1, false, false}},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(c.typed);
        CommandContext context{out, err, true, &in};
        TerminalSyncUi ui(context);
        CommAddrRec palm = person("Carla", "Acme");
        CommAddrRec outlook = person("Carla", "Initech");
        const ConflictAnswer answer = ui.askConflict(DataKind::Addr, &palm, &outlook);
        EXPECT_EQ(answer.accepted, c.expected.accepted);
        EXPECT_EQ(answer.direction, c.expected.direction);
        EXPECT_EQ(answer.applyThisRun, c.expected.applyThisRun);
        EXPECT_EQ(answer.applyAlways, c.expected.applyAlways);
        EXPECT_NE(out.str().find("Acme"), std::string::npos);
        EXPECT_NE(out.str().find("Initech"), std::string::npos);
    }
}

TEST(TerminalSyncUi, WithoutATerminalTheConflictStopsTheRunUnasked) {
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in("2\n");
    CommandContext context{out, err, false, &in};
    TerminalSyncUi ui(context);
    CommAddrRec palm = person("Carla", "Acme");
    CommAddrRec outlook = person("Carla", "Initech");
    EXPECT_FALSE(ui.askConflict(DataKind::Addr, &palm, &outlook).accepted);
    EXPECT_EQ(in.tellg(), 0) << "nothing may be read";
    EXPECT_NE(err.str().find("Initech"), std::string::npos);
}

TEST(TerminalSyncUi, PrintsMessagesAsTerminalTextAndNotesErrors) {
    std::ostringstream out;
    std::ostringstream err;
    CommandContext context{out, err};
    TerminalSyncUi ui(context);
    ui.showMessage("Caf\xe9 synchronized. \r\n\r\nDone.", "Information", win::MB_ICONINFORMATION);
    EXPECT_FALSE(ui.errorShown());
    EXPECT_EQ(out.str(), "Caf\xc3\xa9 synchronized.\n\nDone.\n");
    ui.showMessage("No contact information records found. Synchronization abort.", "Error",
                   win::MB_ICONERROR);
    EXPECT_TRUE(ui.errorShown());
    EXPECT_EQ(err.str(), "Error: No contact information records found. Synchronization abort.\n");
}

} // namespace
} // namespace twinleaf::cli

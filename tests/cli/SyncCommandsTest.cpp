#include "cli/CommandLine.h"
#include "cli/TerminalSyncUi.h"
#include "common/misc/CommAddr.h"
#include "common/palm/PalmAddrInfo.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/RunLock.h"
#include "platform/library/UserDataLibrary.h"
#include "platform/registry/Registry.h"
#include "platform/text/FieldText.h"
#include "platform/ui/MessageBox.h"
#include "support/Bytes.h"
#include "support/ScopedEnvironment.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>
#include <streambuf>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

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
        {"sync of a kind that is not there", {"sync", "journal", "--mode", "p2o"}, "kind"},
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
        {"unknown status to list", {"compare", "contacts", "--only", "different,odd"}, "--only"},
        {"empty status to list", {"compare", "contacts", "--only", "new,"}, "--only"},
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

TEST(TerminalSyncUi, WarningsGoToStandardErrorAndForceAnswersTheQuestion) {
    std::ostringstream out;
    std::ostringstream err;
    CommandContext context{out, err};
    TerminalSyncUi ui(context);
    ui.showMessage("Cancelled.", "Warning", win::MB_ICONWARNING);
    EXPECT_FALSE(ui.errorShown());
    EXPECT_EQ(err.str(), "Warning: Cancelled.\n");
    EXPECT_FALSE(ui.confirmRun("Read in part.", "Warning"));
    EXPECT_TRUE(ui.errorShown()) << "a run not forced is a run that did not happen";
    ui.setForce(true);
    EXPECT_TRUE(ui.confirmRun("Read in part.", "Warning"));
    EXPECT_EQ(out.str(), "");
}

// The commands on the real sides: a home with the settings, a Palm Desktop folder whose user
// Alice keeps the classic address book of the fixtures (Ann Smith, Dora White, Eve Black), and
// the Outlook stand-in's store with two contacts: Ann Smith at another company, and a new one.
class SyncCommandsOnRealSides : public testing::Test {
protected:
    SyncCommandsOnRealSides() { makeHome(); }

    // The home as the fixture makes it, made again for each case of a table.
    void resetHome() {
        std::filesystem::remove_all(home());
        makeHome();
    }
    void makeHome() {
        std::filesystem::create_directories(palmFile().parent_path());
        std::filesystem::copy_file(test::testData() / "palm/address-classic.dat", palmFile());
        writeSettings("");
        writeContact("ann", annAt("Initech"));
        writeContact("joerg", "N:M\xC3\xBCller;J\xC3\xB6rg;;;\r\nFN:J\xC3\xB6rg M\xC3\xBCller\r\n"
                              "TEL;TYPE=WORK:555-0200\r\n");
    }

    struct CommandRun {
        int status;
        std::string out;
        std::string err;
    };
    // `typed` is what a person at the terminal types; without it standard input is no terminal.
    CommandRun run(std::vector<std::string> args, const char* typed = nullptr) {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(typed ? typed : "");
        CommandContext context{out, err, typed != nullptr, &in};
        args.insert(args.begin(), {"--home", home().string()});
        bool startGui = false;
        const int status = runCommandLine(args, context, startGui);
        return {status, out.str(), err.str()};
    }

    // Standard input a person types `typed` into once `meanwhile` has run: the seam between the
    // load and the save of a run, where the conflict question waits for its answer.
    CommandRun runAnswering(std::vector<std::string> args, std::function<void()> meanwhile,
                            std::string typed) {
        class AnswerAfter : public std::streambuf {
        public:
            AnswerAfter(std::function<void()> before, std::string answer)
                : m_before(std::move(before)), m_answer(std::move(answer)) {}

        protected:
            int_type underflow() override {
                if (m_before) {
                    std::exchange(m_before, nullptr)();
                    setg(m_answer.data(), m_answer.data(), m_answer.data() + m_answer.size());
                }
                return gptr() < egptr() ? traits_type::to_int_type(*gptr()) : traits_type::eof();
            }

        private:
            std::function<void()> m_before;
            std::string m_answer;
        };
        AnswerAfter buffer(std::move(meanwhile), std::move(typed));
        std::istream in(&buffer);
        std::ostringstream out;
        std::ostringstream err;
        CommandContext context{out, err, true, &in};
        args.insert(args.begin(), {"--home", home().string()});
        bool startGui = false;
        const int status = runCommandLine(args, context, startGui);
        return {status, out.str(), err.str()};
    }

    std::filesystem::path home() const { return m_dir.path() / "home"; }
    std::filesystem::path palmFile() const {
        return home() / "Palm" / "Alice" / "address" / "address.dat";
    }
    std::filesystem::path settings() const { return home() / "corvane.ini"; }
    void writeSettings(const std::string& twinleafSection) {
        test::writeBytes(settings(), "[Path]\r\nPDPath=" + (home() / "Palm").string() + "\r\n" +
                                         twinleafSection);
    }
    // The fixture's Ann Smith as Outlook would hold her, at another company.
    static std::string annAt(const std::string& company) {
        return "N:Smith;Ann;;;\r\nFN:Ann Smith\r\nORG:" + company +
               "\r\nTITLE:Dr\r\nTEL;TYPE=WORK:555-0100\r\nTEL;TYPE=HOME:555-0101\r\n"
               "TEL;TYPE=CELL:555-0102\r\nEMAIL:ann@example.org\r\n"
               "ADR;TYPE=WORK:;;1 Main St;Springfield;IL;62701;USA\r\nNOTE:Met at the fair\r\n";
    }
    void writeContact(const std::string& id, const std::string& lines) {
        std::filesystem::create_directories(home() / "Outlook" / "Contacts");
        test::writeBytes(home() / "Outlook" / "Contacts" / (id + ".vcf"),
                         "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + id + "\r\n" + lines +
                             "END:VCARD\r\n");
    }
    std::size_t outlookContacts() const {
        std::size_t count = 0;
        for (const auto& entry :
             std::filesystem::directory_iterator(home() / "Outlook" / "Contacts")) {
            count += entry.path().extension() == ".vcf" ? 1 : 0;
        }
        return count;
    }

    // Every file of the home with its bytes; with `allFiles` false, without what a run keeps for
    // itself (its history, its locks).
    std::map<std::string, std::string> homeFiles(bool allFiles = true) const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(home())) {
            const std::string name = std::filesystem::relative(entry.path(), home()).string();
            const bool bookkeeping =
                name.starts_with("history/") || entry.path().filename() == ".twinleaf.lock";
            if (entry.is_regular_file() && (allFiles || !bookkeeping)) {
                files[name] = test::readBytes(entry.path());
            }
        }
        return files;
    }

    test::TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

TEST_F(SyncCommandsOnRealSides, CompareShowsBothSidesWithTheirStatuses) {
    CommandRun result = run({"compare", "contacts"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Palm Desktop (3)"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("| Outlook (2)"), std::string::npos);
    EXPECT_NE(result.out.find("different  Ann Smith"), std::string::npos);
    EXPECT_NE(result.out.find("new        Eve Black"), std::string::npos);
    EXPECT_NE(result.out.find("new        J\xC3\xB6rg M\xC3\xBCller"), std::string::npos);

    result = run({"compare", "contacts", "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("{\"status\": \"different\", \"First Name\": \"Ann\", \"Last Name\": "
                              "\"Smith\", \"Email\": \"ann@example.org\""),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\"Company\": \"Initech\""), std::string::npos);
    EXPECT_NE(result.out.find("\"First Name\": \"J\xC3\xB6rg\""), std::string::npos);
}

TEST_F(SyncCommandsOnRealSides, CompareListsTheChosenStatusesAndWhatMakesAPairDifferent) {
    test::ScopedEnvironment columns("COLUMNS", nullptr);
    CommandRun result = run({"compare", "contacts", "--only", "different"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Palm Desktop (1)"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("| Outlook (1)"), std::string::npos);
    EXPECT_EQ(result.out.find("new "), std::string::npos);
    // Ann's Outlook card works at Initech; that is the one compared field the two disagree in.
    EXPECT_NE(result.out.find("\nDifferent pairs, with the fields that differ:\n"
                              "  Ann Smith: Company\n"),
              std::string::npos)
        << result.out;

    result = run({"compare", "contacts", "--only", "new,same"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Palm Desktop (2)"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("different"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Different pairs"), std::string::npos);
}

TEST_F(SyncCommandsOnRealSides, CompareTakesTheWidthItIsGiven) {
    struct WidthCase {
        const char* name;
        const char* columns;
        std::size_t separatorAt;
    };
    const WidthCase cases[] = {
        {"a pipe keeps the layout it always had", nullptr, 37},
        {"a wide terminal", "160", 78},
        {"never narrower than a name and a number", "40", 37},
        {"nonsense is ignored", "wide", 37},
    };
    for (const WidthCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::ScopedEnvironment columns("COLUMNS", c.columns);
        const CommandRun result = run({"compare", "contacts"});
        ASSERT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(result.out.find(" | Outlook (2)"), c.separatorAt) << result.out;
    }
}

TEST_F(SyncCommandsOnRealSides, PalmToOutlookWritesTheSelectedContacts) {
    const CommandRun result = run({"sync", "contacts", "--mode", "p2o"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    // Select Diff: Ann (different) and Dora and Eve (new).
    EXPECT_EQ(result.out, "Contact information synchronized successfully. 3 records updated.\n");
    EXPECT_EQ(outlookContacts(), 4u);
    const CommandRun after = run({"compare", "contacts", "--json"});
    EXPECT_EQ(after.out.find("\"different\""), std::string::npos) << after.out;
}

// Ann's Custom1 ("c1") mapped to the Outlook department: it becomes the second part of her
// card's ORG on the way out, and the department comes back into Custom1 on the way in. Mapped to
// "None", neither way carries it.
TEST_F(SyncCommandsOnRealSides, CustomFieldMappedToTheDepartmentTravelsBothWays) {
    const std::filesystem::path ann = home() / "Outlook" / "Contacts" / "ann.vcf";
    writeSettings("[Twinleaf]\r\nbAddrCustom=1\r\nAddrCustom1=22\r\n");
    CommandRun result = run({"sync", "contacts", "--mode", "p2o"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(test::readBytes(ann).find("\r\nORG:Acme;c1\r\n"), std::string::npos)
        << test::readBytes(ann);
    result = run({"compare", "contacts", "--only", "different"});
    EXPECT_NE(result.out.find("Palm Desktop (0)"), std::string::npos) << result.out;

    // Custom fields are carried with a pair, not compared: Ann moved to Initech's sales.
    writeContact("ann", annAt("Initech;Sales"));
    result = run({"compare", "contacts", "--only", "different"});
    EXPECT_NE(result.out.find("Ann Smith: Company"), std::string::npos) << result.out;
    result = run({"sync", "contacts", "--mode", "o2p"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(test::readBytes(palmFile()).find("Sales"), std::string::npos);
    EXPECT_EQ(test::readBytes(palmFile()).find("c1"), std::string::npos);
    result = run({"compare", "contacts", "--only", "different"});
    EXPECT_NE(result.out.find("Palm Desktop (0)"), std::string::npos) << result.out;
}

TEST_F(SyncCommandsOnRealSides, CustomFieldMappedToNoneExchangesNothing) {
    const std::filesystem::path ann = home() / "Outlook" / "Contacts" / "ann.vcf";
    writeSettings("[Twinleaf]\r\nbAddrCustom=1\r\nAddrCustom1=0\r\n");
    CommandRun result = run({"sync", "contacts", "--mode", "p2o"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(test::readBytes(ann).find("c1"), std::string::npos) << test::readBytes(ann);

    writeContact("ann", annAt("Initech;Sales"));
    result = run({"sync", "contacts", "--mode", "all", "--conflicts", "outlook"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(test::readBytes(palmFile()).find("Initech"), std::string::npos);
    EXPECT_EQ(test::readBytes(palmFile()).find("Sales"), std::string::npos);
    EXPECT_NE(test::readBytes(palmFile()).find("c1"), std::string::npos);
}

// "Open by File Name" opens the chosen file in place of the user's own; a chosen file that has
// gone is named once and the user's own file is opened instead of nothing.
TEST_F(SyncCommandsOnRealSides, ContactsFileChosenByNameIsOpenedAndAGoneOneFallsBack) {
    const std::filesystem::path chosen = m_dir.path() / "stick" / "address.dat";
    std::filesystem::create_directories(chosen.parent_path());
    std::filesystem::copy_file(palmFile(), chosen);
    // The user's own file gains Joerg; the chosen copy keeps the fixture's three.
    ASSERT_EQ(run({"sync", "contacts", "--mode", "o2p"}).status, kExitOk);
    const std::string chosenBefore = test::readBytes(chosen);

    writeSettings("[Twinleaf]\r\nbAddrFile=1\r\nAddrFile=" + chosen.string() + "\r\n");
    CommandRun result = run({"compare", "contacts"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Palm Desktop (3)"), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "");
    // A user named on the command line is that user's data.
    result = run({"compare", "contacts", "--user", std::to_string(userIdForFolderName("Alice"))});
    EXPECT_NE(result.out.find("Palm Desktop (4)"), std::string::npos) << result.out;
    // Syncing writes the chosen file, not the user's.
    const std::string ownBefore = test::readBytes(palmFile());
    result = run({"sync", "contacts", "--mode", "o2p"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(test::readBytes(chosen), chosenBefore);
    EXPECT_EQ(test::readBytes(palmFile()), ownBefore);

    // Switched off, the name is kept but not used.
    writeSettings("[Twinleaf]\r\nbAddrFile=0\r\nAddrFile=/nowhere/address.dat\r\n");
    result = run({"compare", "contacts"});
    EXPECT_EQ(result.err, "");

    std::filesystem::remove_all(chosen.parent_path());
    writeSettings("[Twinleaf]\r\nbAddrFile=1\r\nAddrFile=" + chosen.string() + "\r\n");
    result = run({"compare", "contacts"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Palm Desktop (4)"), std::string::npos) << result.out;
    const std::string named = "\"" + chosen.string() + "\" chosen under \"Open by File Name\"";
    const std::size_t first = result.err.find(named);
    EXPECT_NE(first, std::string::npos) << result.err;
    EXPECT_EQ(result.err.find(named, first + 1), std::string::npos) << "told once";
}

TEST_F(SyncCommandsOnRealSides, ConflictRuleOfTheRunWritesThePalmFileAndIsNotStored) {
    const std::string before = test::readBytes(palmFile());
    const CommandRun result = run({"sync", "contacts", "--mode", "all", "--conflicts", "outlook"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    // Ann from Outlook, Dora and Eve to Outlook, Joerg to Palm Desktop.
    EXPECT_EQ(result.out, "Contact information synchronized successfully. 4 records updated.\n");
    EXPECT_NE(test::readBytes(palmFile()), before);
    EXPECT_EQ(test::readBytes(settings()).find("ConfMode"), std::string::npos);
    const CommandRun after = run({"compare", "contacts"});
    EXPECT_EQ(after.out.find("new"), std::string::npos) << after.out;
    EXPECT_EQ(after.out.find("different"), std::string::npos) << after.out;
}

// Both pairs differ and Palm wins: both passes of the run meet each pair, but each card is written
// once and counted once, and the next run finds nothing left to write.
TEST_F(SyncCommandsOnRealSides, EachDifferingPairIsWrittenOnceWhenPalmWins) {
    std::filesystem::remove(home() / "Outlook" / "Contacts" / "joerg.vcf");
    writeContact("dora", "N:White;Dora;;;\r\nFN:Dora White\r\nORG:Globex\r\n");
    writeContact("eve", "N:Black;Eve;;;\r\nFN:Eve Black\r\n");
    ASSERT_EQ(run({"compare", "contacts", "--only", "different"}).out.find("Palm Desktop (2)"), 0u);

    const CommandRun result = run({"sync", "contacts", "--mode", "all", "--conflicts", "palm"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out, "Contact information synchronized successfully. 2 records updated.\n");
    EXPECT_EQ(outlookContacts(), 3u);
    const CommandRun again = run({"sync", "contacts", "--mode", "all", "--conflicts", "palm"});
    EXPECT_EQ(again.out, "Contact information synchronized successfully. 0 records updated.\n");
}

TEST_F(SyncCommandsOnRealSides, ConflictWithoutATerminalStopsTheRunAsCancelDoes) {
    const std::string before = test::readBytes(palmFile());
    const CommandRun result = run({"sync", "contacts", "--mode", "all"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("nobody to ask"), std::string::npos);
    EXPECT_NE(result.err.find("Warning: The contact synchronization was cancelled. 0 records were "
                              "written before it stopped"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(test::readBytes(palmFile()), before);
    EXPECT_NE(test::readBytes(settings()).find("ConfMode=3"), std::string::npos);
}

TEST_F(SyncCommandsOnRealSides, AnswerForAllFutureRunsIsStored) {
    const CommandRun result = run({"sync", "contacts", "--mode", "all"}, "2a\n");
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Conflict records found"), std::string::npos);
    EXPECT_NE(test::readBytes(settings()).find("ConfMode=2"), std::string::npos);
    // The stored rule answers the next run's conflicts: nobody is asked.
    writeContact("ann", annAt("Globex"));
    const CommandRun next = run({"sync", "contacts", "--mode", "all"});
    EXPECT_EQ(next.status, kExitOk) << next.err;
    EXPECT_EQ(next.err, "");
    EXPECT_EQ(next.out, "Contact information synchronized successfully. 1 records updated.\n");
}

// Cut short: the records that could be read are listed with a warning naming the file, but
// nothing is synchronised from the file unasked, and nothing ever writes over it.
TEST_F(SyncCommandsOnRealSides, PalmFileReadOnlyInPartIsNeitherSyncedFromUnforcedNorWritten) {
    std::string bytes = test::readBytes(palmFile());
    bytes.resize(bytes.size() - 20);
    test::writeBytes(palmFile(), bytes);

    const CommandRun compared = run({"compare", "contacts"});
    EXPECT_EQ(compared.status, kExitOk) << compared.err;
    EXPECT_NE(compared.err.find("Warning: The Palm Desktop contact data was read only in part"),
              std::string::npos)
        << compared.err;
    EXPECT_NE(compared.err.find(palmFile().string()), std::string::npos);

    for (const char* mode : {"o2p", "all"}) {
        SCOPED_TRACE(mode);
        const CommandRun result = run({"sync", "contacts", "--mode", mode, "--force"});
        EXPECT_EQ(result.status, kExitError);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("Nothing was synchronized."), std::string::npos) << result.err;
    }
    const CommandRun unforced = run({"sync", "contacts", "--mode", "p2o"});
    EXPECT_EQ(unforced.status, kExitError);
    EXPECT_NE(unforced.err.find("--force runs it"), std::string::npos) << unforced.err;
    EXPECT_EQ(outlookContacts(), 2u);

    const CommandRun forced = run({"sync", "contacts", "--mode", "p2o", "--force"});
    EXPECT_EQ(forced.status, kExitOk) << forced.err;
    EXPECT_GT(outlookContacts(), 2u);
    EXPECT_EQ(test::readBytes(palmFile()), bytes);
}

// A card the store cannot read would make its contact look new: P2O would write it twice.
TEST_F(SyncCommandsOnRealSides, UnreadableOutlookCardStopsAnUnforcedRun) {
    const std::filesystem::path broken = home() / "Outlook" / "Contacts" / "ann.vcf";
    test::writeBytes(broken, "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann\r\n");

    const CommandRun result = run({"sync", "contacts", "--mode", "p2o", "--select", "all"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find(broken.string()), std::string::npos) << result.err;
    EXPECT_EQ(outlookContacts(), 2u) << "no card written";

    const CommandRun forced =
        run({"sync", "contacts", "--mode", "p2o", "--select", "all", "--force"});
    EXPECT_EQ(forced.status, kExitOk) << forced.err;
    EXPECT_EQ(test::readBytes(broken), "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;Ann\r\n");
}

TEST_F(SyncCommandsOnRealSides, MissingPalmDesktopFolderFailsCompareNamingIt) {
    std::filesystem::remove_all(home() / "Palm");
    const CommandRun result = run({"compare", "contacts"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.err.find("The Palm Desktop folder " + (home() / "Palm").string() +
                              " (named by PDPath in section [Path] of "),
              std::string::npos)
        << result.err;
}

struct MissingSideCase {
    const char* name;
    std::vector<std::string> args;
};

// A side that cannot be read at all fails the command, naming what is missing.
TEST_F(SyncCommandsOnRealSides, UserWithoutTheKindsFileFailsCompareAndSync) {
    std::filesystem::remove(palmFile());
    const MissingSideCase cases[] = {
        {"compare", {"compare", "contacts"}},
        {"sync, Palm to Outlook", {"sync", "contacts", "--mode", "p2o", "--force"}},
        {"sync, both ways", {"sync", "contacts", "--mode", "all", "--conflicts", "palm"}},
    };
    for (const MissingSideCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CommandRun result = run(c.args);
        EXPECT_EQ(result.status, kExitError);
        EXPECT_NE(result.err.find("The Palm Desktop contact data could not be read"),
                  std::string::npos)
            << result.err;
        EXPECT_NE(result.err.find("address.dat"), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("synchronized successfully"), std::string::npos);
    }
    EXPECT_EQ(outlookContacts(), 2u);
}

// Another program saves a file while the conflict question is open: that file is not written
// over, the run names it and fails, and never says it went well.
TEST_F(SyncCommandsOnRealSides, AFileChangedByAnotherProgramDuringTheRunIsReportedNotOverwritten) {
    struct ChangedCase {
        const char* name;
        const char* answer; // which side the conflict over Ann writes to
        std::filesystem::path file;
    };
    const ChangedCase cases[] = {
        {"the Palm file", "2\n", palmFile()},
        {"an Outlook card", "1\n", home() / "Outlook" / "Contacts" / "ann.vcf"},
    };
    const std::string palmBefore = test::readBytes(palmFile());
    const std::string annBefore = test::readBytes(cases[1].file);
    for (const ChangedCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeBytes(palmFile(), palmBefore);
        test::writeBytes(cases[1].file, annBefore);
        std::string theirs = test::readBytes(c.file);
        theirs.replace(theirs.find(c.file == palmFile() ? "Dora" : "Initech"), 4, "Zed!");
        const CommandRun result = runAnswering(
            {"sync", "contacts", "--mode", "all"}, [&] { test::writeBytes(c.file, theirs); },
            c.answer);
        EXPECT_EQ(result.status, kExitError);
        EXPECT_EQ(result.out.find("successfully"), std::string::npos) << result.out;
        EXPECT_NE(result.err.find("Error: "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(c.file.string() + ": changed by another program since it was "
                                                    "loaded; not written"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(test::readBytes(c.file), theirs);
    }
}

// The store's limit for one item file comes from the settings: a card above it is skipped, with
// a warning naming it, before anything of it is read.
TEST_F(SyncCommandsOnRealSides, ACardAboveTheSettingsItemFileLimitIsSkippedNamingIt) {
    writeSettings("[Twinleaf]\r\nItemFileLimitMB=1\r\n");
    const auto huge = home() / "Outlook" / "Contacts" / "huge.vcf";
    test::writeBytes(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), 2 * 1024 * 1024), 0); // sparse: no disk is used
    const CommandRun limited = run({"compare", "contacts"});
    EXPECT_EQ(limited.status, kExitOk) << limited.err;
    EXPECT_NE(limited.err.find(huge.string() + ": cannot be read (File too large); skipped"),
              std::string::npos)
        << limited.err;
    EXPECT_NE(limited.out.find("| Outlook (2)"), std::string::npos) << limited.out;

    // Under the limit it is read, and refused as the empty card it is.
    writeSettings("[Twinleaf]\r\nItemFileLimitMB=3\r\n");
    const CommandRun raised = run({"compare", "contacts"});
    EXPECT_EQ(raised.err.find("File too large"), std::string::npos) << raised.err;
    EXPECT_NE(raised.err.find(huge.string()), std::string::npos) << raised.err;
    writeSettings("");
    EXPECT_EQ(run({"compare", "contacts"}).status, kExitOk);
}

// A second run, in a window or at a terminal, neither loads nor writes while one holds the home
// or the Palm user's folder; it says which lock file and who holds it. A look at the data
// (compare) is never held up.
TEST_F(SyncCommandsOnRealSides, ASyncStopsWhileAnotherRunHoldsTheHomeOrThePalmUser) {
    struct LockCase {
        const char* name;
        std::filesystem::path file;
    };
    const LockCase cases[] = {
        {"the home", home() / "Outlook" / ".twinleaf.lock"},
        {"the Palm user's folder", home() / "Palm" / "Alice" / ".twinleaf.lock"},
    };
    const std::string palmBefore = test::readBytes(palmFile());
    for (const LockCase& c : cases) {
        SCOPED_TRACE(c.name);
        RunLock other;
        std::string error;
        ASSERT_EQ(other.acquire(c.file, "twinleaf window", error), LockState::Taken) << error;
        const CommandRun result = run({"sync", "contacts", "--mode", "all", "--conflicts", "palm"});
        EXPECT_EQ(result.status, kExitError);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err,
                  "Error: Another Twinleaf run is using these files: " + c.file.string() +
                      " is locked by process " + std::to_string(::getpid()) +
                      " (twinleaf window). Nothing was synchronized; try again when "
                      "it has finished.\n");
        EXPECT_EQ(test::readBytes(palmFile()), palmBefore);
        EXPECT_EQ(outlookContacts(), 2u);
        EXPECT_EQ(run({"compare", "contacts"}).status, kExitOk);
    }
    // Released, the run goes ahead.
    const CommandRun result = run({"sync", "contacts", "--mode", "all", "--conflicts", "palm"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
}

// Palm keeps a title of 31 characters and Windows-1252 only: a card whose values it holds cut
// must keep them whole when Palm's values win, in a run both ways and from Palm to Outlook.
TEST_F(SyncCommandsOnRealSides, PalmWinningKeepsTheValuesPalmHoldsOnlyCut) {
    const std::string title = "Senior Vice President, Global Engineering";
    const std::string note = std::string(2500, 'x') + " the end";
    const auto wei = [&](const std::string& company) {
        return "N:Zhang;Wei \xF0\x9F\x98\x80 \xE4\xB8\xAD;;;\r\nFN:Wei Zhang\r\nORG:" + company +
               "\r\nTITLE:" + title + "\r\nNOTE:" + note + "\r\n";
    };
    writeContact("wei", wei("Initech"));
    ASSERT_EQ(run({"sync", "contacts", "--mode", "o2p"}).status, kExitOk);
    const std::filesystem::path card = home() / "Outlook" / "Contacts" / "wei.vcf";

    const std::vector<std::string> runs[] = {
        {"sync", "contacts", "--mode", "all", "--conflicts", "palm"},
        {"sync", "contacts", "--mode", "p2o", "--select", "all"},
    };
    for (const std::vector<std::string>& args : runs) {
        SCOPED_TRACE(args[3]);
        writeContact("wei", wei("Globex")); // changed in Outlook: Palm's Initech wins
        const CommandRun result = run(args);
        ASSERT_EQ(result.status, kExitOk) << result.err;
        const std::string written = test::unfolded(test::readBytes(card));
        EXPECT_NE(written.find("ORG:Initech"), std::string::npos) << written;
        EXPECT_NE(written.find("TITLE:Senior Vice President\\, Global Engineering\r\n"),
                  std::string::npos)
            << written;
        EXPECT_NE(written.find("Wei \xF0\x9F\x98\x80 \xE4\xB8\xAD"), std::string::npos);
        EXPECT_NE(written.find(note + "\r\n"), std::string::npos);
    }
    const CommandRun after = run({"compare", "contacts", "--only", "different"});
    EXPECT_EQ(after.out.find("Wei"), std::string::npos) << after.out;
}

// The other way round: Palm keeps Dora's 3000-character note and 300-character company whole in
// its file, while Outlook holds them cut; an update from Outlook must not cut them in the file.
TEST_F(SyncCommandsOnRealSides, OutlookWinningKeepsTheValuesOutlookHoldsOnlyCut) {
    ASSERT_EQ(run({"sync", "contacts", "--mode", "p2o"}).status, kExitOk);
    const std::filesystem::path card = home() / "Outlook" / "Contacts";
    for (const auto& entry : std::filesystem::directory_iterator(card)) {
        std::string text = test::readBytes(entry.path());
        if (text.find("Dora") != std::string::npos) {
            text.insert(text.find("END:VCARD"), "TITLE:Chief\r\n");
            test::writeBytes(entry.path(), text);
        }
    }
    const CommandRun result = run({"sync", "contacts", "--mode", "all", "--conflicts", "outlook"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    const std::string palm = test::readBytes(palmFile());
    EXPECT_NE(palm.find("Chief"), std::string::npos);
    EXPECT_NE(palm.find(std::string(3000, 'n')), std::string::npos);
    EXPECT_NE(palm.find(std::string(300, 'W')), std::string::npos);
}

// Once Palm's contacts are in Outlook, a run that selects every pair gives each record back as it
// is stored: no run rewrites the Palm file, rotates its backup or touches a card.
TEST_F(SyncCommandsOnRealSides, PairWhoseUpdateChangesNothingIsNotWritten) {
    std::filesystem::remove(home() / "Outlook" / "Contacts" / "joerg.vcf");
    ASSERT_EQ(run({"sync", "contacts", "--mode", "p2o", "--select", "all"}).status, kExitOk);
    std::filesystem::path card;
    for (const auto& entry : std::filesystem::directory_iterator(home() / "Outlook" / "Contacts")) {
        if (test::readBytes(entry.path()).find("Smith;Ann") != std::string::npos) {
            card = entry.path();
        }
    }
    ASSERT_FALSE(card.empty());
    const std::filesystem::path backup = palmFile().string() + ".bak";
    test::writeBytes(backup, "the backup");
    const std::string palmBefore = test::readBytes(palmFile());
    const std::string cardBefore = test::readBytes(card);
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    for (const auto& file : {palmFile(), card, backup}) {
        std::filesystem::last_write_time(file, longAgo);
    }

    const CommandRun compared = run({"compare", "contacts", "--only", "different"});
    EXPECT_EQ(compared.out.find("Ann Smith"), std::string::npos) << compared.out;
    const std::vector<std::string> runs[] = {
        {"sync", "contacts", "--mode", "o2p", "--select", "all"},
        {"sync", "contacts", "--mode", "all", "--conflicts", "outlook"},
    };
    for (const std::vector<std::string>& args : runs) {
        SCOPED_TRACE(args[3]);
        const CommandRun result = run(args);
        ASSERT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(test::readBytes(palmFile()), palmBefore);
        EXPECT_EQ(test::readBytes(backup), "the backup");
        EXPECT_EQ(test::readBytes(card), cardBefore);
        for (const auto& file : {palmFile(), card, backup}) {
            EXPECT_EQ(std::filesystem::last_write_time(file), longAgo) << file;
        }
    }
    const CommandRun after = run({"compare", "contacts", "--only", "different"});
    EXPECT_EQ(after.out.find("Ann Smith"), std::string::npos) << after.out;
}

TEST_F(SyncCommandsOnRealSides, UnknownPalmUserIsAUsageError) {
    const CommandRun result = run({"compare", "contacts", "--user", "12345"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("no Palm user has the id 12345"), std::string::npos);
}

// What a run reports as its count, from its message or, for a dry run, from the plan's JSON.
int updatedCount(const std::string& output) {
    std::smatch found;
    if (std::regex_search(output, found, std::regex("\"updated\": ([0-9]+)")) ||
        std::regex_search(output, found, std::regex("successfully\\. ([0-9]+) records"))) {
        return std::stoi(found[1]);
    }
    return -1;
}

struct PlanCase {
    const char* name;
    std::vector<std::string> options;
    int updated;
};

// The plan decides as the run does, so the count it announces is the count the run then reports;
// and it writes nothing at all, on either side.
TEST_F(SyncCommandsOnRealSides, DryRunPlansTheCountOfTheRunAndWritesNothing) {
    const PlanCase cases[] = {
        {"Palm to Outlook, new and different", {"--mode", "p2o"}, 3},
        {"Palm to Outlook, every record", {"--mode", "p2o", "--select", "all"}, 3},
        {"Outlook to Palm, new and different", {"--mode", "o2p"}, 2},
        {"Outlook to Palm, every record", {"--mode", "o2p", "--select", "all"}, 2},
        {"both ways, Palm wins", {"--mode", "all", "--conflicts", "palm"}, 4},
        {"both ways, Outlook wins", {"--mode", "all", "--conflicts", "outlook"}, 4},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetHome();
        const auto before = homeFiles();
        std::vector<std::string> args = {"sync", "contacts"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        std::vector<std::string> dry = args;
        dry.insert(dry.end(), {"--dry-run", "--json"});
        const CommandRun planned = run(dry);
        ASSERT_EQ(planned.status, kExitOk) << planned.err;
        EXPECT_EQ(homeFiles(), before) << "a dry run writes nothing";
        EXPECT_EQ(run(dry).out, planned.out) << "and so plans the same again";

        const CommandRun real = run(args);
        ASSERT_EQ(real.status, kExitOk) << real.err;
        EXPECT_EQ(updatedCount(planned.out), updatedCount(real.out)) << planned.out << real.out;
        EXPECT_EQ(updatedCount(real.out), c.updated) << real.out;
    }
}

TEST_F(SyncCommandsOnRealSides, DryRunListsEachRecordWithItsActionAndChangedFields) {
    CommandRun result =
        run({"sync", "contacts", "--mode", "all", "--conflicts", "palm", "--dry-run"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out,
              "Plan of sync contacts --mode all (nothing was written):\n"
              "  conflict, rule: update Outlook item Ann Smith\n"
              "      Company: \"Initech\" -> \"Acme\"\n"
              "      loses Custom 1: \"c1\" has no place\n"
              "  create in Outlook             Dora White\n"
              "  create in Outlook             Eve Black\n"
              "      loses Custom 4: \"c4\" has no place\n"
              "  create in Palm                J\xC3\xB6rg M\xC3\xBCller\n"
              "4 records would be updated: 2 create in Outlook, 1 update Outlook item, 1 create "
              "in Palm. Losses: 2.\n");

    // Nobody is asked in a dry run: a conflict no rule decides is listed as such.
    result = run({"sync", "contacts", "--mode", "all", "--dry-run", "--json"}, "1\n");
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("{\"action\": \"undecided\", \"name\": \"Ann Smith\", "
                              "\"conflict\": true, \"counted\": false, \"changes\": "
                              "[{\"field\": \"Company\", \"old\": \"Initech\", \"new\": "
                              "\"Acme\"}], \"losses\": []}"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\"updated\": 3,"), std::string::npos) << result.out;
    EXPECT_EQ(result.err, "");

    EXPECT_EQ(run({"sync", "contacts", "--mode", "p2o", "--json"}).status, kExitUsage);
}

// Kim's card holds more than a classic Palm contact can: a middle name, a second e-mail address,
// and more phone numbers than the record has slots (the home fax finds none).
TEST_F(SyncCommandsOnRealSides, WhatPalmCannotHoldIsPlannedWarnedAndRefusedWhenStrict) {
    writeContact("kim", "N:Lee;Kim;Jo;;\r\nFN:Kim Lee\r\n"
                        "TEL;TYPE=WORK:555-0301\r\nTEL;TYPE=HOME:555-0302\r\n"
                        "TEL;TYPE=CELL:555-0303\r\nTEL;TYPE=WORK,FAX:555-0304\r\n"
                        "TEL;TYPE=HOME,FAX:555-0306\r\nEMAIL:kim@example.org\r\n"
                        "EMAIL:lee@example.net\r\n");
    const std::vector<std::string> args = {"sync", "contacts", "--mode", "o2p"};
    const auto with = [&args](std::initializer_list<std::string> more) {
        std::vector<std::string> all = args;
        all.insert(all.end(), more);
        return all;
    };
    const CommandRun planned = run(with({"--dry-run"}));
    ASSERT_EQ(planned.status, kExitOk) << planned.err;
    EXPECT_NE(planned.out.find("  create in Palm                Kim Lee\n"
                               "      loses MiddleName: \"Jo\" has no place\n"
                               "      loses EMail2: \"lee@example.net\" has no place\n"
                               "      loses HomeFax: \"555-0306\" has no place\n"),
              std::string::npos)
        << planned.out;
    EXPECT_NE(planned.out.find("Losses: 3."), std::string::npos);

    const auto before = homeFiles();
    const CommandRun strict = run(with({"--strict"}));
    EXPECT_EQ(strict.status, 3);
    EXPECT_NE(strict.err.find("twinleaf: warning: Kim Lee: EMail2: \"lee@example.net\" has no "
                              "place\n"),
              std::string::npos)
        << strict.err;
    EXPECT_NE(strict.err.find("nothing was synchronized"), std::string::npos);
    EXPECT_EQ(homeFiles(false), before);
    EXPECT_EQ(run(with({"--dry-run", "--strict"})).status, 3);

    const CommandRun real = run(args);
    EXPECT_EQ(real.status, kExitOk) << real.err;
    EXPECT_NE(real.err.find("twinleaf: warning: Kim Lee: HomeFax: \"555-0306\" has no place"),
              std::string::npos)
        << real.err;
}

// Each kind of loss, each way, as the plan lists it: a text longer than the Outlook property it
// goes to, a value Outlook has no property for, a text longer than the Palm slot it goes to.
TEST_F(SyncCommandsOnRealSides, APlanListsWhatEitherTargetCannotHold) {
    struct LossCase {
        const char* name;
        void (*palm)(CommAddrRec&); // the fields of a Palm contact Eve Long, when there is one
        const char* card;           // an Outlook card, when there is one
        const char* mode;
        const char* loss;
    };
    const LossCase cases[] = {
        {"a city longer than Outlook's",
         [](CommAddrRec& c) { copyToField(c.WorkCity, "Llanfair Pwllgwyngyll Town"); }, nullptr,
         "p2o", "      loses (Work) City: cut after 23 bytes, losing \"own\"\n"},
        {"a custom field mapped to no Outlook property",
         [](CommAddrRec& c) { copyToField(c.Custom1, "blue"); }, nullptr, "p2o",
         "      loses Custom 1: \"blue\" has no place\n"},
        {"an e-mail address longer than a Palm slot", nullptr,
         "N:Long;Eve;;;\r\nFN:Eve Long\r\n"
         "EMAIL:eve.maria.long-johnson@mail.example.org\r\n",
         "o2p", "      loses E-Mail: cut after 31 bytes, losing \"mple.org\"\n"},
    };
    for (const LossCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetHome();
        if (c.palm != nullptr) {
            PmAddrInfo palm;
            ASSERT_TRUE(palm.OpenPath(palmFile().c_str())) << palm.GetLastError();
            CommAddrRec eve = person("Eve", "");
            copyToField(eve.LastName, "Long");
            c.palm(eve);
            ASSERT_TRUE(palm.AddRecord(&eve));
            ASSERT_TRUE(palm.Save()) << palm.GetLastError();
        }
        if (c.card != nullptr) {
            writeContact("eve", c.card);
        }
        const CommandRun planned = run({"sync", "contacts", "--mode", c.mode, "--dry-run"});
        ASSERT_EQ(planned.status, kExitOk) << planned.err;
        const std::size_t eve = planned.out.find("Eve Long\n");
        ASSERT_NE(eve, std::string::npos) << planned.out;
        EXPECT_EQ(planned.out.compare(eve + 9, std::string(c.loss).size(), c.loss), 0)
            << planned.out;
        EXPECT_EQ(run({"sync", "contacts", "--mode", c.mode, "--strict"}).status, 3);
    }
}

// Undo puts every file of both sides back byte for byte, whichever way the run went: cards
// created are removed, cards and the Palm file rewritten get their old bytes, and the Palm
// file's backup is as it was.
TEST_F(SyncCommandsOnRealSides, UndoPutsBothSidesBackAsTheyWereBeforeTheRun) {
    const std::vector<std::string> runs[] = {
        {"sync", "contacts", "--mode", "p2o"},
        {"sync", "contacts", "--mode", "o2p", "--select", "all"},
        {"sync", "contacts", "--mode", "all", "--conflicts", "outlook"},
    };
    for (const std::vector<std::string>& args : runs) {
        SCOPED_TRACE(args[3]);
        resetHome();
        const auto before = homeFiles(false);
        ASSERT_EQ(run(args).status, kExitOk);
        ASSERT_NE(homeFiles(false), before);
        const CommandRun history = run({"history"});
        EXPECT_NE(history.out.find("contacts " + args[3]), std::string::npos) << history.out;
        EXPECT_NE(history.out.find("done\n"), std::string::npos) << history.out;

        const CommandRun undone = run({"undo"});
        ASSERT_EQ(undone.status, kExitOk) << undone.err;
        EXPECT_NE(undone.out.find("undone"), std::string::npos) << undone.out;
        EXPECT_EQ(homeFiles(false), before);
        EXPECT_NE(run({"history"}).out.find("undone\n"), std::string::npos);
        EXPECT_EQ(run({"undo"}).status, kExitError) << "nothing left to undo";
    }
}

TEST_F(SyncCommandsOnRealSides, UndoAfterAnOutsideChangeNamesTheFileAndWaitsForForce) {
    const std::string annCard = test::readBytes(home() / "Outlook" / "Contacts" / "ann.vcf");
    ASSERT_EQ(run({"sync", "contacts", "--mode", "p2o"}).status, kExitOk);
    writeContact("ann", annAt("Globex")); // the address book changed Ann since
    const auto changed = homeFiles(false);

    const CommandRun refused = run({"undo"});
    EXPECT_EQ(refused.status, kExitError);
    EXPECT_NE(refused.err.find((home() / "Outlook" / "Contacts" / "ann.vcf").string()),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("nothing was undone; --force"), std::string::npos);
    EXPECT_EQ(homeFiles(false), changed);

    const CommandRun forced = run({"undo", "--force"});
    EXPECT_EQ(forced.status, kExitOk) << forced.err;
    EXPECT_EQ(test::readBytes(home() / "Outlook" / "Contacts" / "ann.vcf"), annCard);
    EXPECT_EQ(outlookContacts(), 2u);

    EXPECT_EQ(run({"undo", "20000101-000000-0"}).status, kExitError);
    EXPECT_EQ(run({"undo", "a", "b"}).status, kExitUsage);
}

// No file is changed that could not be taken back: where the history cannot be kept, the run
// writes nothing and says why.
TEST_F(SyncCommandsOnRealSides, ARunWhoseHistoryCannotBeKeptWritesNothing) {
    test::writeBytes(home() / "history", "not a folder");
    const auto before = homeFiles(false);
    const CommandRun result = run({"sync", "contacts", "--mode", "p2o"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.err.find("could not be kept in the history"), std::string::npos) << result.err;
    EXPECT_EQ(homeFiles(false), before);
}

TEST_F(SyncCommandsOnRealSides, HistoryKeepsTheRunsTheSettingsSay) {
    writeSettings("[Twinleaf]\r\nHistoryRuns=2\r\n");
    EXPECT_EQ(run({"history"}).out.find("No synchronization is recorded"), 0u);
    for (const char* company : {"Globex", "Initech", "Umbrella"}) {
        writeContact("ann", annAt(company));
        ASSERT_EQ(run({"sync", "contacts", "--mode", "p2o"}).status, kExitOk);
    }
    const CommandRun history = run({"history"});
    EXPECT_EQ(std::count(history.out.begin(), history.out.end(), '\n'), 2) << history.out;
    // A run that changes nothing is not kept.
    ASSERT_EQ(run({"sync", "contacts", "--mode", "p2o", "--select", "all"}).status, kExitOk);
    EXPECT_EQ(run({"history"}).out, history.out);
}

// A run killed before any of its writes, one after another, leaves a history from which undo
// puts back the state before the run. The kill is the fault seam of the file layer, in a child
// process that ends on the spot at the n-th replacement of a file.
TEST_F(SyncCommandsOnRealSides, ARunKilledAtAnyWriteIsUndoneFromItsHistory) {
    const std::vector<std::string> args = {"sync", "contacts",    "--mode",
                                           "all",  "--conflicts", "outlook"};
    int killed = 0;
    for (int write = 1; write < 20; ++write) {
        SCOPED_TRACE("killed before write " + std::to_string(write));
        resetHome();
        const auto before = homeFiles(false);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const ScopedFileFault kill(FileCall::Rename, write, FaultEffect::ExitProcess);
            ::_exit(run(args).status);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        if (WEXITSTATUS(status) == kExitOk) {
            break; // the run had fewer writes: it went through
        }
        ASSERT_EQ(WEXITSTATUS(status), kFaultExitStatus);
        ++killed;
        const CommandRun undone = run({"undo"});
        ASSERT_EQ(undone.status, kExitOk) << undone.err;
        EXPECT_EQ(homeFiles(false), before);
        EXPECT_NE(run({"history"}).out.find("undone"), std::string::npos);
    }
    EXPECT_EQ(killed, 3) << "two cards and the Palm file";
}

} // namespace
} // namespace twinleaf::cli

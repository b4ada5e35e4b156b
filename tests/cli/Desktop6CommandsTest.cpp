// The command line over Palm Desktop 6 databases: every kind shown from a file or a user's
// folder, and files that are no database of the kind refused naming them.
#include "cli/CommandLine.h"
#include "common/palm/PalmAddrDb.h"
#include "common/palm/PalmKindsDb.h"
#include "platform/registry/Registry.h"
#include "support/CommandRun.h"
#include "support/ScopedProgramFolder.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf::cli {
namespace {

using test::runCommand;
using test::TempDir;

void sql(const std::filesystem::path& file, const std::string& text) {
    ASSERT_EQ(test::sqliteRows(file, text), "");
}

template <class Util> void create(const std::filesystem::path& file, const std::string& rows) {
    std::filesystem::create_directories(file.parent_path());
    Util layout;
    std::string error;
    ASSERT_TRUE(CreateEx2Database(file.string(), layout.Columns(), error)) << error;
    sql(file, rows);
}

class Desktop6Commands : public testing::Test {
protected:
    // The user "Alice" (folder ids are FNV-1a of the folder name: 752715143) with one database
    // of each kind.
    void SetUp() override {
        const auto user = m_dir.path() / "Palm" / "Alice";
        test::writeBytes(m_dir.path() / "corvane.ini",
                         "[Path]\r\nPDPath=" + (m_dir.path() / "Palm").string() + "\r\n");
        create<PmAddrEx2Util>(user / "address" / "Address.mdb",
                              "INSERT INTO Main ([Record ID], [Status], [First Name], "
                              "[Last Name], [Note]) VALUES (1, 0, 'Ann', 'O''Neil', "
                              "'a; -- note'), (2, 4, 'Gone', 'Deleted', NULL)");
        create<PmDateEx2Util>(user / "datebook" / "DateBook.mdb",
                              "INSERT INTO Main ([Record ID], [Status], [Summary], [Start Time], "
                              "[End Time], [Untimed]) VALUES (3, 0, 'Dentist', 1700000000, "
                              "1700003600, -1)");
        create<PmTodoEx2Util>(
            user / "todo" / "Todolist.mdb",
            "INSERT INTO Main ([Record ID], [Status], [Description], "
            "[Completed], [Priority], [Private]) VALUES (4, 0, 'Taxes', 1, 1, 1)");
        create<PmMemoEx2Util>(user / "MemoPad" / "MemoPad.mdb",
                              "INSERT INTO Main ([Record ID], [Status], [Category], [Note]) "
                              "VALUES (5, 0, '3', 'Shopping' || char(13, 10) || 'milk')");
    }

    test::CommandRun run(std::vector<std::string> args) {
        return runCommand(m_dir.path(), std::move(args));
    }

    TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

TEST_F(Desktop6Commands, ShowsEveryKindOfAUsersDatabases) {
    struct Case {
        const char* kind;
        const char* expected;
    };
    const Case cases[] = {
        {"contacts", "\"LastName\": \"O'Neil\""},
        {"calendar", "\"AllDayEvent\": 1"},
        {"tasks", "\"Completed\": 1"},
        {"memos", "\"Subject\": \"Shopping\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        const test::CommandRun result =
            run({"show", "palm", c.kind, "--user", "752715143", "--json"});
        ASSERT_EQ(result.status, kExitOk) << result.err;
        EXPECT_NE(result.out.find(c.expected), std::string::npos) << result.out;
        EXPECT_NE(result.out.find("\"SourceType\": 16"), std::string::npos) << result.out;
    }
    const test::CommandRun contacts =
        run({"show", "palm", "contacts", "--file",
             (m_dir.path() / "Palm" / "Alice" / "address" / "Address.mdb").string(), "--json"});
    ASSERT_EQ(contacts.status, kExitOk) << contacts.err;
    EXPECT_NE(contacts.out.find("\"Note\": \"a; -- note\""), std::string::npos);
    EXPECT_EQ(contacts.out.find("Deleted"), std::string::npos);
}

TEST_F(Desktop6Commands, DatabaseOfAnotherKindIsRefusedNamingTheFile) {
    const std::string memos =
        (m_dir.path() / "Palm" / "Alice" / "MemoPad" / "MemoPad.mdb").string();
    const test::CommandRun result = run({"show", "palm", "contacts", "--file", memos});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.err.find(memos + ": not a Palm Desktop 6 address database"), std::string::npos)
        << result.err;
}

// A database changes in place, not by a rename: a plan leaves it alone, and a run is taken back
// from a copy of the bytes it started from.
TEST_F(Desktop6Commands, PlannedRunLeavesTheDatabaseAndUndoPutsItBack) {
    const auto database = m_dir.path() / "Palm" / "Alice" / "address" / "Address.mdb";
    test::writeBytes(m_dir.path() / "Outlook" / "Contacts" / "bo.vcf",
                     "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bo\r\nFN:Bo Lind\r\nN:Lind;Bo;;;\r\n"
                     "TEL;TYPE=WORK:555-0101\r\nEND:VCARD\r\n");
    const std::vector<std::string> args = {"sync",   "contacts", "--user",   "752715143",
                                           "--mode", "o2p",      "--select", "all"};
    const std::string before = test::readBytes(database);

    std::vector<std::string> dryRun = args;
    dryRun.emplace_back("--dry-run");
    const test::CommandRun plan = run(dryRun);
    ASSERT_EQ(plan.status, kExitOk) << plan.err;
    EXPECT_NE(plan.out.find("Bo Lind"), std::string::npos) << plan.out;
    EXPECT_EQ(test::readBytes(database), before);

    const test::CommandRun real = run(args);
    ASSERT_EQ(real.status, kExitOk) << real.err;
    ASSERT_NE(test::readBytes(database), before);
    EXPECT_NE(run({"show", "palm", "contacts", "--user", "752715143"}).out.find("Lind"),
              std::string::npos);

    const test::CommandRun undone = run({"undo"});
    ASSERT_EQ(undone.status, kExitOk) << undone.err;
    EXPECT_EQ(test::readBytes(database), before);
}

// Every file of a folder, names and bytes, as one text: equal only when nothing was added,
// removed or changed.
std::string folderBytes(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::string all;
    for (const auto& file : files) {
        all += file.string() + "\n" +
               (std::filesystem::is_regular_file(file) ? test::readBytes(file) : "") + "\n";
    }
    return all;
}

// A user whose address book is a genuine Access file: a run that would write to it stops with
// a message naming it, and neither side changes.
TEST_F(Desktop6Commands, SyncIntoAGenuineAccessFileIsRefusedAndChangesNothing) {
    const auto access = test::realData() / "jackcess" / "V2003" / "testV2003.mdb";
    if (!std::filesystem::exists(access)) {
        GTEST_SKIP() << access << " is absent";
    }
    // Linked, not copied: the file itself is what must stay as it was.
    const auto database = m_dir.path() / "Palm" / "Alice" / "address" / "Address.mdb";
    std::filesystem::remove(database);
    std::filesystem::create_symlink(access, database);
    const auto outlook = m_dir.path() / "Outlook" / "Contacts";
    test::writeBytes(outlook / "bo.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bo\r\nFN:Bo Lind\r\n"
                                         "N:Lind;Bo;;;\r\nEND:VCARD\r\n");
    const std::string accessBefore = test::readBytes(access);
    const std::string outlookBefore = folderBytes(outlook);

    const test::CommandRun result =
        run({"sync", "contacts", "--user", "752715143", "--mode", "o2p", "--select", "all"});
    EXPECT_NE(result.status, kExitOk);
    EXPECT_NE(result.err.find(database.string()), std::string::npos) << result.err;
    EXPECT_EQ(test::readBytes(access), accessBefore);
    EXPECT_TRUE(std::filesystem::is_symlink(database));
    EXPECT_EQ(folderBytes(outlook), outlookBefore);
}

} // namespace
} // namespace twinleaf::cli

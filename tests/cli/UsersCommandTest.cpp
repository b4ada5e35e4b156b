#include "cli/CommandLine.h"
#include "common/palm/ContactsDateBookBuilder.h"
#include "common/palm/PalmEnv.h"
#include "platform/registry/Registry.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace twinleaf::cli {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

constexpr const char* kNoUsers = "Can not find any Palm users in your desktop environment.\n";

std::filesystem::path sourceFolder() {
    return std::filesystem::path(TWINLEAF_TEST_DATA).parent_path().parent_path();
}

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

// Through the command line parser, as the executable does; the Wine prefix is an empty folder so
// the machine's own registry never answers.
class UsersCommand : public testing::Test {
protected:
    ~UsersCommand() override { setPalmDesktopFolderOverride({}); } // undoes --palm-dir
    CommandRun run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        CommandContext context{out, err};
        bool startGui = false;
        const int status = runCommandLine(args, context, startGui);
        return {status, out.str(), err.str()};
    }
    std::filesystem::path home() const { return m_dir.path() / "home"; }

    TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()}; // undoes --home when the test ends
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

TEST_F(UsersCommand, ListsTheDemoHomeFromTheBuiltProgram) {
    const std::string make = "bash '" + (sourceFolder() / "scripts/make-demo-home.sh").string() +
                             "' '" + home().string() + "' >/dev/null";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    const auto out = m_dir.path() / "out.txt";
    const auto err = m_dir.path() / "err.txt";
    const std::string command =
        "WINEPREFIX='" + (m_dir.path() / "wine").string() + "' '" + std::string(TWINLEAF_BINARY) +
        "' users --home '" + home().string() + "' >'" + out.string() + "' 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), 0) << readBytes(err);
    const std::string palm = (home() / "Palm").string();
    EXPECT_EQ(readBytes(out), "Palm Desktop folder:  " + palm +
                                  "\n"
                                  "Palm Desktop version: 40102 (4.1.2)\n"
                                  "\n"
                                  "ID          Name   Contacts  Calendar  Tasks     Memos     "
                                  "Data folder\n"
                                  "752715143   Alice  classic   classic   classic   classic   " +
                                  palm +
                                  "/Alice/\n"
                                  "3955990900  Bob    extended  extended  extended  extended  " +
                                  palm +
                                  "/Bob/\n"
                                  "255748530   Carol  desktop6  desktop6  desktop6  desktop6  " +
                                  palm + "/Carol/\n");
    EXPECT_EQ(readBytes(err), "");
}

TEST_F(UsersCommand, NamesOutsideAsciiComeOutAsUtf8) {
    std::filesystem::create_directories(m_dir.path() / "Palm" / "Zo\xC3\xAB" / "todo");
    writeBytes(home() / "corvane.ini", "[Path]\nPDPath=" + (m_dir.path() / "Palm").string() + "\n");
    const CommandRun result = run({"users", "--home", home().string()});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    // Padded by characters, not bytes, so the folder column stays in line.
    EXPECT_NE(result.out.find("\n3265445340  Zo\xC3\xAB   -         -         -      -      " +
                              (m_dir.path() / "Palm").string() + "/Zo\xC3\xAB/\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("-1 (unknown"), std::string::npos) << "no palm.exe";
}

TEST_F(UsersCommand, WithoutUsersTheMessageGoesToStandardErrorOnce) {
    // No Palm Desktop at all: the environment shows the message itself.
    CommandRun result = run({"--home", home().string(), "users"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.err.find(kNoUsers), 0u) << result.err;
    EXPECT_EQ(result.err.find(kNoUsers, 1), std::string::npos) << result.err;
    EXPECT_NE(result.out.find("Palm Desktop folder:  not found\n"), std::string::npos);

    // A Palm Desktop folder without users: no message from the environment, the command's own.
    std::filesystem::create_directories(m_dir.path() / "Palm" / "Notes");
    writeBytes(home() / "corvane.ini", "[Path]\nPDPath=" + (m_dir.path() / "Palm").string() + "\n");
    result = run({"users", "--home", home().string()});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(result.err, kNoUsers);
}

TEST_F(UsersCommand, SaysWhereItLookedAndHowToNameTheFolder) {
    const std::string settings = (home() / "corvane.ini").string();
    const std::string missing = (m_dir.path() / "gone").string();
    struct WhereCase {
        const char* name;
        std::string settingsText; // empty: no settings file
        std::vector<std::string> args;
        std::vector<std::string> said;
    };
    const WhereCase cases[] = {
        {"nothing configured",
         "",
         {"users"},
         {"No Palm Desktop folder found. Looked for PDPath in section [Path] of " + settings,
          "in the Wine prefix " + (m_dir.path() / "wine").string(), "--palm-dir DIR"}},
        {"PDPath names a missing folder",
         "[Path]\nPDPath=" + missing + "\n",
         {"users"},
         {"The Palm Desktop folder " + missing + " (named by PDPath in section [Path] of " +
          settings + ") does not exist."}},
        {"--palm-dir names a missing folder",
         "",
         {"users", "--palm-dir", missing},
         {"The Palm Desktop folder " + missing + " (named by --palm-dir) does not exist."}},
    };
    for (const WhereCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(home() / "corvane.ini");
        if (!c.settingsText.empty()) {
            writeBytes(home() / "corvane.ini", c.settingsText);
        }
        std::vector<std::string> args{"--home", home().string()};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandRun result = run(args);
        EXPECT_EQ(result.status, kExitError);
        for (const std::string& text : c.said) {
            EXPECT_NE(result.err.find(text), std::string::npos) << text << "\n" << result.err;
        }
    }
}

TEST_F(UsersCommand, PalmDirWinsOverTheSettingsBeforeOrAfterTheCommand) {
    std::filesystem::create_directories(m_dir.path() / "Other" / "Zed" / "memopad");
    std::filesystem::create_directories(m_dir.path() / "Palm" / "Amy" / "todo");
    writeBytes(home() / "corvane.ini", "[Path]\nPDPath=" + (m_dir.path() / "Palm").string() + "\n");
    const std::string other = (m_dir.path() / "Other").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--home", home().string(), "--palm-dir", other, "users"},
          std::vector<std::string>{"--home", home().string(), "users", "--palm-dir=" + other}}) {
        const CommandRun result = run(args);
        EXPECT_EQ(result.status, kExitOk) << result.err;
        EXPECT_NE(result.out.find("Palm Desktop folder:  " + other + "\n"), std::string::npos)
            << result.out;
        EXPECT_NE(result.out.find("Zed"), std::string::npos);
        EXPECT_EQ(result.out.find("Amy"), std::string::npos);
        EXPECT_EQ(result.err, "");
        setPalmDesktopFolderOverride({});
    }
    const CommandRun missingValue = run({"users", "--palm-dir"});
    EXPECT_EQ(missingValue.status, kExitUsage);
}

TEST_F(UsersCommand, JsonHoldsTheFolderVersionAndUsers) {
    std::filesystem::create_directories(m_dir.path() / "Palm" / "Zo\xC3\xAB" / "todo");
    writeBytes(home() / "corvane.ini", "[Path]\nPDPath=" + (m_dir.path() / "Palm").string() + "\n");
    CommandRun result = run({"users", "--json", "--home", home().string()});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    const std::string palm = (m_dir.path() / "Palm").string();
    EXPECT_EQ(result.out,
              "{\n  \"palmDesktopFolder\": \"" + palm +
                  "\",\n  \"palmDesktopVersion\": -1,\n  \"users\": [\n"
                  "    {\"id\": 3265445340, \"name\": \"Zo\xC3\xAB\", \"dataFolder\": \"" +
                  palm +
                  "/Zo\xC3\xAB/\", \"forms\": {\"contacts\": null, \"calendar\": null, "
                  "\"tasks\": null, \"memos\": null}}\n  ]\n}\n");

    std::filesystem::remove(home() / "corvane.ini");
    result = run({"users", "--json", "--home", home().string()});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_EQ(
        result.out,
        "{\n  \"palmDesktopFolder\": null,\n  \"palmDesktopVersion\": -1,\n  \"users\": []\n}\n");
}

TEST_F(UsersCommand, SaysWhichFormEachKindOfDataIsIn) {
    const auto user = m_dir.path() / "Palm" / "Kim";
    writeBytes(user / "address" / "address.dat",
               readBytes(test::testData() / "palm" / "address-classic.dat"));
    writeBytes(user / "datebook" / "datebook.dat",
               test::dateExHeader("C:\\datebook.dat", 0x1000) + test::le32(0));
    writeBytes(user / "todo" / "todo.dat", "not a to-do list");
    // A database no form can read: the facade falls back to the .dat file beside it.
    writeBytes(user / "address" / "Address.mdb", "not a database");
    writeBytes(home() / "corvane.ini", "[Path]\nPDPath=" + (m_dir.path() / "Palm").string() + "\n");

    CommandRun result = run({"users", "--home", home().string()});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Name  Contacts  Calendar  Tasks       Memos  Data folder\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("Kim   classic   extended  unreadable  -      " + user.string()),
              std::string::npos)
        << result.out;

    result = run({"users", "--json", "--home", home().string()});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("\"forms\": {\"contacts\": \"classic\", \"calendar\": \"extended\", "
                              "\"tasks\": \"unreadable\", \"memos\": null}"),
              std::string::npos)
        << result.out;
}

TEST_F(UsersCommand, HelpAndUsageErrors) {
    CommandRun result = run({"users", "--help"});
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_NE(result.out.find("Usage: twinleaf [--home DIR] [--palm-dir DIR] users [--json]"),
              std::string::npos);
    for (const char* extra : {"Alice", "--all"}) {
        SCOPED_TRACE(extra);
        result = run({"users", extra});
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_NE(result.err.find(extra), std::string::npos);
    }
}

} // namespace
} // namespace twinleaf::cli

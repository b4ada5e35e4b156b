#include "cli/CommandLine.h"

#include "support/TempDir.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace twinleaf::cli {
namespace {

struct CommandRun {
    int status;
    bool startGui;
    std::string out;
    std::string err;
};

CommandRun run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    CommandContext context{out, err};
    CommandRun result{};
    result.status = runCommandLine(args, context, result.startGui);
    result.out = out.str();
    result.err = err.str();
    return result;
}

TEST(CommandLine, NoCommandStartsTheDesktopProgram) {
    EXPECT_TRUE(run({}).startGui);
    EXPECT_TRUE(run({"--home", "/tmp"}).startGui);
}

// Qt aborts the process when it finds no display; a user at a terminal gets a message instead.
TEST(CommandLine, WithoutADisplayTheProgramSaysSoAndExitsTwo) {
    test::TempDir dir;
    const auto err = dir.path() / "err.txt";
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                                std::string(TWINLEAF_BINARY) + "' --home '" + dir.path().string() +
                                "' >/dev/null 2>'" + err.string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << command;
    EXPECT_EQ(WEXITSTATUS(status), kExitUsage);
    EXPECT_NE(test::readBytes(err).find("no display"), std::string::npos) << test::readBytes(err);
}

TEST(CommandLine, HelpListsTheCommandsAndTheHomeOption) {
    const CommandRun result = run({"--help"});
    EXPECT_EQ(result.status, kExitOk);
    EXPECT_NE(result.out.find("--home DIR"), std::string::npos);
    EXPECT_NE(result.out.find("--palm-dir DIR"), std::string::npos);
    EXPECT_NE(result.out.find("$XDG_CONFIG_HOME/twinleaf"), std::string::npos);
    for (const Command& command : commands()) {
        EXPECT_NE(result.out.find(command.usage), std::string::npos) << command.name;
    }
}

TEST(CommandLine, UnknownCommandsAndOptionsAreUsageErrors) {
    for (const char* word : {"frobnicate", "--frobnicate"}) {
        SCOPED_TRACE(word);
        const CommandRun result = run({word});
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_NE(result.err.find(word), std::string::npos);
        EXPECT_NE(result.err.find("Usage:"), std::string::npos);
    }
    EXPECT_EQ(run({"--home"}).status, kExitUsage);
}

TEST(Arguments, ParsesFlagsValuesAndRejectsWhatItDoesNotKnow) {
    const Arguments args({"--json", "--user", "7", "--file=/a b", "contacts"}, {"json"},
                         {"user", "file"});
    ASSERT_TRUE(args.ok()) << args.error();
    EXPECT_TRUE(args.has("json"));
    EXPECT_EQ(args.value("user"), "7");
    EXPECT_EQ(args.value("file"), "/a b");
    EXPECT_EQ(args.positional(), std::vector<std::string>{"contacts"});

    EXPECT_FALSE(Arguments({"--user"}, {}, {"user"}).ok());
    EXPECT_FALSE(Arguments({"--jsn"}, {"json"}, {}).ok());
    EXPECT_FALSE(Arguments({"--json=1"}, {"json"}, {}).ok());
}

} // namespace
} // namespace twinleaf::cli

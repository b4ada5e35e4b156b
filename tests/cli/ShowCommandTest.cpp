#include "cli/CommandLine.h"
#include "cli/RecordJson.h"
#include "common/palm/PalmFileBuilder.h"
#include "platform/registry/Registry.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace twinleaf::cli {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class ShowCommand : public testing::Test {
protected:
    CommandRun run(std::vector<std::string> args) {
        std::ostringstream out;
        std::ostringstream err;
        CommandContext context{out, err};
        bool startGui = false;
        args.insert(args.begin(), {"--home", m_dir.path().string()});
        const int status = runCommandLine(args, context, startGui);
        return {status, out.str(), err.str()};
    }
    std::string file(const std::string& bytes) {
        const auto path = m_dir.path() / "address.dat";
        writeBytes(path, bytes);
        return path.string();
    }
    static std::string fixture() {
        return (test::testData() / "palm" / "address-classic.dat").string();
    }

    TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

// The keys of each object, in order, as the output spells them.
std::vector<std::string> keysOf(const std::string& object) {
    std::vector<std::string> keys;
    for (std::size_t at = object.find("{\""); at != std::string::npos;
         at = object.find(", \"", at + 1)) {
        const std::size_t start = object.find('"', at) + 1;
        keys.push_back(object.substr(start, object.find('"', start) - start));
    }
    return keys;
}

TEST_F(ShowCommand, JsonHasOneObjectPerRecordWithTheFieldNamesAsKeys) {
    const CommandRun result = run({"show", "palm", "contacts", "--file", fixture(), "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.err, "");
    std::istringstream lines(result.out);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);) {
        all.push_back(line);
    }
    ASSERT_EQ(all.size(), 5u) << result.out;
    EXPECT_EQ(all.front(), "[");
    EXPECT_EQ(all.back(), "]");
    const std::vector<std::string> keys = keysOf(all[1]);
    ASSERT_EQ(keys.size(), 79u);
    EXPECT_EQ(keys.front(), "FirstName");
    EXPECT_EQ(keys[7], "Anniversary");
    EXPECT_EQ(keys[70], "Custom9");
    EXPECT_EQ(keys.back(), "Private");
    EXPECT_EQ(keysOf(all[3]), keys);
    EXPECT_NE(all[1].find("\"LastName\": \"Smith\""), std::string::npos);
    EXPECT_NE(all[1].find("\"SourceType\": 1, \"CompareStatus\": 0, \"SourceRecordId\": 101"),
              std::string::npos);
    EXPECT_NE(all[1].find("\"Birthday\": 0, "), std::string::npos);
    EXPECT_EQ(all[1].back(), ',');
    EXPECT_EQ(all[3].back(), '}');
    EXPECT_EQ(result.out.find("Native"), std::string::npos);
}

TEST_F(ShowCommand, JsonTextsAreUtf8AndEscaped) {
    test::AddrRowFields row = test::addrPerson(7, "M\xFCller", "Jos\xE9");
    row.note = "say \"hi\"\\\r\nnext\x01";
    const std::string path = file(test::addrFile({row}));
    const CommandRun result = run({"show", "palm", "contacts", "--file", path, "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("\"FirstName\": \"Jos\xC3\xA9\", \"LastName\": \"M\xC3\xBCller\""),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\"Note\": \"say \\\"hi\\\"\\\\\\r\\nnext\\u0001\""),
              std::string::npos)
        << result.out;
}

TEST(RecordJson, NumbersReadBackAsTheSameDouble) {
    EXPECT_EQ(jsonNumber(0.0), "0");
    for (double date : {38051.588298611114, 1.0 / 3.0, -693593.5, 2958465.9999884259}) {
        EXPECT_EQ(std::stod(jsonNumber(date)), date) << jsonNumber(date);
    }
    EXPECT_EQ(jsonNumber(-1.25), "-1.25");
    EXPECT_EQ(jsonNumber(std::nan("")), "null");
    EXPECT_EQ(jsonNumber(INFINITY), "null");
}

TEST_F(ShowCommand, TableShowsTheMainFields) {
    const CommandRun result = run({"show", "palm", "contacts", "--file", fixture()});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find(": 3 records\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("#  Last Name  First Name  Company"), std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("0  Smith      Ann         Acme"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("WWWWWWWWWWWWWWWWWWWWWWWWW...  "), std::string::npos)
        << "long texts are cut";
    EXPECT_EQ(result.out.find(" \n"), std::string::npos) << "no trailing blanks";
}

TEST_F(ShowCommand, SwapNamesFromTheOptionOrTheSettings) {
    CommandRun result =
        run({"show", "palm", "contacts", "--file", fixture(), "--json", "--swap-names"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("{\"FirstName\": \"Smith\", \"LastName\": \"Ann\""),
              std::string::npos);

    writeBytes(m_dir.path() / "corvane.ini", "[Twinleaf]\r\nAddrSwapName=1\r\n");
    result = run({"show", "palm", "contacts", "--file", fixture(), "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("{\"FirstName\": \"Smith\", \"LastName\": \"Ann\""),
              std::string::npos);
}

TEST_F(ShowCommand, FilesNoReaderTakesAreErrorsNamingTheFile) {
    for (const std::string& bytes : {std::string("hello"), std::string()}) {
        const std::string path = file(bytes);
        const CommandRun result = run({"show", "palm", "contacts", "--file", path, "--json"});
        EXPECT_EQ(result.status, kExitError);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("twinleaf: " + path + ": ", 0), 0u) << result.err;
    }
    const CommandRun missing =
        run({"show", "palm", "contacts", "--file", (m_dir.path() / "none.dat").string()});
    EXPECT_EQ(missing.status, kExitError);
    EXPECT_NE(missing.err.find("none.dat: no such file"), std::string::npos) << missing.err;
}

TEST_F(ShowCommand, AFileReadInPartShowsTheWholeRecordsAndFails) {
    const std::string whole = readBytes(fixture());
    const std::string path = file(whole.substr(0, whole.size() - 100));
    const CommandRun result = run({"show", "palm", "contacts", "--file", path, "--json"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.out.find("\"LastName\": \"White\""), std::string::npos);
    EXPECT_EQ(result.out.find("\"LastName\": \"Black\""), std::string::npos);
    EXPECT_EQ(result.out.substr(result.out.size() - 2), "]\n");
    EXPECT_NE(result.err.find("record 5 of 5"), std::string::npos) << result.err;
}

TEST_F(ShowCommand, UserIdOpensThatUsersAddressBook) {
    const auto palm = m_dir.path() / "Palm";
    writeBytes(m_dir.path() / "corvane.ini", "[Path]\r\nPDPath=" + palm.string() + "\r\n");
    writeBytes(palm / "Alice" / "address" / "address.dat", readBytes(fixture()));
    // Folder ids are FNV-1a of the folder name: "Alice" is 752715143.
    CommandRun result = run({"show", "palm", "contacts", "--user", "752715143", "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("\"LastName\": \"Smith\""), std::string::npos);

    result = run({"show", "palm", "contacts", "--user", "1"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.err.find("address.dat: no such file"), std::string::npos) << result.err;
}

TEST_F(ShowCommand, WrongCommandLinesAreUsageErrors) {
    const std::vector<std::vector<std::string>> lines = {
        {"show"},
        {"show", "palm"},
        {"show", "palm", "contacts"},
        {"show", "palm", "contacts", "--user", "1", "--file", "x"},
        {"show", "palm", "contacts", "--user", "Alice"},
        {"show", "palm", "contacts", "--user", "-1"},
        {"show", "palm", "notes", "--file", "x"},
        {"show", "palm", "contacts", "--file", "x", "extra"},
        {"show", "palm", "contacts", "--file", "x", "--colour"},
    };
    for (const auto& line : lines) {
        SCOPED_TRACE(testing::PrintToString(line));
        const CommandRun result = run(line);
        EXPECT_EQ(result.status, kExitUsage);
        EXPECT_NE(
            result.err.find("Usage: twinleaf [--home DIR] [--palm-dir DIR] show palm contacts"),
            std::string::npos)
            << result.err;
    }
}

} // namespace
} // namespace twinleaf::cli

// The memos on the command line, on the real sides: a Palm user Alice whose classic memo pad
// holds two memos, and the Outlook stand-in's store with a note on one of them written by another
// program. The store a sync writes is read back with an independent iCalendar reader
// (python3-icalendar).
#include "cli/CommandLine.h"
#include "common/palm/PalmFileBuilder.h"
#include "platform/registry/Registry.h"
#include "support/Bytes.h"
#include "support/CommandRun.h"
#include "support/Python.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace twinleaf::cli {
namespace {

using test::intField;
using test::le32;
using test::textField;

std::string memoFile() {
    std::string out = std::string("\x00\x01\x50\x4d", 4) + test::cstring("C:\\Palm\\memopad.dat") +
                      test::cstring("") + test::categoryBlock({}) +
                      test::schema(6, {1, 1, 1, 5, 6, 1}, 64) + le32(12);
    out += intField(1) + intField(0) + intField(1) + textField("Shopping\r\nmilk\r\neggs") +
           intField(0, 6) + intField(0);
    out += intField(2) + intField(0) + intField(2) + textField("Call list\r\nAnna\r\nBen") +
           intField(1, 6) + intField(0);
    return out;
}

class MemoCommands : public testing::Test {
protected:
    MemoCommands() {
        std::filesystem::create_directories(palmFile().parent_path());
        test::writeBytes(palmFile(), memoFile());
        test::writeBytes(home() / "corvane.ini",
                         "[Path]\r\nPDPath=" + (home() / "Palm").string() + "\r\n");
        std::filesystem::create_directories(notes());
        test::writeBytes(notes() / "shopping.ics",
                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                         "BEGIN:VJOURNAL\r\nUID:shopping\r\nSUMMARY:Shopping\r\n"
                         "DESCRIPTION:Shopping\\nmilk\r\nX-OUTLOOK-COLOR:1\r\n"
                         "END:VJOURNAL\r\nEND:VCALENDAR\r\n");
    }

    test::CommandRun run(std::vector<std::string> args) {
        return test::runCommand(home(), std::move(args));
    }
    std::filesystem::path home() const { return m_dir.path() / "home"; }
    std::filesystem::path palmFile() const {
        return home() / "Palm" / "Alice" / "memopad" / "memopad.dat";
    }
    std::filesystem::path notes() const { return home() / "Outlook" / "Notes"; }

    test::TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

TEST_F(MemoCommands, ShowPrintsBothSidesAsTablesAndJson) {
    test::CommandRun result =
        run({"show", "palm", "memos", "--file", palmFile().string(), "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out.rfind("[\n{\"Color\": 0, \"Private\": 0, \"Subject\": \"Shopping\", "
                               "\"Note\": \"Shopping\\r\\nmilk\\r\\neggs\", \"Category\": \"\", "
                               "\"CreationTime\": 0, \"LastModificationTime\": 0, "
                               "\"SourceType\": 1, \"CompareStatus\": 0, \"IDInteger\": 1, "
                               "\"IDString\": \"\"}",
                               0),
              0u)
        << result.out;

    result = run({"show", "palm", "memos", "--file", palmFile().string()});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("2 records"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Call list  3      #000000  Yes"), std::string::npos) << result.out;

    result = run({"show", "outlook", "memos"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Shopping  2      #000001  No"), std::string::npos) << result.out;
    EXPECT_EQ(run({"show", "outlook", "memos", "--file", "x"}).status, kExitUsage);
}

TEST_F(MemoCommands, CompareAndSyncPalmToOutlook) {
    test::CommandRun result = run({"compare", "memos"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("different  Shopping"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("new        Call list"), std::string::npos) << result.out;

    result = run({"sync", "memos", "--mode", "p2o"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Memo information synchronized successfully. 2 records updated."),
              std::string::npos)
        << result.out;
    // Written out and read back, the memos compare equal.
    result = run({"compare", "memos", "--json"});
    EXPECT_EQ(result.out.find("\"new\""), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("\"different\""), std::string::npos) << result.out;

    result = run({"sync", "memos", "--mode", "o2p"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.err.find("No Outlook memo record is ticked."), std::string::npos)
        << result.err;
}

// The conflict alert on a terminal shows the memo pair, each text on its record's one line.
TEST_F(MemoCommands, AConflictShowsTheMemoPair) {
    const test::CommandRun result = run({"sync", "memos", "--mode", "all"});
    EXPECT_EQ(result.status, kExitError);
    EXPECT_NE(result.err.find("Palm Desktop       Shopping  milk\n"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("Microsoft Outlook  Shopping  milk\n"), std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("\nmilk"), std::string::npos) << result.err;
}

// Prints each note of the folder in argv[1] as "summary|description|stamps", sorted.
constexpr const char* kReader = R"(import sys, os, icalendar
rows = []
for name in os.listdir(sys.argv[1]):
    cal = icalendar.Calendar.from_ical(open(os.path.join(sys.argv[1], name), 'rb').read())
    for note in cal.walk('VJOURNAL'):
        stamps = note.get('CREATED') is not None and note.get('LAST-MODIFIED') is not None
        rows.append('|'.join([str(note.get('SUMMARY')), repr(str(note.get('DESCRIPTION'))),
                              str(stamps)]))
print('\n'.join(sorted(rows)))
)";

TEST_F(MemoCommands, AnotherICalendarReaderSeesTheSyncedMemos) {
    const std::string python = twinleaf::test::pythonWithModule("icalendar");
    if (python.empty()) {
        GTEST_SKIP() << "python3 with icalendar is not installed (Debian package "
                        "python3-icalendar, listed in scripts/install-deps.sh)";
    }
    ASSERT_EQ(run({"sync", "memos", "--mode", "p2o"}).status, kExitOk);
    const std::string output =
        test::readerOutput(python, m_dir.path() / "reader.py", kReader, notes());
    EXPECT_EQ(output, "Call list|'Call list\\nAnna\\nBen'|True\n"
                      "Shopping|'Shopping\\nmilk\\neggs'|True\n");
}

} // namespace
} // namespace twinleaf::cli

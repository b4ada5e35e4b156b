// The tasks on the command line, on the real sides: a Palm user Alice whose classic to-do list
// holds two tasks, and the Outlook stand-in's store with one of them, done. The store a sync
// writes is read back with an independent iCalendar reader (python3-icalendar).
#include "cli/CommandLine.h"
#include "common/palm/PalmExtendedBuilder.h"
#include "common/palm/PalmFileBuilder.h"
#include "common/palm/PalmTodo.h"
#include "common/palm/PalmTodoEx.h"
#include "platform/registry/Registry.h"
#include "support/Bytes.h"
#include "support/CommandRun.h"
#include "support/Python.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace twinleaf::cli {
namespace {

using test::intField;
using test::le32;
using test::textField;

std::string todoFile(const std::string& passportNote = "photos first") {
    std::string out = std::string("\x00\x01\x44\x54", 4) + test::cstring("C:\\Palm\\todo.dat") +
                      test::cstring("") + test::categoryBlock({}) +
                      test::schema(10, {1, 1, 1, 5, 3, 6, 1, 6, 1, 5}, 44) + le32(20);
    // 1 March 2027, 00:00 in Berlin: a date past 2020 that must reach Outlook.
    out += intField(1) + intField(0) + intField(1) + textField("Renew passport") +
           intField(1803855600, 3) + intField(0, 6) + intField(1) + intField(1, 6) + intField(0) +
           textField(passportNote);
    out += intField(2) + intField(0) + intField(2) + textField("Pay rent") +
           intField(palm::kTodoNoDueDate, 3) + intField(0, 6) + intField(3) + intField(0, 6) +
           intField(0) + textField("");
    return out;
}

class TaskCommands : public testing::Test {
protected:
    TaskCommands() {
        std::filesystem::create_directories(palmFile().parent_path());
        test::writeBytes(palmFile(), todoFile());
        test::writeBytes(home() / "corvane.ini",
                         "[Path]\r\nPDPath=" + (home() / "Palm").string() + "\r\n");
        std::filesystem::create_directories(tasks());
        test::writeBytes(tasks() / "rent.ics",
                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VTODO\r\n"
                         "UID:rent\r\nSUMMARY:Pay rent\r\nSTATUS:COMPLETED\r\nPRIORITY:9\r\n"
                         "END:VTODO\r\nEND:VCALENDAR\r\n");
    }

    test::CommandRun run(std::vector<std::string> args) {
        return test::runCommand(home(), std::move(args));
    }
    std::filesystem::path home() const { return m_dir.path() / "home"; }
    std::filesystem::path palmFile() const {
        return home() / "Palm" / "Alice" / "todo" / "todo.dat";
    }
    std::filesystem::path tasks() const { return home() / "Outlook" / "Tasks"; }

    test::TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

TEST_F(TaskCommands, ShowPrintsBothSidesAsTablesAndJson) {
    test::CommandRun result =
        run({"show", "palm", "tasks", "--file", palmFile().string(), "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out.rfind("[\n{\"Subject\": \"Renew passport\", \"Note\": \"photos first\", "
                               "\"Priority\": 1, \"Completed\": 0, \"DueDate\": 1803855600, "
                               "\"Alarm\": 0, \"Private\": 1, ",
                               0),
              0u)
        << result.out;
    EXPECT_NE(result.out.find("\"Subject\": \"Pay rent\", \"Note\": \"\", \"Priority\": 0, "
                              "\"Completed\": 0, \"DueDate\": 0,"),
              std::string::npos)
        << result.out;

    result = run({"show", "palm", "tasks", "--file", palmFile().string()});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("2 records"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Renew passport  03/01/2027  No         High      Yes"),
              std::string::npos)
        << result.out;

    result = run({"show", "outlook", "tasks"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Pay rent     N/A       Yes        Low"), std::string::npos)
        << result.out;
    EXPECT_EQ(run({"show", "palm", "tasks", "--swap-names"}).status, kExitUsage);
}

// The same user with the to-do list in the extended form: shown, and written to by a sync from
// Outlook, which keeps the form, the deleted row and the repeat it did not touch.
TEST_F(TaskCommands, ExtendedToDoListIsShownAndSynced) {
    test::TodoExRow passport = test::todoEx(1, 0x1000, "Renew passport");
    passport.alarm = 1;
    passport.due = 1803855600;
    passport.repeat = test::repeatField(1, le32(1) + le32(1) + le32(0) + le32(0) + le32(0));
    const test::TodoExRow gone = test::todoEx(2, 0x1001, "Gone", palm::kStatusDeleted);
    test::writeBytes(palmFile(), test::todoExFile({passport, gone}, 0x1040));

    test::CommandRun result =
        run({"show", "palm", "tasks", "--file", palmFile().string(), "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out.rfind("[\n{\"Subject\": \"Renew passport\", \"Note\": \"\", "
                               "\"Priority\": 1, \"Completed\": 0, \"DueDate\": 1803855600, "
                               "\"Alarm\": 1, ",
                               0),
              0u)
        << result.out;
    result = run({"show", "palm", "tasks", "--file", palmFile().string()});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Palm tasks in " + palmFile().string() + ": 1 record"),
              std::string::npos)
        << result.out;

    ASSERT_EQ(run({"sync", "tasks", "--mode", "o2p"}).status, kExitOk);
    PmTodoExUtil file(palmFile().c_str());
    ASSERT_TRUE(file.IsLoaded()) << file.GetLastError();
    PmTodoExDataMgr& rows = *file.GetRecords();
    ASSERT_EQ(rows.Count(), 3u);
    EXPECT_STREQ(rows.At(0)->Description, "Renew passport");
    EXPECT_EQ(rows.At(0)->Repeat.RepeatType, palm::kRepeatDaily);
    EXPECT_STREQ(rows.At(1)->Description, "Gone");
    EXPECT_STREQ(rows.At(2)->Description, "Pay rent");
    EXPECT_EQ(rows.At(2)->Completed, 1);
    EXPECT_EQ(rows.At(2)->SequenceNo, 0x1040);
    EXPECT_EQ(file.GetHeaderCounter(), 0x1041);
}

TEST_F(TaskCommands, CompareAndSyncPalmToOutlook) {
    test::CommandRun result = run({"compare", "tasks"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("new        Renew passport"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("different  Pay rent"), std::string::npos) << result.out;

    result = run({"sync", "tasks", "--mode", "p2o"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    result = run({"compare", "tasks", "--json"});
    EXPECT_EQ(result.out.find("\"new\""), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("\"different\""), std::string::npos) << result.out;
}

// Palm keeps 8190 characters of a note, in Windows-1252; the store keeps them all. Neither side's
// cut form of a note goes over the other side's whole note when the other side's values win.
TEST_F(TaskCommands, NeitherSideWritesItsCutNoteOverTheOthersWholeNote) {
    const std::string palmNote(9000, 'p');
    test::writeBytes(palmFile(), todoFile(palmNote));
    const std::string outlookNote = "\xF0\x9F\x98\x80 \xE4\xB8\xAD " + std::string(9000, 'y');
    const auto rent = [&](const char* status) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//"
               "EN\r\nBEGIN:VTODO\r\nUID:rent\r\n"
               "SUMMARY:Pay rent\r\nDESCRIPTION:" +
               outlookNote + "\r\nSTATUS:" + status + "\r\nEND:VTODO\r\nEND:VCALENDAR\r\n";
    };
    test::writeBytes(tasks() / "rent.ics", rent("COMPLETED"));
    ASSERT_EQ(run({"sync", "tasks", "--mode", "o2p"}).status, kExitOk);

    // Palm's "done" wins over Outlook's reopened task, and the Outlook note stays whole.
    test::writeBytes(tasks() / "rent.ics", rent("NEEDS-ACTION"));
    test::CommandRun result = run({"sync", "tasks", "--mode", "all", "--conflicts", "palm"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    const std::string written = test::unfolded(test::readBytes(tasks() / "rent.ics"));
    EXPECT_NE(written.find("STATUS:COMPLETED"), std::string::npos) << written;
    EXPECT_NE(written.find("DESCRIPTION:" + outlookNote + "\r\n"), std::string::npos);

    // Outlook's "done" wins over the passport task it holds with the note cut, and the Palm
    // file keeps the whole note.
    for (const auto& entry : std::filesystem::directory_iterator(tasks())) {
        std::string text = test::readBytes(entry.path());
        if (const auto at = text.find("STATUS:NEEDS-ACTION");
            text.find("Renew passport") != std::string::npos && at != std::string::npos) {
            text.replace(at, 19, "STATUS:COMPLETED");
            test::writeBytes(entry.path(), text);
        }
    }
    result = run({"sync", "tasks", "--mode", "all", "--conflicts", "outlook"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("1 records updated"), std::string::npos) << result.out;
    EXPECT_NE(test::readBytes(palmFile()).find(palmNote), std::string::npos);
    result = run({"compare", "tasks", "--only", "different,new"});
    EXPECT_EQ(result.out.find("Pay rent"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("Renew passport"), std::string::npos) << result.out;
}

// Prints each task of the folder in argv[1] as "summary|due|priority|completed", sorted.
constexpr const char* kReader = R"(import sys, os, icalendar
rows = []
for name in os.listdir(sys.argv[1]):
    cal = icalendar.Calendar.from_ical(open(os.path.join(sys.argv[1], name), 'rb').read())
    for todo in cal.walk('VTODO'):
        due = todo.get('DUE')
        rows.append('|'.join([str(todo.get('SUMMARY')), due.dt.isoformat() if due else '-',
                              str(todo.get('PRIORITY')), str(todo.get('STATUS'))]))
print('\n'.join(sorted(rows)))
)";

TEST_F(TaskCommands, AnotherICalendarReaderSeesTheSyncedTasks) {
    const std::string python = twinleaf::test::pythonWithModule("icalendar");
    if (python.empty()) {
        GTEST_SKIP() << "python3 with icalendar is not installed (Debian package "
                        "python3-icalendar, listed in scripts/install-deps.sh)";
    }
    ASSERT_EQ(run({"sync", "tasks", "--mode", "p2o"}).status, kExitOk);
    const std::string output =
        test::readerOutput(python, m_dir.path() / "reader.py", kReader, tasks());
    EXPECT_EQ(output, "Pay rent|-|5|NEEDS-ACTION\nRenew passport|2027-03-01|1|NEEDS-ACTION\n");
}

} // namespace
} // namespace twinleaf::cli

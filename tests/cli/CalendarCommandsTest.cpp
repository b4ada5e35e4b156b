// The calendar on the command line, on the real sides: a Palm user Alice whose classic date book
// holds a one-off appointment, a repeating meeting and a yearly all-day event, and the Outlook
// stand-in's store with the meeting under another note and a yearly-by-weekday appointment that
// the classic date book cannot hold. The store a sync writes is read back with an independent
// iCalendar reader (python3-icalendar).
#include "cli/CommandLine.h"
#include "common/palm/PalmDate.h"
#include "common/palm/PalmDateInfo.h"
#include "platform/registry/Registry.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/CommandRun.h"
#include "support/Python.h"
#include "support/ScopedProgramFolder.h"
#include "support/SystemTime.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace twinleaf::cli {
namespace {

CommDateRec appointment(const char* description, win::SYSTEMTIME start, win::SYSTEMTIME end) {
    CommDateRec rec{};
    copyToField(rec.Description, description);
    rec.StartDateTime = start;
    rec.EndDateTime = end;
    return rec;
}

class CalendarCommands : public testing::Test {
protected:
    CalendarCommands() {
        std::filesystem::create_directories(palmFile().parent_path());
        PmDateUtil().Save(palmFile().string().c_str());
        {
            PmDateInfo palm;
            EXPECT_TRUE(palm.OpenPath(palmFile().string().c_str())) << palm.GetLastError();
            CommDateRec dentist = appointment("Dentist", test::systemTime(2024, 3, 4, 9, 0),
                                              test::systemTime(2024, 3, 4, 9, 30));
            copyToField(dentist.Note, "bring the card");
            CommDateRec meeting = appointment("Team meeting", test::systemTime(2024, 3, 4, 14, 0),
                                              test::systemTime(2024, 3, 4, 15, 0));
            copyToField(meeting.Note, "room 2");
            meeting.Repeat = CommDateRepeat{
                kCommRepeatWeekly, 1, test::systemTime(2024, 6, 26), 2, 0x0A, 0, 0, 0};
            CommDateRec birthday = appointment("Birthday", test::systemTime(2024, 5, 17),
                                               test::systemTime(2024, 5, 17));
            birthday.AllDayEvent = 1;
            birthday.Repeat = CommDateRepeat{kCommRepeatYearlyByDate, 0, {}, 1, 0, 17, 5, 0};
            for (const CommDateRec* rec : {&dentist, &meeting, &birthday}) {
                EXPECT_TRUE(palm.AddRecord(rec));
            }
            EXPECT_TRUE(palm.Save()) << palm.GetLastError();
        }
        test::writeBytes(home() / "corvane.ini",
                         "[Path]\r\nPDPath=" + (home() / "Palm").string() + "\r\n");
        std::filesystem::create_directories(calendar());
        test::writeBytes(calendar() / "meeting.ics",
                         "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\n"
                         "UID:meeting\r\nSUMMARY:Team meeting\r\nDESCRIPTION:moved to room 4\r\n"
                         "DTSTART:20240304T130000Z\r\nDTEND:20240304T140000Z\r\n"
                         "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE\r\n"
                         "END:VEVENT\r\nEND:VCALENDAR\r\n");
    }

    test::CommandRun run(std::vector<std::string> args) {
        return test::runCommand(home(), std::move(args));
    }
    std::filesystem::path home() const { return m_dir.path() / "home"; }
    std::filesystem::path palmFile() const {
        return home() / "Palm" / "Alice" / "datebook" / "datebook.dat";
    }
    std::filesystem::path calendar() const { return home() / "Outlook" / "Calendar"; }

    test::TempDir m_dir;
    test::ScopedProgramFolder m_resetHome{m_dir.path()};
    ScopedRegistryPrefix m_prefix{m_dir.path() / "wine"};
};

TEST_F(CalendarCommands, ShowPrintsBothSidesAsTablesAndJson) {
    test::CommandRun result =
        run({"show", "palm", "calendar", "--file", palmFile().string(), "--json"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_EQ(result.out.rfind("[\n{\"Description\": \"Dentist\", \"AllDayEvent\": 0, "
                               "\"StartDateTime\": \"2024-03-04T09:00:00\", "
                               "\"EndDateTime\": \"2024-03-04T09:30:00\",",
                               0),
              0u)
        << result.out;
    EXPECT_NE(result.out.find("\"RepeatType\": 2, \"RepeatHasEnd\": 1, \"RepeatEnd\": "
                              "\"2024-06-26T00:00:00\", \"RepeatFrequency\": 2, \"RepeatDays\": "
                              "10, \"RepeatDayOfMonth\": 0, \"RepeatMonth\": 0, \"RepeatWeek\": 1"),
              std::string::npos)
        << result.out;

    result = run({"show", "palm", "calendar", "--file", palmFile().string()});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("3 records"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Team meeting  03/04/2024  14:00:00    15:00:00  No       weekly, "
                              "every 2"),
              std::string::npos)
        << result.out;

    result = run({"show", "outlook", "calendar"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Team meeting  03/04/2024  14:00:00"), std::string::npos)
        << result.out;
    EXPECT_EQ(run({"show", "outlook", "calendar", "--file", "x"}).status, kExitUsage);
}

TEST_F(CalendarCommands, CompareAndSyncPalmToOutlook) {
    test::CommandRun result = run({"compare", "calendar"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("new        Dentist"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("different  Team meeting"), std::string::npos) << result.out;

    result = run({"sync", "calendar", "--mode", "p2o"});
    ASSERT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.out.find("Calendar information synchronized successfully. 3 records updated."),
              std::string::npos)
        << result.out;
    result = run({"compare", "calendar", "--json"});
    EXPECT_EQ(result.out.find("\"new\""), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("\"different\""), std::string::npos) << result.out;
}

TEST_F(CalendarCommands, AYearlyWeekdayRepeatReachesPalmWithAWarningNamingIt) {
    test::writeBytes(calendar() / "mothers-day.ics",
                     "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\nBEGIN:VEVENT\r\n"
                     "UID:mothers-day\r\nSUMMARY:Mother's Day\r\nDTSTART;VALUE=DATE:20240512\r\n"
                     "RRULE:FREQ=YEARLY;BYMONTH=5;BYDAY=2SU\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n");
    // The plan says so before anything is written.
    const test::CommandRun planned = run({"sync", "calendar", "--mode", "o2p", "--dry-run"});
    EXPECT_EQ(planned.status, kExitOk) << planned.err;
    EXPECT_NE(planned.out.find("create in Palm                Mother's Day"), std::string::npos)
        << planned.out;
    EXPECT_NE(planned.out.find("\n      loses "), std::string::npos) << planned.out;
    EXPECT_EQ(run({"sync", "calendar", "--mode", "o2p", "--strict"}).status, 3);

    const test::CommandRun result = run({"sync", "calendar", "--mode", "o2p"});
    EXPECT_EQ(result.status, kExitOk) << result.err;
    EXPECT_NE(result.err.find("\"Mother's Day\""), std::string::npos) << result.err;
    PmDateInfo palm;
    ASSERT_TRUE(palm.OpenPath(palmFile().string().c_str()));
    bool found = false;
    for (CommDateRec* rec = palm.GetCommMgr()->First(); rec != nullptr;
         rec = palm.GetCommMgr()->Next()) {
        if (std::string(rec->Description) == "Mother's Day") {
            found = true;
            EXPECT_EQ(rec->Repeat.RepeatType, kCommRepeatNone);
        }
    }
    EXPECT_TRUE(found);
}

// Prints each event of the folder in argv[1] as "summary|start|end|rule|note", sorted, the rule's
// parts in name order.
constexpr const char* kReader = R"(import sys, os, icalendar
rows = []
for name in os.listdir(sys.argv[1]):
    cal = icalendar.Calendar.from_ical(open(os.path.join(sys.argv[1], name), 'rb').read())
    for event in cal.walk('VEVENT'):
        rule = event.get('RRULE')
        rows.append('|'.join([str(event.get('SUMMARY')), event.get('DTSTART').dt.isoformat(),
                              event.get('DTEND').dt.isoformat(),
                              ';'.join(sorted(rule.to_ical().decode().split(';')))
                              if rule else '-',
                              str(event.get('DESCRIPTION', '-'))]))
print('\n'.join(sorted(rows)))
)";

TEST_F(CalendarCommands, AnotherICalendarReaderSeesTheSyncedAppointments) {
    const std::string python = twinleaf::test::pythonWithModule("icalendar");
    if (python.empty()) {
        GTEST_SKIP() << "python3 with icalendar is not installed (Debian package "
                        "python3-icalendar, listed in scripts/install-deps.sh)";
    }
    ASSERT_EQ(run({"sync", "calendar", "--mode", "p2o"}).status, kExitOk);
    const std::string output =
        test::readerOutput(python, m_dir.path() / "reader.py", kReader, calendar());
    // Times carry the zone's offset; the all-day event is a date; the end of the meeting's rule
    // is in UTC.
    EXPECT_EQ(output,
              "Birthday|2024-05-17|2024-05-18|BYMONTH=5;BYMONTHDAY=17;FREQ=YEARLY|-\n"
              "Dentist|2024-03-04T09:00:00+01:00|2024-03-04T09:30:00+01:00|-|bring the card\n"
              "Team meeting|2024-03-04T14:00:00+01:00|2024-03-04T15:00:00+01:00|"
              "BYDAY=MO,WE;FREQ=WEEKLY;INTERVAL=2;UNTIL=20240626T120000Z|room 2\n");
}

} // namespace
} // namespace twinleaf::cli

#include "platform/outlook/CalendarItem.h"

#include "platform/outlook/LocalZone.h"
#include "platform/outlook/StoreTime.h"

#include <gtest/gtest.h>

namespace twinleaf::outlook {
namespace {

StoredItem newItem(const ItemKind& kind) {
    StoredItem item;
    item.kind = &kind;
    item.values = initialValues(kind);
    return item;
}

StoredItem readBack(const ItemKind& kind, const std::string& file) {
    StoredItem item = newItem(kind);
    std::string error;
    EXPECT_TRUE(readCalendarItem(file, item, error)) << error << "\n" << file;
    return item;
}

void expectSameValues(const StoredItem& expected, const StoredItem& actual) {
    const auto& properties = expected.kind->properties;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        if (std::string_view(properties[i].name) == "EntryID") {
            continue; // the store's, from the id
        }
        SCOPED_TRACE(properties[i].name);
        EXPECT_EQ(actual.values[i].text, expected.values[i].text);
        EXPECT_EQ(actual.values[i].number, expected.values[i].number);
    }
}

bool hasLine(const std::string& file, const std::string& line) {
    return file.find("\r\n" + line + "\r\n") != std::string::npos;
}

double at(int year, int month, int day, int hour = 0, int minute = 0) {
    return civilToOleDate({year, month, day, hour, minute, 0});
}

const ItemKind* const kCalendarKinds[] = {&appointmentKind(), &taskKind(), &noteKind()};

TEST(CalendarItem, EveryPropertyOfEveryKindRoundTripsWithItsType) {
    for (const ItemKind* kind : kCalendarKinds) {
        SCOPED_TRACE(kind->folderName);
        StoredItem item = newItem(*kind);
        item.id = "040000008200E00074C5B7101A82E008";
        int n = 0;
        for (std::size_t i = 0; i < kind->properties.size(); ++i) {
            PropertyValue& value = item.values[i];
            ++n;
            switch (kind->properties[i].type) {
            case PropertyType::Text:
                // What iCalendar escapes, a line break and non-ASCII.
                value.text = std::string(kind->properties[i].name) + " " + std::to_string(n) +
                             ", a; b\\c\r\nK\xC3\xB6ln \xE2\x82\xAC";
                break;
            case PropertyType::Long:
                value.number = 3 + n;
                break;
            case PropertyType::Bool:
                value.number = 1;
                break;
            case PropertyType::Date:
                value.number = at(1990 + n % 30, 1 + n % 12, 1 + n % 28, n % 24, n % 60);
                break;
            }
        }
        // The hour that the change back from summer time repeats has two UTC times.
        item.value("CreationTime").number = at(2024, 10, 27, 2, 30);
        completeCalendarItemForSave(item);
        const std::string file = writeCalendarItem(item);
        const StoredItem back = readBack(*kind, file);
        EXPECT_EQ(back.id, item.id);
        expectSameValues(item, back);
        EXPECT_TRUE(back.keptLines.empty()) << file;
        EXPECT_EQ(writeCalendarItem(back), file);
    }
}

TEST(CalendarItem, UsesTheStandardHomesOtherProgramsRead) {
    StoredItem event = newItem(appointmentKind());
    event.id = "event-1";
    event.value("Subject").text = "Team, weekly";
    event.value("Body").text = "Agenda:\r\n1. Numbers";
    event.value("Location").text = "Room 4";
    event.value("Start").number = at(2024, 3, 4, 9, 30);
    event.value("End").number = at(2024, 3, 4, 10, 15);
    event.value("Duration").number = 45;
    event.value("Sensitivity").number = 2;
    event.value("Categories").text = "Business, Team";
    event.value("IsRecurring").number = 1;
    event.value("RecurrenceType").number = 1;
    event.value("Interval").number = 2;
    event.value("DayOfWeekMask").number = 2 | 8; // Monday, Wednesday
    event.value("PatternEndDate").number = at(2024, 6, 26);
    const std::string file = writeCalendarItem(event);
    for (const char* line :
         {"BEGIN:VEVENT", "UID:event-1", "SUMMARY:Team\\, weekly",
          "DESCRIPTION:Agenda:\\n1. Numbers", "LOCATION:Room 4",
          "DTSTART;TZID=Europe/Berlin:20240304T093000", "DTEND;TZID=Europe/Berlin:20240304T101500",
          "CLASS:PRIVATE", "CATEGORIES:Business,Team",
          // With a zoned start the end of the rule is in UTC: 9:30 in summer time.
          "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE;UNTIL=20240626T073000Z", "TZID:Europe/Berlin",
          "RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3", "TZOFFSETTO:+0200"}) {
        EXPECT_TRUE(hasLine(file, line)) << line << "\n" << file;
    }
    EXPECT_EQ(file.find("X-OUTLOOK-"), std::string::npos) << file;

    StoredItem task = newItem(taskKind());
    task.id = "task-1";
    task.value("Subject").text = "Taxes";
    task.value("DueDate").number = at(2010, 6, 15);
    task.value("StartDate").number = at(2010, 6, 1, 8, 0);
    task.value("Importance").number = 2;
    task.value("Status").number = 2;
    task.value("Complete").number = 1;
    task.value("PercentComplete").number = 100;
    task.value("LastModificationTime").number = at(2010, 6, 14, 12, 0);
    const std::string todo = writeCalendarItem(task);
    for (const char* line :
         {"BEGIN:VTODO", "DUE;VALUE=DATE:20100615", "DTSTART:20100601T080000", "PRIORITY:1",
          "STATUS:COMPLETED", "COMPLETED:20100614T100000Z", "PERCENT-COMPLETE:100"}) {
        EXPECT_TRUE(hasLine(todo, line)) << line << "\n" << todo;
    }
    EXPECT_EQ(todo.find("X-OUTLOOK-"), std::string::npos) << todo;

    StoredItem note = newItem(noteKind());
    note.id = "note-1";
    note.value("Body").text = "Groceries\nmilk";
    completeCalendarItemForSave(note);
    EXPECT_EQ(note.value("Body").text, "Groceries\r\nmilk");
    const std::string journal = writeCalendarItem(note);
    for (const char* line :
         {"BEGIN:VJOURNAL", "SUMMARY:Groceries", "DESCRIPTION:Groceries\\nmilk"}) {
        EXPECT_TRUE(hasLine(journal, line)) << line << "\n" << journal;
    }
}

TEST(CalendarItem, RecurrencePatternsBecomeRulesAndComeBack) {
    struct Case {
        const char* name;
        int type, interval, mask, dayOfMonth, instance, month;
        const char* rule;
    };
    const Case cases[] = {
        {"daily", 0, 3, 0, 0, 0, 0, "FREQ=DAILY;INTERVAL=3"},
        {"every weekday", 0, 1, 62, 0, 0, 0, "FREQ=DAILY;BYDAY=MO,TU,WE,TH,FR"},
        {"monthly on the 15th", 2, 1, 0, 15, 0, 0, "FREQ=MONTHLY;BYMONTHDAY=15"},
        {"last Friday every 2 months", 3, 2, 32, 0, 5, 0,
         "FREQ=MONTHLY;INTERVAL=2;BYDAY=FR;BYSETPOS=-1"},
        {"yearly on 4 March", 5, 12, 0, 4, 0, 3, "FREQ=YEARLY;BYMONTH=3;BYMONTHDAY=4"},
        {"every 3 years on 4 March", 5, 36, 0, 4, 0, 3,
         "FREQ=YEARLY;INTERVAL=3;BYMONTH=3;BYMONTHDAY=4"},
        {"second Sunday of May", 6, 12, 1, 0, 2, 5, "FREQ=YEARLY;BYMONTH=5;BYDAY=SU;BYSETPOS=2"},
        {"every 2 years on the last Monday of May", 6, 24, 2, 0, 5, 5,
         "FREQ=YEARLY;INTERVAL=2;BYMONTH=5;BYDAY=MO;BYSETPOS=-1"},
        {"weekly on Monday and Wednesday", 1, 1, 2 | 8, 0, 0, 0, "FREQ=WEEKLY;BYDAY=MO,WE"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredItem item = newItem(appointmentKind());
        item.id = "rule";
        item.value("Start").number = at(2024, 3, 4, 9, 0);
        item.value("End").number = at(2024, 3, 4, 10, 0);
        item.value("Duration").number = 60;
        item.value("IsRecurring").number = 1;
        item.value("RecurrenceType").number = c.type;
        item.value("Interval").number = c.interval;
        item.value("DayOfWeekMask").number = c.mask;
        item.value("DayOfMonth").number = c.dayOfMonth;
        item.value("Instance").number = c.instance;
        item.value("MonthOfYear").number = c.month;
        const std::string file = writeCalendarItem(item);
        EXPECT_TRUE(hasLine(file, std::string("RRULE:") + c.rule)) << file;
        EXPECT_EQ(file.find("X-OUTLOOK-"), std::string::npos) << file;
        expectSameValues(item, readBack(appointmentKind(), file));
    }
}

// A repeating event as a calendar program writes it: times in a named zone, the zone's
// definition, an alarm, a changed occurrence, an extension of its own and an all-day flag
// that only a DATE value gives.
const std::string kForeignEvent = "BEGIN:VCALENDAR\r\n"
                                  "VERSION:2.0\r\n"
                                  "PRODID:-//Example//Calendar 1.0//EN\r\n"
                                  "X-WR-CALNAME:Home\r\n"
                                  "BEGIN:VTIMEZONE\r\n"
                                  "TZID:America/New_York\r\n"
                                  "BEGIN:STANDARD\r\n"
                                  "DTSTART:19701101T020000\r\n"
                                  "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU\r\n"
                                  "TZOFFSETFROM:-0400\r\n"
                                  "TZOFFSETTO:-0500\r\n"
                                  "END:STANDARD\r\n"
                                  "BEGIN:DAYLIGHT\r\n"
                                  "DTSTART:19700308T020000\r\n"
                                  "RRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3\r\n"
                                  "TZOFFSETFROM:-0500\r\n"
                                  "TZOFFSETTO:-0400\r\n"
                                  "END:DAYLIGHT\r\n"
                                  "END:VTIMEZONE\r\n"
                                  "BEGIN:VEVENT\r\n"
                                  "UID:standup@example.org\r\n"
                                  "DTSTAMP:20240101T000000Z\r\n"
                                  "DTSTART;TZID=America/New_York:20240115T090000\r\n"
                                  "DURATION:PT30M\r\n"
                                  "SUMMARY:Stand-up\r\n"
                                  "RRULE:FREQ=WEEKLY;BYDAY=MO\r\n"
                                  "X-EXAMPLE-COLOUR:blue\r\n"
                                  "BEGIN:VALARM\r\n"
                                  "ACTION:DISPLAY\r\n"
                                  "TRIGGER:-PT5M\r\n"
                                  "END:VALARM\r\n"
                                  "END:VEVENT\r\n"
                                  "BEGIN:VEVENT\r\n"
                                  "UID:standup@example.org\r\n"
                                  "DTSTAMP:20240101T000000Z\r\n"
                                  "RECURRENCE-ID;TZID=America/New_York:20240122T090000\r\n"
                                  "DTSTART;TZID=America/New_York:20240122T100000\r\n"
                                  "DURATION:PT30M\r\n"
                                  "SUMMARY:Stand-up (moved)\r\n"
                                  "END:VEVENT\r\n"
                                  "END:VCALENDAR\r\n";

TEST(CalendarItem, ARepeatingEventWithItsChangedOccurrencesIsOneItem) {
    const StoredItem item = readBack(appointmentKind(), kForeignEvent);
    EXPECT_EQ(item.id, "standup@example.org");
    EXPECT_EQ(item.value("Subject").text, "Stand-up");
    // 9:00 in New York is 15:00 in Berlin in January.
    EXPECT_EQ(item.value("Start").number, at(2024, 1, 15, 15, 0));
    EXPECT_EQ(item.value("End").number, at(2024, 1, 15, 15, 30));
    EXPECT_EQ(item.value("Duration").number, 30);
    EXPECT_EQ(item.value("IsRecurring").number, 1);
    EXPECT_EQ(item.value("RecurrenceType").number, 1);
    EXPECT_EQ(item.value("DayOfWeekMask").number, 2);

    const std::string file = writeCalendarItem(item);
    for (const char* line :
         {"X-WR-CALNAME:Home", "TZID:America/New_York", "X-EXAMPLE-COLOUR:blue", "TRIGGER:-PT5M",
          "SUMMARY:Stand-up (moved)", "RECURRENCE-ID;TZID=America/New_York:20240122T090000"}) {
        EXPECT_TRUE(hasLine(file, line)) << line << "\n" << file;
    }
    // The zone comes before the event, the changed occurrence after it, as they were read.
    EXPECT_LT(file.find("BEGIN:VTIMEZONE"), file.find("BEGIN:VEVENT"));
    EXPECT_GT(file.find("RECURRENCE-ID"), file.find("BEGIN:VALARM"));
    const StoredItem again = readBack(appointmentKind(), file);
    expectSameValues(item, again);
    EXPECT_EQ(writeCalendarItem(again), file);
}

TEST(CalendarItem, RefusesFilesItCannotRewriteFaithfully) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* reason;
    };
    const std::string event = "BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:A\r\nEND:VEVENT\r\n";
    const std::string other = "BEGIN:VEVENT\r\nUID:b\r\nSUMMARY:B\r\nEND:VEVENT\r\n";
    auto calendar = [](const std::string& inside) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + inside + "END:VCALENDAR\r\n";
    };
    const Case cases[] = {
        {"empty", "\r\n", "empty"},
        {"Latin-1", calendar("BEGIN:VEVENT\r\nSUMMARY:K\xF6ln\r\nEND:VEVENT\r\n"),
         "unknown encoding"},
        {"a vCard", "BEGIN:VCARD\r\nFN:A\r\nEND:VCARD\r\n", "not an iCalendar file"},
        {"a second item", calendar(event + other), "second item"},
        {"the same UID without a RECURRENCE-ID", calendar(event + event), "second item"},
        {"a task beside the event", calendar(event + "BEGIN:VTODO\r\nUID:c\r\nEND:VTODO\r\n"),
         "second item"},
        {"two calendars", calendar(event) + calendar(other), "2 calendars"},
        {"no event", calendar("BEGIN:VTODO\r\nUID:c\r\nEND:VTODO\r\n"), "no VEVENT"},
        {"a damaged line", calendar("BEGIN:VEVENT\r\nUID:a\r\nnot a line\r\nEND:VEVENT\r\n"),
         "damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoredItem item = newItem(appointmentKind());
        std::string error;
        EXPECT_FALSE(readCalendarItem(c.bytes, item, error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(CalendarItem, TextsComeWithCrlfLineBreaksAndEmptyValuesAreDropped) {
    const std::string file = "BEGIN:VCALENDAR\n"
                             "VERSION:2.0\n"
                             "BEGIN:VTODO\n"
                             "UID:t\n"
                             "SUMMARY:Call\\, then write\n"
                             "DESCRIPTION:one\\ntwo\\Nthree\n"
                             "LOCATION:\n"
                             "PRIORITY:7\n"
                             "STATUS:IN-PROCESS\n"
                             "END:VTODO\n"
                             "END:VCALENDAR\n";
    const StoredItem item = readBack(taskKind(), file);
    EXPECT_EQ(item.value("Subject").text, "Call, then write");
    EXPECT_EQ(item.value("Body").text, "one\r\ntwo\r\nthree");
    EXPECT_EQ(item.value("Importance").number, 0);
    EXPECT_EQ(item.value("Status").number, 1);
    EXPECT_TRUE(item.keptLines.empty());
    EXPECT_TRUE(hasLine(writeCalendarItem(item), "DESCRIPTION:one\\ntwo\\nthree"));

    // Without its calendar around it, as single-item exports and other libraries' samples are.
    const std::size_t begin = file.find("BEGIN:VTODO");
    const std::size_t end = file.find("END:VTODO\n") + 10;
    const StoredItem bare = readBack(taskKind(), file.substr(begin, end - begin));
    expectSameValues(item, bare);
    EXPECT_TRUE(writeCalendarItem(bare).starts_with("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n"));
}

// The test runner pins TZ=Europe/Berlin: summer time began on 31 March 2024 at 02:00 (the hour
// to 03:00 does not exist) and ended on 27 October 2024 at 03:00 (02:00 to 03:00 came twice).
TEST(CalendarItem, TimesAcrossDaylightSavingChangesAreLocal) {
    struct Case {
        const char* name;
        const char* dtstart;
        double local;
    };
    const Case cases[] = {
        {"our zone, the repeated hour", "DTSTART;TZID=Europe/Berlin:20241027T023000",
         at(2024, 10, 27, 2, 30)},
        {"our zone, the missing hour stays as written",
         "DTSTART;TZID=Europe/Berlin:20240331T023000", at(2024, 3, 31, 2, 30)},
        {"UTC, first pass through the repeated hour", "DTSTART:20241027T003000Z",
         at(2024, 10, 27, 2, 30)},
        {"UTC, second pass through the repeated hour", "DTSTART:20241027T013000Z",
         at(2024, 10, 27, 2, 30)},
        {"UTC, just before the change to summer time", "DTSTART:20240331T005900Z",
         at(2024, 3, 31, 1, 59)},
        {"UTC, just after it", "DTSTART:20240331T010000Z", at(2024, 3, 31, 3, 0)},
        {"floating", "DTSTART:20240331T023000", at(2024, 3, 31, 2, 30)},
        {"all day", "DTSTART;VALUE=DATE:20240331", at(2024, 3, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n") +
                                 "UID:dst\r\n" + c.dtstart + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        const StoredItem item = readBack(appointmentKind(), file);
        EXPECT_EQ(item.value("Start").number, c.local);
        // Written in our zone, and read back to the same local time.
        const std::string written = writeCalendarItem(item);
        expectSameValues(item, readBack(appointmentKind(), written));
    }
    // What we write of the two hours: local times with our zone's name, and its definition.
    StoredItem item = newItem(appointmentKind());
    item.id = "dst";
    item.value("Start").number = at(2024, 10, 27, 2, 30);
    item.value("End").number = at(2024, 3, 31, 2, 30);
    const std::string file = writeCalendarItem(item);
    EXPECT_TRUE(hasLine(file, "DTSTART;TZID=Europe/Berlin:20241027T023000")) << file;
    EXPECT_TRUE(hasLine(file, "DTEND;TZID=Europe/Berlin:20240331T023000")) << file;
    EXPECT_LT(file.find("BEGIN:VTIMEZONE"), file.find("BEGIN:VEVENT"));
    // Read back, the definition is the file's own and is not written a second time.
    const StoredItem back = readBack(appointmentKind(), file);
    EXPECT_EQ(writeCalendarItem(back), file);
}

TEST(CalendarItem, ZoneDefinitionsFollowThePosixRule) {
    EXPECT_EQ(
        zoneDefinition("Europe/Berlin", "CET-1CEST,M3.5.0,M10.5.0/3"),
        "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\n"
        "BEGIN:DAYLIGHT\r\nDTSTART:19700329T020000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\n"
        "TZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nTZNAME:CEST\r\nEND:DAYLIGHT\r\n"
        "BEGIN:STANDARD\r\nDTSTART:19701025T030000\r\nRRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\n"
        "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\nEND:STANDARD\r\n"
        "END:VTIMEZONE");
    const std::string newYork = zoneDefinition("America/New_York", "EST5EDT,M3.2.0,M11.1.0");
    EXPECT_NE(newYork.find("DTSTART:19700308T020000\r\nRRULE:FREQ=YEARLY;BYDAY=2SU;BYMONTH=3"),
              std::string::npos)
        << newYork;
    EXPECT_NE(newYork.find("TZOFFSETFROM:-0400\r\nTZOFFSETTO:-0500"), std::string::npos);
    const std::string kolkata = zoneDefinition("Asia/Kolkata", "IST-5:30");
    EXPECT_NE(kolkata.find("TZOFFSETFROM:+0530\r\nTZOFFSETTO:+0530\r\nTZNAME:IST"),
              std::string::npos)
        << kolkata;
    EXPECT_NE(zoneDefinition("Etc/GMT-14", "<+14>-14").find("TZNAME:+14"), std::string::npos);
    // Rules by day of the year, and no rule at all, give no definition: times go floating.
    EXPECT_EQ(zoneDefinition("X", "AAA3BBB,J60,J300"), "");
    EXPECT_EQ(zoneDefinition("X", ""), "");
}

// A rule no pattern holds loads as the nearest pattern from its first occurrence, and the file
// keeps the rule: writing the item never replaces it, even after its pattern changed.
TEST(CalendarItem, RulesNoPatternHoldsAreKeptAndApproximated) {
    struct Case {
        const char* name;
        const char* rules;
        int recurring, type, interval, mask, instance;
        double end;
    };
    const Case cases[] = {
        {"a number of occurrences", "RRULE:FREQ=WEEKLY;COUNT=3;BYDAY=MO", 1, 1, 1, 2, 0,
         at(2024, 3, 18)},
        {"first and last Monday", "RRULE:FREQ=MONTHLY;BYDAY=MO;BYSETPOS=1,-1", 1, 3, 1, 2, 1, 0},
        {"every Monday of the month", "RRULE:FREQ=MONTHLY;BYDAY=MO", 1, 3, 1, 2, 1, 0},
        {"two rules", "RRULE:FREQ=DAILY;INTERVAL=2\r\nRRULE:FREQ=WEEKLY;BYDAY=FR", 1, 0, 2, 0, 0,
         0},
        {"hourly", "RRULE:FREQ=HOURLY;INTERVAL=4", 0, 1, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Monday 4 March 2024, 9:00 in Berlin.
        const std::string file = std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n") +
                                 "UID:rule\r\nDTSTART:20240304T080000Z\r\n" + c.rules +
                                 "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        StoredItem item = readBack(appointmentKind(), file);
        EXPECT_EQ(item.value("IsRecurring").number, c.recurring);
        if (c.recurring != 0) {
            EXPECT_EQ(item.value("RecurrenceType").number, c.type);
            EXPECT_EQ(item.value("Interval").number, c.interval);
            EXPECT_EQ(item.value("DayOfWeekMask").number, c.mask);
            EXPECT_EQ(item.value("Instance").number, c.instance);
            EXPECT_EQ(item.value("PatternEndDate").number, c.end);
        }
        const std::string written = writeCalendarItem(item);
        EXPECT_NE(written.find(std::string("\r\n") + c.rules + "\r\n"), std::string::npos)
            << written;
        EXPECT_EQ(written.find("X-OUTLOOK-"), std::string::npos) << written;
        expectSameValues(item, readBack(appointmentKind(), written));

        item.value("Interval").number = 5;
        item.value("IsRecurring").number = 1;
        const std::string changed = writeCalendarItem(item);
        std::size_t rules = 0;
        for (std::size_t at = changed.find("RRULE", changed.find("BEGIN:VEVENT"));
             at != std::string::npos; at = changed.find("RRULE", at + 1)) {
            ++rules;
        }
        EXPECT_EQ(rules, c.recurring != 0 &&
                                 std::string_view(c.rules).find("\r\n") != std::string_view::npos
                             ? 2u
                             : 1u)
            << changed;
        EXPECT_EQ(readBack(appointmentKind(), changed).value("Interval").number, 5);
    }
}

} // namespace
} // namespace twinleaf::outlook

#include "common/outlook/OlDate.h"

#include "common/misc/CxDateTime.h"
#include "platform/com/DispatchObject.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"
#include "platform/win/OleDate.h"
#include "support/Bytes.h"
#include "support/SystemTime.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace twinleaf {
namespace {

using test::TempDir;

win::DATE dateOf(int year, int month, int day) {
    win::SYSTEMTIME time = test::systemTime(year, month, day);
    win::DATE date = 0;
    win::SystemTimeToVariantTime(&time, &date);
    return date;
}

CommDateRec palmEvent(const char* description) {
    CommDateRec rec{};
    copyToField(rec.Description, description);
    rec.StartDateTime = test::systemTime(2024, 3, 4, 9, 0);
    rec.EndDateTime = test::systemTime(2024, 3, 4, 10, 30);
    rec.SourceType = kSourcePalm;
    return rec;
}

// Each repeat kind with the pattern Outlook holds for it, both ways.
TEST(OlDatePattern, EveryRepeatKindMapsBothWays) {
    struct Case {
        const char* name;
        CommDateRepeat repeat;
        win::LONG type, interval, mask, dayOfMonth, instance, month;
    };
    const Case cases[] = {
        {"none", {0, 0, {}, 0, 0, 0, 0, 0}, -1, 0, 0, 0, 0, 0},
        {"daily every 3 days", {1, 0, {}, 3, 0, 0, 0, 0}, 0, 3, 0, 0, 0, 0},
        {"weekly on Monday and Wednesday every 2 weeks",
         {2, 0, {}, 2, 0x0A, 0, 0, 1},
         1,
         2,
         0x0A,
         0,
         0,
         0},
        {"monthly on the last Friday", {3, 0, {}, 1, 0x20, 0, 0, 5}, 3, 1, 0x20, 0, 5, 0},
        {"monthly on the 15th every 2 months", {4, 0, {}, 2, 0, 15, 0, 0}, 2, 2, 0, 15, 0, 0},
        {"yearly on the second Sunday of May", {5, 0, {}, 1, 0x01, 0, 5, 2}, 6, 12, 0x01, 0, 2, 5},
        {"every 2 years on 4 March", {6, 0, {}, 2, 0, 4, 3, 0}, 5, 24, 0, 4, 0, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        OlAppointmentImage image{};
        RepeatToPattern(c.repeat, image);
        EXPECT_EQ(image.RecurrenceType, c.type);
        EXPECT_EQ(image.Interval, c.interval);
        EXPECT_EQ(image.DayOfWeekMask, c.mask);
        EXPECT_EQ(image.DayOfMonth, c.dayOfMonth);
        EXPECT_EQ(image.Instance, c.instance);
        EXPECT_EQ(image.MonthOfYear, c.month);
        EXPECT_EQ(image.PatternEndDate, 0.0);
        CommDateRepeat back{};
        PatternToRepeat(image, back);
        EXPECT_EQ(back.RepeatType, c.repeat.RepeatType);
        EXPECT_EQ(back.RepeatFrequency, c.repeat.RepeatFrequency);
        EXPECT_EQ(back.RepeatDays, c.repeat.RepeatDays);
        EXPECT_EQ(back.RepeatDayOfMonth, c.repeat.RepeatDayOfMonth);
        EXPECT_EQ(back.RepeatMonth, c.repeat.RepeatMonth);
        EXPECT_EQ(back.RepeatWeek, c.repeat.RepeatWeek);
        EXPECT_EQ(back.RepeatHasEnd, 0);
    }
}

TEST(OlDatePattern, AnEndIsWrittenOnlyForARepeatThatHasOne) {
    CommDateRepeat repeat{2, 1, test::systemTime(2031, 6, 30), 1, 0x02, 0, 0, 0};
    OlAppointmentImage image{};
    RepeatToPattern(repeat, image);
    EXPECT_EQ(image.PatternEndDate, dateOf(2031, 6, 30)); // past 2020 an end is still an end
    CommDateRepeat back{};
    PatternToRepeat(image, back);
    EXPECT_EQ(back.RepeatHasEnd, 1);
    EXPECT_EQ(back.RepeatEnd.wYear, 2031);
    EXPECT_EQ(back.RepeatEnd.wMonth, 6);
    EXPECT_EQ(back.RepeatEnd.wDay, 30);

    repeat.RepeatHasEnd = 0;
    RepeatToPattern(repeat, image);
    EXPECT_EQ(image.PatternEndDate, 0.0);
    repeat = CommDateRepeat{0, 1, test::systemTime(2031, 6, 30), 0, 0, 0, 0, 0};
    RepeatToPattern(repeat, image);
    EXPECT_EQ(image.PatternEndDate, 0.0);
    // A yearly interval below twelve months from another program is every year.
    image = OlAppointmentImage{};
    image.RecurrenceType = kOlRecursYearly;
    image.Interval = 1;
    PatternToRepeat(image, back);
    EXPECT_EQ(back.RepeatFrequency, 1);
}

class OlDateTest : public ::testing::Test {
protected:
    void SetUp() override {
        setProgramFolderOverride(m_home.path());
        outlook::setStoreFolderOverride(m_home.path() / "Outlook");
        restart();
    }
    void TearDown() override {
        m_dates.reset();
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_EQ(win::DispatchObject::liveObjects(), 0);
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
    }
    void restart(win::BYTE includeBody = 1) {
        m_dates.reset();
        m_dates = std::make_unique<OlDateUtil>();
        m_dates->SetIncludeBody(includeBody);
        ASSERT_TRUE(m_dates->Reload());
    }
    CommDateRec* at(std::uint32_t index) { return m_dates->GetRecords()->GetAt(index); }
    // The item at that position as Outlook holds it.
    OlAppointmentImage imageAt(int index) {
        OlAppointmentImage image{};
        EXPECT_TRUE(m_dates->ReadItemAt(index, &image));
        return image;
    }
    std::filesystem::path folder() const { return m_home.path() / "Outlook" / "Calendar"; }
    std::string eventFile() {
        std::string found;
        for (const auto& entry : std::filesystem::directory_iterator(folder())) {
            found = test::readBytes(entry.path());
        }
        return found;
    }

    TempDir m_home;
    outlook::ScopedStoreWarnings m_warnings;
    std::unique_ptr<OlDateUtil> m_dates;
};

TEST_F(OlDateTest, WritesAndReadsBackWhatPalmGives) {
    CommDateRec rec = palmEvent("Team meeting");
    copyToField(rec.Note, "agenda\r\nnumbers");
    rec.Repeat =
        CommDateRepeat{2, 1, test::systemTime(2024, 6, 26), 2, 0x0A, 0, 0, 1}; // as Palm reads it
    EXPECT_TRUE(m_dates->SaveRecord(&rec));
    EXPECT_FALSE(m_dates->SaveRecord(&rec)); // the same: nothing to write

    const std::string file = eventFile();
    for (const char* line :
         {"SUMMARY:Team meeting", "DESCRIPTION:agenda\\nnumbers",
          "DTSTART;TZID=Europe/Berlin:20240304T090000", "DTEND;TZID=Europe/Berlin:20240304T103000",
          "RRULE:FREQ=WEEKLY;INTERVAL=2;BYDAY=MO,WE;UNTIL=20240626T070000Z"}) {
        EXPECT_NE(file.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line << "\n"
                                                                                     << file;
    }
    EXPECT_EQ(file.find("X-OUTLOOK-"), std::string::npos) << file;

    restart();
    ASSERT_EQ(m_dates->GetRecords()->GetCount(), 1u);
    const CommDateRec& read = *at(0);
    EXPECT_STREQ(read.Description, "Team meeting");
    EXPECT_STREQ(read.Note, "agenda\r\nnumbers");
    EXPECT_EQ(read.StartDateTime.wHour, 9);
    EXPECT_EQ(read.EndDateTime.wMinute, 30);
    EXPECT_EQ(read.Duration, 90);
    EXPECT_EQ(read.Repeat.RepeatType, kCommRepeatWeekly);
    EXPECT_EQ(read.Repeat.RepeatFrequency, 2);
    EXPECT_EQ(read.Repeat.RepeatDays, 0x0A);
    EXPECT_EQ(read.Repeat.RepeatHasEnd, 1);
    EXPECT_EQ(read.Repeat.RepeatEnd.wDay, 26);
    EXPECT_EQ(read.SourceType, kSourceOutlook);
    EXPECT_EQ(m_dates->GetRecords()->FindMatch(&rec), kMatchSame);
}

TEST_F(OlDateTest, DurationIsTheTimeOfDayDifference) {
    CommDateRec late = palmEvent("Night shift");
    late.StartDateTime = test::systemTime(2024, 3, 4, 23, 0);
    late.EndDateTime = test::systemTime(2024, 3, 5, 1, 0);
    CommDateRec allDay = palmEvent("Holiday");
    allDay.AllDayEvent = 1;
    allDay.StartDateTime = test::systemTime(2024, 3, 8);
    allDay.EndDateTime = test::systemTime(2024, 3, 8); // as the date book keeps a day's event
    ASSERT_TRUE(m_dates->SaveRecord(&late));
    ASSERT_TRUE(m_dates->SaveRecord(&allDay));
    EXPECT_EQ(imageAt(0).Duration, -1320);
    EXPECT_EQ(imageAt(1).Duration, 1440);
    restart();
    EXPECT_EQ(at(0)->Duration, -1320);
    EXPECT_EQ(imageAt(0).Duration, -1320); // Outlook keeps what it was given
    EXPECT_EQ(at(1)->AllDayEvent, 1);
    EXPECT_EQ(imageAt(1).AllDayEvent, 1);
    // Outlook ends the day at the next midnight; the record keeps the day itself.
    EXPECT_EQ(imageAt(1).End, dateOf(2024, 3, 9));
    EXPECT_EQ(at(1)->EndDateTime.wDay, 8);
    EXPECT_EQ(m_dates->GetRecords()->FindMatch(&allDay), kMatchSame);
    EXPECT_EQ(imageAt(1).RecurrenceType, kOlNoRecurrence);
}

TEST_F(OlDateTest, ARecordWithoutRepeatLeavesTheItemsPattern) {
    CommDateRec rec = palmEvent("Yoga");
    rec.Repeat = CommDateRepeat{1, 0, {}, 1, 0, 0, 0, 0};
    ASSERT_TRUE(m_dates->SaveRecord(&rec));
    CommDateRec changed = rec;
    changed.Repeat = CommDateRepeat{};
    copyToField(changed.Note, "bring a mat");
    EXPECT_TRUE(m_dates->SaveRecord(&changed));
    EXPECT_NE(eventFile().find("RRULE:FREQ=DAILY"), std::string::npos) << eventFile();
    restart();
    EXPECT_EQ(at(0)->Repeat.RepeatType, kCommRepeatDaily);
    EXPECT_STREQ(at(0)->Note, "bring a mat");
}

TEST_F(OlDateTest, WithoutTheBodySwitchTheBodyIsNeitherReadNorWritten) {
    std::filesystem::create_directories(folder());
    test::writeBytes(folder() / "e1.ics",
                     "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                     "BEGIN:VEVENT\r\nUID:e1\r\nSUMMARY:Dentist\r\nDESCRIPTION:bring the card\r\n"
                     "LOCATION:Main St 4\r\nDTSTART:20240304T080000Z\r\nDTEND:20240304T083000Z\r\n"
                     "ATTENDEE:mailto:a@example.org\r\n"
                     "END:VEVENT\r\nEND:VCALENDAR\r\n");
    restart(0);
    ASSERT_EQ(m_dates->GetRecords()->GetCount(), 1u);
    EXPECT_STREQ(at(0)->Note, "");
    EXPECT_STREQ(at(0)->Location, ""); // the location stays Outlook's
    EXPECT_STREQ(imageAt(0).Location, "Main St 4");
    EXPECT_EQ(at(0)->StartDateTime.wHour, 9); // 08:00 UTC is 09:00 in Berlin in March

    CommDateRec rec = *at(0);
    rec.Native = nullptr;
    rec.NativeSize = 0;
    copyToField(rec.Note, "new note from Palm");
    rec.StartDateTime = test::systemTime(2024, 3, 5, 9, 0);
    rec.EndDateTime = test::systemTime(2024, 3, 5, 9, 30);
    EXPECT_TRUE(m_dates->SaveRecord(&rec));
    const std::string file = test::readBytes(folder() / "e1.ics");
    for (const char* line :
         {"DESCRIPTION:bring the card", "LOCATION:Main St 4", "ATTENDEE:mailto:a@example.org",
          "DTSTART;TZID=Europe/Berlin:20240305T090000"}) {
        EXPECT_NE(file.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line << "\n"
                                                                                     << file;
    }
}

} // namespace
} // namespace twinleaf

#include "common/misc/CommDate.h"

#include "platform/text/FieldText.h"
#include "support/SystemTime.h"

#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

CommDateRec appointment(const char* description, const char* note = "team room") {
    CommDateRec rec{};
    copyToField(rec.Description, description);
    copyToField(rec.Note, note);
    copyToField(rec.Location, "Building 2");
    rec.StartDateTime = test::systemTime(2004, 3, 5, 9, 0);
    rec.EndDateTime = test::systemTime(2004, 3, 5, 10, 30);
    rec.Alarm = 1;
    rec.Repeat.RepeatType = kCommRepeatWeekly;
    rec.Repeat.RepeatFrequency = 1;
    rec.Repeat.RepeatDays = 0x0A;
    return rec;
}

std::string textOf(const CommDateRec& rec, std::uint32_t id) {
    DateFieldDesc desc{};
    desc.nId = id;
    char buffer[64] = "stale";
    EXPECT_TRUE(GetFieldText(&rec, &desc, buffer, sizeof buffer));
    return buffer;
}

TEST(CommDateMgr, TimesTextsAlarmAndPatternDecide) {
    struct Case {
        const char* what;
        void (*change)(CommDateRec&);
        int expected;
    };
    const Case cases[] = {
        {"moved from nine to two on the same day",
         [](CommDateRec& r) {
             r.StartDateTime.wHour = 14;
             r.EndDateTime.wHour = 23;
         },
         kMatchDifferent},
        {"ends a quarter of an hour later", [](CommDateRec& r) { r.EndDateTime.wMinute = 15; },
         kMatchDifferent},
        {"other seconds", [](CommDateRec& r) { r.StartDateTime.wSecond = 30; }, kMatchSame},
        {"other privacy, all-day flag, category and duration",
         [](CommDateRec& r) {
             r.Private = 1;
             r.AllDayEvent = 1;
             copyToField(r.Category, "Business");
             r.Duration = 600;
         },
         kMatchSame},
        {"other repeat end",
         [](CommDateRec& r) {
             r.Repeat.RepeatHasEnd = 1;
             r.Repeat.RepeatEnd = test::systemTime(2030, 1, 1);
         },
         kMatchSame},
        {"other note", [](CommDateRec& r) { copyToField(r.Note, "room 4"); }, kMatchDifferent},
        {"other location", [](CommDateRec& r) { copyToField(r.Location, "Home"); },
         kMatchDifferent},
        {"start a day later", [](CommDateRec& r) { r.StartDateTime.wDay = 6; }, kMatchDifferent},
        {"end a month later", [](CommDateRec& r) { r.EndDateTime.wMonth = 4; }, kMatchDifferent},
        {"no alarm", [](CommDateRec& r) { r.Alarm = 0; }, kMatchDifferent},
        {"every second week", [](CommDateRec& r) { r.Repeat.RepeatFrequency = 2; },
         kMatchDifferent},
        {"other weekdays", [](CommDateRec& r) { r.Repeat.RepeatDays = 0x02; }, kMatchDifferent},
        {"monthly", [](CommDateRec& r) { r.Repeat.RepeatType = kCommRepeatMonthlyByDate; },
         kMatchDifferent},
        {"other description", [](CommDateRec& r) { copyToField(r.Description, "Standup!"); },
         kMatchNotFound},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CommDateMgr list;
        const CommDateRec other = appointment("Lunch");
        list.AddCopy(&other);
        const CommDateRec stored = appointment("Standup");
        list.AddCopy(&stored);
        CommDateRec incoming = appointment("Standup");
        c.change(incoming);
        int position = -1;
        EXPECT_EQ(list.FindMatch(&incoming, nullptr, &position), c.expected);
        EXPECT_EQ(position, c.expected == kMatchNotFound ? 2 : 1);
        EXPECT_EQ(list.FindMatchByWalking(&incoming), c.expected);
        EXPECT_EQ(RecordsEqual(&stored, &incoming), c.expected == kMatchSame);
    }
}

TEST(CommDateMgr, FirstRecordWithTheDescriptionDecidesEvenWhenALaterOneIsEqual) {
    CommDateMgr list;
    const CommDateRec differing = appointment("Standup", "another note");
    const CommDateRec equal = appointment("Standup");
    list.AddCopy(&differing);
    list.AddCopy(&equal);
    const CommDateRec incoming = appointment("Standup");
    CommDateRec* match = nullptr;
    int position = -1;
    EXPECT_EQ(list.FindMatch(&incoming, &match, &position), kMatchDifferent);
    EXPECT_EQ(position, 0);
    ASSERT_NE(match, nullptr);
    EXPECT_STREQ(match->Note, "another note");
    EXPECT_EQ(list.FindMatch(list.GetAt(0)), kMatchSame) << "a record is the same as itself";
}

TEST(CommDateMgr, CompareWithMarksNewDifferentAndSame) {
    CommDateMgr palm;
    CommDateMgr outlook;
    const CommDateRec same = appointment("Same");
    const CommDateRec changed = appointment("Changed");
    const CommDateRec palmOnly = appointment("Palm only");
    palm.AddCopy(&same);
    palm.AddCopy(&changed);
    palm.AddCopy(&palmOnly);
    outlook.AddCopy(&same);
    const CommDateRec changedThere = appointment("Changed", "moved");
    outlook.AddCopy(&changedThere);
    ASSERT_TRUE(palm.CompareWith(&outlook));
    EXPECT_EQ(palm.GetAt(0)->CompareStatus, 0);
    EXPECT_EQ(palm.GetAt(1)->CompareStatus, 2);
    EXPECT_EQ(palm.GetAt(2)->CompareStatus, 1);
    EXPECT_FALSE(palm.CompareWith(nullptr));
}

TEST(CommDateMgr, MergeKeepsStoredTextsForEmptyOnesAndTakesTimesAndPattern) {
    CommDateMgr list;
    CommDateRec stored = appointment("Dentist", "bring the card");
    stored.Duration = 90;
    stored.SourceType = 3; // Outlook
    stored.CreationTime = 38000.5;
    list.AddCopy(&stored);
    CommDateRec incoming{};
    incoming.StartDateTime = test::systemTime(2005, 1, 2, 8, 0);
    incoming.EndDateTime = test::systemTime(2005, 1, 2, 8, 45);
    incoming.Repeat.RepeatType = kCommRepeatYearlyByDate;
    incoming.Repeat.RepeatFrequency = 1;
    incoming.Repeat.RepeatDayOfMonth = 2;
    incoming.Repeat.RepeatMonth = 1;
    incoming.Repeat.RepeatHasEnd = 1;
    incoming.Repeat.RepeatEnd = test::systemTime(2010, 1, 2);
    incoming.Private = 1;
    incoming.Duration = 45;
    ASSERT_TRUE(list.MergeAt(&incoming, 0));
    const CommDateRec& merged = *list.GetAt(0);
    EXPECT_STREQ(merged.Description, "Dentist");
    EXPECT_STREQ(merged.Note, "bring the card");
    EXPECT_STREQ(merged.Location, "Building 2");
    EXPECT_EQ(merged.StartDateTime.wYear, 2005);
    EXPECT_EQ(merged.EndDateTime.wMinute, 45);
    EXPECT_EQ(0, std::memcmp(&merged.Repeat, &incoming.Repeat, sizeof merged.Repeat))
        << "the pattern is taken whole, its days mask cleared too";
    EXPECT_EQ(merged.Alarm, 0);
    EXPECT_EQ(merged.Private, 1);
    EXPECT_EQ(merged.Duration, 90);
    EXPECT_EQ(merged.SourceType, 3);
    EXPECT_EQ(merged.CreationTime, 38000.5);
    EXPECT_FALSE(list.MergeAt(&incoming, 1));
    EXPECT_FALSE(list.MergeAt(nullptr, 0));
}

TEST(CommDateFields, DescriptorTableAndTexts) {
    CommDateRec rec = appointment("Review");
    rec.StartDateTime = test::systemTime(2004, 3, 5, 14, 7, 9);
    rec.EndDateTime = test::systemTime(2004, 3, 6, 1, 2, 3);
    rec.AllDayEvent = 0;
    rec.Private = 1;
    copyToField(rec.Category, "Business");
    struct Case {
        std::uint32_t id;
        const char* name;
        std::uint32_t size;
        const char* text;
    };
    const Case cases[] = {
        {1, "Description", 256, "Review"},
        {2, "Start Time", 32, "14:07:09"},
        {3, "End Time", 32, "01:02:03"},
        {4, "Start Date Time", 32, "03/05/2004 14:07:09"},
        {5, "End Date Time", 32, "03/06/2004 01:02:03"},
        {6, "Date", 32, "03/05/2004"},
        {7, "Note", 4096, "team room"},
        {8, "Private", 8, "Yes"},
        {9, "Location", 256, "Building 2"},
        {10, "Importance", 8, ""},
        {11, "Category", 32, ""},
        {12, "Alarm", 8, "Yes"},
        {13, "All Day Event", 8, "No"},
    };
    static_assert(std::size(cases) == kDateFieldDescRows);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DateFieldDesc desc{};
        ASSERT_TRUE(FindFieldDesc(c.id, &desc));
        EXPECT_EQ(desc.nId, c.id);
        EXPECT_STREQ(desc.szName, c.name);
        EXPECT_EQ(desc.nSize, c.size);
        EXPECT_EQ(textOf(rec, c.id), c.text);
    }
    DateFieldDesc desc{};
    EXPECT_FALSE(FindFieldDesc(0, &desc));
    EXPECT_FALSE(FindFieldDesc(14, &desc));
    EXPECT_EQ(textOf(rec, 99), "");

    char small[6];
    desc.nId = 4;
    EXPECT_TRUE(GetFieldText(&rec, &desc, small, sizeof small));
    EXPECT_STREQ(small, "03/05") << "cut to the buffer";
}

TEST(CommDateFields, TableListsTheRepeatPatternAsTopLevelMembers) {
    std::vector<std::string> names;
    for (const CommField& field : DateFieldLayoutTable()) {
        if (field.kind != FieldType::None) {
            names.emplace_back(field.name);
        }
    }
    const std::vector<std::string> expected = {
        "Description", "AllDayEvent",      "StartDateTime", "EndDateTime",
        "Alarm",       "Duration",         "Note",          "Location",
        "RepeatType",  "RepeatHasEnd",     "RepeatEnd",     "RepeatFrequency",
        "RepeatDays",  "RepeatDayOfMonth", "RepeatMonth",   "RepeatWeek",
        "Private",     "Category",         "CreationTime",  "LastModificationTime",
        "SourceType",  "CompareStatus",    "SourceRecordId"};
    EXPECT_EQ(names, expected);
}

} // namespace
} // namespace twinleaf

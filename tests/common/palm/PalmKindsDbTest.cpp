// Desktop 6 calendar, to-dos and memos: their rows through the facades and back.
#include "common/palm/PalmKindsDb.h"

#include "common/palm/PalmDateInfo.h"
#include "common/palm/PalmMemoInfo.h"
#include "common/palm/PalmTodoInfo.h"
#include "platform/text/FieldText.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

using test::TempDir;

std::string query(const std::filesystem::path& file, const std::string& sql) {
    return test::sqliteRows(file, sql);
}

template <class Util> std::filesystem::path make(const TempDir& dir, const std::string& rows) {
    const auto file = dir.path() / "data.mdb";
    Util layout;
    std::string error;
    EXPECT_TRUE(CreateEx2Database(file.string(), layout.Columns(), error)) << error;
    EXPECT_EQ(query(file, rows), "");
    return file;
}

// A copy of listed record n as the sync hands one over: no Native block of the list's.
template <class Rec> Rec detached(const Rec* listed) {
    Rec rec = *listed;
    rec.Native = nullptr;
    rec.NativeSize = 0;
    return rec;
}

TEST(PmDateEx2, EventsReadFlagsAndKeepTheirRowWhenTimeAndSummaryChange) {
    TempDir dir;
    const auto file = make<PmDateEx2Util>(
        dir, "INSERT INTO Main ([Record ID], [Status], [Placement], [Private], [Summary], "
             "[Start Time], [End Time], [Untimed], [Repeated Event]) VALUES "
             "(8, 0, 3, -1, 'Dentist', 1700000000, 1700003600, -1, 'weekly on Mon')");
    PmDateInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    ASSERT_EQ(info.GetCommMgr()->GetCount(), 1U);
    CommDateRec rec = detached(info.GetCommMgr()->GetAt(0));
    EXPECT_EQ(rec.AllDayEvent, 1);
    EXPECT_EQ(rec.Private, 1);
    EXPECT_EQ(rec.Repeat.RepeatType, 0); // the row's own repeat text is not read
    copyToField(rec.Description, "Dentist (moved)");
    rec.StartDateTime.wHour = static_cast<win::WORD>((rec.StartDateTime.wHour + 1) % 24);
    ASSERT_TRUE(info.UpdateRecord(&rec, 0));
    ASSERT_TRUE(info.Save()) << info.GetLastError();
    EXPECT_EQ(query(file, "SELECT count(*), [Record ID], [Status], [Summary], "
                          "[Start Time] != 1700000000, [Repeated Event] FROM Main"),
              "1|8|2|Dentist (moved)|1|weekly on Mon;");
}

// The database has no place for a repeat: an event written with one is reported, and what it
// reads back as (no repeat) is what the pair is compared as, so it is not offered again and again.
TEST(PmDateEx2, RepeatIsReportedAsNotHeldAndComparedAsStored) {
    TempDir dir;
    const auto file = make<PmDateEx2Util>(dir, "SELECT 1 WHERE 0");
    PmDateInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    CommDateRec weekly{};
    copyToField(weekly.Description, "Choir");
    weekly.StartDateTime = {2026, 3, 0, 4, 19, 0, 0, 0};
    weekly.EndDateTime = {2026, 3, 0, 4, 21, 0, 0, 0};
    weekly.Repeat.RepeatType = kCommRepeatWeekly;
    weekly.Repeat.RepeatFrequency = 1;
    weekly.Repeat.RepeatDays = 0x08;
    ASSERT_TRUE(info.AddRecord(&weekly));
    const std::vector<std::string> warnings = info.TakeWarnings();
    ASSERT_EQ(warnings.size(), 1U);
    EXPECT_NE(warnings[0].find("\"Choir\": repeats, which a Palm Desktop 6 date book cannot hold"),
              std::string::npos)
        << warnings[0];
    ASSERT_TRUE(info.Save()) << info.GetLastError();
    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    ASSERT_EQ(info.GetCommMgr()->GetCount(), 1U);
    EXPECT_EQ(info.GetCommMgr()->GetAt(0)->Repeat.RepeatType, kCommRepeatNone);

    CommDateMgr outlook;
    weekly.SourceType = kSourceOutlook;
    outlook.AddCopy(&weekly);
    outlook.SetHeldAs(info.GetCommMgr()->GetHeldAs());
    CommDateRec* match = nullptr;
    EXPECT_EQ(outlook.FindMatch(info.GetCommMgr()->GetAt(0), &match), kMatchSame);
}

TEST(PmTodoEx2, ToDosReadFlagsAndOnlyRealChangesAreWritten) {
    TempDir dir;
    const auto file = make<PmTodoEx2Util>(
        dir, "INSERT INTO Main ([Record ID], [Status], [Private], [Description], [Due Date], "
             "[Completed], [Priority], [Alarm Set], [Complete Date]) VALUES "
             "(4, 0, -1, 'Taxes', 1700000000, -1, 5, 1, 5)");
    PmTodoEx2Util todos(file.string());
    ASSERT_TRUE(todos.IsValid());
    PmTodoEx2Rec row = *todos.GetList()->At(0);
    EXPECT_STREQ(row.DueDateText, "1700000000");
    row.CompleteDate = 99; // not a change worth a write
    ASSERT_TRUE(todos.StoreRecord(row));
    EXPECT_EQ(query(file, "SELECT [Complete Date] FROM Main"), "5;");

    PmTodoInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str()));
    CommTaskRec rec = detached(info.GetCommMgr()->GetAt(0));
    EXPECT_EQ(rec.Completed, 1);
    EXPECT_EQ(rec.Private, 1);
    EXPECT_EQ(rec.Sensitivity, 2);
    EXPECT_EQ(rec.Alarm, 1);
    EXPECT_EQ(rec.Priority, kTaskLow);
    copyToField(rec.Subject, "Taxes 2026");
    rec.DueDate += 86400;
    rec.Completed = 0;
    ASSERT_TRUE(info.UpdateRecord(&rec, 0));
    ASSERT_TRUE(info.Save());
    EXPECT_EQ(query(file, "SELECT [Record ID], [Description], [Due Date] - 1700000000, "
                          "[Completed], [Private] FROM Main"),
              "4|Taxes 2026|86400|0|-1;");
}

TEST(PmMemoEx2, LongMemosAreCutOnReadingAndStillFoundWhenChanged) {
    TempDir dir;
    const std::string longText(9000, 'm');
    const auto file = make<PmMemoEx2Util>(
        dir, "INSERT INTO Main ([Record ID], [Status], [Private], [Category], [Note]) VALUES "
             "(6, 0, 1, '3', '" +
                 longText + "')");
    PmMemoInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    CommNoteRec rec = detached(info.GetCommMgr()->GetAt(0));
    EXPECT_EQ(fieldText(rec.Note).size(), 8191U);
    EXPECT_EQ(fieldText(rec.Subject).size(), 255U);
    // A note from Outlook carries no privacy; the memo stays private.
    rec.SourceType = kSourceOutlook;
    rec.Private = 0;
    copyToField(rec.Note, "Shopping\r\nmilk, O'Brien's tea");
    ASSERT_TRUE(info.UpdateRecord(&rec, 0));
    ASSERT_TRUE(info.Save());
    EXPECT_EQ(query(file, "SELECT [Record ID], [Private], [Category], [Note] FROM Main"),
              "6|1|3|Shopping\r\nmilk, O'Brien's tea;");
}

} // namespace
} // namespace twinleaf

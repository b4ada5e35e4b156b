#include "common/palm/PalmDate.h"

#include "common/palm/PalmFileBuilder.h"
#include "platform/files/AtomicFile.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::DateRowFields;
using test::le16;
using test::le32;
using test::readBytes;
using test::repeatField;
using test::TempDir;
using test::writeBytes;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string savedBytes(PmDateUtil& file) {
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(file.SaveToBytes(out)) << file.GetLastError();
    return {out.begin(), out.end()};
}

// A record as a new row of the file; the alarm values and duration are those dateRow writes.
PmDateRec newRecord(std::int32_t id, const char* description, const RepeatValue& repeat) {
    PmDateRec rec{};
    rec.RecordId = rec.Position = id;
    rec.StartTime = 1000;
    rec.EndTime = 2000;
    copyToField(rec.Description, description);
    rec.Duration = 60;
    rec.AlarmAdvanceUnits = 5;
    rec.AlarmAdvanceType = 1;
    rec.Repeat = repeat;
    return rec;
}

DateRowFields rowOf(std::int32_t id, const char* description, std::string repeat) {
    DateRowFields row;
    row.id = id;
    row.start = 1000;
    row.end = 2000;
    row.description = description;
    row.repeat = std::move(repeat);
    return row;
}

// Every repeat type as the writer puts it in a new row, and as the reader gets it back.
TEST(PmDateUtil, WritesEveryRepeatKindWithItsClassEntryAndReadsItBack) {
    const std::int32_t end = palm::kRepeatNoEnd;
    struct Case {
        const char* name;
        RepeatValue value;
        std::string expected;
    };
    const Case cases[] = {
        {"none", RepeatValue{}, le32(8) + le16(0) + le16(0)},
        {"daily", RepeatValue{1, 2, end, 0, 3, 0, 0, 0, 0},
         le32(8) + le16(0) + le16(0xFFFF) + le16(1) + le16(8) + "CDayName" + le32(1) + le32(2) +
             le32(end) + le32(0) + le32(3)},
        {"weekly", RepeatValue{2, 1, end, 1, 1, 0x0A, 0, 0, 0},
         le32(8) + le16(0) + le16(0xFFFF) + le16(1) + le16(7) + "CWeekly" + le32(2) + le32(1) +
             le32(end) + le32(1) + le32(1) + "\x0A"},
        {"monthly by day", RepeatValue{3, 1, 1200000000, 0, 2, 0, 4, 0, 0},
         repeatField(3, le32(3) + le32(1) + le32(1200000000) + le32(0) + le32(2) + le32(4))},
        {"monthly by date", RepeatValue{4, 3, end, 0, 0, 0, 0, 0, 17},
         repeatField(4, le32(4) + le32(3) + le32(end) + le32(0) + le32(17))},
        {"yearly by date", RepeatValue{5, 1, end, 0, 0, 0, 0, 11, 24},
         repeatField(5, le32(5) + le32(1) + le32(end) + le32(0) + le32(24) + le32(11))},
        {"yearly by day carries no words of its own", RepeatValue{6, 1, end, 0, 0, 0, 0, 0, 0},
         repeatField(6, le32(6) + le32(1) + le32(end) + le32(0))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PmDateUtil file;
        ASSERT_TRUE(file.LoadBytes(bytesOf(test::dateFile({})), "datebook.dat"));
        const PmDateRec rec = newRecord(7, "Yoga", c.value);
        ASSERT_TRUE(file.GetRecords()->Add(&rec));
        const std::string saved = savedBytes(file);
        EXPECT_SAME_BYTES(test::dateFile({rowOf(7, "Yoga", c.expected)}), saved);

        PmDateUtil back;
        ASSERT_TRUE(back.LoadBytes(bytesOf(saved), "datebook.dat")) << back.GetLastError();
        ASSERT_EQ(back.GetRecords()->Count(), 1u);
        const RepeatValue& read = back.GetRecords()->At(0)->Repeat;
        EXPECT_EQ(read.RepeatType, c.value.RepeatType);
        EXPECT_EQ(read.Interval, c.value.Interval);
        EXPECT_EQ(read.EndDate, c.value.EndDate);
        EXPECT_EQ(read.DayIndex, c.value.DayIndex);
        EXPECT_EQ(read.DaysMask, c.value.DaysMask);
        EXPECT_EQ(read.WeekIndex, c.value.WeekIndex);
        EXPECT_EQ(read.MonthIndex, c.value.MonthIndex);
        EXPECT_EQ(read.DateNumber, c.value.DateNumber);
    }

    PmDateUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(test::dateFile({})), "datebook.dat"));
    const PmDateRec unknown = newRecord(7, "Odd", RepeatValue{7, 1, end, 0, 0, 0, 0, 0, 0});
    file.GetRecords()->Add(&unknown);
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(file.SaveToBytes(out));
    EXPECT_NE(file.GetLastError().find("repeat type 7"), std::string::npos) << file.GetLastError();
}

// A file as Palm Desktop writes it: the second weekly repeat refers back to the first one's class,
// rows carry exception dates, a text runs past the record's slot, and rows without start or end
// and deleted rows are kept.
const std::string kWeeklyWords =
    le32(2) + le32(1) + le32(palm::kRepeatNoEnd) + le32(0) + le32(1) + "\x0A";

std::vector<DateRowFields> palmDesktopRows() {
    DateRowFields first = rowOf(1, "Standup", repeatField(2, kWeeklyWords, {5000}));
    DateRowFields second = rowOf(2, "Gym", repeatField(2, kWeeklyWords, {6000, 7000}, 0x8001));
    second.note = std::string(600, 'n');
    DateRowFields timeless = rowOf(3, "never shown", repeatField(0, ""));
    timeless.start = -1;
    DateRowFields deleted =
        rowOf(4, "deleted",
              repeatField(4, le32(4) + le32(1) + le32(palm::kRepeatNoEnd) + le32(0) + le32(9)));
    deleted.status = palm::kStatusDeleted;
    return {first, second, timeless, deleted};
}

TEST(PmDateUtil, ReadsBackReferencesAndKeepsEveryRowOfTheFile) {
    PmDateUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(test::dateFile(palmDesktopRows())), "datebook.dat"))
        << file.GetLastError();
    ASSERT_EQ(file.GetLoadResult(), LoadResult::Complete) << file.GetLastError();
    PmDateDataMgr& records = *file.GetRecords();
    ASSERT_EQ(records.Count(), 4u);
    const RepeatValue& byReference = records.At(1)->Repeat;
    EXPECT_EQ(byReference.RepeatType, 2);
    EXPECT_EQ(byReference.DaysMask, 0x0A);
    EXPECT_EQ(byReference.EndDate, palm::kRepeatNoEnd);
    EXPECT_EQ(std::string(records.At(1)->Note), std::string(511, 'n'));
    EXPECT_EQ(records.At(2)->StartTime, -1);
    EXPECT_EQ(records.At(3)->Repeat.DateNumber, 9);
}

TEST(PmDateUtil, UnchangedRowsGoBackAsReadAndAChangedRowNeverLeavesAReferenceBehind) {
    const std::vector<DateRowFields> rows = palmDesktopRows();
    PmDateUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(test::dateFile(rows)), "datebook.dat"));
    copyToField(file.GetRecords()->At(0)->Description, "Daily standup");

    // The first row changes; the second keeps its note whole and its exception dates, but its
    // reference becomes a class entry of its own, which no earlier change can redirect.
    std::vector<DateRowFields> expected = rows;
    expected[0].description = "Daily standup";
    expected[1].repeat = repeatField(2, kWeeklyWords, {6000, 7000});
    EXPECT_SAME_BYTES(test::dateFile(expected), savedBytes(file));

    file.GetRecords()->At(1)->Repeat.Interval = 2;
    expected[1].repeat = repeatField(
        2, le32(2) + le32(2) + le32(palm::kRepeatNoEnd) + le32(0) + le32(1) + "\x0A", {6000, 7000});
    EXPECT_SAME_BYTES(test::dateFile(expected), savedBytes(file))
        << "a changed repeat keeps its exception dates";
}

TEST(PmDateUtil, SaveInPlaceWritesTheLoadedFileAndLeavesItAloneWhenNothingChanged) {
    TempDir dir;
    const auto path = dir.path() / "datebook.dat";
    const std::string original = test::dateFile(palmDesktopRows());
    writeBytes(path, original);
    const auto written = std::filesystem::last_write_time(path) - std::chrono::hours(1);
    std::filesystem::last_write_time(path, written);

    PmDateUtil file(path.c_str());
    ASSERT_TRUE(file.IsLoaded()) << file.GetLastError();
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    EXPECT_SAME_BYTES(original, readBytes(path));
    EXPECT_EQ(std::filesystem::last_write_time(path), written);
    EXPECT_FALSE(std::filesystem::exists(backupPathFor(path)));

    file.GetRecords()->At(0)->Private = 1;
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    std::vector<DateRowFields> expected = palmDesktopRows();
    expected[0].isPrivate = 1;
    expected[1].repeat = repeatField(2, kWeeklyWords, {6000, 7000});
    EXPECT_SAME_BYTES(test::dateFile(expected), readBytes(path))
        << "saved where it was loaded from, its stored Windows name kept as read";
    EXPECT_SAME_BYTES(original, readBytes(backupPathFor(path)));
}

TEST(PmDateUtil, FourByteFieldsTakeTheTagOfTheFilesTypeList) {
    DateRowFields mistagged = rowOf(1, "end tagged as a date", repeatField(0, ""));
    mistagged.endTag = 3;
    PmDateUtil file;
    ASSERT_TRUE(
        file.LoadBytes(bytesOf(test::dateFile({rowOf(2, "fine", repeatField(0, "")), mistagged})),
                       "datebook.dat"));
    EXPECT_EQ(file.GetLoadResult(), LoadResult::Partial);
    EXPECT_EQ(file.GetRecords()->Count(), 1u);
    EXPECT_NE(file.GetLastError().find("record 2"), std::string::npos) << file.GetLastError();
    EXPECT_NE(file.GetLastError().find("tag 3 where the file's type list gives 1"),
              std::string::npos)
        << file.GetLastError();

    // A file that lists the end time as a date has it written as one.
    std::vector<std::int16_t> types = test::dateTypes();
    types[4] = 3;
    const std::string header = test::dateHeader("C:\\Palm\\datebook.dat", types);
    PmDateUtil listsDates;
    ASSERT_TRUE(listsDates.LoadBytes(bytesOf(header + le32(0)), "datebook.dat"));
    const PmDateRec rec = newRecord(5, "Lunch", RepeatValue{});
    listsDates.GetRecords()->Add(&rec);
    DateRowFields row = rowOf(5, "Lunch", repeatField(0, ""));
    row.endTag = 3;
    EXPECT_SAME_BYTES(header + le32(15) + test::dateRow(row), savedBytes(listsDates));
}

// Every kind of repeat with its own class entry, exception dates, a long note: what the program
// reads it writes back byte for byte, and every shorter piece of it is reported, never taken whole.
TEST(PmDateUtil, WritesAFileBackByteForByteAndReportsEveryPrefixOfIt) {
    const std::int32_t end = palm::kRepeatNoEnd;
    std::vector<DateRowFields> rows = {
        rowOf(1, "daily", repeatField(1, le32(1) + le32(1) + le32(end) + le32(0) + le32(0x7F))),
        rowOf(2, "weekly", repeatField(2, kWeeklyWords, {5000, 6000})),
        rowOf(3, "monthly by day",
              repeatField(3, le32(3) + le32(1) + le32(end) + le32(0) + le32(2) + le32(4))),
        rowOf(4, "monthly by date",
              repeatField(4, le32(4) + le32(1) + le32(end) + le32(0) + le32(17))),
        rowOf(5, "yearly by date",
              repeatField(5, le32(5) + le32(1) + le32(end) + le32(0) + le32(24) + le32(11))),
        rowOf(6, "yearly by day", repeatField(6, le32(6) + le32(1) + le32(end) + le32(0))),
    };
    rows[0].note = std::string(700, 'x');
    const std::string original = test::dateFile(rows);
    PmDateUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(original), "datebook.dat"));
    ASSERT_EQ(file.GetLoadResult(), LoadResult::Complete) << file.GetLastError();
    EXPECT_EQ(file.GetRecords()->Count(), 6u);
    EXPECT_SAME_BYTES(original, savedBytes(file));

    for (std::size_t size = 0; size < original.size(); ++size) {
        PmDateUtil cut;
        cut.LoadBytes(bytesOf(original.substr(0, size)), "datebook.dat");
        ASSERT_NE(cut.GetLoadResult(), LoadResult::Complete) << "taken whole at " << size;
        ASSERT_FALSE(cut.GetLastError().empty()) << size;
    }
}

TEST(PmDateUtil, RefusesAnotherKindOfFile) {
    PmDateUtil file;
    std::string todo = test::dateFile({});
    todo[2] = 'D';
    todo[3] = 'T';
    EXPECT_FALSE(file.LoadBytes(bytesOf(todo), "todo.dat"));
    EXPECT_EQ(file.GetLoadResult(), LoadResult::NotThisFormat);
}

win::SYSTEMTIME at(int year, int month, int day, int hour, int minute) {
    win::SYSTEMTIME when{};
    when.wYear = static_cast<win::WORD>(year);
    when.wMonth = static_cast<win::WORD>(month);
    when.wDay = static_cast<win::WORD>(day);
    when.wHour = static_cast<win::WORD>(hour);
    when.wMinute = static_cast<win::WORD>(minute);
    when.wDayOfWeek = 3;      // ignored
    when.wMilliseconds = 999; // ignored
    return when;
}

// The tests run in Europe/Berlin: daylight saving began on 28 March 2021 at 02:00 and ended on
// 31 October 2021 at 03:00.
TEST(PmTime, ConvertsLocalTimeAcrossDaylightSavingChanges) {
    struct Case {
        const char* name;
        win::SYSTEMTIME local;
        std::int32_t value;
        int hourBack; // the hour ToSystemTime gives back
    };
    const Case cases[] = {
        {"winter", at(2021, 1, 15, 9, 30), 1610699400, 9},
        {"summer", at(2021, 7, 15, 9, 30), 1626334200, 9},
        {"the skipped hour is read with the offset before it", at(2021, 3, 28, 2, 30), 1616895000,
         3},
        {"the repeated hour is its first occurrence", at(2021, 10, 31, 2, 30), 1635640200, 2},
        {"the no-end date", at(2031, 12, 31, 16, 59), palm::kRepeatNoEnd - 59, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PmTime time(1);
        ASSERT_TRUE(time.FromSystemTime(&c.local));
        EXPECT_EQ(time.GetValue(), c.value);
        win::SYSTEMTIME back{};
        ASSERT_TRUE(time.ToSystemTime(&back));
        EXPECT_EQ(back.wHour, c.hourBack);
        EXPECT_EQ(back.wMinute, c.local.wMinute);
        EXPECT_EQ(back.wDay, c.local.wDay);
        EXPECT_EQ(back.wDayOfWeek, 0);
        EXPECT_EQ(back.wMilliseconds, 0);
    }

    PmTime time(1234);
    EXPECT_FALSE(time.FromSystemTime(nullptr));
    const win::SYSTEMTIME tooLate = at(2040, 1, 1, 0, 0);
    EXPECT_FALSE(time.FromSystemTime(&tooLate));
    EXPECT_EQ(time.GetValue(), 1234) << "left as it was";
    EXPECT_FALSE(time.ToSystemTime(nullptr));
    win::SYSTEMTIME untouched = at(2000, 1, 1, 0, 0);
    EXPECT_FALSE(PmTime(-1).ToSystemTime(&untouched));
    EXPECT_EQ(untouched.wYear, 2000);

    const auto now = static_cast<std::int32_t>(std::time(nullptr));
    EXPECT_NEAR(PmTime(0).GetValue(), now, 5) << "0 takes the current time";
}

} // namespace
} // namespace twinleaf

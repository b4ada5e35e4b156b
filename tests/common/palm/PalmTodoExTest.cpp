#include "common/palm/PalmTodoEx.h"

#include "common/palm/PalmExtendedBuilder.h"
#include "common/palm/PalmTodoInfo.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::le32;
using test::readBytes;
using test::TempDir;
using test::todoEx;
using test::todoExFile;
using test::TodoExRow;
using test::writeBytes;

std::vector<TodoExRow> mixedRows() {
    TodoExRow milk = todoEx(1, 0x1000, "Buy milk");
    milk.due = 1276603200;
    milk.note = "two litres";
    milk.alarm = 1;
    TodoExRow changed = todoEx(3, 0x1002, "Changed one", 0x02);
    changed.priority = 5;
    changed.prefix.isPrivate = 1;
    changed.repeat = test::repeatField(4, le32(4) + le32(1) + le32(0) + le32(0) + le32(13), {7});
    TodoExRow bob = todoEx(5, 0x1009, "Call Bob");
    bob.priority = 2;
    return {milk, todoEx(2, 0x1001, "Deleted one", 0x04), changed,
            todoEx(4, 0x1003, "Archived one", 0x80), bob};
}

class PmTodoInfoOnExtendedFile : public testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(), todoExFile(mixedRows(), 0x1100));
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
    }
    std::filesystem::path path() const { return m_dir.path() / "todo.dat"; }
    CommTaskRec* common(std::uint32_t index) { return m_info.GetCommMgr()->GetAt(index); }
    PmTodoExRec* palmRow(std::uint32_t index) {
        return m_info.GetExtended()->GetRecords()->At(index);
    }

    TempDir m_dir;
    PmTodoInfo m_info;
};

TEST_F(PmTodoInfoOnExtendedFile, ListsLiveToDosAndMapsThem) {
    EXPECT_EQ(m_info.GetFormat(), PalmFormat::Extended);
    EXPECT_EQ(m_info.GetLoadedPath(), path().string());
    EXPECT_EQ(m_info.GetExtended()->GetRecords()->Count(), 5u);
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 3u);
    const CommTaskRec& milk = *common(0);
    EXPECT_STREQ(milk.Subject, "Buy milk");
    EXPECT_STREQ(milk.Note, "two litres");
    EXPECT_EQ(milk.DueDate, 1276603200);
    EXPECT_EQ(milk.Priority, kTaskHigh);
    EXPECT_EQ(milk.Alarm, 1);
    EXPECT_EQ(milk.ReminderSet, 1);
    EXPECT_EQ(milk.SourceType, kSourcePalmExtended);
    EXPECT_EQ(milk.SourceRecordId, 1u);
    const CommTaskRec& changed = *common(1);
    EXPECT_EQ(changed.CompareStatus, 0x02);
    EXPECT_EQ(changed.DueDate, 0);
    EXPECT_EQ(changed.Alarm, 0);
    EXPECT_EQ(changed.Priority, kTaskLow);
    EXPECT_EQ(changed.Sensitivity, 2);
    EXPECT_EQ(common(2)->Priority, kTaskNormal);
    EXPECT_EQ(PmTodoInfo::DetectFileFormat(path().c_str()), PalmFormat::Extended);
}

TEST_F(PmTodoInfoOnExtendedFile, SaveWithoutChangeGivesTheFileBack) {
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
    EXPECT_EQ(readBytes(path()), todoExFile(mixedRows(), 0x1100));
}

TEST_F(PmTodoInfoOnExtendedFile, UpdatesTheRowItCameFromAndAddsNewRows) {
    CommTaskRec rec = *common(1);
    copyToField(rec.Subject, std::string(300, 's')); // held as 254 characters
    rec.Alarm = 1;
    EXPECT_TRUE(m_info.UpdateRecord(&rec, 1));
    const PmTodoExRec& row = *palmRow(2);
    EXPECT_EQ(std::string(row.Description), std::string(254, 's'));
    EXPECT_EQ(row.Flag20, 1);
    EXPECT_EQ(row.Status, 0x02);

    CommTaskRec fresh{};
    copyToField(fresh.Subject, "Renew passport");
    EXPECT_TRUE(m_info.WriteRecord(&fresh));
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();

    PmTodoInfo reread;
    ASSERT_TRUE(reread.OpenPath(path().c_str())) << reread.GetLastError();
    PmTodoExDataMgr& rows = *reread.GetExtended()->GetRecords();
    ASSERT_EQ(rows.Count(), 6u);
    EXPECT_STREQ(rows.At(1)->Description, "Deleted one");
    // The changed row keeps its repeat, exception date included.
    EXPECT_EQ(rows.At(2)->Repeat.RepeatType, palm::kRepeatMonthlyByDate);
    EXPECT_NE(readBytes(path()).find(test::le16(1) + le32(7)), std::string::npos);
    const PmTodoExRec& added = *rows.At(5);
    EXPECT_STREQ(added.Description, "Renew passport");
    EXPECT_EQ(added.Status, palm::kStatusAdded);
    EXPECT_EQ(added.RecordId, 0);
    EXPECT_EQ(added.SequenceNo, 0x1100); // the counter, above every row's number
    EXPECT_EQ(added.EntryIndex, 5 * 25);
    EXPECT_EQ(added.Position, palm::kNewRecordPosition);
    EXPECT_EQ(added.DueDate, palm::kTodoNoDueDate);
    EXPECT_EQ(added.Blob3.Word0, 66);
    EXPECT_EQ(reread.GetExtended()->GetHeaderCounter(), 0x1101);
    ASSERT_EQ(reread.GetCommMgr()->GetCount(), 4u);
    EXPECT_EQ(reread.GetCommMgr()->GetAt(1)->Alarm, 1);
}

// To-do files written by another program that reads and writes Palm's format.
std::filesystem::path androidToDo() {
    return std::filesystem::path(TWINLEAF_REALDATA) / "Android-ToDo";
}

TEST(PmTodoExRealData, ExtendedFilesLoadAsNamedAndSaveUnchanged) {
    if (!std::filesystem::is_directory(androidToDo())) {
        GTEST_SKIP() << "no real to-do files at " << androidToDo();
    }
    struct Case {
        const char* file;
        std::vector<const char*> subjects; // every row of the file
        std::int32_t repeatType;           // of the first row
        std::uint32_t listed;
    };
    const Case cases[] = {
        {"Palm-minimal-SGv2.dat", {"Test task"}, 0, 1},
        {"Palm-minimal-v2.dat", {"Test task"}, 0, 1}, // the body without its signature
        {"Palm-alarm-v2.dat", {"Do all the things"}, 0, 0},
        {"Palm-repeat_on_day-v2.dat", {"Every Eighth Saturday"}, palm::kRepeatDaily, 1},
        {"Palm-repeat_by_week-v2.dat", {"Every Other Day"}, palm::kRepeatWeekly, 1},
        {"Palm-repeat_monthly_on_day-v2.dat",
         {"Every Seven Months on the Last Friday"},
         palm::kRepeatMonthlyByDay,
         1},
        {"Palm-repeat_monthly_on_date-v2.dat",
         {"Every Thirteen Months on the 13th"},
         palm::kRepeatMonthlyByDate,
         1},
        {"Palm-repeat_yearly-v2.dat",
         {"Every Hundred Years on May 1"},
         palm::kRepeatYearlyByDate,
         1},
        {"Palm-todos-v2.dat",
         {"Define categories", "Change smoke detector batteries", "Sell shares of PAQB",
          "Check all pressure gauges", "Gym workout", "Leap day!", "Submit mission report"},
         0,
         7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const auto source = androidToDo() / c.file;
        PmTodoInfo info;
        ASSERT_TRUE(info.OpenPath(source.c_str())) << info.GetLastError();
        EXPECT_EQ(info.GetLastError(), "");
        EXPECT_EQ(info.GetFormat(), PalmFormat::Extended);
        PmTodoExDataMgr& rows = *info.GetExtended()->GetRecords();
        ASSERT_EQ(rows.Count(), c.subjects.size());
        for (std::uint32_t i = 0; i < rows.Count(); ++i) {
            EXPECT_STREQ(rows.At(i)->Description, c.subjects[i]);
        }
        EXPECT_EQ(rows.At(0)->Repeat.RepeatType, c.repeatType);
        EXPECT_EQ(info.GetCommMgr()->GetCount(), c.listed);
        std::vector<std::uint8_t> saved;
        ASSERT_TRUE(info.GetExtended()->SaveToBytes(saved)) << info.GetExtended()->GetLastError();
        EXPECT_SAME_BYTES(readBytes(source), std::string(saved.begin(), saved.end()));
    }
}

TEST(PmTodoExRealData, AlarmAndRepeatWordsAreRead) {
    if (!std::filesystem::is_directory(androidToDo())) {
        GTEST_SKIP() << "no real to-do files at " << androidToDo();
    }
    PmTodoExUtil alarm((androidToDo() / "Palm-alarm-v2.dat").c_str());
    ASSERT_TRUE(alarm.IsLoaded()) << alarm.GetLastError();
    const PmTodoExRec& row = *alarm.GetRecords()->At(0);
    EXPECT_EQ(row.Flag20, 1);
    EXPECT_EQ(row.Private, 1);
    EXPECT_EQ(row.Status, 0x8b); // archived: in the file, not listed
    EXPECT_EQ(std::string(row.Note).size(), 575u);

    PmTodoExUtil monthly((androidToDo() / "Palm-repeat_monthly_on_date-v2.dat").c_str());
    ASSERT_TRUE(monthly.IsLoaded()) << monthly.GetLastError();
    const RepeatValue& repeat = monthly.GetRecords()->At(0)->Repeat;
    EXPECT_EQ(repeat.Interval, 13);
    EXPECT_EQ(repeat.DateNumber, 13);
}

// Some programs put the extended signature in front of a classic body: read as the classic file
// it is, and written back with the signature in front.
TEST(PmTodoExRealData, ClassicBodyBehindTheSignatureLoadsAsClassic) {
    if (!std::filesystem::is_directory(androidToDo())) {
        GTEST_SKIP() << "no real to-do files at " << androidToDo();
    }
    const auto source = androidToDo() / "Palm-minimal-SGv1.dat";
    EXPECT_EQ(PmTodoInfo::DetectFileFormat(source.c_str()), PalmFormat::Classic);
    PmTodoInfo info;
    ASSERT_TRUE(info.OpenPath(source.c_str())) << info.GetLastError();
    EXPECT_EQ(info.GetFormat(), PalmFormat::Classic);
    ASSERT_EQ(info.GetCommMgr()->GetCount(), 1u);
    EXPECT_STREQ(info.GetCommMgr()->GetAt(0)->Subject, "Test task");
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(info.GetClassic()->SaveToBytes(saved));
    EXPECT_SAME_BYTES(readBytes(source), std::string(saved.begin(), saved.end()));

    TempDir dir;
    const auto copy = dir.path() / "todo.dat";
    writeBytes(copy, readBytes(source));
    PmTodoInfo changed;
    ASSERT_TRUE(changed.OpenPath(copy.c_str()));
    CommTaskRec rec = *changed.GetCommMgr()->GetAt(0);
    copyToField(rec.Subject, "Changed task");
    ASSERT_TRUE(changed.UpdateRecord(&rec, 0));
    ASSERT_TRUE(changed.Save()) << changed.GetLastError();
    PmTodoUtil again(copy.c_str());
    ASSERT_TRUE(again.IsLoaded()) << again.GetLastError();
    EXPECT_STREQ(again.GetRecords()->At(0)->Description, "Changed task");
    EXPECT_EQ(readBytes(copy).substr(0, 24), readBytes(source).substr(0, 24));
}

} // namespace
} // namespace twinleaf

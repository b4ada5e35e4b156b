#include "common/outlook/OlTask.h"

#include "platform/com/DispatchObject.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <ctime>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace twinleaf {
namespace {

using test::TempDir;

std::int32_t localTime(int year, int month, int day, int hour = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_isdst = -1;
    return static_cast<std::int32_t>(std::mktime(&tm));
}

CommTaskRec palmTask(const char* subject) {
    CommTaskRec rec{};
    copyToField(rec.Subject, subject);
    rec.SourceType = kSourcePalm;
    return rec;
}

class OlTaskTest : public ::testing::Test {
protected:
    void SetUp() override {
        setProgramFolderOverride(m_home.path());
        outlook::setStoreFolderOverride(m_home.path() / "Outlook");
        restart();
    }
    void TearDown() override {
        m_tasks.reset();
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_EQ(win::DispatchObject::liveObjects(), 0);
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
    }
    // A fresh object, as on the next start of the program: the store is read anew once the
    // last connection to it has closed.
    void restart() {
        m_tasks.reset();
        m_tasks = std::make_unique<OlTaskUtil>();
        ASSERT_TRUE(m_tasks->Reload());
    }
    CommTaskRec* at(std::uint32_t index) { return m_tasks->GetRecords()->GetAt(index); }
    // The one file of the tasks folder.
    std::string taskFile() {
        std::string found;
        for (const auto& entry :
             std::filesystem::directory_iterator(m_home.path() / "Outlook" / "Tasks")) {
            found = test::readBytes(entry.path());
        }
        return found;
    }

    TempDir m_home;
    outlook::ScopedStoreWarnings m_warnings;
    std::unique_ptr<OlTaskUtil> m_tasks;
};

TEST_F(OlTaskTest, WritesAndReadsBackWhatPalmGives) {
    CommTaskRec rec = palmTask("Renew passport");
    copyToField(rec.Note, "photos first\r\nthen the form");
    rec.DueDate = localTime(2027, 3, 1); // past 2020: still written
    rec.Priority = kTaskHigh;
    rec.Private = 1;
    rec.Completed = 1;
    rec.Alarm = 1;
    rec.ReminderTime = localTime(2027, 2, 28, 9);
    EXPECT_TRUE(m_tasks->SaveRecord(&rec));
    EXPECT_FALSE(m_tasks->SaveRecord(&rec)); // the same: nothing to write

    const std::string file = taskFile();
    for (const char* line : {"SUMMARY:Renew passport", "DUE;VALUE=DATE:20270301", "PRIORITY:1",
                             "CLASS:PRIVATE", "BEGIN:VALARM", "ACTION:DISPLAY"}) {
        EXPECT_NE(file.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line << "\n"
                                                                                     << file;
    }
    EXPECT_EQ(file.find("X-OUTLOOK-REMINDER"), std::string::npos) << file;

    restart();
    ASSERT_EQ(m_tasks->GetRecords()->GetCount(), 1u);
    const CommTaskRec& read = *at(0);
    EXPECT_STREQ(read.Subject, "Renew passport");
    EXPECT_STREQ(read.Note, "photos first\r\nthen the form");
    EXPECT_EQ(read.DueDate, rec.DueDate);
    EXPECT_EQ(read.Priority, kTaskHigh);
    EXPECT_EQ(read.Sensitivity, 2);
    EXPECT_EQ(read.Private, 1);
    EXPECT_EQ(read.Completed, 1);
    EXPECT_EQ(read.ReminderSet, 1);
    EXPECT_EQ(read.Alarm, 1);
    EXPECT_EQ(read.ReminderTime, rec.ReminderTime);
    EXPECT_EQ(read.SourceType, kSourceOutlook);
    EXPECT_EQ(m_tasks->GetRecords()->FindMatch(&rec), kMatchSame);
}

TEST_F(OlTaskTest, ATaskWithoutDueDateOrReminderWritesNone) {
    const CommTaskRec rec = palmTask("Someday");
    EXPECT_TRUE(m_tasks->SaveRecord(&rec));
    const std::string file = taskFile();
    EXPECT_EQ(file.find("DUE"), std::string::npos) << file;
    EXPECT_EQ(file.find("VALARM"), std::string::npos) << file;
    EXPECT_EQ(file.find("X-OUTLOOK-REMINDER"), std::string::npos) << file;
    restart();
    EXPECT_EQ(at(0)->DueDate, 0);
    EXPECT_EQ(at(0)->ReminderSet, 0);
}

TEST_F(OlTaskTest, UpdateRewritesTheItemAndKeepsWhatPalmLacks) {
    const std::filesystem::path folder = m_home.path() / "Outlook" / "Tasks";
    std::filesystem::create_directories(folder);
    test::writeBytes(folder / "foreign-1.ics",
                     "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Other//EN\r\n"
                     "BEGIN:VTODO\r\nUID:foreign-1\r\nSUMMARY:Water plants\r\n"
                     "DUE;TZID=Europe/Berlin:20260704T180000\r\n"
                     "RRULE:FREQ=WEEKLY\r\nRELATED-TO:parent-9\r\nCATEGORIES:home,garden\r\n"
                     "PRIORITY:7\r\nSTATUS:IN-PROCESS\r\nPERCENT-COMPLETE:40\r\n"
                     "BEGIN:VALARM\r\nACTION:AUDIO\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n"
                     "END:VTODO\r\nEND:VCALENDAR\r\n");
    restart();
    ASSERT_EQ(m_tasks->GetRecords()->GetCount(), 1u)
        << (m_warnings.messages().empty() ? "" : m_warnings.messages().front());
    CommTaskRec rec = *at(0);
    EXPECT_EQ(rec.Priority, kTaskLow);
    EXPECT_EQ(rec.Status, 1);
    EXPECT_EQ(rec.PercentComplete, 40);
    EXPECT_EQ(rec.IsRecurring, 1);
    EXPECT_EQ(rec.DueDate, localTime(2026, 7, 4, 18));
    EXPECT_EQ(rec.ReminderSet, 0); // an alarm of another form is not ours

    rec.Native = nullptr;
    rec.NativeSize = 0;
    copyToField(rec.Note, "twice a week in summer");
    rec.Completed = 1;
    EXPECT_TRUE(m_tasks->SaveRecord(&rec));
    EXPECT_STREQ(at(0)->Note, "twice a week in summer");
    const std::string file = test::readBytes(folder / "foreign-1.ics");
    for (const char* line : {"RRULE:FREQ=WEEKLY", "RELATED-TO:parent-9", "CATEGORIES:home,garden",
                             "TRIGGER:-PT15M", "DESCRIPTION:twice a week in summer"}) {
        EXPECT_NE(file.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line << "\n"
                                                                                     << file;
    }
    restart();
    EXPECT_EQ(at(0)->Completed, 1);
    EXPECT_EQ(at(0)->PercentComplete, 40);
}

TEST(OlTaskValues, ImportanceAndPriority) {
    EXPECT_EQ(PriorityOfImportance(2), kTaskHigh);
    EXPECT_EQ(PriorityOfImportance(0), kTaskLow);
    EXPECT_EQ(PriorityOfImportance(1), kTaskNormal);
    EXPECT_EQ(PriorityOfImportance(7), kTaskNormal);
    EXPECT_EQ(ImportanceOfPriority(kTaskHigh), 2);
    EXPECT_EQ(ImportanceOfPriority(kTaskLow), 0);
    EXPECT_EQ(ImportanceOfPriority(5), 1);
}

} // namespace
} // namespace twinleaf

#include "common/misc/CommTask.h"

#include "common/misc/CxDateTime.h"
#include "platform/text/FieldText.h"

#include <ctime>
#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

CommTaskRec task(const char* subject, const char* note = "", std::int32_t completed = 0) {
    CommTaskRec rec{};
    copyToField(rec.Subject, subject);
    copyToField(rec.Note, note);
    rec.Completed = completed;
    return rec;
}

std::string textOf(const CommTaskRec& rec, std::uint32_t id) {
    TaskFieldDesc desc{};
    desc.nId = id;
    char buffer[64] = "stale";
    EXPECT_TRUE(GetFieldText(&rec, &desc, buffer, sizeof buffer));
    return buffer;
}

std::int32_t localNoon(int year, int month, int day) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = 12;
    tm.tm_isdst = -1;
    return static_cast<std::int32_t>(std::mktime(&tm));
}

TEST(CommTaskMgr, OnlySubjectNoteAndCompletionDecide) {
    struct Case {
        const char* what;
        CommTaskRec incoming;
        int expected;
    };
    CommTaskRec laterDue = task("Call Bob", "about the offer");
    laterDue.DueDate = localNoon(2027, 3, 1);
    laterDue.Priority = kTaskHigh;
    laterDue.Private = 1;
    const Case cases[] = {
        {"same subject, note, completion; other due date, priority, privacy", laterDue, kMatchSame},
        {"completed on one side only", task("Call Bob", "about the offer", 1), kMatchDifferent},
        {"another note", task("Call Bob", "about the invoice"), kMatchDifferent},
        {"another subject", task("Call Bobby", "about the offer"), kMatchNotFound},
    };
    for (const Case& c : cases) {
        CommTaskMgr list;
        const CommTaskRec other = task("Water plants");
        list.AddCopy(&other);
        const CommTaskRec stored = task("Call Bob", "about the offer");
        list.AddCopy(&stored);
        int position = -1;
        EXPECT_EQ(list.FindMatch(&c.incoming, nullptr, &position), c.expected) << c.what;
        EXPECT_EQ(position, c.expected == kMatchNotFound ? 2 : 1) << c.what;
        EXPECT_EQ(list.FindMatchByWalking(&c.incoming), c.expected) << c.what;
    }
}

TEST(CommTaskMgr, MergeTakesPalmValuesAndKeepsTextsAndOutlookValues) {
    CommTaskMgr list;
    CommTaskRec stored = task("Report", "draft in the share");
    stored.DueDate = localNoon(2010, 6, 15);
    stored.PercentComplete = 50;
    copyToField(stored.Role, "Owner");
    list.AddCopy(&stored);
    CommTaskRec incoming = task("", "", 1);
    incoming.Priority = kTaskLow;
    ASSERT_TRUE(list.MergeAt(&incoming, 0));
    const CommTaskRec& merged = *list.GetAt(0);
    EXPECT_STREQ(merged.Subject, "Report");
    EXPECT_STREQ(merged.Note, "draft in the share");
    EXPECT_EQ(merged.DueDate, 0); // taken over even when it is 0
    EXPECT_EQ(merged.Completed, 1);
    EXPECT_EQ(merged.Priority, kTaskLow);
    EXPECT_EQ(merged.PercentComplete, 50);
    EXPECT_STREQ(merged.Role, "Owner");
    EXPECT_FALSE(list.MergeAt(&incoming, 1));
}

TEST(CommTaskRec, FieldTextsOfTheDescriptorTable) {
    TaskFieldDesc desc{};
    const std::uint32_t order[] = {0, 1, 2, 3, 4, 6, 5};
    const char* names[] = {"Subject", "Note",    "Priority", "Completed",
                           "DueDate", "Private", "Alarm"};
    for (std::size_t i = 0; i < std::size(order); ++i) {
        ASSERT_TRUE(FindFieldDesc(order[i], &desc));
        EXPECT_STREQ(desc.szName, names[i]);
    }
    EXPECT_FALSE(FindFieldDesc(7, &desc));

    CommTaskRec rec = task("Pay rent");
    const std::pair<std::int32_t, const char*> priorities[] = {
        {0, "Normal"}, {1, "High"}, {2, "Low"}, {7, "Normal"}};
    for (const auto& [priority, text] : priorities) {
        rec.Priority = priority;
        EXPECT_EQ(textOf(rec, 2), text) << priority;
    }
    EXPECT_EQ(textOf(rec, 3), "No");
    rec.Private = 1;
    EXPECT_EQ(textOf(rec, 6), "Yes");
    EXPECT_EQ(textOf(rec, 4), "N/A"); // no due date
    // A due date is shown whatever its year.
    rec.DueDate = localNoon(2027, 2, 5);
    EXPECT_EQ(textOf(rec, 4), "02/05/2027");
    rec.DueDate = localNoon(1999, 12, 31);
    EXPECT_EQ(textOf(rec, 4), "12/31/1999");
    EXPECT_EQ(textOf(rec, 0), "Pay rent");
    EXPECT_EQ(textOf(rec, 9), "");

    char small[5] = {};
    desc.nId = 0;
    GetFieldText(&rec, &desc, small, sizeof small);
    EXPECT_STREQ(small, "Pay ");
}

} // namespace
} // namespace twinleaf

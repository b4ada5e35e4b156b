#include "common/sync/KindTable.h"

#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"
#include "platform/text/FieldText.h"

#include <gtest/gtest.h>

namespace twinleaf {
namespace {

TEST(KindTable, SuccessMessagesCarryTheCountForEveryKind) {
    const std::pair<DataKind, const char*> cases[] = {
        {DataKind::Addr, "Contact information synchronized successfully. 12 records updated."},
        {DataKind::Date, "Calendar information synchronized successfully. 12 records updated."},
        {DataKind::Todo, "Task information synchronized successfully. 12 records updated."},
        {DataKind::Memo, "Memo information synchronized successfully. 12 records updated."},
    };
    for (const auto& [kind, text] : cases) {
        SCOPED_TRACE(static_cast<int>(kind));
        EXPECT_EQ(synchronizedText(kind, 12), text);
    }
}

TEST(KindTable, SaveFailureNamesTheFileWhenThereIsOne) {
    EXPECT_EQ(palmSaveFailedText(DataKind::Todo, "/home/ann/Palm/Ann/todo/todo.dat", ""),
              "The Palm Desktop task data could not be saved to "
              "\"/home/ann/Palm/Ann/todo/todo.dat\".\r\n\r\nNothing was written to this file; it "
              "still holds what it held before this synchronization.");
    EXPECT_EQ(palmSaveFailedText(DataKind::Memo, "", "disk full"),
              "The Palm Desktop memo data could not be saved.\r\n\r\nNothing was written to its "
              "file; it still holds what it held before this synchronization.\r\n\r\ndisk full");
    // Paths are UTF-8; messages are Windows-1252.
    EXPECT_NE(palmSaveFailedText(DataKind::Addr, "/home/J\xC3\xB6rg/address.dat", "")
                  .find("/home/J\xF6rg/address.dat"),
              std::string::npos);
}

// The tasks tab, the conflict alert and the command line read a task through the kind's row.
TEST(KindTable, TasksAreSyncableAndShowTheirColumns) {
    ASSERT_EQ(kindNamed("tasks"), &describeKind(DataKind::Todo));
    CommTaskRec rec{};
    copyToField(rec.Subject, "Renew passport");
    rec.Completed = 1;
    rec.Priority = kTaskLow;
    rec.CompareStatus = 2;
    EXPECT_EQ(compareStatusOf(DataKind::Todo, &rec), 2);
    std::vector<std::string> texts;
    for (const ViewColumn& column : describeKind(DataKind::Todo).columns) {
        texts.push_back(fieldText(DataKind::Todo, &rec, column.fieldId));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"Renew passport", "N/A", "Yes", "Low"}));
}

// The memos tab shows a memo's whole text in its one column.
TEST(KindTable, MemosAreSyncableAndShowTheirText) {
    ASSERT_EQ(kindNamed("memos"), &describeKind(DataKind::Memo));
    CommNoteRec rec{};
    copyToField(rec.Subject, "Shopping");
    copyToField(rec.Note, "Shopping\r\nmilk");
    rec.CompareStatus = 1;
    EXPECT_EQ(compareStatusOf(DataKind::Memo, &rec), 1);
    const auto columns = describeKind(DataKind::Memo).columns;
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(fieldText(DataKind::Memo, &rec, columns[0].fieldId), "Shopping\r\nmilk");
}

} // namespace
} // namespace twinleaf

#include "common/palm/PalmTodo.h"

#include "common/palm/PalmFileBuilder.h"
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

using test::intField;
using test::le32;
using test::readBytes;
using test::TempDir;
using test::textField;
using test::writeBytes;

struct TodoRow {
    std::int32_t id;
    std::int32_t status = 0;
    std::string description;
    std::int32_t due = palm::kTodoNoDueDate;
    std::int32_t completed = 0;
    std::int32_t priority = 3;
    std::int32_t isPrivate = 0;
    std::string note;
};

TodoRow todo(std::int32_t id, std::int32_t status, std::string description,
             std::int32_t due = palm::kTodoNoDueDate, std::int32_t completed = 0,
             std::int32_t priority = 3, std::int32_t isPrivate = 0, std::string note = "") {
    return TodoRow{id,       status,    std::move(description), due, completed,
                   priority, isPrivate, std::move(note)};
}

std::string todoRow(const TodoRow& r) {
    return intField(r.id) + intField(r.status) + intField(r.id) + textField(r.description) +
           intField(r.due, 3) + intField(r.completed, 6) + intField(r.priority) +
           intField(r.isPrivate, 6) + intField(0) + textField(r.note);
}

std::string todoFile(const std::vector<TodoRow>& rows, std::string tag = "\x00\x01\x44\x54") {
    std::string out = tag.size() == 4 ? tag : std::string("\x00\x01\x44\x54", 4);
    out += test::cstring("C:\\Palm\\todo.dat") + test::cstring("table") +
           test::categoryBlock({{1, 1, "Business", "Business"}}) +
           test::schema(10, {1, 1, 1, 5, 3, 6, 1, 6, 1, 5}, 44);
    out += le32(static_cast<std::int32_t>(rows.size() * 10));
    for (const TodoRow& r : rows) {
        out += todoRow(r);
    }
    return out;
}

const std::vector<TodoRow>& mixedRows() {
    static const std::vector<TodoRow> rows = {
        todo(1, 0, "Buy milk", 1276603200, 0, 1, 0, "two litres"),
        todo(2, 0x04, "Deleted one"),
        todo(3, 0x02, "Changed one", palm::kTodoNoDueDate, 1, 5, 1, ""),
        todo(4, 0x80, "Archived one"),
        todo(5, 0, "Call Bob", 1801396800, 0, 2, 0, ""), // due in 2027
    };
    return rows;
}

class PmTodoInfoOnFile : public testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(), todoFile(mixedRows()));
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
    }
    std::filesystem::path path() const { return m_dir.path() / "todo.dat"; }
    CommTaskRec* common(std::uint32_t index) { return m_info.GetCommMgr()->GetAt(index); }
    PmTodoRec* palmRow(std::uint32_t index) { return m_info.GetClassic()->GetRecords()->At(index); }

    TempDir m_dir;
    PmTodoInfo m_info;
};

TEST_F(PmTodoInfoOnFile, ListsLiveToDosAndMapsThem) {
    EXPECT_EQ(m_info.GetFormat(), PalmFormat::Classic);
    EXPECT_EQ(m_info.GetClassic()->GetRecords()->Count(), 5u); // the file keeps every row
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 3u);
    const CommTaskRec& milk = *common(0);
    EXPECT_STREQ(milk.Subject, "Buy milk");
    EXPECT_STREQ(milk.Note, "two litres");
    EXPECT_EQ(milk.Priority, kTaskHigh);
    EXPECT_EQ(milk.DueDate, 1276603200);
    EXPECT_EQ(milk.Alarm, 0);
    EXPECT_EQ(milk.SourceType, kSourcePalm);
    EXPECT_EQ(milk.SourceRecordId, 1u);
    const CommTaskRec& changed = *common(1);
    EXPECT_EQ(changed.CompareStatus, 0x02); // the status word, before any comparison
    EXPECT_EQ(changed.DueDate, 0);          // Palm's "no due date"
    EXPECT_EQ(changed.Completed, 1);
    EXPECT_EQ(changed.Priority, kTaskLow);
    EXPECT_EQ(changed.Private, 1);
    EXPECT_EQ(changed.Sensitivity, 2);
    EXPECT_EQ(common(2)->Priority, kTaskNormal); // Palm priority 2
}

TEST_F(PmTodoInfoOnFile, SaveWithoutChangeGivesTheFileBack) {
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
    EXPECT_EQ(readBytes(path()), todoFile(mixedRows()));
}

TEST_F(PmTodoInfoOnFile, UpdatesTheRowItCameFromAndKeepsHiddenRows) {
    CommTaskRec rec = *common(2);
    copyToField(rec.Note, "before Friday");
    rec.Priority = kTaskLow;
    rec.DueDate = 0;
    rec.Sensitivity = 2; // private in Outlook, whatever Private says
    rec.Private = 0;
    EXPECT_TRUE(m_info.WriteRecord(&rec));
    EXPECT_FALSE(m_info.WriteRecord(&rec)); // now the same
    const PmTodoRec& row = *palmRow(4);
    EXPECT_STREQ(row.Note, "before Friday");
    EXPECT_EQ(row.Priority, 5);
    EXPECT_EQ(row.DueDate, palm::kTodoNoDueDate);
    EXPECT_EQ(row.Private, 1);
    EXPECT_EQ(row.Status, 0x02);

    CommTaskRec fresh{};
    copyToField(fresh.Subject, "Renew passport");
    fresh.DueDate = 1801396800;
    EXPECT_TRUE(m_info.WriteRecord(&fresh));
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();

    PmTodoInfo reread;
    ASSERT_TRUE(reread.OpenPath(path().c_str()));
    EXPECT_EQ(reread.GetClassic()->GetRecords()->Count(), 6u);
    ASSERT_EQ(reread.GetCommMgr()->GetCount(), 4u);
    EXPECT_STREQ(reread.GetCommMgr()->GetAt(2)->Note, "before Friday");
    const PmTodoRec& added = *reread.GetClassic()->GetRecords()->At(5);
    EXPECT_STREQ(added.Description, "Renew passport");
    EXPECT_EQ(added.Status & 0x01, 0x01);
    EXPECT_EQ(added.Priority, 3);
    EXPECT_STREQ(reread.GetClassic()->GetRecords()->At(1)->Description, "Deleted one");
    EXPECT_STREQ(reread.GetClassic()->GetRecords()->At(3)->Description, "Archived one");
}

TEST(PmTodoUtil, RefusesOtherTagsAndCountsNoDamagedRow) {
    TempDir dir;
    const auto file = dir.path() / "todo.dat";
    writeBytes(file, todoFile(mixedRows(), std::string("\x00\x02\x44\x54", 4)));
    PmTodoInfo info;
    EXPECT_FALSE(info.OpenPath(file.c_str()));
    EXPECT_NE(info.GetLastError().find(file.string()), std::string::npos) << info.GetLastError();

    // The last field of the second row, its note, is cut short.
    std::string bytes = todoFile({todo(1, 0, "One"), todo(2, 0, "Two", 0, 0, 3, 0, "a note")});
    bytes.resize(bytes.size() - 3);
    writeBytes(file, bytes);
    PmTodoUtil util(file.c_str());
    ASSERT_TRUE(util.IsLoaded());
    EXPECT_EQ(util.GetRecords()->Count(), 1u);
    EXPECT_FALSE(util.SaveInPlace()); // a file read in part is not written over
    EXPECT_EQ(readBytes(file), bytes);
}

TEST(PmTodoUtil, HoldsLongTextsToTheirLimitAndWritesThemBackWhole) {
    TempDir dir;
    const auto file = dir.path() / "todo.dat";
    const std::string bytes = todoFile({todo(1, 0, std::string(9000, 'x'))});
    writeBytes(file, bytes);
    PmTodoUtil util(file.c_str());
    ASSERT_TRUE(util.IsLoaded());
    EXPECT_EQ(std::string(util.GetRecords()->At(0)->Description).size(), 8191u);
    ASSERT_TRUE(util.SaveInPlace());
    EXPECT_EQ(readBytes(file), bytes);
}

TEST(PmTodoInfo, PrioritiesBothWays) {
    EXPECT_EQ(PalmPriorityOf(kTaskHigh), 1);
    EXPECT_EQ(PalmPriorityOf(kTaskLow), 5);
    EXPECT_EQ(PalmPriorityOf(kTaskNormal), 3);
    EXPECT_EQ(PalmPriorityOf(9), 3);
    EXPECT_EQ(CommonPriorityOf(5), kTaskLow);
    EXPECT_EQ(CommonPriorityOf(3), kTaskNormal);
    EXPECT_EQ(CommonPriorityOf(4), kTaskNormal);
}

// To-do files written by another program that reads and writes Palm's format.
std::filesystem::path realData() {
    return std::filesystem::path(TWINLEAF_REALDATA) / "Android-ToDo";
}

TEST(PmTodoRealData, ClassicFilesLoadAndSaveUnchanged) {
    if (!std::filesystem::is_directory(realData())) {
        GTEST_SKIP() << "no real to-do files at " << realData();
    }
    struct Case {
        const char* file;
        std::vector<const char*> subjects; // every row of the file
        std::uint32_t listed;              // rows not marked deleted or archived
    };
    // The maximal to-do has every status bit set, archived among them: it stays in the file but
    // is not listed for a sync.
    const Case cases[] = {
        {"Palm-empty-v1.dat", {}, 0},
        {"Palm-minimal-v1.dat", {"Test task"}, 1},
        {"Palm-maximal-v1.dat", {"Do all the things"}, 0},
        {"Palm-categories-v1.dat", {"Add all categories"}, 1},
        {"Palm-todos-v1.dat",
         {"Write \"Hello, world\"", "Milk", "Batteries", "TPS Report", "File vacation request",
          "Find Dr. No", "Identify members of SPECTRE"},
         7},
    };
    for (const Case& c : cases) {
        const auto source = realData() / c.file;
        PmTodoInfo info;
        ASSERT_TRUE(info.OpenPath(source.c_str())) << c.file << ": " << info.GetLastError();
        EXPECT_EQ(info.GetLastError(), "") << c.file;
        PmTodoDataMgr& rows = *info.GetClassic()->GetRecords();
        ASSERT_EQ(rows.Count(), c.subjects.size()) << c.file;
        for (std::uint32_t i = 0; i < rows.Count(); ++i) {
            EXPECT_STREQ(rows.At(i)->Description, c.subjects[i]) << c.file;
        }
        EXPECT_EQ(info.GetCommMgr()->GetCount(), c.listed) << c.file;
        std::vector<std::uint8_t> saved;
        ASSERT_TRUE(info.GetClassic()->SaveToBytes(saved)) << c.file;
        EXPECT_EQ(std::string(saved.begin(), saved.end()), readBytes(source)) << c.file;
    }
}

// Palm Desktop gives a to-do without due date a date of its own; the common record has 0.
TEST(PmTodoRealData, NoDueDateIsPalmsOwnMarker) {
    if (!std::filesystem::is_directory(realData())) {
        GTEST_SKIP() << "no real to-do files at " << realData();
    }
    PmTodoInfo info;
    ASSERT_TRUE(info.OpenPath((realData() / "Palm-todos-v1.dat").c_str()));
    EXPECT_EQ(info.GetClassic()->GetRecords()->At(0)->DueDate, palm::kTodoNoDueDate);
    EXPECT_EQ(info.GetCommMgr()->GetAt(0)->DueDate, 0);         // "Write "Hello, world""
    EXPECT_NE(info.GetCommMgr()->GetAt(1)->DueDate, 0);         // "Milk"
    EXPECT_EQ(info.GetCommMgr()->GetAt(3)->Priority, kTaskLow); // "TPS Report", Palm priority 5
}

} // namespace
} // namespace twinleaf

#include "common/palm/PalmMemoEx.h"

#include "common/palm/PalmExtendedBuilder.h"
#include "common/palm/PalmMemoInfo.h"
#include "platform/text/FieldText.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::extendedPrefix;
using test::ExtendedPrefix;
using test::le32;
using test::readBytes;
using test::TempDir;
using test::textField;
using test::writeBytes;

struct MemoExRow {
    std::int32_t id;
    std::int32_t status;
    std::string text;
    std::int32_t isPrivate = 0;
};

std::string memoExFile(const std::vector<MemoExRow>& rows) {
    std::string out =
        test::extendedHead(std::string("\x00\x02\x50\x4D", 4), 0x1010, "C:\\memopad.dat", 43) +
        test::categoryBlock({{1, 1, "Personal", "Personal"}}) +
        test::extendedSchema(64, 14, {1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 5}) +
        le32(static_cast<std::int32_t>(rows.size() * 14));
    for (const MemoExRow& r : rows) {
        ExtendedPrefix prefix;
        prefix.id = r.id;
        prefix.sequence = 0x1000 + r.id;
        prefix.status = r.status;
        prefix.category = 1;
        prefix.isPrivate = r.isPrivate;
        out += extendedPrefix(prefix) + textField("") + textField("") + textField(r.text);
    }
    return out;
}

const std::vector<MemoExRow> kRows = {
    {1, 0, "Shopping\r\nmilk\r\nbread", 1},
    {2, 0x80, "Archived memo"},
    {3, 0, std::string(9000, 'm')},
    {4, 0x04, "Deleted memo"},
};

TEST(PmMemoInfoOnExtendedFile, ListsLiveMemosUpdatesAndAdds) {
    TempDir dir;
    const auto path = dir.path() / "memopad.dat";
    const std::string bytes = memoExFile(kRows);
    writeBytes(path, bytes);
    PmMemoInfo info;
    ASSERT_TRUE(info.OpenPath(path.c_str())) << info.GetLastError();
    EXPECT_EQ(info.GetFormat(), PalmFormat::Extended);
    EXPECT_EQ(PmMemoInfo::DetectFileFormat(path.c_str()), PalmFormat::Extended);
    PmMemoExDataMgr& rows = *info.GetExtended()->GetRecords();
    ASSERT_EQ(rows.Count(), 4u); // the archived and deleted rows are loaded but not listed
    EXPECT_STREQ(rows.At(0)->CategoryName, "Personal");
    EXPECT_EQ(std::string(rows.At(2)->Memo).size(), 8191u);
    ASSERT_EQ(info.GetCommMgr()->GetCount(), 2u);
    const CommNoteRec& shopping = *info.GetCommMgr()->GetAt(0);
    EXPECT_STREQ(shopping.Subject, "Shopping");
    EXPECT_STREQ(shopping.Note, "Shopping\r\nmilk\r\nbread");
    EXPECT_EQ(shopping.Private, 1);
    EXPECT_EQ(shopping.SourceType, kSourcePalmExtended);
    EXPECT_EQ(shopping.IDInteger, 1);
    ASSERT_TRUE(info.Save());
    EXPECT_EQ(readBytes(path), bytes);

    // An Outlook note has no privacy to give: the memo stays private.
    CommNoteRec note = shopping;
    note.SourceType = kSourceOutlook;
    copyToField(note.Note, "Shopping\r\nmilk");
    note.Private = 0;
    ASSERT_TRUE(info.UpdateRecord(&note, 0));
    CommNoteRec fresh{};
    fresh.SourceType = kSourceOutlook;
    copyToField(fresh.Note, "New note");
    ASSERT_TRUE(info.AddRecord(&fresh));
    ASSERT_TRUE(info.Save()) << info.GetLastError();

    PmMemoExUtil again(path.c_str());
    ASSERT_TRUE(again.IsLoaded()) << again.GetLastError();
    PmMemoExDataMgr& saved = *again.GetRecords();
    ASSERT_EQ(saved.Count(), 5u);
    EXPECT_STREQ(saved.At(0)->Memo, "Shopping\r\nmilk");
    EXPECT_EQ(saved.At(0)->Private, 1);
    EXPECT_EQ(saved.At(0)->Status, palm::kStatusChanged);
    EXPECT_STREQ(saved.At(3)->Memo, "Deleted memo");
    // The long memo nobody changed is written back whole.
    EXPECT_NE(readBytes(path).find(std::string(9000, 'm')), std::string::npos);
    EXPECT_STREQ(saved.At(4)->Memo, "New note");
    EXPECT_EQ(saved.At(4)->SequenceNo, 0x1010);
    EXPECT_EQ(saved.At(4)->EntryIndex, 4 * 14);
}

} // namespace
} // namespace twinleaf

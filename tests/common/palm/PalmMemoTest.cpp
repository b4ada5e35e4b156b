#include "common/palm/PalmMemo.h"

#include "common/palm/PalmFileBuilder.h"
#include "common/palm/PalmMemoInfo.h"
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

struct MemoRow {
    std::int32_t id;
    std::int32_t status;
    std::string text;
    std::int32_t isPrivate = 0;
};

std::string memoRow(const MemoRow& r) {
    return intField(r.id) + intField(r.status) + intField(r.id) + textField(r.text) +
           intField(r.isPrivate, 6) + intField(0);
}

std::string memoFile(const std::vector<MemoRow>& rows,
                     std::string tag = std::string("\x00\x01\x50\x4d", 4)) {
    std::string out = tag + test::cstring("C:\\Palm\\memopad.dat") + test::cstring("table") +
                      test::categoryBlock({{1, 1, "Business", "Business"}}) +
                      test::schema(6, {1, 1, 1, 5, 6, 1}, 64);
    out += le32(static_cast<std::int32_t>(rows.size() * 6));
    for (const MemoRow& r : rows) {
        out += memoRow(r);
    }
    return out;
}

const std::vector<MemoRow>& mixedRows() {
    static const std::vector<MemoRow> rows = {
        {1, 0, "Shopping\r\nmilk\r\nbread", 0}, {2, 0x04, "Deleted memo", 0},
        {3, 0x02, std::string(300, 'a'), 1}, // one line, past the 0xFF escape and the subject
        {4, 0x80, "Archived memo", 0},          {5, 0, "Ideas\nwritten with LF only", 0},
    };
    return rows;
}

TEST(PmMemoUtil, ReadsRowsAndWritesTheFileBackByteForByte) {
    TempDir dir;
    const auto file = dir.path() / "memopad.dat";
    const std::string bytes = memoFile(mixedRows());
    // A 300-character text is stored behind the escape byte with a 2-byte length.
    EXPECT_NE(bytes.find(std::string("\xff\x2c\x01", 3) + std::string(300, 'a')),
              std::string::npos);
    writeBytes(file, bytes);
    PmMemoUtil util(file.c_str());
    ASSERT_TRUE(util.IsLoaded()) << util.GetLastError();
    PmMemoDataMgr& rows = *util.GetRecords();
    ASSERT_EQ(rows.Count(), 5u); // deleted and archived rows stay for the save
    EXPECT_STREQ(rows.At(0)->Text, "Shopping\r\nmilk\r\nbread");
    EXPECT_EQ(std::string(rows.At(2)->Text), std::string(300, 'a'));
    EXPECT_EQ(rows.At(2)->Private, 1);
    EXPECT_EQ(rows.At(3)->Status, 0x80);
    ASSERT_TRUE(util.SaveInPlace()) << util.GetLastError();
    EXPECT_EQ(readBytes(file), bytes);

    writeBytes(file, memoFile(mixedRows(), std::string("\x00\x01\x50\x4e", 4)));
    PmMemoInfo other;
    EXPECT_FALSE(other.OpenPath(file.c_str()));
    EXPECT_NE(other.GetLastError().find(file.string()), std::string::npos) << other.GetLastError();
}

class PmMemoInfoOnFile : public testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(), memoFile(mixedRows()));
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
    }
    std::filesystem::path path() const { return m_dir.path() / "memopad.dat"; }
    CommNoteRec* common(std::uint32_t index) { return m_info.GetCommMgr()->GetAt(index); }
    PmMemoRec* palmRow(std::uint32_t index) { return m_info.GetClassic()->GetRecords()->At(index); }

    TempDir m_dir;
    PmMemoInfo m_info;
};

TEST_F(PmMemoInfoOnFile, ListsLiveMemosWithTheirFirstLineAsSubject) {
    EXPECT_EQ(m_info.GetFormat(), PalmFormat::Classic);
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 3u);
    const CommNoteRec& shopping = *common(0);
    EXPECT_STREQ(shopping.Subject, "Shopping");
    EXPECT_STREQ(shopping.Note, "Shopping\r\nmilk\r\nbread");
    EXPECT_EQ(shopping.SourceType, kSourcePalm);
    EXPECT_EQ(shopping.IDInteger, 1);
    EXPECT_EQ(shopping.Color, 0);
    const CommNoteRec& longLine = *common(1);
    EXPECT_EQ(std::string(longLine.Subject), std::string(255, 'a'));
    EXPECT_EQ(longLine.Private, 1);
    EXPECT_EQ(longLine.CompareStatus, 0x02); // the status word, before any comparison
    EXPECT_EQ(longLine.IDInteger, 3);
    EXPECT_STREQ(common(2)->Subject, "Ideas");
}

TEST_F(PmMemoInfoOnFile, UpdatesTheRowItCameFromAndAddsNewMemos) {
    // An Outlook note without text leaves the memo's text.
    CommNoteRec empty{};
    copyToField(empty.Subject, "Ideas");
    empty.SourceType = kSourceOutlook;
    EXPECT_TRUE(m_info.UpdateRecord(&empty, 2));
    EXPECT_STREQ(palmRow(4)->Text, "Ideas\nwritten with LF only");
    EXPECT_EQ(palmRow(4)->Status, 0x02);
    // Outlook notes carry no privacy: a private memo they update stays private.
    CommNoteRec fromOutlook = *common(1);
    fromOutlook.Native = nullptr;
    fromOutlook.SourceType = kSourceOutlook;
    fromOutlook.Private = 0;
    copyToField(fromOutlook.Note, std::string(300, 'a') + "\r\nmore");
    EXPECT_TRUE(m_info.WriteRecord(&fromOutlook));
    EXPECT_EQ(palmRow(2)->Private, 1);
    EXPECT_EQ(std::string(palmRow(2)->Text), std::string(300, 'a') + "\r\nmore");

    CommNoteRec changed = *common(0);
    copyToField(changed.Note, "Shopping\r\nmilk\r\neggs");
    changed.Native = nullptr;
    changed.NativeSize = 0;
    EXPECT_TRUE(m_info.WriteRecord(&changed));
    EXPECT_FALSE(m_info.WriteRecord(&changed)); // now the same
    EXPECT_STREQ(palmRow(0)->Text, "Shopping\r\nmilk\r\neggs");
    EXPECT_STREQ(palmRow(1)->Text, "Deleted memo"); // hidden rows are neither listed nor touched

    CommNoteRec fresh{};
    copyToField(fresh.Subject, "Call list");
    copyToField(fresh.Note, "Call list\r\nAnna");
    EXPECT_TRUE(m_info.WriteRecord(&fresh));
    CommNoteRec blank{};
    copyToField(blank.Subject, "untitled");
    EXPECT_TRUE(m_info.AddRecord(&blank));
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();

    PmMemoInfo reread;
    ASSERT_TRUE(reread.OpenPath(path().c_str()));
    PmMemoDataMgr& rows = *reread.GetClassic()->GetRecords();
    ASSERT_EQ(rows.Count(), 7u);
    EXPECT_STREQ(rows.At(1)->Text, "Deleted memo");
    EXPECT_STREQ(rows.At(3)->Text, "Archived memo");
    EXPECT_STREQ(rows.At(0)->Text, "Shopping\r\nmilk\r\neggs");
    EXPECT_STREQ(rows.At(5)->Text, "Call list\r\nAnna");
    EXPECT_EQ(rows.At(5)->Status & 0x01, 0x01);
    EXPECT_EQ(rows.At(5)->Position, 2147483647);
    EXPECT_STREQ(rows.At(6)->Text, ""); // an empty note gives an empty memo
    EXPECT_STREQ(reread.GetCommMgr()->GetAt(3)->Subject, "Call list");
}

// The save goes to the file that was loaded, never to the path stored inside it.
TEST_F(PmMemoInfoOnFile, SavesToTheLoadedPathWithABackup) {
    CommNoteRec fresh{};
    copyToField(fresh.Note, "New");
    copyToField(fresh.Subject, "New");
    ASSERT_TRUE(m_info.WriteRecord(&fresh));
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
    EXPECT_EQ(readBytes(m_dir.path() / "memopad.dat.bak"), memoFile(mixedRows()));
    EXPECT_NE(readBytes(path()), memoFile(mixedRows()));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(m_dir.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2u);
}

TEST(PmMemoInfo, LongMemoIsHeldCutAndKeptWholeUnlessChanged) {
    TempDir dir;
    const auto file = dir.path() / "memopad.dat";
    std::string longText = "Long memo\r\n" + std::string(9989, 'z');
    const std::string bytes = memoFile({{1, 0, longText, 0}, {2, 0, "Short", 0}});
    writeBytes(file, bytes);
    PmMemoInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str()));
    EXPECT_EQ(std::string(info.GetClassic()->GetRecords()->At(0)->Text).size(), 8191u);
    EXPECT_EQ(std::string(info.GetCommMgr()->GetAt(0)->Note), longText.substr(0, 8191));
    EXPECT_STREQ(info.GetCommMgr()->GetAt(0)->Subject, "Long memo");
    CommNoteRec shortOne = *info.GetCommMgr()->GetAt(1);
    copyToField(shortOne.Note, "Short\r\nand changed");
    shortOne.Native = nullptr;
    ASSERT_TRUE(info.UpdateRecord(&shortOne, 1));
    ASSERT_TRUE(info.Save()) << info.GetLastError();
    PmMemoUtil reread(file.c_str());
    ASSERT_TRUE(reread.IsLoaded());
    const std::string saved = readBytes(file);
    EXPECT_NE(saved.find(longText), std::string::npos); // all 10000 characters
    EXPECT_STREQ(reread.GetRecords()->At(1)->Text, "Short\r\nand changed");
}

TEST(PmMemoInfo, SubjectIsTheFirstLine) {
    const struct {
        std::string text;
        std::string subject;
    } cases[] = {
        {"One\r\nTwo\r\nThree", "One"},
        {"Bare LF\nsecond", "Bare LF"},
        {"Bare CR\rsecond", "Bare CR"},
        {"\r\nstarts with a break", ""},
        {std::string(260, 'q') + "\r\n", std::string(255, 'q')},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MemoSubjectOf(c.text), c.subject) << c.text;
    }
}

} // namespace
} // namespace twinleaf

#include "common/palm/PalmExtended.h"

#include "common/palm/PalmExtendedBuilder.h"
#include "common/palm/PalmMemoEx.h"
#include "common/palm/PalmTodoEx.h"
#include "platform/files/AtomicFile.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::blobField;
using test::extendedHead;
using test::extendedPrefix;
using test::ExtendedPrefix;
using test::intField;
using test::le16;
using test::le32;
using test::readBytes;
using test::TempDir;
using test::textField;
using test::todoEx;
using test::todoExFile;
using test::todoExRow;
using test::TodoExRow;
using test::writeBytes;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string savedBytes(PmTodoExUtil& file) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(file.SaveToBytes(bytes)) << file.GetLastError();
    return {bytes.begin(), bytes.end()};
}

// A new file object writes the whole layout from its defaults: the standard signature, the counter
// as the number the next record gets, the path it is saved to, 43 zero bytes, no categories, the
// standard schema and each field under its tag in the type list (the private flag as 6).
TEST(PmExtendedFile, NewFileIsWrittenWithTheStandardLayout) {
    TempDir dir;
    const auto path = dir.path() / "todo.dat";
    PmTodoExUtil file;
    PmTodoExRec record{};
    record.SequenceNo = file.NextSequenceNo();
    record.Position = 1;
    record.Private = 1;
    copyToField(record.Description, "Call Ann");
    record.DueDate = palm::kTodoNoDueDate;
    record.Priority = 1;
    record.Date19 = palm::kTodoNoDueDate;
    record.Date21 = -1;
    record.Number22 = -1;
    record.Date23 = palm::kTodoNoDueDate;
    for (BlobValue* blob : {&record.Blob1, &record.Blob2, &record.Blob3, &record.Blob4}) {
        blob->Word0 = 64 + static_cast<std::int32_t>(blob - &record.Blob1);
    }
    ASSERT_TRUE(file.GetRecords()->Add(&record));
    ASSERT_TRUE(file.Save(path.c_str())) << file.GetLastError();

    TodoExRow row = todoEx(1, 0x1000, "Call Ann");
    row.prefix.id = 0;
    row.prefix.isPrivate = 1;
    row.prefix.entryIndex = 0;
    std::string expected = todoExFile({row}, 0x1001);
    // The stored name is the path written to.
    const std::string head =
        extendedHead(test::kTodoExTag, 0x1001, "C:\\Palm\\User\\todo\\todo.dat", 43);
    expected.replace(0, head.size(), extendedHead(test::kTodoExTag, 0x1001, path.string(), 43));
    EXPECT_SAME_BYTES(expected, readBytes(path));
}

TEST(PmExtendedFile, FiveRecordsGiveTheCounterFiveAbove4096) {
    PmTodoExUtil file;
    for (int i = 0; i < 5; ++i) {
        PmTodoExRec record{};
        record.SequenceNo = file.NextSequenceNo();
        ASSERT_TRUE(file.GetRecords()->Add(&record));
    }
    TempDir dir;
    const auto path = dir.path() / "todo.dat";
    ASSERT_TRUE(file.Save(path.c_str())) << file.GetLastError();
    const std::string bytes = readBytes(path);
    ASSERT_GT(bytes.size(), 42u);
    EXPECT_EQ(bytes.substr(28 + 12, 2), std::string("\x05\x10", 2));
}

// Every kind of blob, a text longer than its slot, repeat exceptions, categories, rows marked
// deleted and archived: all loaded, and written back byte for byte.
std::string richFile() {
    TodoExRow first = todoEx(1, 0x1000, "Blobs of every kind");
    first.prefix.blobs = blobField(64, 0) + blobField(65, 1, "abc", 7, 8) + blobField(66, 2) +
                         blobField(67, 5, "12345");
    first.prefix.category = 2;
    TodoExRow second = todoEx(2, 0x1003, std::string(300, 'd'), palm::kStatusDeleted);
    second.note = std::string(9000, 'n');
    second.prefix.blobs = blobField(64, 3, std::string(4, '\0'), -1, 1) + blobField(65, 0) +
                          blobField(66, 0) + blobField(67, 0);
    TodoExRow third = todoEx(3, 0x1004, "Archived, repeating", palm::kStatusArchived);
    third.repeat = test::repeatField(2, le32(2) + le32(1) + le32(0) + le32(1) + le32(6) + "\x2a",
                                     {1000000, 2000000});
    third.alarm = 1;
    return todoExFile({first, second, third}, 0x1165,
                      test::categoryBlock({{1, 2, "Business", "Business"},
                                           {2, 5, "A long category name", "Long_name"}}));
}

TEST(PmExtendedFile, LoadsEveryPartAndWritesItBackByteForByte) {
    const std::string bytes = richFile();
    PmTodoExUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "todo.dat")) << file.GetLastError();
    PmTodoExDataMgr& rows = *file.GetRecords();
    ASSERT_EQ(rows.Count(), 3u); // deleted and archived rows stay in the list
    const PmTodoExRec& first = *rows.At(0);
    EXPECT_STREQ(first.CategoryName, "Business");
    EXPECT_EQ(first.Blob1.Kind, 0);
    EXPECT_EQ(first.Blob2.Kind, 1);
    EXPECT_EQ(first.Blob2.Word2, 7);
    EXPECT_EQ(first.Blob2.Word3, 8);
    ASSERT_EQ(first.Blob2.Size, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.Blob2.Data), 3), "abc");
    EXPECT_EQ(first.Blob3.Size, 0);
    EXPECT_EQ(first.Blob3.Data, nullptr);
    ASSERT_EQ(first.Blob4.Size, 5); // a kind of 4 or more is the size itself
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.Blob4.Data), 5), "12345");
    const PmTodoExRec& second = *rows.At(1);
    EXPECT_EQ(std::string(second.Description), std::string(255, 'd'));
    EXPECT_EQ(std::string(second.Note).size(), 8191u);
    EXPECT_EQ(second.Blob1.Word2, -1);
    const PmTodoExRec& third = *rows.At(2);
    EXPECT_EQ(third.Flag20, 1);
    EXPECT_EQ(third.Repeat.RepeatType, palm::kRepeatWeekly);
    EXPECT_EQ(third.Repeat.DaysMask, 0x2a);
    EXPECT_EQ(file.GetHeaderCounter(), 0x1165);

    EXPECT_SAME_BYTES(bytes, savedBytes(file));
}

TEST(PmExtendedFile, ChangingOneRecordChangesOnlyItsBytes) {
    const std::string bytes = richFile();
    PmTodoExUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "todo.dat"));
    PmTodoExRec& third = *file.GetRecords()->At(2);
    third.Priority = 4;
    const std::string saved = savedBytes(file);

    TodoExRow changed = todoEx(3, 0x1004, "Archived, repeating", palm::kStatusArchived);
    changed.repeat = test::repeatField(2, le32(2) + le32(1) + le32(0) + le32(1) + le32(6) + "\x2a",
                                       {1000000, 2000000});
    changed.alarm = 1;
    changed.priority = 4;
    const std::string before = todoExRow(changed);
    changed.priority = 1;
    const std::string original = todoExRow(changed);
    std::string expected = bytes;
    expected.replace(expected.rfind(original), original.size(), before);
    EXPECT_SAME_BYTES(expected, saved);

    PmTodoExUtil again;
    ASSERT_TRUE(again.LoadBytes(bytesOf(saved), "todo.dat")) << again.GetLastError();
    EXPECT_EQ(again.GetRecords()->At(2)->Priority, 4);
    EXPECT_EQ(again.GetRecords()->At(0)->Blob4.Size, 5);
}

// Deleted rows took their numbers with them; only the header's counter remembers them.
TEST(PmExtendedFile, SequenceNumbersAreNeverGivenTwice) {
    struct Case {
        const char* name;
        std::int32_t counter;
        std::int32_t highest;
        std::int32_t next;
    };
    const Case cases[] = {
        {"counter above every row", 0x1165, 0x1000, 0x1165},
        {"a row above the counter", 0x1001, 0x1400, 0x1401},
        {"counter at the highest row", 0x1400, 0x1400, 0x1401},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bytes =
            todoExFile({todoEx(1, 0x1000, "a"), todoEx(2, c.highest, "b")}, c.counter);
        PmTodoExUtil file;
        ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "todo.dat")) << file.GetLastError();
        EXPECT_EQ(file.NextSequenceNo(), c.next);
        EXPECT_EQ(file.NextSequenceNo(), c.next + 1);
        PmTodoExRec added{};
        added.SequenceNo = c.next + 1;
        ASSERT_TRUE(file.GetRecords()->Add(&added));
        const std::string saved = savedBytes(file);
        // The counter written is the next free number.
        EXPECT_EQ(saved.substr(28 + 12, 2), le16(c.next + 2));
    }
}

TEST(PmExtendedFile, CounterAsReadIsKeptWhenNothingIsAdded) {
    // A counter below a row's number is the file's own business as long as no number is given.
    const std::string bytes = todoExFile({todoEx(1, 0x1200, "a")}, 0x1001);
    PmTodoExUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "todo.dat"));
    file.GetRecords()->At(0)->Priority = 2;
    EXPECT_EQ(savedBytes(file).substr(28 + 12, 2), le16(0x1001));
}

TEST(PmExtendedFile, CounterPastTheHeaderIsRefused) {
    PmTodoExUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(todoExFile({todoEx(1, 0xFFFF, "a")}, 0xFFFF)), "todo.dat"));
    PmTodoExRec added{};
    added.SequenceNo = file.NextSequenceNo();
    ASSERT_TRUE(file.GetRecords()->Add(&added));
    std::vector<std::uint8_t> saved;
    EXPECT_FALSE(file.SaveToBytes(saved));
    EXPECT_NE(file.GetLastError().find("more than the header can count"), std::string::npos)
        << file.GetLastError();
}

// The first five bytes are not part of what identifies the file; they go back as read, and so
// does a body that came without any signature.
TEST(PmExtendedFile, SignatureVariantsLoadAndAreKept) {
    std::string otherMagic = todoExFile({todoEx(1, 0x1000, "a")});
    otherMagic.replace(0, 5, "\x01\x02\x03\x04\x05");
    const std::string bare = todoExFile({todoEx(1, 0x1000, "a")}).substr(24);
    for (const std::string& bytes : {otherMagic, bare}) {
        PmTodoExUtil file;
        ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "todo.dat")) << file.GetLastError();
        ASSERT_EQ(file.GetRecords()->Count(), 1u);
        file.GetRecords()->At(0)->Priority = 3;
        const std::string saved = savedBytes(file);
        EXPECT_EQ(saved.substr(0, 24), bytes.substr(0, 24));
        EXPECT_EQ(saved.size(), bytes.size());
    }
}

TEST(PmExtendedFile, SaveInPlaceWritesTheLoadedFileNotTheStoredName) {
    TempDir dir;
    const auto path = dir.path() / "todo.dat";
    const std::string bytes = todoExFile({todoEx(1, 0x1000, "a")});
    writeBytes(path, bytes);
    PmTodoExUtil file(path.c_str());
    ASSERT_TRUE(file.IsLoaded()) << file.GetLastError();
    file.GetRecords()->At(0)->Priority = 5;
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    EXPECT_EQ(readBytes(backupPathFor(path)), bytes); // the file is replaced, the old one kept
    PmTodoExUtil again(path.c_str());
    ASSERT_TRUE(again.IsLoaded());
    EXPECT_EQ(again.GetRecords()->At(0)->Priority, 5);
    EXPECT_EQ(again.GetPath(), path.string());
    // The stored Windows path goes back as read.
    EXPECT_NE(readBytes(path).find("C:\\Palm\\User\\todo\\todo.dat"), std::string::npos);
}

TEST(PmExtendedFile, FileWhoseLoadFailedIsNeverWritten) {
    TempDir dir;
    const auto path = dir.path() / "todo.dat";
    std::string bytes = todoExFile({todoEx(1, 0x1000, "a"), todoEx(2, 0x1001, "b")});
    bytes.resize(bytes.size() - 3); // the last row is cut short
    writeBytes(path, bytes);
    PmTodoExUtil file(path.c_str());
    EXPECT_FALSE(file.IsLoaded());
    EXPECT_EQ(file.GetRecords()->Count(), 0u); // no partial list
    EXPECT_EQ(file.GetLoadResult(), LoadResult::Damaged);
    EXPECT_NE(file.GetLastError().find(path.string()), std::string::npos) << file.GetLastError();
    EXPECT_FALSE(file.SaveInPlace());
    EXPECT_EQ(readBytes(path), bytes);
}

// A 4-byte field goes out under the tag its file's type list gives it, and a reader of these
// files refuses the other tag.
TEST(PmExtendedFile, FourByteFieldsCarryTheTagOfTheFilesTypeList) {
    std::vector<std::int16_t> types = test::kTodoExTypes;
    types[6] = 1; // a file listing the private flag as a plain integer
    TodoExRow row = todoEx(1, 0x1000, "a");
    std::string bytes = todoExFile({row}, 0x1000, test::categoryBlock({}), types);
    const std::string privateAs6 = intField(0, 6) + blobField(64, 0);
    const std::string privateAs1 = intField(0, 1) + blobField(64, 0);
    bytes.replace(bytes.find(privateAs6), privateAs6.size(), privateAs1);
    PmTodoExUtil file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "todo.dat")) << file.GetLastError();
    file.GetRecords()->At(0)->Private = 1;
    const std::string saved = savedBytes(file);
    EXPECT_NE(saved.find(intField(1, 1) + blobField(64, 0)), std::string::npos);

    const std::string standard = todoExFile({row});
    std::string wrongTag = standard;
    wrongTag.replace(wrongTag.find(privateAs6), privateAs6.size(), privateAs1);
    PmTodoExUtil refused;
    EXPECT_FALSE(refused.LoadBytes(bytesOf(wrongTag), "todo.dat"));
    EXPECT_NE(refused.GetLastError().find("tag 1 where the file's type list gives 6"),
              std::string::npos)
        << refused.GetLastError();
}

TEST(PmExtendedFile, DamagedFilesGiveAnErrorNamingTheFile) {
    const std::string good = todoExFile({todoEx(1, 0x1000, "a")});
    const std::size_t schemaAt = good.find(le32(44) + le32(25));
    struct Case {
        const char* name;
        std::string bytes;
        LoadResult result;
        const char* says;
    };
    std::string bigBlob = good;
    const std::string blob = blobField(65, 0);
    bigBlob.replace(bigBlob.find(blob), blob.size(),
                    le32(65) + le32(1) + le32(0) + le32(0) + le32(0x7FFFFFF0));
    std::string hugeKind = good;
    hugeKind.replace(hugeKind.find(blob), blob.size(), le32(65) + le32(-2));
    std::vector<std::int16_t> longer = test::kTodoExTypes;
    longer.push_back(1);
    std::string tooManyTypes =
        good.substr(0, schemaAt) + test::extendedSchema(44, 26, longer) + le32(0);
    std::string rowLengthDiffers =
        good.substr(0, schemaAt) + test::extendedSchema(44, 24, test::kTodoExTypes) + le32(0);
    std::string classicBody = test::extendedSignature() + std::string("\x00\x01\x44\x54", 4);
    std::string memo = good;
    memo.replace(24, 4, std::string("\x00\x02\x50\x4D", 4));
    const Case cases[] = {
        {"empty", "", LoadResult::NotThisFormat, "no extended signature"},
        {"cut inside the signature", good.substr(0, 12), LoadResult::Damaged, "signature"},
        {"cut inside the version tag", good.substr(0, 26), LoadResult::Damaged, "version tag"},
        {"cut inside the header block", good.substr(0, 40), LoadResult::Damaged, "header block"},
        {"cut inside the name trailer", good.substr(0, 90), LoadResult::Damaged, "stored file"},
        {"cut before the records", good.substr(0, schemaAt + 72), LoadResult::Damaged,
         "before its records"},
        {"cut inside a row", good.substr(0, good.size() - 1), LoadResult::Damaged, "record 1"},
        {"blob larger than the file", bigBlob, LoadResult::Damaged, "runs past the end"},
        {"blob kind taken as a size", hugeKind, LoadResult::Damaged, "runs past the end"},
        {"more field types than a row has", tooManyTypes, LoadResult::Damaged, "26 field types"},
        {"rows of another length", rowLengthDiffers, LoadResult::Damaged, "24 fields per row"},
        {"classic body behind the signature", classicBody, LoadResult::NotThisFormat,
         "classic body"},
        {"another kind's file", memo, LoadResult::NotThisFormat, "not an extended Palm to-do"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PmTodoExUtil file;
        EXPECT_FALSE(file.LoadBytes(bytesOf(c.bytes), "todo.dat"));
        EXPECT_EQ(file.GetLoadResult(), c.result);
        EXPECT_NE(file.GetLastError().find("todo.dat"), std::string::npos) << file.GetLastError();
        EXPECT_NE(file.GetLastError().find(c.says), std::string::npos) << file.GetLastError();
    }
    // Every prefix of a file fails cleanly.
    const std::string rich = richFile();
    for (std::size_t size = 0; size < rich.size(); ++size) {
        PmTodoExUtil file;
        ASSERT_FALSE(file.LoadBytes(bytesOf(rich.substr(0, size)), "todo.dat")) << size;
    }
}

// A kind with a block of its own between the stored name and the categories (as the address book
// has its labels) reads and writes it through the two hooks, at that place.
class LabelledMemoFile : public PmMemoExUtil {
public:
    std::string block;

protected:
    bool ReadLabels() override {
        char text[33];
        std::uint32_t capacity = sizeof text;
        std::int32_t word = 0;
        if (!ReadCString(text, &capacity) || !ReadInt32(word)) {
            return false;
        }
        block = std::string(text) + "/" + std::to_string(word);
        return true;
    }
    bool WriteLabels() override { return WriteCString("Label") && WriteInt32(7); }
};

TEST(PmExtendedFile, AKindReadsAndWritesItsOwnBlockAfterTheStoredName) {
    const std::string memoTag("\x00\x02\x50\x4D", 4);
    const std::string bytes =
        extendedHead(memoTag, 0x1000, "C:\\memopad.dat", 43) + test::cstring("Label") + le32(7) +
        test::categoryBlock({}) +
        test::extendedSchema(64, 14, {1, 1, 1, 1, 1, 1, 6, 64, 65, 66, 67, 5, 5, 5}) + le32(14) +
        extendedPrefix({}) + textField("") + textField("") + textField("Memo text");
    LabelledMemoFile file;
    ASSERT_TRUE(file.LoadBytes(bytesOf(bytes), "memopad.dat")) << file.GetLastError();
    EXPECT_EQ(file.block, "Label/7");
    ASSERT_EQ(file.GetRecords()->Count(), 1u);
    EXPECT_STREQ(file.GetRecords()->At(0)->Memo, "Memo text");
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(file.SaveToBytes(saved));
    EXPECT_SAME_BYTES(bytes, std::string(saved.begin(), saved.end()));
}

} // namespace
} // namespace twinleaf

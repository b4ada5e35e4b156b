#include "common/palm/PalmClassic.h"

#include "common/palm/PalmFileBuilder.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::le16;
using test::le32;

// A kind made up for the test, with a field of every value type a row can hold.
struct FakeRec {
    std::int32_t RecordId;
    std::int32_t Status;
    std::int32_t Position;
    std::int64_t Big;
    BlobValue Blob;
    RepeatValue Repeat;
    TextField<16> Text;
    std::uint32_t FileRow;
};

struct FakeBlobs {
    static bool Duplicate(FakeRec& record) {
        const BlobValue shared = record.Blob;
        return CopyBlob(shared, record.Blob);
    }
    static void Release(FakeRec& record) { FreeBlob(record.Blob); }
};

constexpr RowField kFakeFields[] = {
    {RowValue::Int, offsetof(FakeRec, RecordId), 4},
    {RowValue::Int, offsetof(FakeRec, Status), 4},
    {RowValue::Int, offsetof(FakeRec, Position), 4},
    {RowValue::Int64, offsetof(FakeRec, Big), 8},
    {RowValue::Blob, offsetof(FakeRec, Blob), sizeof(BlobValue)},
    {RowValue::Repeat, offsetof(FakeRec, Repeat), sizeof(RepeatValue)},
    {RowValue::Text, TL_OFFSET_WIDTH(FakeRec, Text)},
};
const RowCodec kFakeCodec = RowCodecOf<FakeRec>(kFakeFields);
const std::int16_t kFakeTypes[] = {1, 1, 1, 68, 64, 8, 5};
const ClassicFileKind kFakeKind = {
    0x58460100, "test file", {9, 7, 0, 1, 2}, kFakeTypes, "fake", "fake.dat",
};

class FakeFile : public PmClassicFile<FakeRec, PmRecordList<FakeRec, FakeBlobs>> {
public:
    FakeFile() : PmClassicFile(kFakeKind) {}

protected:
    const RowCodec& Codec() const override { return kFakeCodec; }
};

std::string header() {
    std::string types;
    for (std::int16_t type : kFakeTypes) {
        types += le16(type);
    }
    return std::string("\x00\x01\x46\x58", 4) + test::cstring("C:\\fake.dat") + test::cstring("") +
           test::categoryBlock({}) + le32(9) + le32(7) + le32(0) + le32(1) + le32(2) + le16(7) +
           types;
}

std::string classEntry(std::string_view name) {
    return le16(0xFFFF) + le16(1) + le16(static_cast<std::int32_t>(name.size())) +
           std::string(name);
}

// Weekly every 2 weeks from Monday, with one exception date.
const std::string kWeeklyWithException = le32(8) + le16(1) + le32(1000) + classEntry("CWeekly") +
                                         le32(2) + le32(2) + le32(0) + le32(1) + le32(1) + "\x05";
// The same repeat as a reference to the class the row before named.
const std::string kWeeklyByReference =
    le32(8) + le16(0) + le16(0x8001) + le32(2) + le32(2) + le32(0) + le32(1) + le32(1) + "\x05";

std::string row(std::int32_t id, const std::string& repeat, std::string_view text) {
    return test::intField(id) + test::intField(0) + test::intField(id) + le32(68) +
           le32(0x01020304) + le32(0x05060708) + le32(64) + le32(1) + le32(0) + le32(0) + le32(3) +
           "xyz" + repeat + test::textField(text);
}

std::string file(const std::vector<std::string>& rows) {
    std::string out = header() + le32(static_cast<std::int32_t>(rows.size() * 7));
    for (const std::string& r : rows) {
        out += r;
    }
    return out;
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string savedBytes(FakeFile& fake) {
    std::vector<std::uint8_t> out;
    EXPECT_TRUE(fake.SaveToBytes(out)) << fake.GetLastError();
    return {out.begin(), out.end()};
}

TEST(PmClassicFile, ReadsEveryValueTypeAndWritesAnUnchangedFileBackByteForByte) {
    const std::string original =
        file({row(1, kWeeklyWithException, "one"), row(2, le32(8) + le16(0) + le16(0), "two")});
    FakeFile fake;
    ASSERT_TRUE(fake.LoadBytes(bytesOf(original), "fake.dat")) << fake.GetLastError();
    ASSERT_EQ(fake.GetRecords()->Count(), 2u);
    const FakeRec& first = *fake.GetRecords()->At(0);
    EXPECT_EQ(first.Big, 0x0506070801020304);
    ASSERT_EQ(first.Blob.Size, 3);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(first.Blob.Data), 3), "xyz");
    EXPECT_EQ(first.Repeat.RepeatType, 2);
    EXPECT_EQ(first.Repeat.DaysMask, 5);
    EXPECT_EQ(fieldText(first.Text), "one");
    EXPECT_EQ(fake.GetRecords()->At(1)->Repeat.RepeatType, 0);
    EXPECT_SAME_BYTES(original, savedBytes(fake));
}

TEST(PmClassicFile, AChangedValueIsTheOnlyFieldEncodedAgain) {
    const std::string first = row(1, kWeeklyWithException, "one");
    const std::string original = file({first});
    struct Case {
        const char* name;
        void (*change)(FakeRec&);
        std::string expectedRow;
    };
    const Case cases[] = {
        {"8-byte value", [](FakeRec& r) { r.Big = -2; },
         first.substr(0, 24) + le32(68) + le32(-2) + le32(-1) + first.substr(36)},
        {"blob", [](FakeRec& r) { r.Blob.Data[0] = 'X'; },
         first.substr(0, 36 + 20) + "Xyz" + first.substr(36 + 23)},
        {"a changed repeat keeps its exception dates", [](FakeRec& r) { r.Repeat.Interval = 3; },
         first.substr(0, 59) + le32(8) + le16(1) + le32(1000) + classEntry("CWeekly") + le32(2) +
             le32(3) + le32(0) + le32(1) + le32(1) + "\x05" + test::textField("one")},
        {"a repeat removed goes out without exceptions",
         [](FakeRec& r) { r.Repeat = RepeatValue{}; },
         first.substr(0, 59) + le32(8) + le16(0) + le16(0) + test::textField("one")},
        {"text", [](FakeRec& r) { copyToField(r.Text, "uno"); },
         first.substr(0, first.size() - test::textField("one").size()) + test::textField("uno")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeFile fake;
        ASSERT_TRUE(fake.LoadBytes(bytesOf(original), "fake.dat"));
        c.change(*fake.GetRecords()->At(0));
        EXPECT_SAME_BYTES(file({c.expectedRow}), savedBytes(fake));
    }
}

TEST(PmClassicFile, AnUnchangedRepeatNeverGoesOutAsAReference) {
    // Once the row naming the class changes type, a copied reference would name the wrong class.
    const std::string original =
        file({row(1, kWeeklyWithException, "one"), row(2, kWeeklyByReference, "two")});
    FakeFile fake;
    ASSERT_TRUE(fake.LoadBytes(bytesOf(original), "fake.dat")) << fake.GetLastError();
    ASSERT_EQ(fake.GetRecords()->At(1)->Repeat.DaysMask, 5);
    fake.GetRecords()->At(0)->Repeat = RepeatValue{};
    const std::string expected = file({row(1, le32(8) + le16(0) + le16(0), "one"),
                                       row(2,
                                           le32(8) + le16(0) + classEntry("CWeekly") + le32(2) +
                                               le32(2) + le32(0) + le32(1) + le32(1) + "\x05",
                                           "two")});
    EXPECT_SAME_BYTES(expected, savedBytes(fake));
}

TEST(PmClassicFile, NewRowsAreEncodedWholeAndBadRepeatTypesRefuseTheSave) {
    FakeFile fake;
    ASSERT_TRUE(fake.LoadBytes(bytesOf(file({})), "fake.dat"));
    FakeRec added{};
    added.RecordId = 7;
    added.Big = 1;
    added.Blob.Word0 = 64;
    added.Repeat.RepeatType = 6;
    added.Repeat.Interval = 1;
    copyToField(added.Text, "new");
    ASSERT_TRUE(fake.GetRecords()->Add(&added));
    const std::string expected =
        file({test::intField(7) + test::intField(0) + test::intField(0) + le32(68) + le32(1) +
              le32(0) + le32(64) + le32(0) + le32(8) + le16(0) + classEntry("CDayOfYear") +
              le32(6) + le32(1) + le32(0) + le32(0) + test::textField("new")});
    EXPECT_SAME_BYTES(expected, savedBytes(fake));

    fake.GetRecords()->At(0)->Repeat.RepeatType = 9;
    std::vector<std::uint8_t> out;
    EXPECT_FALSE(fake.SaveToBytes(out));
    EXPECT_NE(fake.GetLastError().find("repeat type 9"), std::string::npos) << fake.GetLastError();
}

// The list holds records of its own: what the caller does with the record it gave afterwards,
// changing or releasing it, never reaches the listed copy.
TEST(PmRecordList, KeepsCopiesThatOwnTheirTextsAndBlobs) {
    std::uint8_t data[] = {'x', 'y', 'z'};
    FakeRec given{};
    given.RecordId = 1;
    copyToField(given.Text, "copied");
    given.Blob = {64, 1, 0, 0, 3, data};
    PmRecordList<FakeRec, FakeBlobs> list;
    ASSERT_TRUE(list.Add(&given));
    FakeRec moved{};
    moved.RecordId = 2;
    copyToField(moved.Text, "moved");
    moved.Blob = {64, 1, 0, 0, 3, data};
    ASSERT_TRUE(list.Add(std::move(moved)));
    FakeRec* blank = list.AddBlank();
    ASSERT_NE(blank, nullptr);

    copyToField(given.Text, "changed");
    data[0] = 'Q';
    ASSERT_EQ(list.Count(), 3u);
    for (std::uint32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const FakeRec& kept = *list.At(i);
        EXPECT_EQ(fieldText(kept.Text), i == 0 ? "copied" : "moved");
        ASSERT_NE(kept.Blob.Data, data);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(kept.Blob.Data), 3), "xyz");
    }
    EXPECT_EQ(blank->RecordId, 0);
    EXPECT_TRUE(blank->Text.empty());
    EXPECT_EQ(blank->Blob.Data, nullptr);
}

TEST(PmClassicFile, EveryPrefixLoadsCleanly) {
    const std::string whole =
        file({row(1, kWeeklyWithException, "one"), row(2, kWeeklyByReference, "two")});
    for (std::size_t size = 0; size < whole.size(); ++size) {
        SCOPED_TRACE(testing::Message() << "prefix of " << size << " bytes");
        FakeFile fake;
        if (fake.LoadBytes(bytesOf(whole.substr(0, size)), "fake.dat")) {
            EXPECT_EQ(fake.GetLoadResult(), LoadResult::Partial);
            EXPECT_LT(fake.GetRecords()->Count(), 2u);
            std::vector<std::uint8_t> out;
            EXPECT_FALSE(fake.SaveToBytes(out)) << "a file read in part is never saved over";
        } else {
            EXPECT_FALSE(fake.GetLastError().empty());
        }
    }
}

} // namespace
} // namespace twinleaf

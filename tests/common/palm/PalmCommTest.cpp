#include "common/palm/PalmComm.h"

#include "common/palm/PalmFileBuilder.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace twinleaf {
namespace {

using test::cstring;
using test::le32;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

// Writes with the primitives into a file and returns its bytes.
std::string written(const std::function<bool(PmDBUtil&)>& write) {
    TempDir dir;
    const std::string path = (dir.path() / "out.dat").string();
    PmDBUtil file;
    EXPECT_TRUE(file.OpenFile(path.c_str(), PmDBUtil::CreateAlways));
    EXPECT_TRUE(write(file));
    EXPECT_TRUE(file.CloseFile());
    return readBytes(path);
}

// Opens the bytes for reading with the primitives.
struct Reading {
    TempDir dir;
    PmDBUtil file;
    explicit Reading(const std::string& bytes) {
        const auto path = dir.path() / "in.dat";
        writeBytes(path, bytes);
        EXPECT_TRUE(file.OpenFile(path.c_str(), PmDBUtil::Read));
    }
};

TEST(PmDBUtil, WritesEachCStringForm) {
    struct Case {
        const char* name;
        std::size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {"empty is one zero byte", 0, std::string(1, '\0')},
        {"one character", 1, "\x01"},
        {"254 characters keep the short length", 254, "\xfe"},
        {"255 characters take the escape", 255, std::string("\xff\xff\x00", 3)},
        {"65535 characters are the most", 65535, "\xff\xff\xff"},
        {"a longer text is cut, not wrapped", 70000, "\xff\xff\xff"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text(c.length, 'x');
        const std::string bytes = written([&](PmDBUtil& f) { return f.WriteCString(text); });
        const std::size_t kept = std::min<std::size_t>(c.length, 65535);
        EXPECT_SAME_BYTES(c.prefix + std::string(kept, 'x'), bytes);
    }
    EXPECT_SAME_BYTES(std::string(1, '\0'),
                      written([](PmDBUtil& f) { return f.WriteCString(nullptr); }));
}

TEST(PmDBUtil, WritesTaggedFieldsAsPalmDesktopDoes) {
    const std::string bytes = written([](PmDBUtil& f) {
        return f.WriteIntField(7) && f.WriteDateField(-2) && f.WriteBoolField(1) &&
               f.WriteStringField("ab") && f.WriteStringField("") && f.WriteInt64Field(0x0102);
    });
    const std::string expected =
        le32(1) + le32(7) + le32(3) + le32(-2) + le32(6) + le32(1) + le32(5) + le32(0) +
        "\x02"
        "ab" +
        le32(5) + le32(0) + std::string(1, '\0') + le32(68) + "\x02\x01" + std::string(6, '\0');
    EXPECT_SAME_BYTES(expected, bytes);
}

TEST(PmDBUtil, BlobFieldsFollowTheirKind) {
    std::uint8_t data[5] = {1, 2, 3, 4, 5};
    const BlobValue none{64, 0, 0, 0, 0, nullptr};
    const BlobValue counted{65, 2, 7, 8, 3, data};
    const BlobValue sized{66, 5, 0, 0, 0, data};
    const std::string bytes = written([&](PmDBUtil& f) {
        return f.WriteBlobField(none) && f.WriteBlobField(counted) && f.WriteBlobField(sized);
    });
    const std::string expected = le32(64) + le32(0) + le32(65) + le32(2) + le32(7) + le32(8) +
                                 le32(3) + "\x01\x02\x03" + le32(66) + le32(5) +
                                 "\x01\x02\x03\x04\x05";
    ASSERT_SAME_BYTES(expected, bytes);

    Reading in(bytes);
    BlobValue blob{};
    ASSERT_TRUE(in.file.ReadBlobField(blob));
    EXPECT_EQ(blob.Kind, 0);
    EXPECT_EQ(blob.Data, nullptr);
    ASSERT_TRUE(in.file.ReadBlobField(blob));
    EXPECT_EQ(blob.Size, 3);
    EXPECT_EQ(blob.Word3, 8);
    std::free(blob.Data);
    ASSERT_TRUE(in.file.ReadBlobField(blob));
    EXPECT_EQ(blob.Size, 5);
    EXPECT_EQ(blob.Data[4], 5);
    std::free(blob.Data);

    const BlobValue missing{64, 1, 0, 0, 4, nullptr};
    PmDBUtil file;
    TempDir dir;
    ASSERT_TRUE(file.OpenFile((dir.path() / "x").c_str(), PmDBUtil::CreateAlways));
    EXPECT_FALSE(file.WriteBlobField(missing));

    Reading past(le32(64) + le32(1) + le32(0) + le32(0) + le32(1000) + "abc");
    EXPECT_FALSE(past.file.ReadBlobField(blob));
    EXPECT_EQ(blob.Data, nullptr);
}

// The class entry every written repeat carries: new-class marker, schema 1, the name.
std::string classEntry(std::string_view name) {
    return test::le16(0xFFFF) + test::le16(1) + test::le16(static_cast<std::int32_t>(name.size())) +
           std::string(name);
}

std::string repeatWords(std::int32_t type) {
    return le32(type) + le32(2) + le32(0x749DCEFF) + le32(1);
}

struct RepeatCase {
    const char* name;
    RepeatValue value;
    std::string bytes;
};

// Type, interval 2, no end, Monday first; then the words of the type.
std::vector<RepeatCase> repeatCases() {
    const auto repeat = [](std::int32_t type) {
        return RepeatValue{type, 2, 0x749DCEFF, 1, 0, 0, 0, 0, 0};
    };
    const std::string head = le32(8) + test::le16(0);
    RepeatCase daily{"daily", repeat(1), head + classEntry("CDayName") + repeatWords(1) + le32(3)};
    daily.value.DayIndex = 3;
    RepeatCase weekly{"weekly ends with a one-byte day mask", repeat(2),
                      head + classEntry("CWeekly") + repeatWords(2) + le32(1) + "\x2a"};
    weekly.value.DayIndex = 1;
    weekly.value.DaysMask = 0x2a;
    RepeatCase byDay{"monthly by day", repeat(3),
                     head + classEntry("CDayOfMonth") + repeatWords(3) + le32(4) + le32(2)};
    byDay.value.DayIndex = 4;
    byDay.value.WeekIndex = 2;
    RepeatCase byDate{"monthly by date", repeat(4),
                      head + classEntry("CDateOfMonth") + repeatWords(4) + le32(17)};
    byDate.value.DateNumber = 17;
    RepeatCase yearly{"yearly by date", repeat(5),
                      head + classEntry("CDateOfYear") + repeatWords(5) + le32(24) + le32(11)};
    yearly.value.DateNumber = 24;
    yearly.value.MonthIndex = 11;
    return {
        {"no repeat", RepeatValue{}, head + test::le16(0)},
        daily,
        weekly,
        byDay,
        byDate,
        yearly,
        {"yearly by day has no words of its own", repeat(6),
         head + classEntry("CDayOfYear") + repeatWords(6)},
    };
}

void expectSameRepeat(const RepeatValue& expected, const RepeatValue& actual) {
    EXPECT_EQ(expected.RepeatType, actual.RepeatType);
    EXPECT_EQ(expected.Interval, actual.Interval);
    EXPECT_EQ(expected.EndDate, actual.EndDate);
    EXPECT_EQ(expected.FirstDayOfWeek, actual.FirstDayOfWeek);
    EXPECT_EQ(expected.DayIndex, actual.DayIndex);
    EXPECT_EQ(expected.DaysMask, actual.DaysMask);
    EXPECT_EQ(expected.WeekIndex, actual.WeekIndex);
    EXPECT_EQ(expected.MonthIndex, actual.MonthIndex);
    EXPECT_EQ(expected.DateNumber, actual.DateNumber);
}

TEST(PmDBUtil, EveryRepeatIsWrittenWithItsClassEntryAndReadBack) {
    for (const RepeatCase& c : repeatCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_SAME_BYTES(c.bytes,
                          written([&](PmDBUtil& f) { return f.WriteRepeatField(c.value); }));
        Reading in(c.bytes);
        RepeatValue read{};
        ASSERT_TRUE(in.file.ReadRepeatField(read));
        expectSameRepeat(c.value, read);
        EXPECT_EQ(in.file.GetFilePosition(), c.bytes.size());
    }
}

TEST(PmDBUtil, RepeatReadsOverExceptionsAndFollowsBackReferences) {
    // Two exception dates, then a reference to a class named earlier in the file.
    const std::string bytes = le32(8) + test::le16(2) + le32(100) + le32(200) + test::le16(0x8001) +
                              repeatWords(4) + le32(9) + le32(77);
    Reading in(bytes);
    RepeatValue read{};
    ASSERT_TRUE(in.file.ReadRepeatField(read));
    EXPECT_EQ(read.RepeatType, 4);
    EXPECT_EQ(read.DateNumber, 9);
    std::int32_t next = 0;
    ASSERT_TRUE(in.file.ReadInt32(next));
    EXPECT_EQ(next, 77);
}

TEST(PmDBUtil, DamagedRepeatsFailCleanly) {
    const std::string withExceptions = le32(8) + test::le16(1) + le32(5) + classEntry("CWeekly") +
                                       repeatWords(2) + le32(1) + "\x01";
    std::vector<std::string> fields = {withExceptions};
    for (const RepeatCase& c : repeatCases()) {
        fields.push_back(c.bytes);
    }
    for (const std::string& field : fields) {
        for (std::size_t size = 0; size < field.size(); ++size) {
            SCOPED_TRACE(testing::Message() << "prefix of " << size << " of " << field.size());
            Reading in(field.substr(0, size));
            RepeatValue read{};
            EXPECT_FALSE(in.file.ReadRepeatField(read));
        }
    }
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case broken[] = {
        {"another tag", le32(5) + test::le16(0) + test::le16(0)},
        {"class entry of another schema",
         le32(8) + test::le16(0) + test::le16(0xFFFF) + test::le16(2) + test::le16(0)},
        {"more exceptions than bytes", le32(8) + test::le16(9000) + le32(1) + le32(2)},
        // Read as whole, it could never be written back.
        {"a type no class names", le32(8) + test::le16(0) + classEntry("CWeekly") + le32(787967) +
                                      le32(1) + le32(0) + le32(0)},
    };
    for (const Case& c : broken) {
        SCOPED_TRACE(c.name);
        Reading in(c.bytes);
        RepeatValue read{};
        EXPECT_FALSE(in.file.ReadRepeatField(read));
    }

    TempDir dir;
    PmDBUtil file;
    ASSERT_TRUE(file.OpenFile((dir.path() / "x").c_str(), PmDBUtil::CreateAlways));
    EXPECT_FALSE(file.WriteRepeatField(RepeatValue{7, 1, 0, 0, 0, 0, 0, 0, 0}))
        << "a type without a class is refused, not written";
    EXPECT_EQ(file.GetFilePosition(), 0u);
}

TEST(PmDBUtil, Int64FieldsRoundTrip) {
    const std::int64_t values[] = {0, -1, 0x0102030405060708, INT64_MIN};
    for (std::int64_t value : values) {
        SCOPED_TRACE(value);
        const std::string bytes = written([&](PmDBUtil& f) { return f.WriteInt64Field(value); });
        Reading in(bytes);
        std::int64_t read = 0;
        ASSERT_TRUE(in.file.ReadInt64Field(read));
        EXPECT_EQ(read, value);
        for (std::size_t size = 0; size < bytes.size(); ++size) {
            Reading cut(bytes.substr(0, size));
            EXPECT_FALSE(cut.file.ReadInt64Field(read)) << "prefix of " << size;
        }
    }
}

TEST(PmDBUtil, ReadStringFieldCutsToTheSlotAndConsumesTheWholeText) {
    Reading in(test::textField(std::string(9000, 'a'), 1) + le32(1) + le32(42));
    char slot[256];
    ASSERT_TRUE(in.file.ReadStringField(slot, sizeof slot));
    EXPECT_EQ(std::string(slot), std::string(255, 'a'));
    std::int32_t next = 0;
    ASSERT_TRUE(in.file.ReadIntField(next));
    EXPECT_EQ(next, 42);

    Reading wide(test::textField(std::string(9000, 'b')));
    std::string big(10000, '\0');
    ASSERT_TRUE(wide.file.ReadStringField(big.data(), big.size()));
    EXPECT_EQ(std::string(big.c_str()).size(), 8191u);
}

TEST(PmDBUtil, ReadStringFieldIntoATextCutsAsItsWidthWouldAndConsumesTheWholeText) {
    struct Case {
        const char* name;
        std::string text;
        std::size_t width;
        std::string held;
    };
    const Case cases[] = {
        {"fits", "Ann", 32, "Ann"},
        {"one byte too many for the terminator", std::string(32, 'a'), 32, std::string(31, 'a')},
        {"cut to the width", std::string(9000, 'b'), 256, std::string(255, 'b')},
        {"never more than 8191 bytes", std::string(9000, 'c'), 8196, std::string(8191, 'c')},
        {"stops at a NUL inside", std::string("ab\0cd", 5), 32, "ab"},
        {"empty holds nothing", "", 32, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Reading in(test::textField(c.text) + le32(1) + le32(42));
        TextValue text;
        text.assign("before", 32);
        ASSERT_TRUE(in.file.ReadStringField(text, c.width));
        EXPECT_EQ(text.view(), c.held);
        EXPECT_EQ(text.empty(), c.held.empty());
        std::int32_t next = 0;
        ASSERT_TRUE(in.file.ReadIntField(next));
        EXPECT_EQ(next, 42);
    }
    // A text that runs past the end fails and leaves nothing of the old value behind.
    const std::string whole = test::textField("Ann");
    Reading cut(whole.substr(0, whole.size() - 1));
    TextValue text;
    text.assign("before", 32);
    EXPECT_FALSE(cut.file.ReadStringField(text, 32));
    EXPECT_TRUE(text.empty());
}

TEST(PmDBUtil, ReadIntFieldTakesNumberTagsOnly) {
    for (std::int32_t tag : {1, 3, 6}) {
        SCOPED_TRACE(tag);
        Reading in(le32(tag) + le32(-9));
        std::int32_t value = 0;
        ASSERT_TRUE(in.file.ReadIntField(value));
        EXPECT_EQ(value, -9);
    }
    Reading text(test::textField("x"));
    std::int32_t value = 0;
    EXPECT_FALSE(text.file.ReadIntField(value));
    Reading cut(le32(1) + "\x01\x02");
    EXPECT_FALSE(cut.file.ReadIntField(value));
}

TEST(PmDBUtil, ReadCStringReportsTheLengthItNeeds) {
    Reading in(cstring(std::string(256, 'z')) + cstring("ok"));
    char buffer[256];
    std::uint32_t capacity = sizeof buffer;
    EXPECT_FALSE(in.file.ReadCString(buffer, &capacity));
    EXPECT_EQ(capacity, 256u);
    EXPECT_STREQ(buffer, "");

    Reading fits(cstring(std::string(255, 'z')));
    capacity = sizeof buffer;
    ASSERT_TRUE(fits.file.ReadCString(buffer, &capacity));
    EXPECT_EQ(std::string(buffer).size(), 255u);

    Reading past(std::string("\x09"
                             "abc"));
    capacity = sizeof buffer;
    EXPECT_FALSE(past.file.ReadCString(buffer, &capacity));
}

TEST(PmDBUtil, RawReadsFailAtTheEndInsteadOfReadingPastIt) {
    Reading in("\x01\x02\x03");
    std::int32_t value = 0;
    EXPECT_FALSE(in.file.ReadInt32(value));
    std::int16_t half = 0;
    ASSERT_TRUE(in.file.ReadInt16(half));
    EXPECT_EQ(half, 0x0201);
    EXPECT_EQ(in.file.GetFilePosition(), 2u);
    char byte = 0;
    EXPECT_FALSE(in.file.ReadBytes(&byte, 2));
    EXPECT_TRUE(in.file.ReadBytes(&byte, 1));
    EXPECT_FALSE(in.file.ReadBytes(&byte, 1));
}

TEST(PmDBUtil, OpenFileRefusesWhatItCannotUse) {
    PmDBUtil file;
    TempDir dir;
    EXPECT_FALSE(file.OpenFile(nullptr, PmDBUtil::Read));
    EXPECT_FALSE(file.OpenFile("", PmDBUtil::Read));
    EXPECT_FALSE(file.OpenFile((dir.path() / "missing").c_str(), PmDBUtil::ReadWrite));
    EXPECT_FALSE(file.OpenFile((dir.path() / "missing").c_str(), PmDBUtil::Write));
    EXPECT_FALSE(file.OpenFile(dir.path().c_str(), PmDBUtil::Read));
    EXPECT_FALSE(file.OpenFile((dir.path() / "x").c_str(), 7));
    // Writing without an open file, and a failed save, are reported.
    EXPECT_FALSE(file.WriteInt32(1));
    ASSERT_TRUE(file.OpenFile((dir.path() / "gone" / "x").c_str(), PmDBUtil::CreateAlways));
    ASSERT_TRUE(file.WriteInt32(1));
    EXPECT_FALSE(file.CloseFile());
    EXPECT_NE(file.GetLastError().find("gone"), std::string::npos) << file.GetLastError();
}

PmCategory category(std::int32_t index, std::int32_t id, const char* name) {
    PmCategory c;
    c.SetIndex(index);
    c.SetId(id);
    c.SetName(name);
    return c;
}

TEST(PmCategoryMgr, AddGivesTheLowestFreeSlotAndAnIdAboveAllOthers) {
    PmCategoryMgr table;
    for (const PmCategory& c : {category(0, 0, "Unfiled"), category(1, 1, "One"),
                                category(2, 2, "Two"), category(3, 5, "Five")}) {
        ASSERT_TRUE(table.Add(&c));
    }
    const PmCategory fresh = category(-1, -1, "New");
    ASSERT_TRUE(table.Add(&fresh));
    const PmCategory* added = table.FindByName("new");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->GetIndex(), 4);
    EXPECT_EQ(added->GetId(), 6);
    EXPECT_EQ(added->GetFlags() & kCategoryDirty, kCategoryDirty);
    EXPECT_EQ(table.GetModified(), 1);

    // A gap in the slots must not make a new category reuse an id a later slot carries.
    PmCategoryMgr gapped;
    for (const PmCategory& c :
         {category(0, 0, "Unfiled"), category(1, 1, "One"), category(3, 2, "Three")}) {
        ASSERT_TRUE(gapped.Add(&c));
    }
    ASSERT_TRUE(gapped.Add(&fresh));
    EXPECT_EQ(gapped.GetAt(2)->GetId(), 3);

    const PmCategory sameId = category(-1, 2, "Dup");
    EXPECT_FALSE(gapped.Add(&sameId));
    const PmCategory outside = category(16, 9, "Out");
    EXPECT_FALSE(gapped.Add(&outside));
    EXPECT_FALSE(gapped.Add(nullptr));
}

TEST(PmCategoryMgr, TakenSlotMovesTheNewcomerAndAFullTableRefuses) {
    PmCategoryMgr table;
    const PmCategory unfiled = category(0, 0, "Unfiled");
    ASSERT_TRUE(table.Add(&unfiled));
    const PmCategory first = category(1, 1, "First");
    const PmCategory second = category(1, 2, "Second");
    ASSERT_TRUE(table.Add(&first));
    ASSERT_TRUE(table.Add(&second));
    EXPECT_STREQ(table.GetAt(1)->GetName(), "First");
    EXPECT_STREQ(table.GetAt(2)->GetName(), "Second");
    for (int i = 3; i < 16; ++i) {
        const PmCategory more = category(-1, -1, ("C" + std::to_string(i)).c_str());
        ASSERT_TRUE(table.Add(&more)) << i;
    }
    EXPECT_EQ(table.GetCount(), 16);
    const PmCategory extra = category(-1, -1, "Extra");
    EXPECT_FALSE(table.Add(&extra));
}

TEST(PmCategoryMgr, NamesAreCutLookedUpWithoutCaseAndGiveFileSafeLongNames) {
    PmCategoryMgr table;
    const PmCategory unfiled = category(0, 0, "Unfiled");
    ASSERT_TRUE(table.Add(&unfiled));
    PmCategory slash = category(-1, -1, "Work/Home");
    slash.SetLongName("kept from the file");
    ASSERT_TRUE(table.Add(&slash));
    const PmCategory* stored = table.FindByName("WORK/home");
    ASSERT_NE(stored, nullptr);
    char text[256];
    std::uint32_t length = sizeof text;
    ASSERT_TRUE(stored->CopyLongName(text, &length));
    EXPECT_STREQ(text, "Work_Home");
    EXPECT_EQ(length, 9u);

    const PmCategory longName = category(-1, -1, "Business Contacts Abroad");
    ASSERT_TRUE(table.Add(&longName));
    EXPECT_STREQ(table.GetAt(2)->GetName(), "Business Contac");
    EXPECT_EQ(table.FindByName("Business Contacts Abroad"), table.GetAt(2));
    EXPECT_EQ(table.FindByName("Business"), nullptr);
    EXPECT_EQ(table.FindByName(""), nullptr);

    length = 4;
    EXPECT_FALSE(stored->CopyName(text, &length)) << "does not fit with its terminator";
    EXPECT_TRUE(stored->Equals(*stored));
    EXPECT_FALSE(stored->Equals(category(1, 1, "work/home")));

    int seen = 0;
    for (PmCategory* c = table.First(); c != nullptr; c = table.Next()) {
        ++seen;
    }
    EXPECT_EQ(seen, 3);
    EXPECT_EQ(table.GetAt(-1), nullptr);
}

// Reads and writes only the classic header of any kind of file, passing over the rows field by
// field; enough to check the shared steps against files of another kind.
class ClassicProbe : public PmDBUtil {
public:
    explicit ClassicProbe(std::uint32_t versionTag) {
        static const std::int16_t types[] = {1, 1, 1, 5, 3, 6, 1, 6, 1, 5};
        SetDefaults({44, 10, 0, 1, 2}, types, versionTag);
    }
    bool Load(const std::string& path) {
        const bool ok = BeginLoad(path) && ReadVersionTagOf(m_versionTag, "to-do file") &&
                        ReadStoredFileName() && ReadWholeTableString() && ReadCategoryBlock() &&
                        ReadSchemaBlock() && ReadRows(m_codec, [this](void*) {
                            ++m_rows;
                            return true;
                        });
        return FinishLoad(ok);
    }
    bool Save(const std::string& path) {
        if (!BeginSave(path)) {
            return false;
        }
        bool ok = WriteInt32(static_cast<std::int32_t>(m_versionTag)) &&
                  WriteStoredFileName(path) && WriteTableString() && WriteCategoryBlock() &&
                  WriteSchemaBlock() && WriteEntryCount(m_rows);
        for (std::uint32_t row = 1; ok && row <= m_rows; ++row) {
            ok = WriteRow(m_codec, &row);
        }
        return FinishSave(ok && WriteTrailer());
    }
    std::uint32_t m_rows = 0;
    RowCodec m_codec{{}, 0, &NewRowRecord<std::uint32_t>, &DeleteRowRecord<std::uint32_t>};
};

TEST(PmDBUtil, ClassicHeaderOfRealToDoFilesReadsAndWritesBackUnchanged) {
    const auto folder = test::realData() / "Android-ToDo";
    if (!std::filesystem::exists(folder)) {
        GTEST_SKIP() << "no real data at " << folder;
    }
    int classicFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string original = readBytes(entry.path());
        if (original.rfind(std::string("\x00\x01\x44\x54", 4), 0) != 0) {
            continue; // extended or the bare second version: not classic files
        }
        SCOPED_TRACE(entry.path().filename().string());
        ++classicFiles;
        ClassicProbe probe(0x54440100);
        ASSERT_TRUE(probe.Load(entry.path().string())) << probe.GetLastError();
        EXPECT_EQ(probe.GetLoadResult(), LoadResult::Complete) << probe.GetLastError();
        EXPECT_EQ(probe.GetSchema().fieldsPerRow, 10);
        EXPECT_EQ(probe.GetFieldTypes().size(), 10u);
        ASSERT_NE(probe.GetCategories(), nullptr);
        EXPECT_STREQ(probe.GetCategories()->FindById(0)->GetName(), "Unfiled");
        TempDir dir;
        const auto copy = dir.path() / "todo.dat";
        ASSERT_TRUE(probe.Save(copy.string())) << probe.GetLastError();
        EXPECT_SAME_BYTES(original, readBytes(copy));
    }
    EXPECT_GE(classicFiles, 5);

    ClassicProbe categories(0x54440100);
    ASSERT_TRUE(categories.Load((folder / "Palm-categories-v1.dat").string()));
    const PmCategoryMgr* table = categories.GetCategories();
    EXPECT_EQ(table->GetCount(), 11);
    EXPECT_EQ(table->GetNextFree(), 11);
    EXPECT_STREQ(table->FindById(10)->GetName(), "Kappa");
    EXPECT_EQ(table->FindById(10)->GetIndex(), 10);
    EXPECT_EQ(categories.m_rows, 1u);

    // An address book reader does not take a to-do file.
    ClassicProbe wrongKind(0x41420100);
    EXPECT_FALSE(wrongKind.Load((folder / "Palm-minimal-v1.dat").string()));
    EXPECT_EQ(wrongKind.GetLoadResult(), LoadResult::NotThisFormat);
}

TEST(PmDBUtil, CategoryBlockIsWrittenFromTheTableOnceItChanged) {
    TempDir dir;
    const auto path = dir.path() / "todo.dat";
    const std::string header =
        std::string("\x00\x01\x44\x54", 4) + cstring("C:\\t.dat") + cstring("");
    const std::string block = test::categoryBlock(
        {{1, 1, "Alpha", "A", 0}, {2, 4, "VeryLongCategoryName", "Long", 1}}, 11);
    const std::string rest = test::schema(10, {1, 1, 1, 5, 3, 6, 1, 6, 1, 5}) + le32(0);
    writeBytes(path, header + block + rest);

    ClassicProbe probe(0x54440100);
    ASSERT_TRUE(probe.Load(path.string()));
    EXPECT_STREQ(probe.GetCategories()->FindById(4)->GetName(), "VeryLongCategor");
    std::int32_t id = 0;
    ASSERT_TRUE(probe.GetCategoryIdByName("alpha", &id, true));
    EXPECT_EQ(id, 1);
    EXPECT_FALSE(probe.GetCategoryIdByName("Beta", &id, false));
    EXPECT_EQ(id, 0);
    ASSERT_TRUE(probe.GetCategoryIdByName("Beta", &id, true));
    EXPECT_EQ(id, 5);
    ASSERT_TRUE(probe.GetCategoryIdByName("", &id, true));
    EXPECT_EQ(id, 0);

    ASSERT_TRUE(probe.Save(path.string())) << probe.GetLastError();
    // Entries read from the file go back as they were (full name, its long name, its dirty
    // word); the new one is written from the table with dirty word 0 and its slot as index.
    const std::string expectedBlock =
        test::categoryBlock({{1, 1, "Alpha", "A", 0},
                             {2, 4, "VeryLongCategoryName", "Long", 1},
                             {3, 5, "Beta", "Beta", 0}},
                            11);
    EXPECT_SAME_BYTES(header + expectedBlock + rest, readBytes(path));
}

TEST(PmDBUtil, EmptyCategoryTableIsWrittenWithNoEntries) {
    TempDir dir;
    const auto path = dir.path() / "todo.dat";
    ClassicProbe probe(0x54440100);
    std::int32_t id = 0;
    ASSERT_TRUE(probe.GetCategoryIdByName("Unfiled", &id, false));
    EXPECT_EQ(id, 0);
    ASSERT_TRUE(probe.Save(path.string())) << probe.GetLastError();
    const std::string bytes = readBytes(path);
    // version, the path as stored name, empty table string, next free 128 and no entries
    const std::string expected = std::string("\x00\x01\x44\x54", 4) + cstring(path.string()) +
                                 std::string(1, '\0') + le32(128) + le32(0);
    EXPECT_SAME_BYTES(expected, bytes.substr(0, expected.size()));
}

} // namespace
} // namespace twinleaf

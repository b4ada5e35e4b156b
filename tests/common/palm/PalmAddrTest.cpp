#include "common/palm/PalmAddr.h"

#include "common/palm/PalmFileBuilder.h"
#include "platform/files/AtomicFile.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>

namespace twinleaf {
namespace {

using test::AddrRowFields;
using test::le32;
using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::filesystem::path fixture() {
    return test::testData() / "palm" / "address-classic.dat";
}

// The fixture copied into a test folder, named as Palm Desktop names it.
struct Copy {
    TempDir dir;
    std::filesystem::path path;
    std::string original;
    explicit Copy(std::string bytes = readBytes(fixture()))
        : path(dir.path() / "address.dat"), original(std::move(bytes)) {
        writeBytes(path, original);
    }
};

TEST(PmAddrUtil, LoadsEveryRowWithItsFieldsAndCategoryNames) {
    PmAddrUtil file(fixture().c_str());
    ASSERT_TRUE(file.IsLoaded()) << file.GetLastError();
    EXPECT_EQ(file.GetLoadResult(), LoadResult::Complete);
    PmAddrDataMgr& records = *file.GetRecords();
    ASSERT_EQ(records.Count(), 5u) << "deleted and archived rows are kept by the reader";

    const PmAddrRec& ann = *records.At(0);
    EXPECT_EQ(ann.RecordId, 101);
    EXPECT_EQ(fieldText(ann.LastName), "Smith");
    EXPECT_EQ(fieldText(ann.FirstName), "Ann");
    EXPECT_EQ(fieldText(ann.Company), "Acme");
    EXPECT_EQ(ann.PhoneLabel3, 4);
    EXPECT_EQ(fieldText(ann.Phone3), "ann@example.org");
    EXPECT_EQ(fieldText(ann.Country), "USA");
    EXPECT_EQ(fieldText(ann.Custom1), "c1");
    EXPECT_EQ(fieldText(ann.CategoryName), "Business");
    EXPECT_EQ(ann.FileRow, 1u);

    EXPECT_EQ(records.At(1)->Status, 0x04);
    const PmAddrRec& dora = *records.At(3);
    EXPECT_EQ(std::string(dora.Note), std::string(2047, 'n'));
    EXPECT_EQ(std::string(dora.Company), std::string(255, 'W'));
    EXPECT_EQ(dora.Private, 1);
    EXPECT_EQ(fieldText(dora.CategoryName), "Work/Home");
    EXPECT_EQ(fieldText(records.At(4)->CategoryName), "") << "id 9 is not in the table";
    EXPECT_EQ(fieldText(records.At(4)->Custom4), "c4");

    EXPECT_EQ(file.GetTableString(),
              "line one\nline two\nline three\nline four\nline five\nline six\n");
    EXPECT_EQ(file.GetCategories()->GetCount(), 3);
    EXPECT_EQ(file.GetPath(), fixture().string());
}

TEST(PmAddrUtil, UnchangedFileIsWrittenBackByteForByte) {
    Copy copy;
    PmAddrUtil file(copy.path.c_str());
    ASSERT_TRUE(file.IsLoaded());
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    EXPECT_SAME_BYTES(copy.original, readBytes(copy.path));
    EXPECT_FALSE(std::filesystem::exists(backupPathFor(copy.path)))
        << "a save that changes nothing leaves the file alone";

    const auto elsewhere = copy.dir.path() / "other.dat";
    ASSERT_TRUE(file.Save(elsewhere.c_str())) << file.GetLastError();
    EXPECT_SAME_BYTES(copy.original, readBytes(elsewhere))
        << "the stored Windows name is kept whatever the file is saved as";
}

TEST(PmAddrUtil, ChangingOneFieldChangesOnlyThatField) {
    Copy copy;
    PmAddrUtil file(copy.path.c_str());
    ASSERT_TRUE(file.IsLoaded());
    copyToField(file.GetRecords()->At(0)->Title, "Prof");
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();

    std::string expected = copy.original;
    const std::string before = test::textField("Dr");
    const std::size_t at = expected.find(before);
    ASSERT_NE(at, std::string::npos);
    expected.replace(at, before.size(), test::textField("Prof"));
    EXPECT_SAME_BYTES(expected, readBytes(copy.path));
}

TEST(PmAddrUtil, ChangedRowKeepsTheLongTextsOfItsOtherFields) {
    Copy copy;
    PmAddrUtil file(copy.path.c_str());
    ASSERT_TRUE(file.IsLoaded());
    PmAddrRec& dora = *file.GetRecords()->At(3);
    copyToField(dora.Title, "Ms");
    dora.Status |= 0x02;
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();

    const std::string saved = readBytes(copy.path);
    // Dora's row was written with the word 1 before each text; unchanged fields keep it, the
    // changed ones get the 0 Palm Desktop writes.
    EXPECT_NE(saved.find(test::textField(std::string(3000, 'n'), 1)), std::string::npos);
    EXPECT_NE(saved.find(test::textField(std::string(300, 'W'), 1)), std::string::npos);
    EXPECT_NE(saved.find(test::textField("Ms", 0)), std::string::npos);
    EXPECT_NE(saved.find(test::intField(0x02) + test::intField(4)), std::string::npos);

    PmAddrUtil again(copy.path.c_str());
    ASSERT_EQ(again.GetRecords()->Count(), 5u);
    EXPECT_EQ(fieldText(again.GetRecords()->At(3)->Title), "Ms");
    EXPECT_EQ(fieldText(again.GetRecords()->At(4)->FirstName), "Eve");
}

TEST(PmAddrUtil, NewRecordsAreWrittenAsPalmDesktopWritesThem) {
    TempDir dir;
    const auto path = dir.path() / "address.dat";
    PmAddrUtil file;
    PmAddrRec rec{};
    rec.Status = 0x01;
    rec.Position = 0x7FFFFFFF;
    copyToField(rec.LastName, "Doe");
    copyToField(rec.FirstName, "Jane");
    rec.PhoneLabel1 = 7;
    copyToField(rec.Phone1, "555");
    rec.Private = 1;
    ASSERT_TRUE(file.GetRecords()->Add(&rec));
    ASSERT_TRUE(file.Save(path.c_str())) << file.GetLastError();

    test::AddrRowFields fields;
    fields.id = 0;
    fields.status = 1;
    fields.last = "Doe";
    fields.first = "Jane";
    fields.phones = {{7, "555"}};
    std::string row = test::addrRow(fields);
    // position 0x7FFFFFFF and the private flag (tag 6)
    row.replace(16, 8, test::intField(0x7FFFFFFF));
    const std::size_t privateAt = row.find(test::intField(0, 6));
    row.replace(privateAt, 8, test::intField(1, 6));
    const std::string expected = std::string("\x00\x01\x42\x41", 4) + test::cstring(path.string()) +
                                 std::string(1, '\0') + le32(128) + le32(0) +
                                 test::schema(30, test::addrTypes()) + le32(30) + row;
    EXPECT_SAME_BYTES(expected, readBytes(path));
}

TEST(PmAddrUtil, SwappedNamesReadFieldThreeAsFirstNameAndKeepTheFileOrder) {
    Copy copy;
    PmAddrUtil file;
    file.SetSwapName(true);
    ASSERT_TRUE(file.Load(copy.path.c_str()));
    EXPECT_EQ(fieldText(file.GetRecords()->At(0)->FirstName), "Smith");
    EXPECT_EQ(fieldText(file.GetRecords()->At(0)->LastName), "Ann");
    copyToField(file.GetRecords()->At(0)->LastName, "Anne");
    ASSERT_TRUE(file.SaveInPlace());

    PmAddrUtil plain(copy.path.c_str());
    EXPECT_EQ(fieldText(plain.GetRecords()->At(0)->LastName), "Smith");
    EXPECT_EQ(fieldText(plain.GetRecords()->At(0)->FirstName), "Anne");
}

TEST(PmAddrUtil, FailedSaveLeavesTheFileAsItWas) {
    Copy copy;
    PmAddrUtil file(copy.path.c_str());
    copyToField(file.GetRecords()->At(0)->Title, "Prof");
    {
        ScopedFileFault fault(FileCall::Write, 1);
        EXPECT_FALSE(file.SaveInPlace());
    }
    EXPECT_NE(file.GetLastError().find("address.dat"), std::string::npos) << file.GetLastError();
    EXPECT_SAME_BYTES(copy.original, readBytes(copy.path));
    EXPECT_TRUE(file.SaveInPlace()) << "the records are still in memory";
}

// Another program saves the file between our load and save: its change must survive, whether it
// shows in the size, only in the time, or only in the bytes (same size, time set back).
TEST(PmAddrUtil, AFileChangedSinceItWasLoadedIsNotSavedOver) {
    const struct {
        const char* what;
        void (*change)(const std::filesystem::path&, const std::string&);
    } cases[] = {
        {"grown",
         [](const std::filesystem::path& p, const std::string& o) { writeBytes(p, o + "x"); }},
        {"touched",
         [](const std::filesystem::path& p, const std::string&) {
             std::filesystem::last_write_time(p, std::filesystem::last_write_time(p) +
                                                     std::chrono::seconds(5));
         }},
        {"same size and time",
         [](const std::filesystem::path& p, const std::string& o) {
             const auto time = std::filesystem::last_write_time(p);
             std::string other = o;
             other[other.size() - 1] = static_cast<char>(other.back() ^ 1);
             writeBytes(p, other);
             std::filesystem::last_write_time(p, time);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Copy copy;
        PmAddrUtil file(copy.path.c_str());
        ASSERT_TRUE(file.IsLoaded());
        copyToField(file.GetRecords()->At(0)->Title, "Prof");
        c.change(copy.path, copy.original);
        const std::string theirs = readBytes(copy.path);
        EXPECT_FALSE(file.SaveInPlace());
        EXPECT_NE(file.GetLastError().find("address.dat"), std::string::npos);
        EXPECT_NE(file.GetLastError().find("changed by another program"), std::string::npos);
        EXPECT_SAME_BYTES(theirs, readBytes(copy.path));
    }
}

TEST(PmAddrUtil, SavingTwiceAfterOneLoadIsNotMistakenForAnotherWriter) {
    Copy copy;
    PmAddrUtil file(copy.path.c_str());
    copyToField(file.GetRecords()->At(0)->Title, "Prof");
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    copyToField(file.GetRecords()->At(0)->Title, "Dr");
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    EXPECT_SAME_BYTES(copy.original, readBytes(copy.path));
}

// Bad input: each case is a file with one fault; the reader answers with an error or with the
// rows that are whole, and a file it did not read completely is never saved over.
TEST(PmAddrUtil, DamagedFilesFailCleanlyOrLoadTheWholeRows) {
    const AddrRowFields ann = test::addrPerson(1, "Smith", "Ann");
    const AddrRowFields bob = test::addrPerson(2, "Jones", "Bob");
    const std::string good = test::addrFile({ann, bob});
    const std::string header = test::addrHeader();
    struct Case {
        const char* name;
        std::string bytes;
        LoadResult result;
        std::uint32_t rows;
    };
    std::string wrongTag = good;
    wrongTag[1] = '\x02';
    std::string zeroFields = header;
    zeroFields.replace(zeroFields.size() - 78, 4, le32(0));
    const std::string secondRowCut = good.substr(0, good.size() - 10);
    std::string pastTheEnd = header + le32(60) + test::addrRow(ann) + test::intField(2) +
                             test::intField(0) + test::intField(2) + le32(5) + le32(0) +
                             "\xff\x10\x27"
                             "abc";
    std::string badTag = good;
    badTag.replace(header.size() + 4 + test::addrRow(ann).size(), 4, le32(9));
    std::string hugeCategories = std::string("\x00\x01\x42\x41", 4) + test::cstring("x") +
                                 test::cstring("") + le32(128) + le32(100000);
    for (int i = 0; i < 40; ++i) {
        hugeCategories +=
            le32(i + 1) + le32(i + 1) + le32(0) + test::cstring("c") + test::cstring("c");
    }
    const Case cases[] = {
        {"wrong version tag", wrongTag, LoadResult::NotThisFormat, 0},
        {"extended signature",
         std::string("\xbe\xba\xfe\xca\x0f"
                     "PalmSG Database00RV"),
         LoadResult::NotThisFormat, 0},
        {"empty file", "", LoadResult::Damaged, 0},
        {"fields per row 0", zeroFields + le32(0), LoadResult::Damaged, 0},
        {"truncated header", header.substr(0, 40), LoadResult::Damaged, 0},
        {"truncated second row", secondRowCut, LoadResult::Partial, 1},
        {"text length past the end", pastTheEnd, LoadResult::Partial, 1},
        {"field tag that does not belong", badTag, LoadResult::Partial, 1},
        {"category count of 100000", hugeCategories, LoadResult::Damaged, 0},
        {"negative entry count", header + le32(-30), LoadResult::Partial, 0},
        {"no entry count", header, LoadResult::Partial, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Copy copy(c.bytes);
        PmAddrUtil file(copy.path.c_str());
        EXPECT_EQ(file.GetLoadResult(), c.result) << file.GetLastError();
        EXPECT_EQ(file.GetRecords()->Count(), c.rows);
        EXPECT_EQ(file.IsLoaded(), c.result == LoadResult::Partial);
        EXPECT_NE(file.GetLastError().find(copy.path.string()), std::string::npos)
            << "the message names the file: " << file.GetLastError();
        EXPECT_FALSE(file.SaveInPlace());
        EXPECT_SAME_BYTES(c.bytes, readBytes(copy.path));
    }
}

TEST(PmAddrUtil, EveryPrefixOfASmallFileLoadsCleanly) {
    AddrRowFields ann = test::addrPerson(1, "Smith", "Ann");
    ann.note = std::string(300, 'n');
    ann.category = 1;
    ann.phones = {{0, "555"}};
    const std::string whole = test::addrFile({ann, test::addrPerson(2, "Jones", "Bob")},
                                             {{1, 1, "Business", "Business"}});
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(whole.data());
    for (std::size_t size = 0; size < whole.size(); ++size) {
        PmAddrUtil file;
        file.LoadBytes({bytes, size}, "address.dat");
        ASSERT_NE(file.GetLoadResult(), LoadResult::Complete) << size;
        ASSERT_EQ(file.GetLastError().rfind("address.dat: ", 0), 0u) << size;
        ASSERT_LE(file.GetRecords()->Count(), 1u) << size;
        std::vector<std::uint8_t> out;
        ASSERT_FALSE(file.SaveToBytes(out)) << size;
    }
}

TEST(PmAddrUtil, RandomlyDamagedCopiesLoadCleanly) {
    const std::string whole = readBytes(fixture());
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    for (int round = 0; round < 2000; ++round) {
        std::string damaged = whole;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            damaged[random() % damaged.size()] = static_cast<char>(random());
        }
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round));
        PmAddrUtil file;
        file.LoadBytes({reinterpret_cast<const std::uint8_t*>(damaged.data()), damaged.size()},
                       "address.dat");
        if (file.GetLoadResult() == LoadResult::Complete) {
            std::vector<std::uint8_t> out;
            ASSERT_TRUE(file.SaveToBytes(out)) << file.GetLastError();
            ASSERT_SAME_BYTES(damaged, std::string(out.begin(), out.end()))
                << "a whole file goes back unchanged";
        }
    }
}

TEST(PmAddrUtil, UnusualSchemasAreKeptAndWrittenBack) {
    // A type list longer than the 30 known fields, and rows of 31 fields: the extra field is
    // passed over on reading and written back as read; a new record gets an empty text there.
    std::vector<std::int16_t> types = test::addrTypes();
    types.push_back(5);
    types.push_back(1);
    const AddrRowFields ann = test::addrPerson(1, "Smith", "Ann");
    const std::string bytes = std::string("\x00\x01\x42\x41", 4) + test::cstring("C:\\a.dat") +
                              test::cstring("") + test::categoryBlock({}) +
                              test::schema(31, types, 99) + le32(31) + test::addrRow(ann) +
                              test::textField("extra") + "tail";
    Copy copy(bytes);
    PmAddrUtil file(copy.path.c_str());
    ASSERT_EQ(file.GetLoadResult(), LoadResult::Complete) << file.GetLastError();
    EXPECT_EQ(file.GetFieldTypes().size(), 32u);
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    EXPECT_SAME_BYTES(bytes, readBytes(copy.path)) << "bytes after the rows are kept too";

    PmAddrRec added{};
    copyToField(added.LastName, "New");
    ASSERT_TRUE(file.GetRecords()->Add(&added));
    ASSERT_TRUE(file.SaveInPlace()) << file.GetLastError();
    PmAddrUtil again(copy.path.c_str());
    ASSERT_EQ(again.GetLoadResult(), LoadResult::Complete) << again.GetLastError();
    ASSERT_EQ(again.GetRecords()->Count(), 2u);
    EXPECT_EQ(fieldText(again.GetRecords()->At(1)->LastName), "New");
}

} // namespace
} // namespace twinleaf

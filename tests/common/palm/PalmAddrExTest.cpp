#include "common/palm/PalmAddrEx.h"

#include "common/palm/ContactsDateBookBuilder.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using namespace test;

// A book of two contacts: Ann with every kind of field set, and a deleted row. The labels carry
// words and the header, name trailer and label trailer bytes we do not interpret.
struct Book {
    TempDir dir;
    std::filesystem::path path = dir.path() / "address.dat";
    std::string bytes;

    explicit Book(std::string labels = labelBlock({"Birthday", "Spouse"}, pattern(42, '\x40'))) {
        std::vector<std::string> ann = addrExRow(7001, 4200);
        ann[4] = intField(3);
        ann[5] = intField(1);
        ann[6] = intField(1, 6);
        ann[7] = blobField(64, 1, "picture bytes", 11, 12);
        ann[8] = blobField(65, 4, "\x01\x02\x03\x04");
        ann[11] = textField("yomi");
        ann[13] = textField("Ann");
        ann[14] = textField("Smith");
        ann[16] = textField("Acme");
        ann[17] = intField(17);
        ann[18] = textField(std::string(3000, 'n')); // longer than the slot
        ann[19] = textField("555-1000");
        ann[25] = textField("ann@example.org");
        ann[26] = intField(0);
        ann[32] = intField(4);
        ann[41] = textField("custom nine");
        ann[43] = textField("1 Main St");
        ann[49] = textField("2 Home Rd");
        ann[57] = textField("Ohio");
        ann[60] = textField("ann-im");
        ann[64] = textField("carried");
        ann[65] = doubleField(kPalmBirthday);
        ann[66] = intField(1, 6);
        ann[72] = textField("last");
        const std::vector<std::string> gone = addrExRow(7002, 4201, 0x04);
        bytes = addrExHeader(path.string(), 0x1234, labels, {{1, 1, "Business", "Business"}}) +
                rows(73, {ann, gone});
        writeBytes(path, bytes);
    }
    static constexpr double kPalmBirthday = 129080608.0 + 3653.0;
};

TEST(PmAddrExUtil, ReadsEveryKindOfFieldOfAContactRow) {
    Book book;
    PmAddrExUtil file;
    file.SetSwapName(false);
    ASSERT_TRUE(file.Load(book.path.c_str())) << file.GetLastError();
    ASSERT_EQ(file.GetRecords()->Count(), 2u) << "a deleted row stays in the list";
    const PmAddrExRec& ann = *file.GetRecords()->At(0);
    EXPECT_EQ(ann.RecordId, 7001);
    EXPECT_EQ(ann.SequenceNo, 4200);
    EXPECT_EQ(ann.Private, 1);
    EXPECT_EQ(fieldText(ann.CategoryName), "Business");
    ASSERT_EQ(ann.Blob1.Size, 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(ann.Blob1.Data), 13), "picture bytes");
    EXPECT_EQ(ann.Blob1.Word2, 11);
    EXPECT_EQ(ann.Blob2.Kind, 4);
    EXPECT_EQ(ann.Blob2.Size, 4);
    EXPECT_EQ(ann.Blob3.Word0, 66);
    EXPECT_EQ(fieldText(ann.FirstName), "Ann");
    EXPECT_EQ(fieldText(ann.LastName), "Smith");
    EXPECT_EQ(std::string(ann.Note), std::string(2047, 'n'));
    EXPECT_EQ(fieldText(ann.Phone7), "ann@example.org");
    EXPECT_EQ(ann.PhoneLabel7, 4);
    EXPECT_EQ(fieldText(ann.Custom9), "custom nine");
    EXPECT_EQ(fieldText(ann.Address1.Street), "1 Main St");
    EXPECT_EQ(fieldText(ann.Address2.Street), "2 Home Rd");
    EXPECT_EQ(fieldText(ann.Address3.State), "Ohio");
    EXPECT_EQ(fieldText(ann.IM1Text), "ann-im");
    EXPECT_EQ(ann.BirthdayValue, Book::kPalmBirthday);
    EXPECT_EQ(ann.Carried17, 17);
    EXPECT_EQ(ann.Carried66, 1);
    EXPECT_EQ(fieldText(ann.Carried72), "last");
    EXPECT_EQ(std::string(file.GetLabel(0)), "Birthday");
    EXPECT_EQ(std::string(file.GetLabel(1)), "Spouse");
    EXPECT_EQ(file.GetRecords()->At(1)->Status, 0x04);
}

TEST(PmAddrExUtil, WritesBackWhatItReadByteForByte) {
    Book book;
    PmAddrExUtil file;
    file.SetSwapName(false);
    ASSERT_TRUE(file.Load(book.path.c_str())) << file.GetLastError();
    std::vector<std::uint8_t> saved;
    ASSERT_TRUE(file.SaveToBytes(saved)) << file.GetLastError();
    EXPECT_SAME_BYTES(book.bytes, std::string(saved.begin(), saved.end()));

    // A change to one field re-encodes that field alone; labels, their words and the trailers stay.
    std::string expected = book.bytes;
    const std::string before = textField("Acme");
    const std::string after = textField("Initech");
    expected.replace(expected.find(before), before.size(), after);
    copyToField(file.GetRecords()->At(0)->Company, "Initech");
    saved.clear();
    ASSERT_TRUE(file.SaveToBytes(saved)) << file.GetLastError();
    EXPECT_SAME_BYTES(expected, std::string(saved.begin(), saved.end()));
}

TEST(PmAddrExUtil, SwappedNamesReadFieldThirteenAsTheLastNameAndKeepTheFileOrder) {
    for (const bool swap : {false, true}) {
        SCOPED_TRACE(swap ? "swapped" : "as stored");
        Book book;
        PmAddrExUtil file;
        file.SetSwapName(swap);
        ASSERT_TRUE(file.Load(book.path.c_str())) << file.GetLastError();
        const PmAddrExRec& ann = *file.GetRecords()->At(0);
        EXPECT_EQ(fieldText(swap ? ann.LastName : ann.FirstName), "Ann");
        EXPECT_EQ(fieldText(swap ? ann.FirstName : ann.LastName), "Smith");
        std::vector<std::uint8_t> saved;
        ASSERT_TRUE(file.SaveToBytes(saved));
        EXPECT_SAME_BYTES(book.bytes, std::string(saved.begin(), saved.end()));
    }
}

TEST(PmAddrExUtil, RefusesDamagedLabelsAndForeignVersionTags) {
    struct DamageCase {
        const char* name;
        std::string bytes; // the whole file
        const char* said;  // in the error
    };
    const std::string labels = labelBlock({"Birthday"});
    const std::string header = addrExHeader("C:\\address.dat", 0x1000, labels);
    const std::size_t labelsAt = header.find(labels);
    const DamageCase cases[] = {
        {"a label of 40 characters",
         addrExHeader("C:\\address.dat", 0x1000, labelBlock({std::string(40, 'L')})) + le32(0),
         "custom field label 1 has 40 characters"},
        {"cut inside the third label", header.substr(0, labelsAt + 2 * 5 + 1 + 8 + 2), "label 3"},
        {"cut inside the label trailer", header.substr(0, labelsAt + labels.size() - 10),
         "trailer"},
        {"a classic version tag behind the signature",
         addrExHeader("C:\\address.dat", 0x1000, labels, {}, std::string("\x00\x01\x42\x41", 4)) +
             le32(0),
         "classic"},
    };
    for (const DamageCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto path = dir.path() / "address.dat";
        writeBytes(path, c.bytes);
        PmAddrExUtil file;
        EXPECT_FALSE(file.Load(path.c_str()));
        EXPECT_FALSE(file.IsLoaded());
        EXPECT_NE(file.GetLastError().find(path.string()), std::string::npos)
            << file.GetLastError();
        EXPECT_NE(file.GetLastError().find(c.said), std::string::npos) << file.GetLastError();
        EXPECT_EQ(file.GetRecords()->Count(), 0u);
    }
}

TEST(PmAddrExUtil, ANewBookStartsWithTheDefaultHeaderLabelsAndTypeList) {
    TempDir dir;
    const auto path = dir.path() / "address.dat";
    PmAddrExUtil made;
    ASSERT_TRUE(made.SetLabel(2, "Anniversary"));
    EXPECT_FALSE(made.SetLabel(3, std::string(33, 'x').c_str())) << "a label holds 32 characters";
    ASSERT_TRUE(made.Save(path.c_str())) << made.GetLastError();
    std::string header(24, '\0');
    header[12] = '\x01';
    header[13] = '\x10';
    std::string labels;
    for (int i = 0; i < 9; ++i) {
        labels += cstring(i == 2 ? "Anniversary" : "") + le32(0);
    }
    const std::string expected = extendedSignature() + std::string("\x00\x02\x42\x41", 4) + header +
                                 cstring(path.string()) + std::string(11, '\0') + labels +
                                 std::string(42, '\0');
    EXPECT_SAME_BYTES(expected, readBytes(path).substr(0, expected.size()));

    PmAddrExUtil read(path.c_str());
    ASSERT_TRUE(read.IsLoaded()) << read.GetLastError();
    EXPECT_EQ(read.GetFieldTypes(), addrExTypes());
    EXPECT_EQ(read.GetSchema().fieldsPerRow, 73);
    EXPECT_EQ(std::string(read.GetLabel(2)), "Anniversary");
}

} // namespace
} // namespace twinleaf

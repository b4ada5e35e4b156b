#include "common/palm/ContactsDateBookBuilder.h"
#include "common/palm/PalmAddrInfo.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <array>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace twinleaf {
namespace {

using namespace test;

CommAddrRec everything() {
    CommAddrRec c{};
    copyToField(c.FirstName, "Ann");
    copyToField(c.LastName, "Smith");
    copyToField(c.WorkPhone, "w");
    copyToField(c.HomePhone, "h");
    copyToField(c.Fax, "f");
    copyToField(c.OtherPhone, "o");
    copyToField(c.EMail, "e");
    copyToField(c.MainPhone, "m");
    copyToField(c.MobilePhone, "c");
    copyToField(c.Pager, "p");
    copyToField(c.WorkStreet, "1 Work St");
    copyToField(c.WorkCity, "Worktown");
    copyToField(c.HomeStreet, "2 Home Rd");
    copyToField(c.HomePostal, "12345");
    copyToField(c.OtherStreet, "3 Other Way");
    copyToField(c.OtherCountry, "Norway");
    const std::array customs = {&c.Custom1, &c.Custom2, &c.Custom3, &c.Custom4, &c.Custom5,
                                &c.Custom6, &c.Custom7, &c.Custom8, &c.Custom9};
    for (std::size_t i = 0; i < customs.size(); ++i) {
        copyToField(*customs[i], "custom " + std::to_string(i + 1));
    }
    copyToField(c.IMAddress, "ann-im");
    copyToField(c.IMAddress2, "ann-im2");
    c.Birthday = 29000.0;
    c.Private = 1;
    return c;
}

TEST(PmAddrKindExtended, MapsThreeAddressesSevenPhonesNineCustomFieldsAndTheBirthday) {
    PmAddrExRec palm{};
    PmAddrKind::CommonToExtended(everything(), palm);
    const std::pair<std::int32_t, std::string> slots[] = {
        {palm.PhoneLabel1, palm.Phone1.c_str()}, {palm.PhoneLabel2, palm.Phone2.c_str()},
        {palm.PhoneLabel3, palm.Phone3.c_str()}, {palm.PhoneLabel4, palm.Phone4.c_str()},
        {palm.PhoneLabel5, palm.Phone5.c_str()}, {palm.PhoneLabel6, palm.Phone6.c_str()},
        {palm.PhoneLabel7, palm.Phone7.c_str()}};
    const std::pair<std::int32_t, std::string> expected[] = {{0, "w"}, {1, "h"}, {2, "f"}, {3, "o"},
                                                             {4, "e"}, {5, "m"}, {7, "c"}};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(slots[i], expected[i]) << "slot " << i + 1 << ": every value has a slot";
    }
    EXPECT_EQ(fieldText(palm.Address1.Street), "1 Work St");
    EXPECT_EQ(fieldText(palm.Address2.Zip), "12345");
    EXPECT_EQ(fieldText(palm.Address3.Country), "Norway");
    EXPECT_EQ(palm.AddressType1, 0);
    EXPECT_EQ(palm.AddressType2, 1);
    EXPECT_EQ(palm.AddressType3, 2);
    EXPECT_EQ(fieldText(palm.Custom9), "custom 9");
    EXPECT_EQ(fieldText(palm.IM2Text), "ann-im2");
    EXPECT_EQ(palm.BirthdayValue, 29000.0 + kPalmDateOffset);
    EXPECT_EQ(palm.Private, 1);

    // Back again: the address types do not decide which address is which.
    palm.AddressType1 = 2;
    palm.AddressType3 = 0;
    CommAddrRec back{};
    PmAddrKind::ExtendedToCommon(palm, back);
    const CommAddrRec sent = everything();
    for (const auto& [got, want] :
         {std::pair{fieldText(back.WorkStreet), fieldText(sent.WorkStreet)},
          std::pair{fieldText(back.HomeStreet), fieldText(sent.HomeStreet)},
          std::pair{fieldText(back.OtherCountry), fieldText(sent.OtherCountry)},
          std::pair{fieldText(back.MainPhone), fieldText(sent.MainPhone)},
          std::pair{fieldText(back.MobilePhone), fieldText(sent.MobilePhone)},
          std::pair{fieldText(back.Custom5), fieldText(sent.Custom5)},
          std::pair{fieldText(back.Custom9), fieldText(sent.Custom9)}}) {
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(fieldText(back.Pager), "") << "a pager number never reaches Palm";
    EXPECT_EQ(fieldText(back.IMAddress), "") << "instant messaging goes to Palm only";
    EXPECT_EQ(back.Birthday, 29000.0);
}

TEST(PmAddrKindExtended, BirthdaysWithoutADate) {
    struct BirthdayCase {
        const char* name;
        double palmBefore;
        double common;
        double palmAfter;
    };
    const double offset = kPalmDateOffset;
    const BirthdayCase cases[] = {
        {"a new record without one gets the shifted zero", 0, 0, offset},
        {"a record without one keeps the Palm birthday", offset + 100, 0, offset + 100},
        {"a birthday replaces the Palm one", offset + 100, 200, offset + 200},
    };
    for (const BirthdayCase& c : cases) {
        SCOPED_TRACE(c.name);
        PmAddrExRec palm{};
        palm.BirthdayValue = c.palmBefore;
        CommAddrRec common{};
        common.Birthday = c.common;
        PmAddrKind::CommonToExtended(common, palm);
        EXPECT_EQ(palm.BirthdayValue, c.palmAfter);
    }
    // A row that never had a birthday reads as none, not as a day 350 000 years ago.
    PmAddrExRec empty{};
    CommAddrRec read{};
    PmAddrKind::ExtendedToCommon(empty, read);
    EXPECT_EQ(read.Birthday, 0.0);
}

// An extended book of three rows, the first deleted, the second archived, in a test folder.
class PmAddrInfoOnExtendedBook : public testing::Test {
protected:
    void SetUp() override {
        std::vector<std::string> deleted = addrExRow(1, 4097, 0x04);
        deleted[13] = textField("Gone");
        std::vector<std::string> archived = addrExRow(2, 4098, 0x80);
        archived[13] = textField("Old");
        std::vector<std::string> ann = addrExRow(3, 5000);
        ann[7] = blobField(64, 1, "picture", 1, 2);
        ann[13] = textField("Ann");
        ann[14] = textField("Smith");
        ann[19] = textField("555-0100");
        ann[43] = textField("1 Work St");
        ann[55] = textField("3 Other Way");
        ann[65] = doubleField(kPalmDateOffset + 20000.0);
        m_unlisted = joined(deleted) + joined(archived);
        m_original = addrExHeader(path().string(), 0x2000, labelBlock({"Birthday"}),
                                  {{1, 1, "Business", "Business"}}) +
                     rows(73, {deleted, archived, ann});
        writeBytes(path(), m_original);
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
    }
    std::filesystem::path path() const { return m_dir.path() / "address.dat"; }
    PmAddrExRec& row(std::uint32_t index) { return *m_info.GetExtended()->GetRecords()->At(index); }

    TempDir m_dir;
    ScopedProgramFolder m_home{m_dir.path()}; // no settings file: no swap
    PmAddrInfo m_info;
    std::string m_original;
    std::string m_unlisted; // the bytes of the deleted and the archived row
};

TEST_F(PmAddrInfoOnExtendedBook, ListsLiveRowsOfTheExtendedForm) {
    EXPECT_EQ(m_info.GetFormat(), PalmFormat::Extended);
    EXPECT_EQ(PmAddrInfo::DetectFileFormat(path().c_str()), PalmFormat::Extended);
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 1u) << "deleted and archived rows are not listed";
    const CommAddrRec& ann = *m_info.GetCommMgr()->GetAt(0);
    EXPECT_EQ(fieldText(ann.FirstName), "Ann");
    EXPECT_EQ(fieldText(ann.WorkPhone), "555-0100");
    EXPECT_EQ(fieldText(ann.WorkStreet), "1 Work St");
    EXPECT_EQ(fieldText(ann.OtherStreet), "3 Other Way");
    EXPECT_EQ(ann.Birthday, 20000.0);
    EXPECT_EQ(ann.SourceType, kSourcePalmExtended);
    EXPECT_EQ(ann.SourceRecordId, 3u);
    EXPECT_EQ(m_info.GetLoadedPath(), path().string());
}

TEST_F(PmAddrInfoOnExtendedBook, UpdatesAndAddsRowsAndSavesThemWithEverythingElseKept) {
    CommAddrRec change{};
    copyToField(change.HomeStreet, "2 Home Rd");
    copyToField(change.Custom8, "eight");
    ASSERT_TRUE(m_info.UpdateRecord(&change, 0));
    EXPECT_EQ(fieldText(row(2).Address2.Street), "2 Home Rd") << "item 0 came from row 3";
    EXPECT_EQ(row(2).Status, 0x02);
    EXPECT_EQ(fieldText(row(0).Address2.Street), "");

    CommAddrRec added{};
    copyToField(added.FirstName, "Bea");
    copyToField(added.Category, "Business");
    ASSERT_TRUE(m_info.AddRecord(&added));
    const PmAddrExRec& bea = row(3);
    EXPECT_EQ(bea.Status, 0x01);
    EXPECT_EQ(bea.SequenceNo, 0x2000) << "the header's counter is the next free number";
    EXPECT_EQ(bea.EntryIndex, 3 * 73);
    EXPECT_EQ(bea.Position, 0x7FFFFFFF);
    EXPECT_EQ(bea.RecordId, 0);
    EXPECT_EQ(bea.Category, 1);
    EXPECT_EQ(bea.BirthdayValue, kPalmDateOffset);
    EXPECT_EQ(bea.Blob4.Word0, 67);
    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();

    PmAddrInfo reread;
    ASSERT_TRUE(reread.OpenPath(path().c_str())) << reread.GetLastError();
    ASSERT_EQ(reread.GetCommMgr()->GetCount(), 2u);
    EXPECT_EQ(fieldText(reread.GetCommMgr()->GetAt(0)->HomeStreet), "2 Home Rd");
    EXPECT_EQ(fieldText(reread.GetCommMgr()->GetAt(0)->Custom8), "eight");
    EXPECT_EQ(fieldText(reread.GetCommMgr()->GetAt(1)->FirstName), "Bea");
    PmAddrExDataMgr& saved = *reread.GetExtended()->GetRecords();
    ASSERT_EQ(saved.Count(), 4u);
    EXPECT_EQ(fieldText(saved.At(0)->FirstName), "Gone");
    ASSERT_EQ(saved.At(2)->Blob1.Size, 7);
    EXPECT_EQ(std::memcmp(saved.At(2)->Blob1.Data, "picture", 7), 0);
    EXPECT_EQ(std::string(reread.GetExtended()->GetLabel(0)), "Birthday");
    EXPECT_EQ(reread.GetExtended()->GetHeaderCounter(), 0x2001);
    EXPECT_NE(readBytes(path()).find(m_unlisted), std::string::npos)
        << "the rows nobody touched go out as they were read";
}

TEST_F(PmAddrInfoOnExtendedBook, ANewRecordWithoutABirthdayGetsTheShiftedZero) {
    CommAddrRec added{};
    copyToField(added.LastName, "Doe");
    ASSERT_TRUE(m_info.WriteRecord(&added));
    EXPECT_EQ(row(3).BirthdayValue, 129080608.0);
    EXPECT_FALSE(m_info.WriteRecord(&added)) << "the same record again changes nothing";
}

// A pager number takes one of the row's seven slots, so an Outlook contact with seven numbers
// loses one when written. The pair is compared through the extended row itself, as it was
// written, so once synchronised it compares the same instead of different on every run.
TEST(PmAddrInfoExtended, ComparesThroughItsOwnRowSoAPagerSlotIsCounted) {
    TempDir dir;
    ScopedProgramFolder home{dir.path()};
    const std::filesystem::path file = dir.path() / "address.dat";
    std::vector<std::string> ann = addrExRow(3, 5000);
    ann[13] = textField("Ann");
    ann[14] = textField("Smith");
    ann[19] = textField("555-0100");
    ann[20] = textField("555-0199");
    ann[27] = intField(kPhonePager);
    writeBytes(file, addrExHeader(file.string(), 0x2000, labelBlock({"Birthday"}),
                                  {{1, 1, "Business", "Business"}}) +
                         rows(73, {ann}));

    PmAddrInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    CommAddrRec outlook = *info.GetCommMgr()->GetAt(0);
    outlook.Native = nullptr;
    outlook.NativeSize = 0;
    outlook.SourceType = kSourceOutlook;
    copyToField(outlook.HomePhone, "555-0101");
    copyToField(outlook.Fax, "555-0102");
    copyToField(outlook.OtherPhone, "555-0103");
    copyToField(outlook.EMail, "ann@example.org");
    copyToField(outlook.MainPhone, "555-0104");
    copyToField(outlook.MobilePhone, "555-0105");
    ASSERT_TRUE(info.WriteRecord(&outlook));
    ASSERT_TRUE(info.Save()) << info.GetLastError();

    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    EXPECT_EQ(fieldText(info.GetCommMgr()->GetAt(0)->MobilePhone), "") << "no slot was left";
    EXPECT_EQ(info.GetCommMgr()->FindMatch(&outlook), kMatchSame);
    CommAddrMgr outlookList;
    outlookList.SetHeldAs(info.GetCommMgr()->GetHeldAs());
    outlookList.AddCopy(&outlook);
    EXPECT_EQ(outlookList.FindMatch(info.GetCommMgr()->GetAt(0)), kMatchSame);
    EXPECT_FALSE(info.WriteRecord(&outlook)) << "nothing left to write";
}

} // namespace
} // namespace twinleaf

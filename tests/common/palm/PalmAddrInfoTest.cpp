#include "common/palm/PalmAddrInfo.h"

#include "common/palm/PalmEnv.h"
#include "common/palm/PalmFileBuilder.h"
#include "platform/registry/Registry.h"
#include "platform/text/FieldText.h"
#include "support/Bytes.h"
#include "support/ScopedProgramFolder.h"
#include "support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace twinleaf {
namespace {

using test::readBytes;
using test::TempDir;
using test::writeBytes;

std::filesystem::path fixture() {
    return test::testData() / "palm" / "address-classic.dat";
}

// The fixture in a test folder, opened through the facade.
class PmAddrInfoOnFixture : public testing::Test {
protected:
    void SetUp() override {
        writeBytes(path(), readBytes(fixture()));
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
    }
    std::filesystem::path path() const { return m_dir.path() / "address.dat"; }
    PmAddrRec* palmRow(std::uint32_t index) { return m_info.GetClassic()->GetRecords()->At(index); }
    CommAddrRec* common(std::uint32_t index) { return m_info.GetCommMgr()->GetAt(index); }

    TempDir m_dir;
    test::ScopedProgramFolder m_home{m_dir.path()}; // no settings file: no swap
    PmAddrInfo m_info;
};

CommAddrRec person(const char* first, const char* last) {
    CommAddrRec rec{};
    copyToField(rec.FirstName, first);
    copyToField(rec.LastName, last);
    rec.SourceType = kSourceOutlook;
    return rec;
}

TEST_F(PmAddrInfoOnFixture, ListsLiveRecordsAndConvertsThemToCommonRecords) {
    EXPECT_EQ(m_info.GetFormat(), PalmFormat::Classic);
    EXPECT_TRUE(m_info.IsOpen());
    EXPECT_EQ(m_info.GetLastError(), "");
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 3u)
        << "the deleted and the archived row are left out";

    const CommAddrRec& ann = *common(0);
    EXPECT_EQ(fieldText(ann.FirstName), "Ann");
    EXPECT_EQ(fieldText(ann.LastName), "Smith");
    EXPECT_EQ(fieldText(ann.WorkPhone), "555-0100");
    EXPECT_EQ(fieldText(ann.HomePhone), "555-0101");
    EXPECT_EQ(fieldText(ann.EMail), "ann@example.org");
    EXPECT_EQ(fieldText(ann.MobilePhone), "555-0102");
    EXPECT_EQ(fieldText(ann.Pager), "") << "the Palm pager slot has no common field";
    EXPECT_EQ(fieldText(ann.WorkStreet), "1 Main St");
    EXPECT_EQ(fieldText(ann.WorkPostal), "62701");
    EXPECT_EQ(fieldText(ann.Custom1), "c1");
    EXPECT_EQ(fieldText(ann.Category), "Business");
    EXPECT_EQ(ann.SourceType, kSourcePalm);
    EXPECT_EQ(ann.SourceRecordId, 101u);
    EXPECT_EQ(ann.CompareStatus, 0);
    ASSERT_NE(ann.Native, nullptr);
    EXPECT_EQ(ann.NativeSize, sizeof(PmAddrItem));
    EXPECT_EQ(PmAddrKind::Classic(*static_cast<const PmAddrItem*>(ann.Native)).RecordId, 101);

    EXPECT_EQ(fieldText(common(1)->Fax), "555-0400");
    EXPECT_EQ(common(1)->Private, 1);
    EXPECT_EQ(fieldText(common(2)->Category), "");

    int items = 0;
    for (PmAddrItem* item = m_info.First(); item != nullptr; item = m_info.Next()) {
        EXPECT_EQ(item->commEntry, common(static_cast<std::uint32_t>(items)));
        ++items;
    }
    EXPECT_EQ(items, 3);
    EXPECT_EQ(m_info.First()->source, palmRow(0));
}

TEST_F(PmAddrInfoOnFixture, UpdateChangesExactlyTheRecordTheItemCameFrom) {
    CommAddrRec change = person("", "");
    copyToField(change.Title, "Dr");
    copyToField(change.WorkPhone, "555-0999");
    ASSERT_TRUE(m_info.UpdateRecord(&change, 1)); // Dora, after a deleted and an archived row
    EXPECT_EQ(fieldText(palmRow(3)->Title), "Dr");
    EXPECT_EQ(palmRow(3)->Status, 0x02);
    EXPECT_EQ(fieldText(palmRow(3)->FirstName), "Dora") << "empty common texts leave Palm's";
    EXPECT_EQ(fieldText(palmRow(3)->Phone1), "555-0400");
    EXPECT_EQ(fieldText(palmRow(3)->Phone2), "555-0999");
    EXPECT_EQ(palmRow(3)->PhoneLabel2, kPhoneWork);
    EXPECT_EQ(palmRow(3)->Private, 1) << "an Outlook record does not clear the private mark";
    EXPECT_EQ(fieldText(common(1)->Title), "Dr");
    EXPECT_EQ(fieldText(palmRow(1)->Title), "");

    EXPECT_FALSE(m_info.UpdateRecord(&change, 3));
    EXPECT_FALSE(m_info.UpdateRecord(&change, -1));
    EXPECT_FALSE(m_info.UpdateRecord(nullptr, 0));

    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
    PmAddrUtil saved(path().c_str());
    ASSERT_EQ(saved.GetRecords()->Count(), 5u);
    EXPECT_EQ(fieldText(saved.GetRecords()->At(3)->Title), "Dr");
    EXPECT_EQ(std::string(saved.GetRecords()->At(3)->Note).size(), 2047u);
    EXPECT_NE(readBytes(path()).find(std::string(3000, 'n')), std::string::npos)
        << "the long note of the changed row is kept";
}

TEST_F(PmAddrInfoOnFixture, WriteRecordAddsUpdatesOrLeavesAlone) {
    CommAddrRec same = *common(0);
    same.Native = nullptr;
    same.NativeSize = 0;
    EXPECT_FALSE(m_info.WriteRecord(&same));
    EXPECT_EQ(palmRow(0)->Status, 0);

    copyToField(same.Title, "Prof");
    ASSERT_TRUE(m_info.WriteRecord(&same));
    EXPECT_EQ(fieldText(palmRow(0)->Title), "Prof");

    CommAddrRec added = person("Jane", "Doe");
    copyToField(added.WorkPhone, "1");
    copyToField(added.Category, "friends");
    ASSERT_TRUE(m_info.WriteRecord(&added));
    ASSERT_EQ(m_info.GetCommMgr()->GetCount(), 4u);
    ASSERT_EQ(m_info.GetClassic()->GetRecords()->Count(), 6u);
    const PmAddrRec& palm = *palmRow(5);
    EXPECT_EQ(palm.RecordId, 0);
    EXPECT_EQ(palm.Status, 0x01);
    EXPECT_EQ(palm.Position, 0x7FFFFFFF);
    EXPECT_EQ(palm.Category, 3) << "a category the table lacks is added with the next id";
    EXPECT_STREQ(m_info.GetClassic()->GetCategories()->FindById(3)->GetName(), "friends");
    EXPECT_EQ(common(3)->SourceType, kSourceOutlook) << "the common list keeps the record as given";

    ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
    PmAddrUtil saved(path().c_str());
    ASSERT_EQ(saved.GetRecords()->Count(), 6u);
    EXPECT_EQ(fieldText(saved.GetRecords()->At(5)->CategoryName), "friends");
    EXPECT_EQ(fieldText(saved.GetRecords()->At(0)->Title), "Prof");
}

// An Outlook contact synchronised once with a classic address book must compare the same on
// the next run, from both lists, although the row has no place for some of its values, cuts
// others and keeps those an update leaves alone; a difference in a value the row holds still
// counts.
TEST_F(PmAddrInfoOnFixture, ComparesAsTheClassicRowHoldsTheRecord) {
    struct HeldCase {
        const char* name;
        void (*change)(CommAddrRec&);
        bool syncedOnce;
        int expected;
    };
    const HeldCase kCases[] = {
        {"home and other address, fax at home: no place in the row",
         [](CommAddrRec& c) {
             copyToField(c.HomeStreet, "2 Elm Rd");
             copyToField(c.HomeCity, "Springfield");
             copyToField(c.OtherCountry, "Canada");
             copyToField(c.HomeFax, "555-0900");
         },
         true, kMatchSame},
        {"e-mail longer than a phone slot",
         [](CommAddrRec& c) { copyToField(c.EMail, "ann.maria.smith-johnson@mail.example.org"); },
         true, kMatchSame},
        {"a city the row holds, changed since",
         [](CommAddrRec& c) { copyToField(c.WorkCity, "Salem"); }, false, kMatchDifferent},
        // A value one side lacks may be new on the side that has it: the pair has to be offered.
        {"a held field emptied, which a sync cannot empty in the row",
         [](CommAddrRec& c) { c.WorkStreet.clear(); }, true, kMatchDifferent},
        {"a phone the record lacks", [](CommAddrRec& c) { c.MobilePhone.clear(); }, false,
         kMatchDifferent},
    };
    for (const HeldCase& c : kCases) {
        SCOPED_TRACE(c.name);
        writeBytes(path(), readBytes(fixture()));
        ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
        CommAddrRec outlook = *common(0);
        outlook.Native = nullptr;
        outlook.NativeSize = 0;
        outlook.SourceType = kSourceOutlook;
        c.change(outlook);
        if (c.syncedOnce) {
            m_info.WriteRecord(&outlook);
            ASSERT_TRUE(m_info.Save()) << m_info.GetLastError();
            ASSERT_TRUE(m_info.OpenPath(path().c_str())) << m_info.GetLastError();
        }

        EXPECT_EQ(m_info.GetCommMgr()->FindMatch(&outlook), c.expected);
        CommAddrMgr outlookList;
        outlookList.SetHeldAs(m_info.GetCommMgr()->GetHeldAs());
        outlookList.AddCopy(&outlook);
        EXPECT_EQ(outlookList.FindMatch(common(0)), c.expected);
        EXPECT_EQ(m_info.WriteRecord(&outlook), c.expected == kMatchDifferent);
    }
}

TEST_F(PmAddrInfoOnFixture, CategoriesResolveWithoutCaseAndAFullTableFilesAsUnfiled) {
    CommAddrRec rec = person("Case", "Test");
    copyToField(rec.Category, "BUSINESS");
    ASSERT_TRUE(m_info.AddRecord(&rec));
    EXPECT_EQ(palmRow(5)->Category, 1);
    for (int i = 0; i < 13; ++i) {
        CommAddrRec more = person("More", std::to_string(i).c_str());
        copyToField(more.Category, ("Group " + std::to_string(i)).c_str());
        ASSERT_TRUE(m_info.AddRecord(&more));
    }
    EXPECT_EQ(m_info.GetClassic()->GetCategories()->GetCount(), 16);
    CommAddrRec overflow = person("Over", "Flow");
    copyToField(overflow.Category, "One Too Many");
    ASSERT_TRUE(m_info.AddRecord(&overflow));
    const PmAddrRec& last = *palmRow(m_info.GetClassic()->GetRecords()->Count() - 1);
    EXPECT_EQ(last.Category, 0);
    EXPECT_EQ(fieldText(last.CategoryName), "Unfiled");
}

// Phone slots: each case starts from a new record (all slots empty) or from Ann's five slots.
struct PhoneCase {
    const char* name;
    bool fromAnn;
    std::function<void(CommAddrRec&)> set;
    std::vector<std::pair<std::int32_t, std::string>> slots;
};

TEST_F(PmAddrInfoOnFixture, PhoneSlotsFollowTheirLabels) {
    const PhoneCase cases[] = {
        {"every value into a new record: the first five labels keep theirs",
         false,
         [](CommAddrRec& c) {
             copyToField(c.WorkPhone, "w");
             copyToField(c.HomePhone, "h");
             copyToField(c.Fax, "f");
             copyToField(c.OtherPhone, "o");
             copyToField(c.EMail, "e");
             copyToField(c.MainPhone, "m");
             copyToField(c.MobilePhone, "c");
             copyToField(c.Pager, "p");
         },
         {{0, "w"}, {1, "h"}, {2, "f"}, {3, "o"}, {4, "e"}}},
        {"empty labels are relabelled until a value takes the slot",
         false,
         [](CommAddrRec& c) {
             copyToField(c.WorkPhone, "w");
             copyToField(c.MobilePhone, "c");
         },
         {{0, "w"}, {7, "c"}, {0, ""}, {0, ""}, {0, ""}}},
        {"home fax goes to the fax slot when there is no fax",
         false,
         [](CommAddrRec& c) { copyToField(c.HomeFax, "hf"); },
         {{2, "hf"}, {7, ""}, {0, ""}, {0, ""}, {0, ""}}},
        {"an empty common number leaves the Palm number",
         true,
         [](CommAddrRec& c) { copyToField(c.HomePhone, "new home"); },
         {{0, "555-0100"},
          {1, "new home"},
          {4, "ann@example.org"},
          {7, "555-0102"},
          {6, "555-0199"}}},
        {"a new value without a slot or an empty one is dropped",
         true,
         [](CommAddrRec& c) { copyToField(c.MainPhone, "main"); },
         {{0, "555-0100"},
          {1, "555-0101"},
          {4, "ann@example.org"},
          {7, "555-0102"},
          {6, "555-0199"}}},
    };
    for (const PhoneCase& c : cases) {
        SCOPED_TRACE(c.name);
        PmAddrRec palm{};
        if (c.fromAnn) {
            palm = *palmRow(0);
        }
        CommAddrRec rec{};
        c.set(rec);
        PmAddrInfo::CommonToClassic(rec, palm);
        const std::pair<std::int32_t, std::string> actual[] = {
            {palm.PhoneLabel1, palm.Phone1.c_str()},
            {palm.PhoneLabel2, palm.Phone2.c_str()},
            {palm.PhoneLabel3, palm.Phone3.c_str()},
            {palm.PhoneLabel4, palm.Phone4.c_str()},
            {palm.PhoneLabel5, palm.Phone5.c_str()}};
        for (std::size_t i = 0; i < 5; ++i) {
            EXPECT_EQ(actual[i], c.slots[i]) << "slot " << i + 1;
        }
    }
    // Read back, the home fax is the fax.
    PmAddrRec palm{};
    CommAddrRec rec{};
    copyToField(rec.HomeFax, "hf");
    PmAddrInfo::CommonToClassic(rec, palm);
    CommAddrRec back{};
    PmAddrInfo::ClassicToCommon(palm, back);
    EXPECT_EQ(fieldText(back.Fax), "hf");
    EXPECT_EQ(fieldText(back.HomeFax), "");
}

TEST(PmAddrInfo, SwapFlagExchangesTheNameFields) {
    TempDir dir;
    test::ScopedProgramFolder home(dir.path());
    PmAddrInfo info;
    info.SetSwapName(true);
    ASSERT_TRUE(info.OpenPath(fixture().c_str()));
    EXPECT_EQ(fieldText(info.GetCommMgr()->GetAt(0)->FirstName), "Smith");
    EXPECT_EQ(fieldText(info.GetCommMgr()->GetAt(0)->LastName), "Ann");

    // Without SetSwapName the settings file decides, and only the value 1 turns it on.
    for (const char* value : {"1", "2"}) {
        SCOPED_TRACE(value);
        writeBytes(dir.path() / "corvane.ini", std::string("[Brightcard]\r\nSwapName=") + value);
        PmAddrInfo fresh;
        ASSERT_TRUE(fresh.OpenPath(fixture().c_str()));
        EXPECT_EQ(fieldText(fresh.GetCommMgr()->GetAt(0)->FirstName),
                  std::string(value) == "1" ? "Smith" : "Ann");
    }
}

TEST(PmAddrInfo, FilesNoReaderTakesLeaveNothingOpen) {
    TempDir dir;
    test::ScopedProgramFolder home(dir.path());
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"extended file",
         std::string("\xbe\xba\xfe\xca\x0f"
                     "PalmSG Database00RV") +
             std::string("\x00\x02\x42\x41", 4),
         "the header block ends early"},
        {"database", std::string("\x00\x01\x00\x00Standard Jet DB\x00", 20), "Palm Desktop 6"},
        {"to-do file", std::string("\x00\x01\x44\x54", 4) + test::cstring("x"),
         "not a classic Palm address book"},
        {"text", "hello", "not a classic Palm address book"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir.path() / "file.dat";
        writeBytes(path, c.bytes);
        PmAddrInfo info;
        EXPECT_FALSE(info.OpenPath(path.c_str()));
        EXPECT_EQ(info.GetFormat(), PalmFormat::Invalid);
        EXPECT_FALSE(info.IsOpen());
        EXPECT_NE(info.GetLastError().find(path.string()), std::string::npos)
            << info.GetLastError();
        EXPECT_NE(info.GetLastError().find(c.message), std::string::npos) << info.GetLastError();
        CommAddrRec rec = person("A", "B");
        EXPECT_FALSE(info.AddRecord(&rec));
        EXPECT_FALSE(info.UpdateRecord(&rec, 0));
        EXPECT_FALSE(info.Save());
        EXPECT_EQ(PmAddrInfo::DetectFileFormat(path.c_str()), PalmFormat::Invalid);
    }
    EXPECT_EQ(PmAddrInfo::DetectFileFormat(fixture().c_str()), PalmFormat::Classic);
    EXPECT_EQ(PmAddrInfo::DetectFileFormat((dir.path() / "missing").c_str()), PalmFormat::Invalid);
}

TEST(PmAddrInfo, AFileReadInPartIsListedButNotSavedOver) {
    TempDir dir;
    test::ScopedProgramFolder home(dir.path());
    const std::string whole = readBytes(fixture());
    const std::string cut = whole.substr(0, whole.size() - 100);
    const auto path = dir.path() / "address.dat";
    writeBytes(path, cut);
    PmAddrInfo info;
    ASSERT_TRUE(info.OpenPath(path.c_str()));
    EXPECT_EQ(info.GetCommMgr()->GetCount(), 2u) << "Ann and Dora are whole, Eve is cut";
    EXPECT_NE(info.GetLastError().find("record 5 of 5"), std::string::npos) << info.GetLastError();
    CommAddrRec rec = person("New", "One");
    ASSERT_TRUE(info.AddRecord(&rec));
    EXPECT_FALSE(info.Save());
    EXPECT_NE(info.GetLastError().find("not saved"), std::string::npos) << info.GetLastError();
    EXPECT_SAME_BYTES(cut, readBytes(path));
    info.Close();
    EXPECT_FALSE(info.GetClassic()->SaveInPlace()) << "a closed facade leaves nothing to save";
    EXPECT_SAME_BYTES(cut, readBytes(path));
    EXPECT_EQ(info.GetFormat(), PalmFormat::None);
    EXPECT_EQ(info.GetCommMgr()->GetCount(), 0u);
    EXPECT_EQ(info.First(), nullptr);
}

TEST(PmAddrInfo, OpenFindsTheUsersAddressBookWhateverItsLetterCase) {
    TempDir dir;
    test::ScopedProgramFolder home(dir.path() / "home");
    ScopedRegistryPrefix prefix(dir.path() / "wine");
    const auto palmFolder = dir.path() / "Palm";
    writeBytes(dir.path() / "home" / "corvane.ini",
               "[Path]\r\nPDPath=" + palmFolder.string() + "\r\n");
    writeBytes(palmFolder / "Alice" / "Address" / "ADDRESS.DAT", readBytes(fixture()));
    std::filesystem::create_directories(palmFolder / "Bob" / "todo");
    ASSERT_TRUE(OpenPalmEnvironment());
    std::uint32_t alice = 0;
    std::uint32_t bob = 0;
    for (void* p = palmUserList().First(); p != nullptr; p = palmUserList().Next()) {
        const auto* user = static_cast<const PalmUserRec*>(p);
        (std::string(user->name) == "Alice" ? alice : bob) = user->id;
    }
    PmAddrInfo info;
    ASSERT_TRUE(info.Open(alice)) << info.GetLastError();
    EXPECT_EQ(info.GetCommMgr()->GetCount(), 3u);
    EXPECT_EQ(info.GetClassic()->GetPath(),
              (palmFolder / "Alice" / "Address" / "ADDRESS.DAT").string());
    ASSERT_TRUE(info.Save());
    EXPECT_SAME_BYTES(readBytes(fixture()),
                      readBytes(palmFolder / "Alice" / "Address" / "ADDRESS.DAT"));

    EXPECT_FALSE(info.Open(bob));
    EXPECT_EQ(info.GetFormat(), PalmFormat::Invalid);
    EXPECT_EQ(info.GetCommMgr()->GetCount(), 0u);
    EXPECT_NE(info.GetLastError().find("no such file"), std::string::npos) << info.GetLastError();
    ClosePalmEnvironment();
    EXPECT_FALSE(info.Open(alice)) << "without the environment there is no data folder";
}

} // namespace
} // namespace twinleaf

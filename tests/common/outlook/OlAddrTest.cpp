#include "common/outlook/OlAddr.h"

#include "common/misc/CxDateTime.h"
#include "platform/com/DispatchObject.h"
#include "platform/files/AtomicFile.h"
#include "platform/files/ProgramFolder.h"
#include "platform/outlook/OutlookStore.h"
#include "platform/text/FieldText.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace twinleaf {
namespace {

using test::TempDir;

CommAddrRec palmContact(const char* first, const char* last, const char* workPhone) {
    CommAddrRec rec{};
    copyToField(rec.FirstName, first);
    copyToField(rec.LastName, last);
    copyToField(rec.WorkPhone, workPhone);
    copyToField(rec.Company, "ACME; Sales, North");
    copyToField(rec.WorkStreet, "1 Main St\r\nSuite 5");
    copyToField(rec.WorkCity, "K\xF6ln");
    copyToField(rec.EMail, std::string(first) + "@example.org");
    copyToField(rec.Note, "Stra\xDF"
                          "e\r\nline two\\");
    copyToField(rec.Pager, "555-PAGE");
    copyToField(rec.Suffix, "Jr.");
    copyToField(rec.Category, "Business");
    rec.Birthday = 25705.0; // 1970-05-17
    rec.SourceType = kSourcePalm;
    return rec;
}

class OlAddrTest : public ::testing::Test {
protected:
    void SetUp() override {
        setProgramFolderOverride(m_home.path());
        outlook::setStoreFolderOverride(m_home.path() / "Outlook");
        m_contacts = std::make_unique<OlAddrUtil>();
        ASSERT_TRUE(m_contacts->Reload());
    }
    void TearDown() override {
        m_contacts.reset();
        EXPECT_EQ(OlBaseUtil::s_dwRefCount, 0u);
        EXPECT_EQ(win::DispatchObject::liveObjects(), 0);
        outlook::setStoreFolderOverride({});
        setProgramFolderOverride({});
    }
    // A fresh object, as on the next start of the program.
    void restart() {
        m_contacts = std::make_unique<OlAddrUtil>();
        ASSERT_TRUE(m_contacts->Reload());
    }
    CommAddrRec* at(std::uint32_t index) { return m_contacts->GetRecords()->GetAt(index); }
    // The item at that position as Outlook holds it.
    std::unique_ptr<OlContactImage> imageAt(int index) {
        auto image = std::make_unique<OlContactImage>();
        EXPECT_TRUE(m_contacts->ReadItemAt(index, image.get()));
        return image;
    }

    TempDir m_home;
    outlook::ScopedStoreWarnings m_warnings;
    std::unique_ptr<OlAddrUtil> m_contacts;
};

TEST_F(OlAddrTest, CreatesComparesAndRewritesContacts) {
    const CommAddrRec anna = palmContact("Anna", "Schmidt", "+49 30 1");
    EXPECT_TRUE(m_contacts->SaveRecord(&anna));
    EXPECT_EQ(m_contacts->GetRecords()->GetCount(), 1u);
    EXPECT_FALSE(m_contacts->SaveRecord(&anna)); // the same: nothing to write

    restart();
    ASSERT_EQ(m_contacts->GetRecords()->GetCount(), 1u);
    const CommAddrRec* read = at(0);
    for (const CommField& field : AddrFieldLayoutTable()) {
        const std::string name = field.name;
        if (field.kind != FieldType::Text || name == "Pager" || name == "Suffix" ||
            name == "Category" || name == "FullName") {
            continue;
        }
        SCOPED_TRACE(name);
        EXPECT_EQ(TextAt(field, read).view(), TextAt(field, &anna).view());
    }
    EXPECT_STREQ(read->Pager, "");  // pagers do not travel
    EXPECT_STREQ(read->Suffix, ""); // nor does the suffix
    EXPECT_STREQ(read->Category, "Contacts");
    EXPECT_STREQ(read->FullName, "Anna Schmidt"); // Outlook names a contact saved without one
    EXPECT_EQ(read->Birthday, anna.Birthday);
    EXPECT_EQ(read->SourceType, kSourceOutlook);
    EXPECT_GT(read->CreationTime, 0);
    EXPECT_EQ(read->Native, nullptr); // records carry no image of their item
    EXPECT_EQ(imageAt(0)->pItem, nullptr);
    EXPECT_EQ(m_contacts->GetRecords()->FindMatch(&anna), kMatchSame);

    CommAddrRec moved = anna;
    copyToField(moved.WorkCity, "Bonn");
    EXPECT_TRUE(m_contacts->SaveRecord(&moved));
    EXPECT_STREQ(at(0)->WorkCity, "Bonn");
    restart();
    EXPECT_STREQ(at(0)->WorkCity, "Bonn");
    EXPECT_EQ(m_contacts->GetRecords()->GetCount(), 1u);
}

TEST_F(OlAddrTest, EmptyFieldsNeverClearOutlookValues) {
    CommAddrRec full = palmContact("Ben", "Meyer", "+49 30 2");
    copyToField(full.HomePhone, "+49 30 3");
    copyToField(full.MobilePhone, "+49 170 4");
    ASSERT_TRUE(m_contacts->SaveRecord(&full));
    restart();
    CommAddrRec bare{};
    copyToField(bare.FirstName, "Ben");
    copyToField(bare.LastName, "Meyer");
    copyToField(bare.Department, "Purchasing");
    ASSERT_TRUE(m_contacts->UpdateItem(&bare, 0));
    restart();
    EXPECT_STREQ(at(0)->WorkPhone, "+49 30 2");
    EXPECT_STREQ(at(0)->HomePhone, "+49 30 3");
    EXPECT_STREQ(at(0)->MobilePhone, "+49 170 4");
    EXPECT_STREQ(at(0)->Company, full.Company);
    EXPECT_STREQ(at(0)->Department, "Purchasing");
}

TEST_F(OlAddrTest, UpdatingAPositionRewritesThatItemOnly) {
    const CommAddrRec first = palmContact("First", "One", "1");
    const CommAddrRec second = palmContact("Second", "Two", "2");
    ASSERT_TRUE(m_contacts->SaveRecord(&first));
    ASSERT_TRUE(m_contacts->SaveRecord(&second));
    CommAddrRec changed = first;
    copyToField(changed.Title, "Chief");
    EXPECT_TRUE(m_contacts->UpdateItem(&changed, 0));
    EXPECT_FALSE(m_contacts->UpdateItem(&changed, 2)); // no item 3
    EXPECT_FALSE(m_contacts->UpdateItem(&changed, -1));
    restart();
    ASSERT_EQ(m_contacts->GetRecords()->GetCount(), 2u);
    EXPECT_STREQ(at(0)->Title, "Chief");
    EXPECT_STREQ(at(0)->LastName, "One");
    EXPECT_STREQ(at(1)->Title, "");
    EXPECT_STREQ(at(1)->LastName, "Two");
}

TEST_F(OlAddrTest, CustomFieldsFollowTheMap) {
    CommAddrRec rec = palmContact("Cara", "Lind", "3");
    copyToField(rec.Department, "Research");
    ASSERT_TRUE(m_contacts->SaveRecord(&rec));
    struct Case {
        const char* name;
        int source;
        const char* read;
    };
    const Case cases[] = {
        {"department", 22, "Research"},
        {"birthday as text", 5, "05/17/1970"},
        {"a contact without anniversary", 2, "12/30/1899"},
        {"folder name", 69, "Contacts"},
        {"gender is a number", 34, ""},
        {"none", 0, ""},
        {"outside the table", 90, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int map[10] = {};
        map[1] = c.source;
        m_contacts->SetCustomMap(map);
        ASSERT_TRUE(m_contacts->Reload());
        EXPECT_STREQ(at(0)->Custom1, c.read);
        m_contacts->SetCustomMap(nullptr);
    }

    // Writing: a mapped custom field overrides the standard field; a date cannot be written.
    int map[10] = {};
    CommAddrRec written = rec;
    copyToField(written.Custom1, "Legal");
    copyToField(written.Custom2, "01/01/2000");
    map[1] = 22;
    map[2] = 5;
    m_contacts->SetCustomMap(map);
    ASSERT_TRUE(m_contacts->UpdateItem(&written, 0));
    m_contacts->SetCustomMap(nullptr);
    restart();
    EXPECT_STREQ(at(0)->Department, "Legal");
    EXPECT_EQ(at(0)->Birthday, rec.Birthday);
    EXPECT_STREQ(CustomFieldSourceName(0), "None");
    EXPECT_STREQ(CustomFieldSourceName(18), "CompanyTelephoneNumber");
    EXPECT_STREQ(CustomFieldSourceName(77), "IMAddress");
    EXPECT_STREQ(CustomFieldSourceName(78), "");
    EXPECT_STREQ(CustomFieldSourceName(-1), "");
}

TEST_F(OlAddrTest, TextsAreCutToTheirFieldsWithoutTouchingTheirNeighbours) {
    CommAddrRec rec{};
    copyToField(rec.NickName, std::string(31, 'n'));
    copyToField(rec.OtherCity, "Town");
    copyToField(rec.OtherCountry, "Land");
    copyToField(rec.Hobby, std::string(127, 'h'));
    copyToField(rec.Note, std::string(2047, 'x'));
    OlContactImage image{};
    copyToField(image.MailingAddressCity, "Kept");
    m_contacts->RecordToImage(&rec, &image);
    EXPECT_EQ(fieldText(image.NickName), std::string(31, 'n'));
    EXPECT_STREQ(image.OtherAddressCity, "Town");
    EXPECT_STREQ(image.OtherAddressCountry, "Land");
    EXPECT_STREQ(image.MailingAddressCity, "Kept"); // no record field: kept as it was
    EXPECT_EQ(fieldText(image.Body).size(), 2047u);

    OlContactImage wide{};
    copyToField(wide.NickName, std::string(63, 'w'));
    copyToField(wide.AssistTelephoneNumber, std::string(23, '9'));
    CommAddrRec cut{};
    m_contacts->ImageToRecord(&wide, &cut);
    EXPECT_EQ(fieldText(cut.NickName), std::string(31, 'w'));
    EXPECT_EQ(fieldText(cut.AssistantPhone), std::string(15, '9'));
}

TEST_F(OlAddrTest, ACreationOutlookCouldNotStoreIsNotCounted) {
    const CommAddrRec rec = palmContact("Dora", "Fail", "4");
    {
        ScopedFileFault fault(FileCall::Rename, 1);
        EXPECT_FALSE(m_contacts->SaveRecord(&rec));
        CommAddrRec copy = rec;
        EXPECT_FALSE(m_contacts->CreateItem(&copy));
        EXPECT_EQ(copy.Native, nullptr);
    }
    EXPECT_EQ(m_contacts->GetRecords()->GetCount(), 0u);
    ASSERT_TRUE(m_contacts->SaveRecord(&rec));
    CommAddrRec changed = rec;
    copyToField(changed.WorkCity, "Essen");
    {
        ScopedFileFault fault(FileCall::Rename, 1);
        EXPECT_FALSE(m_contacts->SaveRecord(&changed));
    }
    EXPECT_STREQ(at(0)->WorkCity, rec.WorkCity); // the list still says what Outlook has
    EXPECT_FALSE(m_warnings.messages().empty());
}

// The list's entry carries no Native block; the caller's record, Native block included, stays as
// it was whether or not the item was made.
TEST_F(OlAddrTest, CreateAndAddLeavesTheCallersRecordAndBlockAlone) {
    CommAddrRec palm = palmContact("Eva", "Klein", "5");
    const std::string block = "a Palm record's own bytes";
    palm.Native = std::malloc(block.size());
    std::memcpy(palm.Native, block.data(), block.size());
    palm.NativeSize = static_cast<std::uint32_t>(block.size());
    void* const native = palm.Native;
    {
        ScopedFileFault fault(FileCall::Rename, 1);
        EXPECT_FALSE(m_contacts->CreateAndAdd(&palm));
    }
    EXPECT_EQ(m_contacts->GetRecords()->GetCount(), 0u);
    EXPECT_TRUE(m_contacts->CreateAndAdd(&palm));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "in memory" : "read again");
        ASSERT_EQ(m_contacts->GetRecords()->GetCount(), 1u);
        EXPECT_EQ(at(0)->Native, nullptr);
        EXPECT_EQ(at(0)->NativeSize, 0u);
        EXPECT_STREQ(imageAt(0)->FirstName, "Eva");
        EXPECT_EQ(m_contacts->GetRecords()->FindMatch(&palm), kMatchSame);
        restart();
    }
    EXPECT_EQ(palm.Native, native);
    EXPECT_EQ(palm.NativeSize, block.size());
    EXPECT_EQ(std::string(static_cast<const char*>(palm.Native), block.size()), block);
    std::free(palm.Native);
}

} // namespace
} // namespace twinleaf

// Desktop 6 contacts: rows read into records, records stored back row by row, and the contact
// facade over such a database.
#include "common/palm/PalmAddrDb.h"

#include "common/palm/PalmAddrInfo.h"
#include "platform/text/FieldText.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::TempDir;

std::string query(const std::filesystem::path& file, const std::string& sql) {
    return test::sqliteRows(file, sql);
}

// A contacts database with two rows: Ann Archer (id 5, Work phone in slot 1) and Bob Baker
// (id 9, private, a note).
std::filesystem::path makeContacts(const TempDir& dir) {
    const auto file = dir.path() / "Address.mdb";
    PmAddrEx2Util layout;
    std::string error;
    EXPECT_TRUE(CreateEx2Database(file.string(), layout.Columns(), error)) << error;
    EXPECT_EQ(query(file, "INSERT INTO Main ([Record ID], [Status], [Placement], [Private], "
                          "[Category], [First Name], [Last Name], [Work Phone], [Phone Label1], "
                          "[Phone Label2], [Note], [Birthday], [Assistant Name]) VALUES "
                          "(5, 0, 1, 0, 2, 'Ann', 'Archer', '555-1', 0, 1, NULL, 0, 'Al'), "
                          "(9, 0, 2, -1, 0, 'Bob', 'Baker', NULL, 0, 1, 'likes tea', "
                          "129080608 + 36526, NULL)"),
              "");
    return file;
}

TEST(PmAddrEx2Util, ReadsEveryRowWithFlagsAndPerLabelPhones) {
    TempDir dir;
    PmAddrEx2Util contacts(makeContacts(dir).string());
    ASSERT_TRUE(contacts.IsValid()) << contacts.GetLastError();
    ASSERT_EQ(contacts.GetList()->Count(), 2U);
    const PmAddrEx2Rec& ann = *contacts.GetList()->At(0);
    const PmAddrEx2Rec& bob = *contacts.GetList()->At(1);
    EXPECT_EQ(ann.RecordId, 5);
    EXPECT_STREQ(ann.LastName, "Archer");
    EXPECT_STREQ(ann.WorkPhone, "555-1");
    EXPECT_STREQ(ann.AssistantName, "Al");
    EXPECT_EQ(ann.Private, 0);
    EXPECT_EQ(bob.Private, 1); // stored as Access's -1
    EXPECT_STREQ(bob.Note, "likes tea");
    EXPECT_EQ(bob.Category, 0);
}

class StoredContacts : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(contacts.OpenFile(file.string())); }
    PmAddrEx2Rec row(std::uint32_t i) { return *contacts.GetList()->At(i); }

    TempDir dir;
    std::filesystem::path file = makeContacts(dir);
    PmAddrEx2Util contacts;
};

TEST_F(StoredContacts, ChangedNameUpdatesTheSameRowFoundByItsId) {
    PmAddrEx2Rec ann = row(0);
    copyToField(ann.LastName, "Archer-Smith");
    copyToField(ann.FirstName, "Anne");
    ann.PhoneLabel1 = 7; // moved from Work to Mobile
    copyToField(ann.Chat1, "ann@chat");
    ASSERT_TRUE(contacts.StoreRecord(ann)) << contacts.GetLastError();
    EXPECT_EQ(query(file, "SELECT [Record ID], [First Name], [Last Name], [Phone Label1], "
                          "[Chat1], [Assistant Name] FROM Main ORDER BY rowid"),
              "5|Anne|Archer-Smith|7|ann@chat|Al;9|Bob|Baker|0|NULL|NULL;");
}

TEST_F(StoredContacts, UnchangedOrPlacementOnlyRecordWritesNothing) {
    PmAddrEx2Rec ann = row(0);
    ann.Placement = 77;
    ASSERT_TRUE(contacts.StoreRecord(ann));
    EXPECT_EQ(query(file, "SELECT [Placement] FROM Main WHERE [Record ID] = 5"), "1;");
}

TEST_F(StoredContacts, NewRecordGetsAnIdNoRowHasAndEveryColumn) {
    PmAddrEx2Rec added{};
    copyToField(added.FirstName, "O'Neil; --");
    copyToField(added.LastName, "x'); DELETE FROM Main; --");
    copyToField(added.Note, "it's \"quoted\"; -- not a comment");
    copyToField(added.LastYomi, "yomi");
    ASSERT_TRUE(contacts.StoreRecord(added)) << contacts.GetLastError();
    EXPECT_EQ(added.RecordId, 10);
    PmAddrEx2Rec second{};
    copyToField(second.LastName, "Second");
    ASSERT_TRUE(contacts.StoreRecord(second));
    EXPECT_EQ(second.RecordId, 11);
    EXPECT_EQ(
        query(file, "SELECT [Record ID], [First Name], [Last Name], [Note], [Last Yomi], "
                    "[Photo], [Blob] FROM Main WHERE [Record ID] = 10"),
        "10|O'Neil; --|x'); DELETE FROM Main; --|it's \"quoted\"; -- not a comment|yomi|0|0;");
    EXPECT_EQ(query(file, "SELECT count(*) FROM Main"), "4;");
    EXPECT_EQ(query(file, "SELECT [Note] FROM Information WHERE [Name] = 'FreeRecID'"), "12;");
}

TEST_F(StoredContacts, StatementTheDatabaseRefusesIsAFailure) {
    query(file, "CREATE TRIGGER refuse BEFORE UPDATE ON Main BEGIN "
                "SELECT RAISE(ABORT, 'disk quota'); END");
    PmAddrEx2Rec bob = row(1);
    copyToField(bob.Company, "Acme");
    EXPECT_FALSE(contacts.StoreRecord(bob));
    EXPECT_NE(contacts.GetLastError().find("disk quota"), std::string::npos);
}

CommAddrRec commonContact(const char* first, const char* last) {
    CommAddrRec rec{};
    copyToField(rec.FirstName, first);
    copyToField(rec.LastName, last);
    rec.SourceType = kSourceOutlook;
    return rec;
}

TEST(PmAddrInfoDesktop6, ListsConvertsAndStoresInOneTransaction) {
    TempDir dir;
    const auto file = makeContacts(dir);
    PmAddrInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str())) << info.GetLastError();
    EXPECT_EQ(info.GetFormat(), PalmFormat::Desktop6);
    CommAddrMgr* list = info.GetCommMgr();
    ASSERT_EQ(list->GetCount(), 2U);
    const CommAddrRec& ann = *list->GetAt(0);
    EXPECT_EQ(ann.SourceType, kSourcePalmDesktop6);
    EXPECT_STREQ(ann.WorkPhone, "555-1");
    EXPECT_EQ(ann.Birthday, 0.0); // a stored 0 is no date
    EXPECT_EQ(list->GetAt(1)->Birthday, 36526.0);

    // Ann gains a mobile number: it takes the first free slot, which is relabelled.
    CommAddrRec changed = ann;
    changed.Native = nullptr;
    changed.NativeSize = 0;
    copyToField(changed.MobilePhone, "555-2");
    ASSERT_TRUE(info.UpdateRecord(&changed, 0));
    const CommAddrRec added = commonContact("Cy", "Cole");
    ASSERT_TRUE(info.AddRecord(&added));
    // Nothing reaches the file before the run is saved.
    EXPECT_EQ(query(file, "SELECT count(*) FROM Main"), "2;");
    ASSERT_TRUE(info.Save()) << info.GetLastError();
    EXPECT_EQ(query(file, "SELECT [Record ID], [Status], [Placement], [Phone Label2], "
                          "[Work Fax] FROM Main ORDER BY rowid"),
              "5|2|1|7|555-2;9|0|2|1|NULL;10|1|2147483647|0|;");

    PmAddrInfo reread;
    ASSERT_TRUE(reread.OpenPath(file.c_str()));
    EXPECT_STREQ(reread.GetCommMgr()->GetAt(0)->MobilePhone, "555-2");
    EXPECT_STREQ(reread.GetCommMgr()->GetAt(2)->LastName, "Cole");
}

TEST(PmAddrInfoDesktop6, FailedRowGivesUpTheWholeRunAndSaveSaysWhich) {
    TempDir dir;
    const auto file = makeContacts(dir);
    PmAddrInfo info;
    ASSERT_TRUE(info.OpenPath(file.c_str()));
    const CommAddrRec first = commonContact("Cy", "Cole");
    ASSERT_TRUE(info.AddRecord(&first));
    // The database refuses the next insert part-way through the run.
    PmAddrEx2Util* rows = info.GetDesktop6();
    ASSERT_TRUE(rows->GetAccessor()->Execute(
        "CREATE TRIGGER refuse BEFORE INSERT ON Main WHEN NEW.[Last Name] = 'Dunn' BEGIN "
        "SELECT RAISE(ABORT, 'refused'); END",
        false));
    const CommAddrRec second = commonContact("Di", "Dunn");
    EXPECT_FALSE(info.AddRecord(&second));
    EXPECT_TRUE(info.StoreFailed());
    EXPECT_FALSE(info.Save());
    EXPECT_NE(info.GetLastError().find("refused"), std::string::npos) << info.GetLastError();
    info.Close();
    EXPECT_EQ(query(file, "SELECT count(*) FROM Main"), "2;");
    EXPECT_EQ(query(file, "SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"), "0;");
}

TEST(PmAddrInfoDesktop6, ClosingWithoutSaveGivesTheChangesUp) {
    TempDir dir;
    const auto file = makeContacts(dir);
    {
        PmAddrInfo info;
        ASSERT_TRUE(info.OpenPath(file.c_str()));
        const CommAddrRec added = commonContact("Cy", "Cole");
        ASSERT_TRUE(info.AddRecord(&added));
    }
    EXPECT_EQ(query(file, "SELECT count(*) FROM Main"), "2;");
}

TEST(PmAddrInfoDesktop6, DetectsOnlyDatabasesHoldingTheContactsTable) {
    TempDir dir;
    const auto contacts = makeContacts(dir);
    EXPECT_EQ(PmAddrInfo::DetectFileFormat(contacts.c_str()), PalmFormat::Desktop6);

    const auto other = dir.path() / "other.mdb";
    std::string error;
    const PmColumn column[] = {{"Record ID", ColumnValue::Int, 0, 0, true, true}};
    ASSERT_TRUE(CreateEx2Database(other.string(), column, error));
    EXPECT_EQ(PmAddrInfo::DetectFileFormat(other.c_str()), PalmFormat::Invalid);

    test::writeBytes(dir.path() / "notes.txt", "SQLite format 2, not really");
    EXPECT_EQ(PmAddrInfo::DetectFileFormat((dir.path() / "notes.txt").c_str()),
              PalmFormat::Invalid);

    PmAddrInfo info;
    EXPECT_FALSE(info.OpenPath(other.c_str()));
    EXPECT_NE(info.GetLastError().find("not a Palm Desktop 6 address database"), std::string::npos)
        << info.GetLastError();
    EXPECT_NE(info.GetLastError().find("other.mdb"), std::string::npos);
}

TEST(PmAddrEx2Util, DatabasesWithoutTheTableOrAColumnAreRefusedClearly) {
    struct Case {
        const char* name;
        std::vector<std::string> statements;
        const char* error;
    };
    const Case cases[] = {
        {"no Main table", {"CREATE TABLE Category (ID INTEGER)"}, "no such table: Main"},
        {"a column missing",
         {"CREATE TABLE Main ([Record ID] INTEGER, [Status] INTEGER)"},
         "no such column"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const auto file = dir.path() / "Address.mdb";
        std::string error;
        ASSERT_TRUE(jet::CreateSqliteDatabase(file.string(), c.statements, error)) << error;
        const std::string before = test::readBytes(file);
        PmAddrInfo info;
        EXPECT_FALSE(info.OpenPath(file.c_str()));
        EXPECT_NE(info.GetLastError().find(c.error), std::string::npos) << info.GetLastError();
        EXPECT_NE(info.GetLastError().find(file.string()), std::string::npos);
        EXPECT_EQ(test::readBytes(file), before);
    }
}

TEST(PmAddrEx2Util, ValuesOfUnexpectedTypesAndNullsReadAsEmpty) {
    TempDir dir;
    const auto file = makeContacts(dir);
    ASSERT_EQ(query(file, "INSERT INTO Main ([Record ID]) VALUES (NULL); "
                          "INSERT INTO Main ([Record ID], [Status], [Private], [Note], "
                          "[First Name], [Birthday]) VALUES (12, 'zero', 'yes', 5, "
                          "x'414243', 1.5)"),
              "");
    PmAddrEx2Util contacts(file.string());
    ASSERT_TRUE(contacts.IsValid()) << contacts.GetLastError();
    ASSERT_EQ(contacts.GetList()->Count(), 4U);
    const PmAddrEx2Rec& nulls = *contacts.GetList()->At(2);
    EXPECT_EQ(nulls.RecordId, 0);
    EXPECT_STREQ(nulls.LastName, "");
    const PmAddrEx2Rec& odd = *contacts.GetList()->At(3);
    EXPECT_EQ(odd.RecordId, 12);
    EXPECT_EQ(odd.Status, 0);
    EXPECT_EQ(odd.Private, 0);
    EXPECT_STREQ(odd.Note, "5"); // a text column keeps the number as its text
    EXPECT_STREQ(odd.FirstName, "");
    EXPECT_EQ(odd.Birthday, 0);
}

TEST(PmAddrEx2Util, HugeNoteIsHeldCutAndLeftWholeInTheRow) {
    TempDir dir;
    const auto file = makeContacts(dir);
    // 100 MB of text, made by the database itself.
    ASSERT_EQ(query(file, "UPDATE Main SET [Note] = hex(zeroblob(50000000)) WHERE [Record ID] = 5"),
              "");
    PmAddrEx2Util contacts(file.string());
    ASSERT_TRUE(contacts.IsValid()) << contacts.GetLastError();
    PmAddrEx2Rec ann = *contacts.GetList()->At(0);
    EXPECT_EQ(fieldText(ann.Note), std::string(2047, '0'));
    copyToField(ann.Company, "Acme");
    ASSERT_TRUE(contacts.StoreRecord(ann));
    EXPECT_EQ(query(file, "SELECT length([Note]), [Company] FROM Main WHERE [Record ID] = 5"),
              "100000000|Acme;");
}

// Genuine Access files without the Palm tables are no contact databases: every one is refused with
// a message naming it, and none is changed.
TEST(PmAddrInfoDesktop6, AccessFilesWithoutPalmTablesAreRefusedAndLeftAlone) {
    const std::filesystem::path folder = test::realData() / "jackcess";
    if (!std::filesystem::is_directory(folder)) {
        GTEST_SKIP() << "no Access files under " << folder;
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.path().extension() != ".mdb") {
            continue;
        }
        const std::string file = entry.path().string();
        SCOPED_TRACE(file);
        const std::string before = test::readBytes(entry.path());
        EXPECT_EQ(PmAddrInfo::DetectFileFormat(file.c_str()), PalmFormat::Invalid);
        PmAddrInfo info;
        EXPECT_FALSE(info.OpenPath(file.c_str()));
        // The file is named once, with the reason after it.
        EXPECT_EQ(info.GetLastError(),
                  file + ": not a Palm Desktop 6 address database (no such table: Main)");
        EXPECT_EQ(test::readBytes(entry.path()), before);
    }
}

} // namespace
} // namespace twinleaf

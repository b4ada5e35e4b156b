// The values, statement texts and their run on a database file, below every kind.
#include "common/palm/PalmDatabase.h"

#include "common/palm/PalmAddrDb.h"
#include "support/SqliteFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace twinleaf {
namespace {

using test::TempDir;

void sql(const std::filesystem::path& file, const std::string& text) {
    ASSERT_EQ(test::sqliteRows(file, text), "");
}

std::string textOf(const win::VARIANT& value) {
    char buffer[256];
    return ValueToText(value, buffer, sizeof buffer) ? std::string(buffer) : "(not a text)";
}

TEST(PmDataAccessor, BuildsTheStatementTextsToTheBlank) {
    const char* const category[] = {"ID", "Name", "Status", "Color"};
    EXPECT_EQ(PmDataAccessor::BuildSql("Category", {}, SqlStatement::Select, category, {}),
              "SELECT [ID], [Name], [Status], [Color] FROM Category ");

    const char* const note[] = {"Note"};
    const char* const key[] = {"Record ID"};
    PmValues value;
    value.Add(TextToValue("abc"));
    PmValues id;
    id.Add(IntToValue(7));
    std::string where;
    ASSERT_TRUE(BuildWhere(key, id.view(), where, 1024));
    EXPECT_EQ(PmDataAccessor::BuildSql("Main", where, SqlStatement::Update, note, value.view()),
              "UPDATE Main SET [Note]='abc' WHERE [Record ID] = 7");
    EXPECT_EQ(PmDataAccessor::BuildSql("Main", where, SqlStatement::Delete, note, {}),
              "DELETE FROM Main WHERE [Record ID] = 7");

    const char* const two[] = {"Record ID", "Private"};
    PmValues values;
    values.Add(IntToValue(-3));
    values.Add(BoolToValue(1));
    EXPECT_EQ(PmDataAccessor::BuildSql("Main", {}, SqlStatement::Insert, two, values.view()),
              "INSERT INTO Main ([Record ID], [Private], [Blob]) VALUES (-3, 1, 0x00000000)");
    EXPECT_EQ(PmDataAccessor::BuildSql("Main", {}, SqlStatement::Select, {}, {}), "");
}

TEST(PmDataAccessor, InsertOfMoreThanThirtyColumnsFillsTheMediaColumns) {
    PmAddrEx2Util contacts;
    PmAddrEx2Rec record{};
    const PmValues values = ColumnValues(contacts.Columns(), &record);
    std::vector<const char*> names;
    for (const PmColumn& column : contacts.Columns()) {
        names.push_back(column.name);
    }
    ASSERT_EQ(names.size(), 95U);
    const std::string text =
        PmDataAccessor::BuildSql("Main", {}, SqlStatement::Insert, names, values.view());
    EXPECT_NE(text.find("[Ringtone Sync counter], [Photo], [VoiceTag], [Ringtone], [Blob]) "
                        "VALUES ("),
              std::string::npos);
    EXPECT_TRUE(text.ends_with("'', 0x00000000, 0x00000000, 0x00000000, 0x00000000)")) << text;
}

TEST(PmDataAccessor, TextValuesCannotEndTheirLiteral) {
    struct Case {
        const char* name;
        const char* text;
        const char* formatted;
    };
    const Case cases[] = {
        {"empty", "", "''"},
        {"quote doubled", "O'Neil", "'O''Neil'"},
        {"statement inside", "x'; DROP TABLE Main; --", "'x''; DROP TABLE Main; --'"},
        {"ANSI kept", "Caf\xe9", "'Caf\xe9'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PmValues value;
        value.Add(TextToValue(c.text));
        EXPECT_EQ(FormatSqlValue(value[0]), c.formatted);
    }
}

TEST(PmDataAccessor, WhereTextThatWouldNotFitIsRefusedNotCut) {
    const char* const key[] = {"Note"};
    PmValues value;
    value.Add(TextToValue(std::string(2000, 'a').c_str()));
    std::string where = "left over";
    EXPECT_FALSE(BuildWhere(key, value.view(), where, 1024));
    EXPECT_TRUE(BuildWhere({}, {}, where, 1024));
    EXPECT_EQ(where, "");
}

TEST(PmValueConversions, ReadValuesAsTheirColumnsNeedThem) {
    std::int32_t number = 99;
    std::uint8_t flag = 9;
    PmValues values;
    values.Add(IntToValue(-1));
    values.Add(NumberTextToValue(60));
    values.Add(TextToValue("12x"));
    values.Add(BoolToValue(0));
    values.Add(TextToValue(""));
    EXPECT_TRUE(ValueToInt(values[1], number));
    EXPECT_EQ(number, 60);
    EXPECT_FALSE(ValueToInt(values[2], number));
    EXPECT_EQ(number, 60);
    // Access keeps true as -1; an SQLite file may hold a flag as any integer.
    EXPECT_TRUE(ValueToBool(values[0], flag));
    EXPECT_EQ(flag, 1);
    EXPECT_TRUE(ValueToBool(values[3], flag));
    EXPECT_EQ(flag, 0);
    flag = 7;
    EXPECT_FALSE(ValueToBool(values[2], flag));
    EXPECT_EQ(flag, 7);
    EXPECT_EQ(textOf(values[4]), "");
    EXPECT_EQ(textOf(values[0]), "(not a text)");
    char small[4];
    ASSERT_TRUE(ValueToText(values[2], small, sizeof small));
    EXPECT_STREQ(small, "12x");
}

class PmDatabaseFile : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        PmAddrEx2Util contacts;
        ASSERT_TRUE(CreateEx2Database(file.string(), contacts.Columns(), error)) << error;
        sql(file, "INSERT INTO Main ([Record ID], [Status], [Private], [Note]) VALUES "
                  "(5, 0, -1, 'first'), (3, 0, 0, 'second')");
        sql(file, "INSERT INTO Information VALUES ('Minor', '12'), ('License', NULL)");
    }

    TempDir dir;
    std::filesystem::path file = dir.path() / "Address.mdb";
};

TEST_F(PmDatabaseFile, SelectsRowsInStoredOrderAndFetchesOnlyTheLastSelect) {
    PmMDBAccessor accessor(PmDataKind::Addr, file.string());
    const char* const columns[] = {"Record ID", "Private", "Note"};
    PmValues row;
    ASSERT_TRUE(accessor.SelectFirst("Main", columns, row));
    std::int32_t id = 0;
    std::uint8_t flag = 0;
    ASSERT_EQ(row.size(), 3U);
    EXPECT_TRUE(ValueToInt(row[0], id));
    EXPECT_EQ(id, 5);
    EXPECT_TRUE(ValueToBool(row[1], flag));
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(textOf(row[2]), "first");
    EXPECT_FALSE(accessor.FetchNext("SELECT [Note] FROM Main ", row));
    ASSERT_TRUE(accessor.SelectNext("Main", columns, row));
    EXPECT_TRUE(ValueToInt(row[0], id));
    EXPECT_EQ(id, 3);
    EXPECT_FALSE(accessor.SelectNext("Main", columns, row));
    EXPECT_EQ(accessor.LastError(), "");
}

TEST_F(PmDatabaseFile, FailedStatementIsReportedAndRunsNothing) {
    PmMDBAccessor accessor(PmDataKind::Addr, file.string());
    EXPECT_FALSE(accessor.Execute("UPDATE Main SET [No Such Column]=1 ", false));
    EXPECT_NE(accessor.LastError().find("No Such Column"), std::string::npos);
    // A second statement behind the first is never run.
    EXPECT_FALSE(accessor.Execute("DELETE FROM Main ; DELETE FROM Category", false));
    PmValues row;
    EXPECT_TRUE(accessor.RunSelect("SELECT count(*) FROM Category", row));
    std::int32_t count = 0;
    ASSERT_TRUE(ValueToInt(row[0], count));
    EXPECT_EQ(count, 1);
}

// Texts are kept as UTF-8 by the database and read into fixed fields in the ANSI code page,
// whole or cut to the field, whether they are plain ASCII or not.
TEST_F(PmDatabaseFile, TextsReachFixedFieldsInTheAnsiCodePage) {
    struct Case {
        const char* stored; // UTF-8
        std::size_t width;
        const char* read; // Windows-1252
    };
    const Case cases[] = {
        {"plain", 256, "plain"},    {"M\xC3\xBCller \xE2\x82\xAC", 256, "M\xFCller \x80"},
        {"\xD0\x96uk", 256, "?uk"}, // no ANSI form
        {"abcdef", 4, "abc"},       {"\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", 4, "\xE4\xF6\xFC"},
    };
    PmMDBAccessor accessor(PmDataKind::Addr, file.string());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.read);
        sql(file, std::string("UPDATE Main SET [Note] = '") + c.stored + "' WHERE [Record ID] = 3");
        PmValues row;
        ASSERT_TRUE(accessor.RunSelect("SELECT [Note] FROM Main WHERE [Record ID] = 3", row));
        std::vector<char> field(c.width, 'x');
        ASSERT_TRUE(ValueToText(row[0], field.data(), field.size()));
        EXPECT_STREQ(field.data(), c.read);
    }
}

TEST_F(PmDatabaseFile, ReadsInformationAndCategoriesAndHandsOutFreshIds) {
    PmAddrEx2Util contacts;
    ASSERT_TRUE(contacts.OpenDatabase(PmDataKind::Addr, file.string()));
    ASSERT_TRUE(contacts.LoadInformation());
    EXPECT_EQ(contacts.GetInformation().Minor, 12);
    EXPECT_EQ(contacts.GetInformation().FreeRecID, 1);
    EXPECT_EQ(contacts.GetInformation().License, 0);
    ASSERT_TRUE(contacts.LoadCategories());
    ASSERT_EQ(contacts.GetCategories().GetCount(), 1U);
    EXPECT_NE(contacts.GetCategories().FindByName("Unfiled"), nullptr);
    EXPECT_EQ(contacts.GetCategories().FindByName(""), nullptr);

    // FreeRecID 1 is not above the ids in use: the highest + 1, and FreeRecID moves past it.
    std::int32_t id = 0;
    ASSERT_TRUE(contacts.NewRecordId(id));
    EXPECT_EQ(id, 6);
    ASSERT_TRUE(contacts.NewRecordId(id));
    EXPECT_EQ(id, 7);
    sql(file, "UPDATE Information SET Note = '40' WHERE Name = 'FreeRecID'");
    ASSERT_TRUE(contacts.NewRecordId(id));
    EXPECT_EQ(id, 40);
}

TEST(PmDBEx2Util, MissingOrForeignFileOpensNothing) {
    TempDir dir;
    PmAddrEx2Util contacts;
    EXPECT_FALSE(contacts.OpenDatabase(PmDataKind::Addr, (dir.path() / "none.mdb").string()));
    EXPECT_EQ(contacts.GetAccessor(), nullptr);
    test::writeBytes(dir.path() / "text.mdb", "hello");
    EXPECT_FALSE(contacts.OpenFile((dir.path() / "text.mdb").string()));
    EXPECT_NE(contacts.GetLastError().find("not a database"), std::string::npos);
}

} // namespace
} // namespace twinleaf

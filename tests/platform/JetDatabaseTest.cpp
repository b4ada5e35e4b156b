// The database engine: SQLite files read and written, genuine Access files read and never
// written, damaged files refused without harm.
#include "platform/jet/JetDatabase.h"

#include "support/TempDir.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace twinleaf::jet {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

struct Opened {
    Connection connection;
    Query query{connection};
    bool Open(const fs::path& path) {
        connection.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"" +
                                       path.string() + "\"");
        return connection.Open();
    }
    // Every row of a SELECT as "a|b;" texts: integers as digits, Yes/No as T/F, texts as they
    // are (UTF-8), empty values as "-".
    std::string rows(const std::string& sql) {
        query.SetSql(sql);
        if (!query.Open()) {
            return "error: " + query.LastError();
        }
        std::string out;
        for (; !query.Eof(); query.Next()) {
            for (int i = 0; i < query.FieldCount(); ++i) {
                win::VARIANT value;
                query.FieldValue(i, &value);
                out += i == 0 ? "" : "|";
                if (value.vt == win::VT_I4) {
                    out += std::to_string(value.lVal);
                } else if (value.vt == win::VT_BOOL) {
                    out += value.boolVal != 0 ? "T" : "F";
                } else if (value.vt == win::VT_BSTR) {
                    const std::u16string_view text = win::bstrView(value.bstrVal);
                    out += std::string(text.begin(), text.end());
                } else {
                    out += "-";
                }
                win::VariantClear(&value);
            }
            out += ";";
        }
        return out;
    }
    bool exec(const std::string& sql) {
        query.SetSql(sql);
        return query.ExecSql();
    }
};

fs::path makeSqlite(const TempDir& dir) {
    const fs::path file = dir.path() / "db.mdb";
    std::string error;
    EXPECT_TRUE(CreateSqliteDatabase(
        file.string(),
        {"CREATE TABLE Main ([Record ID] INTEGER, [Private] YESNO, [Note] TEXT, [Price] REAL)",
         "INSERT INTO Main VALUES (2, -1, 'two', 1.5), (1, 0, NULL, NULL), "
         "(4294967296, 5, 7, 2)"},
        error))
        << error;
    return file;
}

std::string checksum(const fs::path& file) {
    return std::to_string(std::hash<std::string>{}(test::readBytes(file)));
}

TEST(JetDatabase, SqliteValuesComeInTheProvidersForms) {
    TempDir dir;
    Opened db;
    ASSERT_TRUE(db.Open(makeSqlite(dir))) << db.connection.LastError();
    EXPECT_FALSE(db.connection.ReadOnly());
    // Rows in stored order; floating point and integers beyond 32 bits reach the caller empty,
    // a Yes/No column as a flag whatever integer holds it.
    EXPECT_EQ(db.rows("SELECT [Record ID], [Private], [Note], [Price] FROM Main "),
              "2|T|two|-;1|F|-|-;-|T|7|-;");
}

TEST(JetDatabase, ChangesInATransactionReachTheFileOnlyWhenCommitted) {
    TempDir dir;
    const fs::path file = makeSqlite(dir);
    {
        Opened db;
        ASSERT_TRUE(db.Open(file));
        ASSERT_TRUE(db.connection.BeginTrans());
        ASSERT_TRUE(db.exec("DELETE FROM Main WHERE [Record ID] = 1"));
        db.connection.RollbackTrans();
        ASSERT_TRUE(db.connection.BeginTrans());
        ASSERT_TRUE(db.exec("DELETE FROM Main WHERE [Record ID] = 2"));
        ASSERT_TRUE(db.connection.CommitTrans());
        ASSERT_TRUE(db.connection.BeginTrans());
        ASSERT_TRUE(db.exec("DELETE FROM Main"));
        // closed without a commit
    }
    Opened again;
    ASSERT_TRUE(again.Open(file));
    EXPECT_EQ(again.rows("SELECT [Record ID] FROM Main"), "1;-;");
}

TEST(JetDatabase, RefusesWhatIsNoDatabaseNamingTheFile) {
    TempDir dir;
    test::writeBytes(dir.path() / "plain.mdb", "just text");
    test::writeBytes(dir.path() / "cut.mdb", std::string("SQLite format 3\0", 16) + "xx");
    for (const char* name : {"missing.mdb", "plain.mdb", "cut.mdb"}) {
        SCOPED_TRACE(name);
        Opened db;
        EXPECT_FALSE(db.Open(dir.path() / name));
        EXPECT_NE(db.connection.LastError().find(name), std::string::npos)
            << db.connection.LastError();
        EXPECT_FALSE(fs::exists(dir.path() / "missing.mdb"));
    }
}

std::vector<fs::path> accessFiles() {
    std::vector<fs::path> files;
    const fs::path folder = test::realData() / "jackcess";
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.path().extension() == ".mdb") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

TEST(JetDatabase, GenuineAccessFilesAreReadAndNeverWritten) {
    const std::vector<fs::path> files = accessFiles();
    if (files.empty()) {
        GTEST_SKIP() << "no Access files under " << (test::realData() / "jackcess");
    }
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const std::string before = checksum(file);
        Opened palm;
        if (palm.Open(file)) {
            EXPECT_TRUE(palm.connection.ReadOnly());
            // None of these files keeps Palm tables: the query says so, clearly.
            EXPECT_NE(palm.rows("SELECT [Record ID] FROM Main ").find("no such table: Main"),
                      std::string::npos);
            EXPECT_FALSE(palm.exec("CREATE TABLE Main (x)"));
            EXPECT_NE(palm.query.LastError().find("read, never written"), std::string::npos);
            EXPECT_FALSE(palm.connection.BeginTrans());
        } else {
            EXPECT_NE(palm.connection.LastError().find(file.filename().string()),
                      std::string::npos);
        }
        Opened own;
        own.connection.SetAccessTables({"Table1", "Table", "test", "users"});
        if (own.Open(file)) {
            const std::string rows = own.rows("SELECT name FROM sqlite_master");
            EXPECT_EQ(rows.find("error"), std::string::npos) << rows;
        }
        EXPECT_EQ(checksum(file), before);
    }
}

TEST(JetDatabase, ReadsTheRowsOfAnAccessTableInStoredOrder) {
    const fs::path file = test::realData() / "jackcess" / "V2003" / "testV2003.mdb";
    if (!fs::exists(file)) {
        GTEST_SKIP() << file << " is absent";
    }
    Opened db;
    db.connection.SetAccessTables({"Table1"});
    ASSERT_TRUE(db.Open(file)) << db.connection.LastError();
    const std::string rows = db.rows("SELECT * FROM Table1");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), ';'), 2) << rows;
}

TEST(JetDatabase, DamagedAccessFileGivesAnErrorOrWholeRowsNeverACrash) {
    const fs::path source = test::realData() / "jackcess" / "V2003" / "testV2003.mdb";
    if (!fs::exists(source)) {
        GTEST_SKIP() << source << " is absent";
    }
    const std::string bytes = test::readBytes(source);
    TempDir dir;
    std::vector<std::string> damaged;
    for (const std::size_t length : {100U, 4096U, 20000U, 40000U, 150000U}) {
        damaged.push_back(bytes.substr(0, length));
    }
    // A fixed seed, so that a copy that breaks the reader is made again by the next run.
    std::mt19937 random(20261211);
    for (int copy = 0; copy < 8; ++copy) {
        std::string changed = bytes.substr(0, 200000);
        for (int i = 0; i < 50; ++i) {
            changed[random() % changed.size()] = static_cast<char>(random() & 0xFF);
        }
        damaged.push_back(changed);
    }
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE("damaged copy " + std::to_string(i));
        const fs::path file = dir.path() / ("copy" + std::to_string(i) + ".mdb");
        test::writeBytes(file, damaged[i]);
        Opened db;
        db.connection.SetAccessTables({"Table1"});
        if (db.Open(file)) {
            EXPECT_EQ(db.rows("SELECT count(*) FROM sqlite_master").find("error"),
                      std::string::npos);
        } else {
            EXPECT_NE(db.connection.LastError().find(file.filename().string()), std::string::npos);
        }
        EXPECT_EQ(test::readBytes(file), damaged[i]);
    }
}

} // namespace
} // namespace twinleaf::jet

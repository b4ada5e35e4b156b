// The database engine behind the Palm Desktop 6 access: a connection and a query in the shape the
// Jet OLE DB provider offers them (connection string, SQL text, open or execute, field values as
// variants, next row, end of file). An SQLite 3 file is read and written by SQLite, which runs
// the statements as they are built (bracketed names and 0x literals are SQLite too). A genuine
// Access (Jet 3/4) file is read through libmdb: its tables "Main", "Category" and "Information"
// are copied, rows in stored order, into a private in-memory database that answers the SELECTs;
// such a connection refuses every change, so a genuine Access file is never written.
//
// Statement texts are in the ANSI code page (Windows-1252), as the accessor builds them; values
// come back as the provider gives them: 32-bit integers (VT_I4), Yes/No columns (VT_BOOL), texts
// (VT_BSTR), anything else empty.
#pragma once

#include "platform/com/Com.h"

#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace twinleaf::jet {

class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // "Provider=...;Data Source=\"path\"": only the data source is used.
    void SetConnectionString(const std::string& text);
    const std::string& ConnectionString() const { return m_connectionString; }
    // Opens the data source; false with LastError naming the file when it is no database.
    bool Open();
    void Close();
    bool Connected() const { return m_db != nullptr; }
    // The tables a genuine Access file is read for: the Palm tables, unless a test names others.
    void SetAccessTables(std::vector<std::string> tables) { m_accessTables = std::move(tables); }
    // A genuine Access file, read through libmdb: every change is refused.
    bool ReadOnly() const { return m_readOnly; }
    const std::string& Path() const { return m_path; }
    const std::string& LastError() const { return m_lastError; }

    // Changes between BeginTrans and CommitTrans reach the file together or not at all.
    bool BeginTrans();
    bool CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return m_inTransaction; }

private:
    friend class Query;
    bool OpenSqlite();
    bool OpenAccess();
    bool CopyAccessTables();
    bool Run(const char* sql);

    std::string m_connectionString;
    std::string m_path;
    std::string m_lastError;
    sqlite3* m_db = nullptr;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    std::vector<std::string> m_accessTables{"Main", "Category", "Information"};
};

// Makes a new SQLite database file from the statements given (UTF-8); false with `error` when the
// file exists already or a statement fails, and then no file is left behind.
bool CreateSqliteDatabase(const std::string& path, const std::vector<std::string>& statements,
                          std::string& error);

// A file's first bytes say whether it is an SQLite file or an Access (Jet or ACE) file.
enum class FileKind { None, Sqlite, Access };
FileKind DatabaseFileKind(const std::string& path);

class Query {
public:
    explicit Query(Connection& connection) : m_connection(connection) {}
    ~Query();
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    void Close();
    // The statement, as one line of SQL text (Windows-1252).
    void SetSql(const std::string& ansiSql);
    const std::string& Sql() const { return m_sql; }
    // A SELECT: runs it and stands on its first row (Eof when there is none).
    bool Open();
    // A change statement; refused on a read-only connection.
    bool ExecSql();
    int FieldCount() const;
    // The current row's field i as a new variant the caller clears; empty past the end.
    void FieldValue(int i, win::VARIANT* value) const;
    bool Next();
    bool Eof() const { return m_eof; }
    const std::string& LastError() const { return m_lastError; }

private:
    bool Prepare();
    bool Step();

    Connection& m_connection;
    std::string m_sql;
    std::string m_lastError;
    sqlite3_stmt* m_statement = nullptr;
    std::vector<bool> m_yesNo; // by column of the prepared statement
    bool m_eof = true;
};

} // namespace twinleaf::jet

// The Palm Desktop 6 databases below the four kinds: the values that go in and out of a database
// (variants), the SQL texts built from column names and values (PmDataAccessor), their run on a
// database file (PmMDBAccessor), and the base every kind's database access shares (PmDBEx2Util,
// with the "Category" and "Information" tables). PmEx2Table adds what is written once for all
// kinds: a record described by a table of columns, read, compared and stored row by row.
#pragma once

#include "common/misc/CxList.h"
#include "common/palm/PalmComm.h"
#include "common/palm/PalmRow.h"
#include "platform/com/Com.h"
#include "platform/jet/JetDatabase.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace twinleaf {

// ---- values ----

// A list of variants that owns the strings in them; a row read from a database, or the values of
// a statement.
class PmValues {
public:
    PmValues() = default;
    ~PmValues() { Clear(); }
    PmValues(PmValues&& other) noexcept : m_values(std::move(other.m_values)) {}
    PmValues& operator=(PmValues&& other) noexcept;
    PmValues(const PmValues&) = delete;
    PmValues& operator=(const PmValues&) = delete;

    // Takes the variant over.
    void Add(win::VARIANT value) { m_values.push_back(value); }
    void Clear();
    std::size_t size() const { return m_values.size(); }
    const win::VARIANT& operator[](std::size_t i) const { return m_values[i]; }
    std::span<const win::VARIANT> view() const { return m_values; }

private:
    std::vector<win::VARIANT> m_values;
};

win::VARIANT IntToValue(std::int32_t value);
win::VARIANT BoolToValue(std::uint8_t value);
// From the ANSI code page; an empty text gives a null string.
win::VARIANT TextToValue(const char* text);
win::VARIANT NumberTextToValue(std::int32_t value);
// Integer: the integer; text: the decimal number in it. Anything else fails.
bool ValueToInt(const win::VARIANT& value, std::int32_t& target);
// A Yes/No value, or an integer such as an SQLite file keeps one in: 1 when it is not zero (an
// Access true is -1). Anything else fails and leaves the target as it was.
bool ValueToBool(const win::VARIANT& value, std::uint8_t& target);
// Text only: into the buffer in the ANSI code page, cut to capacity - 1 bytes, always terminated.
bool ValueToText(const win::VARIANT& value, char* buffer, std::size_t capacity);
// The same into a text held by length, cut as a field of `width` bytes would cut it.
bool ValueToText(const win::VARIANT& value, TextValue& target, std::size_t width);

enum class SqlStatement { Select = 1, Insert = 2, Delete = 3, Update = 4 };

// Integer: its digits; Yes/No: 1 or 0; text: in single quotes, a quote inside doubled, so that no
// value can end the literal.
std::string FormatSqlValue(const win::VARIANT& value);

// "WHERE [k1] = v1 AND [k2] = v2"; empty for no keys. False when the text would not fit in
// `capacity` - 1 bytes: a condition cut short would match other rows or none.
bool BuildWhere(std::span<const char* const> keys, std::span<const win::VARIANT> values,
                std::string& where, std::size_t capacity);

// ---- accessor ----

class PmDataAccessor {
public:
    PmDataAccessor() = default;
    virtual ~PmDataAccessor() = default;
    PmDataAccessor(const PmDataAccessor&) = delete;
    PmDataAccessor& operator=(const PmDataAccessor&) = delete;

    std::string BuildInformationSql(const std::string& where, SqlStatement statement,
                                    std::span<const char* const> columns,
                                    std::span<const win::VARIANT> values) const;
    std::string BuildCategorySql(const std::string& where, SqlStatement statement,
                                 std::span<const char* const> columns,
                                 std::span<const win::VARIANT> values) const;
    std::string BuildMainSql(const std::string& where, SqlStatement statement,
                             std::span<const char* const> columns,
                             std::span<const win::VARIANT> values) const;
    static std::string BuildSql(const char* table, const std::string& where, SqlStatement statement,
                                std::span<const char* const> columns,
                                std::span<const win::VARIANT> values);

    // Every row of a table, first then the next ones.
    virtual bool SelectFirst(const char* table, std::span<const char* const> columns,
                             PmValues& row);
    virtual bool SelectNext(const char* table, std::span<const char* const> columns, PmValues& row);
    // The first row of any SELECT.
    virtual bool RunSelect(const std::string& sql, PmValues& row);
    // The next row of the last SelectFirst; fails for any other text.
    virtual bool FetchNext(const std::string& sql, PmValues& row);
    // Runs a statement: opens a SELECT, executes anything else. False when it failed.
    virtual bool Execute(const std::string& sql, bool open);

    const std::string& LastSelect() const { return m_lastSelect; }

protected:
    std::string m_lastSelect;
};

// One connection and one query per kind, each query bound to its connection.
struct TdmMain {
    jet::Connection connAddr, connDate, connTodo, connMemo;
    jet::Query qryAddr{connAddr}, qryDate{connDate}, qryTodo{connTodo}, qryMemo{connMemo};
};

// The kinds of data, numbered as everywhere else (contacts 1 to memos 4).
enum class PmDataKind { Addr = 1, Date = 2, Todo = 3, Memo = 4 };

// The accessor over the engine. Each accessor has its own data module: a format test's trial
// object must not take the connection from under the facade that holds the same kind open.
class PmMDBAccessor : public PmDataAccessor {
public:
    PmMDBAccessor(PmDataKind kind, const std::string& path);
    ~PmMDBAccessor() override;

    // Points the accessor at a file; false (LastError) when none is there or it is no database.
    bool Connect(PmDataKind kind, const std::string& path);

    bool SelectFirst(const char* table, std::span<const char* const> columns,
                     PmValues& row) override;
    bool SelectNext(const char* table, std::span<const char* const> columns,
                    PmValues& row) override;
    bool RunSelect(const std::string& sql, PmValues& row) override;
    bool FetchNext(const std::string& sql, PmValues& row) override;
    bool Execute(const std::string& sql, bool open) override;

    jet::Query* GetQuery();
    jet::Connection* GetConnection();

    const std::string& GetPath() const { return m_path; }
    const std::string& LastError() const { return m_lastError; }
    bool ReadOnly();

private:
    bool ReadRow(PmValues& row);

    TdmMain m_dm;
    PmDataKind m_kind;
    std::string m_path;
    std::string m_lastError;
};

// ---- categories and information ----

struct PmCategoryEx2 {
    std::int32_t id = 0;
    char name[256] = {};
    std::int32_t status = 0;
    std::int32_t color = 0;
};

class PmCategoryEx2Mgr {
public:
    std::uint32_t GetCount() const { return static_cast<std::uint32_t>(m_categories.size()); }
    void ReleaseAll() { m_categories.clear(); }
    bool AddCopy(const PmCategoryEx2& category);
    const PmCategoryEx2* FindById(std::int32_t id) const;
    const PmCategoryEx2* GetAt(std::uint32_t index) const;
    // Exact, case-sensitive; an empty name finds none.
    const PmCategoryEx2* FindByName(const char* name) const;

private:
    std::vector<PmCategoryEx2> m_categories;
};

struct PmInfoEx2 {
    std::int32_t License = 0;
    std::int32_t Version = 0;
    std::int32_t Minor = 0;
    std::int32_t CodePage = 0;
    std::int32_t PreSahara = 0;
    std::int32_t FreeRecID = 0;
    char TableString[1024] = {};
};

class PmDBEx2Util {
public:
    PmDBEx2Util() = default;
    virtual ~PmDBEx2Util() = default;
    PmDBEx2Util(const PmDBEx2Util&) = delete;
    PmDBEx2Util& operator=(const PmDBEx2Util&) = delete;

    // False for no path, no file there, or a file that is no database (LastError says which).
    virtual bool OpenDatabase(PmDataKind kind, const std::string& path);
    virtual bool LoadCategories();
    virtual bool LoadInformation();
    virtual bool SelectMainById(std::int32_t id, std::span<const char* const> columns,
                                PmValues& row);
    virtual bool SelectMain(const std::string& where, std::span<const char* const> columns,
                            PmValues& row);

    PmMDBAccessor* GetAccessor() { return m_pAccessor.get(); }
    PmCategoryEx2Mgr& GetCategories() { return m_categories; }
    PmInfoEx2& GetInformation() { return m_information; }
    const std::string& GetLastError() const { return m_lastError; }
    // A genuine Access file: read, never written.
    bool IsReadOnly();
    std::string GetPath() const;

    // The changes of one sync run go into one transaction: begun with the first change, made
    // lasting by CommitChanges, given up by RollbackChanges (or by closing the database).
    bool BeginChanges();
    bool CommitChanges();
    void RollbackChanges();

    // A "Record ID" no row of "Main" has: "FreeRecID" of "Information" when it is above every id
    // in use, else the highest id + 1; never 0. "FreeRecID" is advanced past it.
    bool NewRecordId(std::int32_t& id);

protected:
    bool Fail(const std::string& reason);

    std::unique_ptr<PmMDBAccessor> m_pAccessor;
    PmCategoryEx2Mgr m_categories;
    PmInfoEx2 m_information;
    std::string m_lastError;
};

// ---- records described by their columns ----

enum class ColumnValue : std::uint8_t {
    Int,        // 32-bit integer
    Bool,       // byte flag, a Yes/No column
    Text,       // a TextField of `width` bytes
    NumberText, // 32-bit integer, written as its decimal text
};

struct PmColumn {
    const char* name;
    ColumnValue value;
    std::size_t offset; // in the record
    std::size_t width;  // of a text field: the limit a text is cut to, terminator included
    bool compared;      // a difference here makes the record worth writing
    bool updated;       // written by an UPDATE when it differs
};

// The text member a Text column places in a record.
inline const TextValue& ColumnText(const PmColumn& column, const void* record) {
    return TextMemberAt(record, column.offset);
}
inline TextValue& ColumnText(const PmColumn& column, void* record) {
    return TextMemberAt(record, column.offset);
}

// Reads a row into a record, makes a statement's values from one, compares two in a column.
void ReadColumns(std::span<const PmColumn> columns, const PmValues& row, void* record);
PmValues ColumnValues(std::span<const PmColumn> columns, const void* record);
bool SameInColumn(const PmColumn& column, const void* a, const void* b);

// A new Palm Desktop 6 database in SQLite form: "Main" with these columns (and the media and blob
// columns an INSERT names), "Category" with its four columns and "Information" holding the rows
// "Version" and "FreeRecID". False with `error` when the file exists or cannot be made.
bool CreateEx2Database(const std::string& path, std::span<const PmColumn> columns,
                       std::string& error);

// What one kind's records are: their columns in select and insert order and the keys that find
// a row whose "Record ID" is 0 (such rows have no identity of their own).
struct PmEx2Layout {
    std::span<const PmColumn> columns;
    std::span<const char* const> fallbackKeys;
    PmDataKind kind;
    const char* folder; // in the user's data folder
    const char* file;
};

// The database access of one kind over its record type. Rec starts with its "Record ID", "Status"
// and "Placement" integers and "Private" flag in that order; the kind may complete a record after
// reading it (Completed) and prepare it before storing it (Prepared).
template <class Rec> class PmEx2Table : public PmDBEx2Util {
public:
    using DataMgr = PmRecordList<Rec>;

    explicit PmEx2Table(const PmEx2Layout& layout) : m_layout(layout) {
        m_names.reserve(layout.columns.size());
        for (const PmColumn& column : layout.columns) {
            m_names.push_back(column.name);
        }
    }

    bool IsValid() const { return m_bValid; }
    bool OpenFile(const std::string& path) {
        m_bValid = !path.empty() && OpenDatabase(m_layout.kind, path) && LoadAll();
        return m_bValid;
    }
    bool OpenForUser(std::uint32_t user) {
        const std::string path = PalmUserFilePath(user, m_layout.folder, m_layout.file);
        if (path.empty()) {
            return Fail("Palm user " + std::to_string(user) + " has no data folder");
        }
        return OpenFile(path);
    }
    // Every row of "Main" into the list, in stored order. A table without one of the columns
    // is no database of this kind.
    bool LoadAll() {
        if (m_pAccessor == nullptr) {
            return false;
        }
        PmValues row;
        bool more = m_pAccessor->SelectFirst("Main", m_names, row);
        if (!more && !m_pAccessor->LastError().empty()) {
            return Fail(m_pAccessor->LastError());
        }
        while (more) {
            Rec* record = m_list.AddBlank();
            if (record == nullptr) {
                return Fail(GetPath() + ": out of memory");
            }
            ReadColumns(m_layout.columns, row, record);
            Completed(*record);
            more = m_pAccessor->SelectNext("Main", m_names, row);
        }
        if (!m_pAccessor->LastError().empty()) {
            return Fail(m_pAccessor->LastError());
        }
        return true;
    }
    // The first row matching every key, or false.
    bool FindRecord(std::span<const char* const> keys, std::span<const win::VARIANT> values,
                    Rec& record) {
        std::string where;
        PmValues row;
        if (!BuildWhere(keys, values, where, 4096) || !SelectMain(where, m_names, row)) {
            return false;
        }
        record = Rec{};
        ReadColumns(m_layout.columns, row, &record);
        Completed(record);
        return true;
    }
    // Writes one record: an UPDATE of the columns that differ from its row, or an INSERT of a
    // row when it has none. A record that came from a row finds it by its "Record ID" alone; a
    // new record (id 0) gets an id no row has, set in `record`. False (GetLastError) when the
    // statement failed.
    bool StoreRecord(Rec& record) {
        m_lastError.clear();
        if (m_pAccessor == nullptr) {
            return Fail("no database is open");
        }
        Prepared(record);
        Rec stored{};
        std::string where;
        bool found = false;
        if (record.RecordId != 0) {
            const char* key[] = {"Record ID"};
            PmValues value;
            value.Add(IntToValue(record.RecordId));
            found =
                FindRecord(key, value.view(), stored) && BuildWhere(key, value.view(), where, 1024);
        } else {
            PmValues values = KeyValues(record);
            found = FindRecord(m_layout.fallbackKeys, values.view(), stored) &&
                    BuildWhere(m_layout.fallbackKeys, values.view(), where, 1024);
        }
        if (!m_pAccessor->LastError().empty()) {
            return Fail(m_pAccessor->LastError());
        }
        if (found) {
            return Update(record, stored, where);
        }
        if (record.RecordId == 0 && !NewRecordId(record.RecordId)) {
            return false;
        }
        const std::string sql = m_pAccessor->BuildMainSql(
            {}, SqlStatement::Insert, m_names, ColumnValues(m_layout.columns, &record).view());
        return m_pAccessor->Execute(sql, false) || Fail(m_pAccessor->LastError());
    }
    bool Save() { return true; }
    DataMgr* GetList() { return &m_list; }
    std::span<const PmColumn> Columns() const { return m_layout.columns; }

protected:
    virtual void Completed(Rec& record) { static_cast<void>(record); }
    virtual void Prepared(Rec& record) { static_cast<void>(record); }

private:
    bool Update(const Rec& record, const Rec& stored, const std::string& where) {
        bool differs = false;
        for (const PmColumn& column : m_layout.columns) {
            differs = differs || (column.compared && !SameInColumn(column, &record, &stored));
        }
        if (!differs) {
            return true;
        }
        std::vector<PmColumn> changed;
        for (const PmColumn& column : m_layout.columns) {
            if (column.updated && !SameInColumn(column, &record, &stored)) {
                changed.push_back(column);
            }
        }
        if (changed.empty()) {
            return true;
        }
        std::vector<const char*> names;
        for (const PmColumn& column : changed) {
            names.push_back(column.name);
        }
        const std::string sql = m_pAccessor->BuildMainSql(where, SqlStatement::Update, names,
                                                          ColumnValues(changed, &record).view());
        return m_pAccessor->Execute(sql, false) || Fail(m_pAccessor->LastError());
    }
    PmValues KeyValues(const Rec& record) const {
        std::vector<PmColumn> keys;
        for (const char* key : m_layout.fallbackKeys) {
            for (const PmColumn& column : m_layout.columns) {
                if (std::string_view(column.name) == key) {
                    keys.push_back(column);
                }
            }
        }
        return ColumnValues(keys, &record);
    }

    const PmEx2Layout& m_layout;
    std::vector<const char*> m_names;
    DataMgr m_list;
    bool m_bValid = false;
};

} // namespace twinleaf

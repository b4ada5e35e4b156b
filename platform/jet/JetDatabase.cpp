// SQLite runs the statements of both kinds of file; libmdb only fills the in-memory copy of a
// genuine Access file's tables.
#include "platform/jet/JetDatabase.h"

#include "platform/codepage/Codepage.h"
#include "platform/files/AtomicFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mdbtools.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace twinleaf::jet {
namespace {

// Texts are handed over cut to this many bytes: no Palm field holds more than a few thousand
// characters, and a huge value in a damaged or foreign file must not take the memory with it.
constexpr std::size_t kLongestText = std::size_t{1} << 20;
// A file that takes longer than this to read is taken for one that makes the reader loop.
constexpr int kAccessReadSeconds = 60;
// A memo beyond this many bytes is cut by libmdb; the longest Palm text is far shorter.
constexpr std::size_t kAccessBindSize = 65536;

std::string quoteName(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

// The declared type of an Access column in the copy, so that reading tells Yes/No from integer.
const char* declaredType(int accessType) {
    switch (accessType) {
    case MDB_BOOL:
        return "YESNO";
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return "INTEGER";
    case MDB_TEXT:
    case MDB_MEMO:
        return "TEXT";
    default:
        return "OTHER";
    }
}

bool isYesNo(const char* declared) {
    if (declared == nullptr) {
        return false;
    }
    std::string upper(declared);
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return upper.find("BOOL") != std::string::npos || upper.find("BIT") != std::string::npos ||
           upper.find("YESNO") != std::string::npos;
}

// Nearly every text in a Palm database is plain ASCII: it is widened straight into the string
// handed out, without the UTF-16 copy a general conversion makes first.
win::BSTR utf8ToBstr(std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        const std::u16string wide = utf8ToUtf16(text);
        return win::SysAllocStringLen(wide.data(), static_cast<win::UINT>(wide.size()));
    }
    win::BSTR bstr = win::SysAllocStringLen(nullptr, static_cast<win::UINT>(text.size()));
    if (bstr != nullptr) {
        std::copy(text.begin(), text.end(), bstr);
    }
    return bstr;
}

std::string dataSourceOf(const std::string& connection) {
    const std::string key = "Data Source=";
    const std::size_t at = connection.find(key);
    if (at == std::string::npos) {
        return {};
    }
    std::string value = connection.substr(at + key.size());
    if (!value.empty() && value.front() == '"') {
        const std::size_t end = value.find('"', 1);
        return value.substr(1, end == std::string::npos ? std::string::npos : end - 1);
    }
    return value.substr(0, value.find(';'));
}

} // namespace

FileKind DatabaseFileKind(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::array<char, 20> head{};
    in.read(head.data(), head.size());
    const std::string_view bytes(head.data(), static_cast<std::size_t>(in.gcount()));
    if (bytes.substr(0, 16) == std::string_view("SQLite format 3\0", 16)) {
        return FileKind::Sqlite;
    }
    if (bytes.size() >= 19 &&
        (bytes.substr(4, 15) == "Standard Jet DB" || bytes.substr(4, 15) == "Standard ACE DB")) {
        return FileKind::Access;
    }
    return FileKind::None;
}

bool CreateSqliteDatabase(const std::string& path, const std::vector<std::string>& statements,
                          std::string& error) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE,
                        nullptr) != SQLITE_OK) {
        error = path + ": " + (db ? sqlite3_errmsg(db) : "cannot create");
        sqlite3_close_v2(db);
        return false;
    }
    bool ok = true;
    for (const std::string& statement : statements) {
        char* message = nullptr;
        if (sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
            error = path + ": " + (message ? message : sqlite3_errmsg(db));
            sqlite3_free(message);
            ok = false;
            break;
        }
    }
    sqlite3_close_v2(db);
    if (!ok) {
        std::remove(path.c_str());
    }
    return ok;
}

Connection::~Connection() {
    Close();
}

void Connection::SetConnectionString(const std::string& text) {
    m_connectionString = text;
}

bool Connection::Open() {
    Close();
    m_path = dataSourceOf(m_connectionString);
    m_lastError.clear();
    switch (DatabaseFileKind(m_path)) {
    case FileKind::Sqlite:
        return OpenSqlite();
    case FileKind::Access:
        return OpenAccess();
    case FileKind::None:
        break;
    }
    m_lastError = m_path + ": not a database file";
    return false;
}

void Connection::Close() {
    if (m_db != nullptr) {
        // Closing in the middle of a transaction gives its changes up.
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_readOnly = false;
    m_inTransaction = false;
}

bool Connection::OpenSqlite() {
    // No SQLITE_OPEN_CREATE: a missing file must not become an empty database.
    if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        m_lastError = m_path + ": " + (m_db ? sqlite3_errmsg(m_db) : "cannot open");
        Close();
        return false;
    }
    sqlite3_busy_timeout(m_db, 2000);
    // Reading the schema tells a damaged or foreign file at once rather than at the first query.
    if (!Run("SELECT count(*) FROM sqlite_master")) {
        Close();
        return false;
    }
    return true;
}

namespace {

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t wrote = ::write(fd, bytes.data(), bytes.size());
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

// Reads what the child sends until it closes its end or the time is up.
bool readAll(int fd, std::string& bytes, int seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

} // namespace

// libmdb reads a file someone else wrote, and a damaged one can make it crash or loop. It runs
// in a child process that hands back the copied tables as one serialised database, so that such
// a file costs an error message, never the program.
bool Connection::OpenAccess() {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        m_lastError = m_path + ": cannot start the Access reader";
        return false;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        m_lastError = m_path + ": cannot start the Access reader";
        return false;
    }
    if (child == 0) {
        ::close(pipeEnds[0]);
        // libmdb prints its own diagnostics ("offset ... is beyond EOF") for a damaged file; the
        // user gets one message naming the file instead.
        if (const int null = ::open("/dev/null", O_WRONLY); null >= 0) {
            ::dup2(null, STDERR_FILENO);
            ::close(null);
        }
        std::string payload;
        if (CopyAccessTables()) {
            sqlite3_int64 size = 0;
            unsigned char* bytes = sqlite3_serialize(m_db, "main", &size, 0);
            // A copy without any of the tables serialises to nothing at all.
            payload = "D" + (bytes == nullptr ? std::string()
                                              : std::string(reinterpret_cast<char*>(bytes),
                                                            static_cast<std::size_t>(size)));
            sqlite3_free(bytes);
        } else {
            payload = "E" + m_lastError;
        }
        writeAll(pipeEnds[1], payload);
        // No exit handlers: the parent's state, which the child shares, is not the child's to
        // tear down.
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string payload;
    const bool complete = readAll(pipeEnds[0], payload, kAccessReadSeconds);
    ::close(pipeEnds[0]);
    if (!complete) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const bool exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!complete || !exited || payload.empty()) {
        m_lastError = m_path + ": the Access database is damaged; it could not be read";
        return false;
    }
    if (payload[0] == 'E') {
        m_lastError = payload.substr(1);
        return false;
    }
    const auto size = static_cast<sqlite3_int64>(payload.size() - 1);
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) !=
        SQLITE_OK) {
        Close();
        m_lastError = m_path + ": out of memory";
        return false;
    }
    if (size > 0) {
        auto* bytes =
            static_cast<unsigned char*>(sqlite3_malloc64(static_cast<sqlite3_uint64>(size)));
        if (bytes == nullptr) {
            Close();
            m_lastError = m_path + ": out of memory";
            return false;
        }
        std::memcpy(bytes, payload.data() + 1, static_cast<std::size_t>(size));
        if (sqlite3_deserialize(m_db, "main", bytes, size, size,
                                SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) !=
            SQLITE_OK) {
            Close();
            m_lastError = m_path + ": the Access database's tables could not be copied";
            return false;
        }
    }
    m_readOnly = true;
    return true;
}

bool Connection::CopyAccessTables() {
    MdbHandle* mdb = mdb_open(m_path.c_str(), MDB_NOFLAGS);
    if (mdb == nullptr) {
        m_lastError = m_path + ": not a readable Access database";
        return false;
    }
    mdb_set_bind_size(mdb, kAccessBindSize);
    if (mdb_read_catalog(mdb, MDB_TABLE) == nullptr) {
        mdb_close(mdb);
        m_lastError = m_path + ": the Access database's table list cannot be read";
        return false;
    }
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY, nullptr) !=
        SQLITE_OK) {
        mdb_close(mdb);
        Close();
        m_lastError = m_path + ": out of memory";
        return false;
    }
    bool ok = true;
    // Only the tables asked for are read; an Access file's others are left alone.
    for (const std::string& name : m_accessTables) {
        std::string tableName(name);
        MdbTableDef* table = mdb_read_table_by_name(mdb, tableName.data(), MDB_TABLE);
        if (table == nullptr) {
            continue;
        }
        if (mdb_read_columns(table) == nullptr || table->num_cols == 0) {
            mdb_free_tabledef(table);
            continue;
        }
        std::string create = "CREATE TABLE " + quoteName(name) + " (";
        std::string insert = "INSERT INTO " + quoteName(name) + " VALUES (";
        const unsigned columns = table->num_cols;
        std::vector<std::vector<char>> buffers(columns, std::vector<char>(kAccessBindSize + 1));
        std::vector<int> lengths(columns, 0);
        std::vector<int> types(columns, 0);
        for (unsigned i = 0; i < columns; ++i) {
            const auto* column =
                static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
            types[i] = column->col_type;
            create += std::string(i == 0 ? "" : ", ") + quoteName(column->name) + " " +
                      declaredType(column->col_type);
            insert += i == 0 ? "?" : ", ?";
            mdb_bind_column(table, static_cast<int>(i + 1), buffers[i].data(), &lengths[i]);
        }
        create += ")";
        insert += ")";
        sqlite3_stmt* statement = nullptr;
        ok = Run(create.c_str()) &&
             sqlite3_prepare_v2(m_db, insert.c_str(), -1, &statement, nullptr) == SQLITE_OK;
        if (ok) {
            mdb_rewind_table(table);
            // Rows come in the order they are stored, and keep it as rowids in the copy.
            while (ok && mdb_fetch_row(table)) {
                for (unsigned i = 0; i < columns; ++i) {
                    const int at = static_cast<int>(i + 1);
                    const std::size_t length = std::min<std::size_t>(
                        static_cast<std::size_t>(std::max(lengths[i], 0)), kAccessBindSize);
                    const std::string_view text(buffers[i].data(), length);
                    switch (types[i]) {
                    case MDB_BOOL:
                        // libmdb gives Yes/No as "1" or "0"; Access itself keeps true as -1.
                        sqlite3_bind_int(statement, at, text == "0" || text.empty() ? 0 : 1);
                        break;
                    case MDB_BYTE:
                    case MDB_INT:
                    case MDB_LONGINT:
                        if (length == 0) {
                            sqlite3_bind_null(statement, at);
                        } else {
                            sqlite3_bind_int64(
                                statement, at,
                                std::strtoll(std::string(text).c_str(), nullptr, 10));
                        }
                        break;
                    case MDB_TEXT:
                    case MDB_MEMO:
                        if (length == 0) {
                            sqlite3_bind_null(statement, at);
                        } else {
                            sqlite3_bind_text(statement, at, text.data(),
                                              static_cast<int>(text.size()), SQLITE_TRANSIENT);
                        }
                        break;
                    default:
                        sqlite3_bind_null(statement, at);
                        break;
                    }
                }
                ok = sqlite3_step(statement) == SQLITE_DONE;
                sqlite3_reset(statement);
            }
        }
        if (!ok && m_lastError.empty()) {
            m_lastError = m_path + ": table " + name + ": " + sqlite3_errmsg(m_db);
        }
        sqlite3_finalize(statement);
        mdb_free_tabledef(table);
        if (!ok) {
            break;
        }
    }
    mdb_close(mdb);
    return ok;
}

bool Connection::Run(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        m_lastError = m_path + ": " + (message != nullptr ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool Connection::BeginTrans() {
    if (m_db == nullptr || m_readOnly) {
        m_lastError = m_path + ": no writable database is open";
        return false;
    }
    if (m_inTransaction) {
        return true;
    }
    // The write lock first, so that the bytes kept for taking the run back are the ones this
    // transaction starts from; nothing is written before the commit spills or commits.
    if (!Run("BEGIN IMMEDIATE")) {
        return false;
    }
    if (std::string error; !writesWithheld() && !announceChangeInPlace(m_path, error)) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_lastError = error;
        return false;
    }
    m_inTransaction = true;
    return true;
}

bool Connection::CommitTrans() {
    if (!m_inTransaction) {
        return true;
    }
    // A run that only shows what it would do leaves the database as it was.
    if (writesWithheld()) {
        RollbackTrans();
        return true;
    }
    if (!Run("COMMIT")) {
        RollbackTrans();
        return false;
    }
    m_inTransaction = false;
    announceChangedInPlace(m_path);
    return true;
}

void Connection::RollbackTrans() {
    if (m_inTransaction && m_db != nullptr) {
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    m_inTransaction = false;
}

Query::~Query() {
    Close();
}

void Query::Close() {
    if (m_statement != nullptr) {
        sqlite3_finalize(m_statement);
        m_statement = nullptr;
    }
    m_eof = true;
}

void Query::SetSql(const std::string& ansiSql) {
    Close();
    m_sql = ansiSql;
}

bool Query::Prepare() {
    Close();
    m_lastError.clear();
    if (!m_connection.Connected()) {
        m_lastError = "no database is open";
        return false;
    }
    const std::string utf8 = ansiToUtf8(m_sql);
    const char* rest = nullptr;
    if (sqlite3_prepare_v2(m_connection.m_db, utf8.c_str(), static_cast<int>(utf8.size()),
                           &m_statement, &rest) != SQLITE_OK) {
        m_lastError = m_connection.Path() + ": " + sqlite3_errmsg(m_connection.m_db);
        Close();
        return false;
    }
    // One statement per text: whatever follows the first is never run.
    while (rest != nullptr && *rest != '\0' && std::isspace(static_cast<unsigned char>(*rest))) {
        ++rest;
    }
    if (m_statement == nullptr || (rest != nullptr && *rest != '\0')) {
        m_lastError = m_connection.Path() + ": not one statement";
        Close();
        return false;
    }
    // The declared types are the statement's, not the row's: read once, not for every value.
    m_yesNo.resize(static_cast<std::size_t>(sqlite3_column_count(m_statement)));
    for (std::size_t i = 0; i < m_yesNo.size(); ++i) {
        m_yesNo[i] = isYesNo(sqlite3_column_decltype(m_statement, static_cast<int>(i)));
    }
    return true;
}

bool Query::Step() {
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW) {
        m_eof = false;
        return true;
    }
    m_eof = true;
    if (result != SQLITE_DONE) {
        m_lastError = m_connection.Path() + ": " + sqlite3_errmsg(m_connection.m_db);
        return false;
    }
    return true;
}

bool Query::Open() {
    if (!Prepare()) {
        return false;
    }
    if (sqlite3_stmt_readonly(m_statement) == 0) {
        m_lastError = m_connection.Path() + ": not a query";
        Close();
        return false;
    }
    return Step();
}

bool Query::ExecSql() {
    if (m_connection.ReadOnly()) {
        m_lastError = m_connection.Path() + ": an Access database is read, never written";
        return false;
    }
    if (!Prepare()) {
        return false;
    }
    const bool ok = Step();
    Close();
    return ok;
}

int Query::FieldCount() const {
    return m_statement == nullptr ? 0 : sqlite3_column_count(m_statement);
}

void Query::FieldValue(int i, win::VARIANT* value) const {
    win::VariantInit(value);
    if (m_statement == nullptr || m_eof || i < 0 || i >= FieldCount()) {
        return;
    }
    switch (sqlite3_column_type(m_statement, i)) {
    case SQLITE_INTEGER: {
        const sqlite3_int64 number = sqlite3_column_int64(m_statement, i);
        if (m_yesNo[static_cast<std::size_t>(i)]) {
            value->vt = win::VT_BOOL;
            value->boolVal = number != 0 ? win::VARIANT_TRUE : win::VARIANT_FALSE;
        } else if (number >= INT_MIN && number <= INT_MAX) {
            value->vt = win::VT_I4;
            value->lVal = static_cast<win::LONG>(number);
        }
        break;
    }
    case SQLITE_TEXT: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, i));
        const auto length =
            std::min(static_cast<std::size_t>(sqlite3_column_bytes(m_statement, i)), kLongestText);
        value->vt = win::VT_BSTR;
        // Most columns of a row are empty: no string to make.
        value->bstrVal = length == 0 ? nullptr : utf8ToBstr(std::string_view(text, length));
        break;
    }
    default: // NULL, floating point and blobs reach the caller empty
        break;
    }
}

bool Query::Next() {
    if (m_statement == nullptr || m_eof) {
        m_eof = true;
        return false;
    }
    return Step() && !m_eof;
}

} // namespace twinleaf::jet

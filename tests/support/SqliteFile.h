// What another program sees in an SQLite file, for tests of the Palm Desktop 6 databases.
#pragma once

#include <filesystem>
#include <sqlite3.h>
#include <string>

namespace twinleaf::test {

// Runs SQL on the file directly (not through the program's engine) and gives back the rows it
// returned as "a|b;" texts (NULL for a null value), or "error: ..." when it failed.
inline std::string sqliteRows(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
        sqlite3_close(db);
        return "error: cannot open " + file.string();
    }
    std::string rows;
    char* message = nullptr;
    const auto add = [](void* target, int count, char** values, char**) {
        auto& result = *static_cast<std::string*>(target);
        for (int i = 0; i < count; ++i) {
            result += std::string(i == 0 ? "" : "|") + (values[i] ? values[i] : "NULL");
        }
        result += ";";
        return 0;
    };
    if (sqlite3_exec(db, sql.c_str(), add, &rows, &message) != SQLITE_OK) {
        rows = std::string("error: ") + (message ? message : sqlite3_errmsg(db));
    }
    sqlite3_free(message);
    sqlite3_close(db);
    return rows;
}

} // namespace twinleaf::test

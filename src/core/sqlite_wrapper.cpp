#include "core/sqlite_wrapper.h"

#include <sqlite3.h>

#include "core/runtime_error.h"

namespace varnel {

namespace {

int lastRowCount = 0;

}  // namespace

DbTable::DbTable(std::size_t columns, std::vector<std::string> cells)
    : columns_(columns), cells_(std::move(cells)) {}

const std::string& DbTable::operator()(std::size_t row, std::size_t column) const {
    if (column >= columns_ || row >= rows()) raiseError(err::SubscriptOutOfRange);
    return cells_[row * columns_ + column];
}

sqlite3* sqlite_open(const std::string& path, std::string& error) {
    error.clear();
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        error = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        return nullptr;
    }
    // The updater may be replacing rows while the main program reads.
    sqlite3_busy_timeout(db, 2000);
    // Lets a query without rows still report its column names.
    sqlite3_exec(db, "PRAGMA empty_result_callbacks = ON", nullptr, nullptr, nullptr);
    return db;
}

DbTable ags_sqlite_get_table(sqlite3* db, const std::string& sql, std::string& error) {
    error.clear();
    lastRowCount = 0;
    char** result = nullptr;
    char* message = nullptr;
    int rows = 0, columns = 0;
    int rc = sqlite3_get_table(db, sql.c_str(), &result, &rows, &columns, &message);
    if (rc != SQLITE_OK) {
        error = message ? message : sqlite3_errstr(rc);
        sqlite3_free(message);
        sqlite3_free_table(result);
        return {};
    }
    std::vector<std::string> cells;
    const std::size_t count = static_cast<std::size_t>(rows + 1) * static_cast<std::size_t>(columns);
    cells.reserve(count);
    for (std::size_t i = 0; i < count; ++i) cells.emplace_back(result[i] ? result[i] : "");
    sqlite3_free_table(result);
    lastRowCount = rows;
    return DbTable(static_cast<std::size_t>(columns), std::move(cells));
}

int ags_number_of_rows_from_last_call() { return lastRowCount; }

void sqlite_close(sqlite3* db) { sqlite3_close(db); }

}  // namespace varnel

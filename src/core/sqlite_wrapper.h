#pragma once
// The four database calls the program needs, over the SQLite C library: open
// a database file, run one statement and get its whole result as a table of
// texts with the column names first, the row count of that result, close.

#include <cstddef>
#include <string>
#include <vector>

struct sqlite3;

namespace varnel {

// A result table: row 0 holds the column names, rows 1 to n the data rows in
// the order the statement returned them. NULL reads as an empty text.
class DbTable {
public:
    DbTable() = default;
    DbTable(std::size_t columns, std::vector<std::string> cells);

    // Raises SubscriptOutOfRange (9) outside the table, like indexing past an array's bounds.
    const std::string& operator()(std::size_t row, std::size_t column) const;

    std::size_t columns() const { return columns_; }
    // Number of rows including the column-name row; 0 when the statement returned no table.
    std::size_t rows() const { return columns_ == 0 ? 0 : cells_.size() / columns_; }

private:
    std::size_t columns_ = 0;
    std::vector<std::string> cells_;
};

// Opens an existing database file for reading and writing; never creates one.
// Returns nullptr with `error` set when the file cannot be opened.
sqlite3* sqlite_open(const std::string& path, std::string& error);

// Runs `sql`; `error` is empty on success and holds the library's message otherwise.
// A query without rows still returns its column names in row 0.
DbTable ags_sqlite_get_table(sqlite3* db, const std::string& sql, std::string& error);

// The number of data rows of the last ags_sqlite_get_table call.
int ags_number_of_rows_from_last_call();

void sqlite_close(sqlite3* db);

}  // namespace varnel

#pragma once
// The group database Db\Varnel.db in the program folder. Each call opens the
// file, runs one statement, closes it again and returns what it gave.

#include <string>

#include "core/sqlite_wrapper.h"

namespace varnel {

// The group database's path in the program folder, as releases ship it and
// as the update code names it. Every lookup is case-blind where the exact
// spelling is missing, so an installation holding "Db/varnel.db" works too.
inline constexpr const char* kGroupDatabaseFile = "Db\\Varnel.db";

// What a statement that returns nothing gave: the reason it did not run (no
// database, refused, failed), or nothing when it did.
struct DbChange {
    std::string error;
    bool ok() const { return error.empty(); }
    explicit operator bool() const { return ok(); }
};

// What a query gave: its table (column names first) and its status, which is
// empty when rows came back, "empty" when none did, the error text after a
// failure. Test the status before reading rows.
struct DbRows {
    DbTable table;
    std::string status;
    bool hasRows() const { return status.empty(); }
};

DbChange dbExec(const std::string& sql);
DbRows queryDb(const std::string& sql);

// Column 0 of the first data row, or an empty text.
std::string queryFirstValue(const std::string& sql);

// The error when the database file is not there.
std::string missingDatabaseText();

}  // namespace varnel

#pragma once
// The group database Db\Varnel.db in the program folder. Each call opens the
// file, runs one statement and closes it again. Query results are left in
// DbResult and DbStatus rather than returned.

#include <string>

#include "core/sqlite_wrapper.h"

namespace varnel {

// The group database's path in the program folder, as releases ship it and
// as the update code names it. Every lookup is case-blind where the exact
// spelling is missing, so an installation holding "Db/varnel.db" works too.
inline constexpr const char* kGroupDatabaseFile = "Db\\Varnel.db";

// The result table of the last getDbData call.
extern DbTable DbResult;

// Empty after a query that returned rows, "empty" after one that returned
// none, the error text after a failure. Test it before reading DbResult.
extern std::string DbStatus;

// Whether dbExec records a failure in DbStatus; the updater keeps no status.
enum class DbStatusUse { Record, Ignore };

// Runs a statement that returns nothing. On success DbStatus stays as it was.
// False when the statement did not run (no database, refused, failed).
bool dbExec(const std::string& sql, DbStatusUse status = DbStatusUse::Record);

// Runs a query into DbResult and DbStatus.
void getDbData(const std::string& sql);

// Column 0 of the first data row, or an empty text. Leaves DbStatus alone.
std::string getOneColBack(const std::string& sql);

// What DbStatus holds when the database file is not there.
std::string missingDatabaseText();

}  // namespace varnel

#pragma once
// The group database in a test's program folder, and a direct look into it
// that bypasses the engine.

#include <filesystem>
#include <string>
#include <vector>

namespace varnel::test {

// Copies the empty database the build makes into `folder`/Db/varnel.db.
void installShippedDatabase(const std::filesystem::path& folder);

// Runs statements straight through SQLite; throws with its message on failure.
void sqliteExec(const std::filesystem::path& file, const std::string& sql);

// Every row of a query, values as text (NULL as "<null>"), straight from SQLite.
std::vector<std::vector<std::string>> sqliteRows(const std::filesystem::path& file, const std::string& sql);

}  // namespace varnel::test

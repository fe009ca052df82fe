#pragma once
// The group database's replacement by a downloaded one: the new file must be
// a sound database, and the old file's journal must never stay beside it
// (SQLite would roll the old pages into the new file at its next open).

#include <filesystem>
#include <string>

namespace varnel::updater {

// Empty when `file` opens as an SQLite database and PRAGMA integrity_check
// answers "ok"; otherwise what was wrong.
std::string databaseProblem(const std::filesystem::path& file);

// Gets the database at `place` ready to be replaced: an open and a read let
// SQLite settle a journal left by a program that died while writing, and
// whatever journal is still there afterwards belongs to the file that goes
// and is removed.
void settleForReplacement(const std::filesystem::path& place);

}  // namespace varnel::updater

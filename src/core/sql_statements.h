#pragma once
// Every statement the programs send to the group database, composed in one
// place. The texts are exactly those the database has always received (the
// missing blank before "values(", the two kinds of separators, no semicolon
// after the name lookup); a single quote inside a value is doubled, so any
// name or path is stored as typed and cannot change the statement.

#include <array>
#include <string>

namespace varnel {

// A value as it stands between single quotes in a statement.
std::string sqlQuoted(const std::string& value);

std::string sqlListGroups();
std::string sqlLoadGroup(const std::string& name);
std::string sqlNameTaken(const std::string& name);
std::string sqlAddGroup(const std::string& name, const std::array<std::string, 5>& places);
std::string sqlChangeGroup(const std::string& newName, const std::array<std::string, 5>& places,
                           const std::string& oldName);
std::string sqlDeleteGroup(const std::string& name);

// The version table of the update.
std::string sqlReadFileVersion(const std::string& file);
std::string sqlRecordFileVersion(const std::string& file, const std::string& version);

// The release builder's statements: both tables emptied, then one row per
// file; files of the release folder itself (top level) have their own spelling.
std::string sqlEmptyVersionTable();
std::string sqlEmptyGroupTable();
std::string sqlAddReleaseFile(const std::string& file);
std::string sqlAddTopLevelFile(const std::string& file);

}  // namespace varnel

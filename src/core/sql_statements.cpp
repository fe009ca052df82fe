#include "core/sql_statements.h"

#include "base/text.h"

namespace varnel {

std::string sqlQuoted(const std::string& value) { return replaceAll(value, "'", "''"); }

std::string sqlListGroups() { return "Select * from tbl_Groups;"; }

std::string sqlLoadGroup(const std::string& name) {
    return "Select * from tbl_Groups where " + ("colName ='" + sqlQuoted(name) + "'") + ";";
}

std::string sqlNameTaken(const std::string& name) {
    return "Select colName from tbl_Groups where colName = '" + sqlQuoted(name) + "'";
}

std::string sqlAddGroup(const std::string& name, const std::array<std::string, 5>& places) {
    return "insert into tbl_Groups (colName, colPlace0, colPlace1, colPlace2, colPlace3, colPlace4)"
           "values('" + sqlQuoted(name) + "','" + sqlQuoted(places[0]) + "','" + sqlQuoted(places[1]) + "', '" +
           sqlQuoted(places[2]) + "', '" + sqlQuoted(places[3]) + "', '" + sqlQuoted(places[4]) + "');";
}

std::string sqlChangeGroup(const std::string& newName, const std::array<std::string, 5>& places,
                           const std::string& oldName) {
    return "update tbl_Groups set colName ='" + sqlQuoted(newName) + "', colPlace0 ='" + sqlQuoted(places[0]) +
           "', colPlace1 ='" + sqlQuoted(places[1]) + "', colPlace2 ='" + sqlQuoted(places[2]) +
           "', colPlace3 ='" + sqlQuoted(places[3]) + "', colPlace4 ='" + sqlQuoted(places[4]) +
           "' where colName ='" + sqlQuoted(oldName) + "';";
}

std::string sqlDeleteGroup(const std::string& name) {
    return "Delete from tbl_groups where colName='" + sqlQuoted(name) + "';";
}

std::string sqlReadFileVersion(const std::string& file) {
    return "select * from tbl_Update where colFile = '" + sqlQuoted(file) + "';";
}

std::string sqlRecordFileVersion(const std::string& file, const std::string& version) {
    return "update tbl_Update set colVersion ='" + sqlQuoted(version) + "' where colFile ='" + sqlQuoted(file) +
           "';";
}

std::string sqlEmptyVersionTable() { return "delete from tbl_update"; }

std::string sqlEmptyGroupTable() { return "delete from tbl_groups"; }

std::string sqlAddReleaseFile(const std::string& file) {
    return "insert into tbl_Update (colFile, colVersion) values ('" + sqlQuoted(file) + "','1');";
}

std::string sqlAddTopLevelFile(const std::string& file) {
    return "insert into tbl_Update (colFile, colVersion)values('" + sqlQuoted(file) + "','1');";
}

}  // namespace varnel

#include "groups/database_groups.h"

#include "core/db.h"
#include "core/sql_statements.h"

namespace varnel {

namespace {

GroupWrite run(const std::string& sql) { return {dbExec(sql).error}; }

}  // namespace

std::vector<std::string> DatabaseGroups::names() {
    std::vector<std::string> out;
    const DbRows groups = queryDb(sqlListGroups());
    if (!groups.hasRows()) return out;
    // Row 0 holds the column names.
    for (size_t row = 1; row < groups.table.rows(); ++row) out.push_back(groups.table(row, 0));
    return out;
}

std::optional<PlaceSet> DatabaseGroups::places(const std::string& name) {
    const DbRows group = queryDb(sqlLoadGroup(name));
    if (!group.hasRows()) return std::nullopt;
    PlaceSet found;
    for (size_t i = 0; i < found.size(); ++i) found[i] = group.table(1, i + 1);
    return found;
}

bool DatabaseGroups::holds(const std::string& name) { return !queryFirstValue(sqlNameTaken(name)).empty(); }

GroupWrite DatabaseGroups::add(const std::string& name, const PlaceSet& places) { return run(sqlAddGroup(name, places)); }

GroupWrite DatabaseGroups::change(const std::string& name, const PlaceSet& places) {
    return run(sqlChangeGroup(name, places, name));
}

GroupWrite DatabaseGroups::remove(const std::string& name) { return run(sqlDeleteGroup(name)); }

}  // namespace varnel

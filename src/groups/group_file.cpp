#include "groups/group_file.h"

#include "base/text.h"
#include "core/db.h"
#include "core/sql_statements.h"
#include "groups/database_groups.h"
#include "policy/policy.h"

namespace varnel {

std::string whyNotWritable(const NamedGroup& group) {
    const std::string& name = group.first;
    if (!policyGroupNameUsable(name)) return "a name with \"=\" or \"|\"";
    // A line that starts so is a section, or a comment.
    if (name[0] == '[' || name[0] == '#' || name[0] == ';') return "a name that starts with \"[\", \"#\" or \";\"";
    if (trimBlanks(name) != name) return "blanks around the name";
    for (const std::string& place : group.second) {
        if (place.find_first_of("|\r\n") != std::string::npos) return "a folder with \"|\" or a line break";
        if (trimBlanks(place) != place) return "blanks around a folder";
    }
    return {};
}

std::string groupsFileText(const std::vector<NamedGroup>& groups, std::vector<std::string>& leftOut) {
    std::string text = "[Groups]\n";
    for (const NamedGroup& group : groups) {
        const std::string why = whyNotWritable(group);
        if (!why.empty()) {
            leftOut.push_back(group.first + " (" + why + ")");
            continue;
        }
        text += group.first + '=';
        for (size_t i = 0; i < group.second.size(); ++i) text += (i ? "|" : "") + group.second[i];
        text += '\n';
    }
    return text;
}

std::vector<NamedGroup> userGroups() {
    DatabaseGroups database;
    std::vector<NamedGroup> groups;
    for (const std::string& name : database.names())
        if (const std::optional<PlaceSet> places = database.places(name)) groups.emplace_back(name, *places);
    return groups;
}

GroupImport addUserGroups(const std::vector<NamedGroup>& groups) {
    DatabaseGroups database;
    GroupImport result;
    // One transaction: a failed insert leaves it open, and the database
    // drops it with the connection.
    std::string sql = "begin;";
    for (const auto& [name, places] : groups) {
        const bool added = !database.holds(name);
        result.groups.emplace_back(name, added);
        if (added) sql += sqlAddGroup(name, places);
    }
    sql += "commit;";
    result.error = dbExec(sql).error;
    return result;
}

}  // namespace varnel

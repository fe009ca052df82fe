#pragma once
// What an organisation sets for the program: managed groups, and settings
// that win over the user's own. The same names on every platform.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "targets/place_target.h"

namespace varnel {

// One thing of a policy that could not be used: the error log's number and line.
struct PolicyProblem {
    int code;
    std::string text;
    bool operator==(const PolicyProblem&) const = default;
};

struct Policy {
    // The managed groups, in the order the policy names them.
    std::vector<std::pair<std::string, PlaceSet>> groups;
    // The settings by their names in lower case ("activegroup", ...), as text.
    std::map<std::string, std::string> settings;
    // What could not be used.
    std::vector<PolicyProblem> problems;

    bool operator==(const Policy&) const = default;

    // The group that is active whatever the user chooses; "" for none.
    std::string activeGroup() const;
    // False where only the managed groups are offered (AllowOwnGroups=0).
    bool allowsOwnGroups() const;
    // True where the online update is turned off (DisableOnlineUpdate=1).
    bool disablesOnlineUpdate() const;
    // The update server that wins over the user's setting; "" for none.
    std::string updateServer() const;
};

// The setting names a policy may hold, in lower case.
const std::vector<std::string>& policySettingNames();

// A managed group's folders from one text: five, "|" between them (a
// character no Windows path holds); fewer leave the rest empty. False for
// more than five.
bool splitPolicyPlaces(const std::string& value, PlaceSet& places);

// Whether a policy may name a group so: not empty, no "=" or "|" in it.
bool policyGroupNameUsable(const std::string& name);

}  // namespace varnel

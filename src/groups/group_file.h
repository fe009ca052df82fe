#pragma once
// Groups as a file that moves between machines: the [Groups] section of the
// organisation's policy format, written from the user's own groups and read
// back into another user's.

#include <string>
#include <utility>
#include <vector>

#include "targets/place_target.h"

namespace varnel {

using NamedGroup = std::pair<std::string, PlaceSet>;

// Why a group cannot be written so that it reads back the same; "" when it can.
std::string whyNotWritable(const NamedGroup& group);

// The [Groups] text of `groups`, one line each; a group that cannot be
// written goes to `leftOut` (name and reason) instead.
std::string groupsFileText(const std::vector<NamedGroup>& groups, std::vector<std::string>& leftOut);

// The user's own groups, in the database's order.
std::vector<NamedGroup> userGroups();

struct GroupImport {
    // Each group of the file, with true where it was added, false where a
    // group of that name was there already and is kept as it is.
    std::vector<std::pair<std::string, bool>> groups;
    std::string error;  // why nothing was added; "" when it went through
};

// Adds the groups the user does not have yet, all of them or, on a failure,
// none.
GroupImport addUserGroups(const std::vector<NamedGroup>& groups);

}  // namespace varnel

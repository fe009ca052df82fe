#pragma once
// Where groups come from. The user's own database is the first source; a
// source the user may only read (groups an organisation hands out) says so
// and only lists and loads.

#include <optional>
#include <string>
#include <vector>

#include "targets/place_target.h"

namespace varnel {

// What a change to a source gave: the reason it was refused, or nothing.
struct GroupWrite {
    std::string error;
    bool ok() const { return error.empty(); }
};

class GroupSource {
public:
    virtual ~GroupSource() = default;

    // False for groups the user may use but not change or delete.
    virtual bool writable() const { return false; }
    // True for the organisation's groups: a group of theirs takes the place
    // of another source's group of the same name.
    virtual bool managed() const { return false; }
    // The source's group names in its own order; none when it cannot be read.
    virtual std::vector<std::string> names() = 0;
    // The places of the group `name`, or nothing when the source has no such group.
    virtual std::optional<PlaceSet> places(const std::string& name) = 0;
    // True when a group of that name is there (a new group may not take it).
    virtual bool holds(const std::string& name);

    // A read-only source refuses every change.
    virtual GroupWrite add(const std::string& name, const PlaceSet& places);
    virtual GroupWrite change(const std::string& name, const PlaceSet& places);
    virtual GroupWrite remove(const std::string& name);
};

}  // namespace varnel

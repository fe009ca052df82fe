#pragma once
// The user's groups in the group database, through the statements the
// database has always received.

#include "groups/group_source.h"

namespace varnel {

class DatabaseGroups final : public GroupSource {
public:
    bool writable() const override { return true; }
    std::vector<std::string> names() override;
    std::optional<PlaceSet> places(const std::string& name) override;
    bool holds(const std::string& name) override;
    GroupWrite add(const std::string& name, const PlaceSet& places) override;
    // Keeps the name; only the places change.
    GroupWrite change(const std::string& name, const PlaceSet& places) override;
    GroupWrite remove(const std::string& name) override;
};

}  // namespace varnel

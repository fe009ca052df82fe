#pragma once
// The groups an organisation hands out through its policy: read-only,
// offered after the user's own, and taking the place of a group of the
// user's with the same name (which stays in the database, untouched).

#include "groups/group_source.h"
#include "policy/organisation_policy.h"

namespace varnel {

class ManagedGroups final : public GroupSource {
public:
    // The groups of the policy as `policy` read it last; the group service
    // reads it again before each list and each load.
    explicit ManagedGroups(const OrganisationPolicy& policy) : policy_(policy) {}

    bool managed() const override { return true; }
    std::vector<std::string> names() override;
    std::optional<PlaceSet> places(const std::string& name) override;

private:
    const OrganisationPolicy& policy_;
};

}  // namespace varnel

#pragma once
// The groups an organisation hands out through its policy: read-only,
// offered after the user's own, and taking the place of a group of the
// user's with the same name (which stays in the database, untouched).

#include "groups/group_source.h"
#include "groups/policy_file.h"

namespace varnel {

class ManagedGroups final : public GroupSource {
public:
    bool managed() const override { return true; }
    // The policy file is read again each time: an administrator's change
    // counts from the next time the list is read.
    std::vector<std::string> names() override;
    std::optional<PlaceSet> places(const std::string& name) override;

private:
    // The policy as the file reads now; its problems are logged once for
    // each text the file has had.
    const Policy& current();

    std::optional<PolicyText> read_;
    Policy policy_;
};

}  // namespace varnel

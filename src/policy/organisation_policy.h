#pragma once
// The organisation's policy as it stands now, from wherever the platform
// keeps it: the registry on Windows, Varnel/policy.conf along
// $XDG_CONFIG_DIRS on Linux.

#include "policy/policy.h"

namespace varnel {

class OrganisationPolicy {
public:
    // Reads the policy again. Its problems go to the error log once for each
    // time they are new, not at every read.
    const Policy& read();
    // The policy as read last (none before the first read).
    const Policy& last() const { return policy_; }

private:
    Policy policy_;
    bool logged_ = false;
};

}  // namespace varnel

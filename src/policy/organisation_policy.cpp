#include "policy/organisation_policy.h"

#include "core/log.h"
#include "core/runtime_error.h"
#include "platform/platform.h"
#include "policy/policy_file.h"
#include "policy/policy_registry.h"

namespace varnel {

namespace {

Policy readNow() {
    // A platform without policy files keeps its policy in the registry.
    if (platform::policyFiles().empty()) return readPolicyFromRegistry();
    const std::optional<PolicyText> file = readPolicyFile();
    return file ? parsePolicy(*file) : Policy{};
}

}  // namespace

const Policy& OrganisationPolicy::read() {
    Policy now = readNow();
    const bool newProblems = !logged_ || now.problems != policy_.problems;
    policy_ = std::move(now);
    if (newProblems)
        for (const PolicyProblem& problem : policy_.problems) logError(errorLine("Policy", problem.code, problem.text));
    logged_ = true;
    return policy_;
}

}  // namespace varnel
